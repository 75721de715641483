#include "compiler/emit/output.h"

#include <algorithm>
#include <cassert>

#include "compiler/ascii_case.h"

namespace velkor {

namespace {

// The assembler compares names in upper case, so a name is present once
// whatever the case of its letters.
void AddName(std::vector<std::string>& list,
             std::unordered_set<std::string, NameIgnoringCaseHash, NameIgnoringCaseEqual>& keys,
             std::string_view name) {
  if (keys.find(name) != keys.end()) return;
  keys.emplace(name);
  list.emplace_back(name);
}

void SubtractCodeSize(Compilation& c, int n) {
  AddCodeSize(c, -n);
}

// The form's line with its one operand, and its tag.
void WriteLine(Compilation& c, const InstructionForm& f, std::string_view operand,
               std::uint32_t historyValue) {
  const std::size_t at = f.text.find('#');
  assert(at != std::string_view::npos && "a form without an operand");
  c.CurrentList().push_back_joined({"\t", f.text.substr(0, at), operand, f.text.substr(at + 1)});
  c.History.Push(f.tag, historyValue);
}

} // namespace

void WriteForm(Compilation& c, Op op) {
  const InstructionForm& f = Form(op);
  assert(f.text.find('#') == std::string_view::npos && "a form's operand left out");
  c.CurrentList().push_back_tabbed(f.text);
  c.History.Push(f.tag, 0);
}

void Emit(Compilation& c, Op op) {
  WriteForm(c, op);
  AddCodeSize(c, FormSize(op));
}

void WriteForm(Compilation& c, Op op, std::string_view operand) {
  WriteLine(c, Form(op), operand, 0);
}

void Emit(Compilation& c, Op op, std::string_view operand, std::uint32_t historyValue) {
  const InstructionForm& f = Form(op);
  WriteLine(c, f, operand, historyValue);
  AddCodeSize(c, f.size);
}

void Emit(Compilation& c, Op op, std::string_view first, std::string_view second) {
  const InstructionForm& f = Form(op);
  const std::size_t at = f.text.find('#');
  const std::size_t next = f.text.find('#', at + 1);
  assert(next != std::string_view::npos && "a form without two operands");
  c.CurrentList().push_back_joined({"\t", f.text.substr(0, at), first,
                                    f.text.substr(at + 1, next - at - 1), second,
                                    f.text.substr(next + 1)});
  c.History.Push(f.tag, 0);
  AddCodeSize(c, f.size);
}

void EmitRepeated(Compilation& c, Op op, int count) {
  for (int i = 0; i < count; ++i)
    Emit(c, op);
}

void Emit(Compilation& c, std::string_view text) {
  c.CurrentList().push_back_tabbed(text);
  c.History.Push(HistoryTag::None, 0);
}

void EmitBlock(Compilation& c, const LineBlock& block) {
  for (const std::string& line : block.lines) {
    if (!line.empty() && line[0] == '\t') {
      Emit(c, std::string_view(line).substr(1));
    } else {
      EmitLabelLine(c, line);
    }
  }
  for (const std::string& name : block.externs)
    NoteExternal(c, name);
  AddCodeSize(c, static_cast<int>(block.size));
}

void EmitLabelLine(Compilation& c, std::string_view text) {
  c.CurrentList().push_back(text);
  c.History.Push(HistoryTag::Label, 0);
}

void EmitRawLine(Compilation& c, std::string_view text) {
  c.CurrentList().push_back(text);
}
void EmitRawLine(Compilation& c, std::initializer_list<std::string_view> pieces) {
  c.CurrentList().push_back_joined(pieces);
}

void DeleteNewestInstructions(Compilation& c, int n) {
  int bytes = 0;
  for (int i = 0; i < n && i < kEmitHistoryLength; ++i)
    bytes += TaggedSize(c.History.Tag(i));
  auto& list = c.CurrentList();
  std::size_t i = list.size();
  while (n > 0 && i > 1) {
    --i;
    if (IsComment(list[i])) continue;
    list.erase(i);
    --n;
  }
  SubtractCodeSize(c, bytes);
}

void AddCodeSize(Compilation& c, int n) {
  if (c.OverlayMode && c.CurrentArea > 0) {
    c.OverlaySizes[c.CurrentArea].currentSize =
        static_cast<std::uint16_t>(c.OverlaySizes[c.CurrentArea].currentSize + n);
    c.OverlayTotal += static_cast<std::uint32_t>(n);
  } else {
    c.CodeSize += static_cast<std::uint32_t>(n);
  }
}

void LeaveOutOfSizeReport(Compilation& c, int bytes) {
  SubtractCodeSize(c, bytes);
}

void NoteExternal(Compilation& c, std::string_view name) {
  AddName(c.ExternNames, c.ExternNameKeys, name);
}
void NoteGlobal(Compilation& c, std::string_view name) {
  AddName(c.GlobalNames, c.GlobalNameKeys, name);
}

void EmitCall(Compilation& c, Routine routine, Op form) {
  const std::string_view name = RoutineName(routine);
  Emit(c, form, name);
  NoteExternal(c, name);
}

void ElidePush(Compilation& c) {
  auto& list = c.CurrentList();
  int instructionsBack = 0; // history position of the line, counting instruction lines
  for (std::size_t i = list.size(); i-- > 0;) {
    const std::string_view line = list[i];
    if (IsComment(line)) continue;
    if (line.find("push hl") != std::string::npos) {
      list.erase(i);
      if (instructionsBack < kEmitHistoryLength) c.History.RemoveAt(instructionsBack);
      SubtractCodeSize(c, FormSize(Op::PushHL));
      break;
    }
    ++instructionsBack;
  }
  c.PendingPush = 0;
}

void PopHL(Compilation& c) {
  if (c.PendingPush != 0) {
    ElidePush(c);
  } else {
    Emit(c, Op::PopHL);
  }
}

std::string NewLabel(Compilation& c) {
  return "@@" + std::to_string(c.LabelCounter++);
}
std::string PeekLabel(const Compilation& c) {
  return "@@" + std::to_string(c.LabelCounter);
}
void EmitGeneratedLabel(Compilation& c, const std::string& label) {
  EmitLabelLine(c, label + ":");
}

namespace {

std::string MakeAssemblerName(const Compilation& c, int symbol) {
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(symbol)];
  const bool hasOwner = e.owner != 0 && e.owner != symbol && e.owner < c.Identifiers.size();
  const std::string owner = hasOwner ? c.Identifiers[e.owner].name : std::string();
  std::string name;
  const bool routine = e.kind == kKindProcedure || e.kind == kKindFunction;
  if (e.globalMark) {
    name = (hasOwner && !routine) ? owner + "_" + e.name : e.name;
  } else if (c.ProgramPrefix) {
    name = hasOwner ? c.ProgramName + "_" + owner + "_" + e.name : c.ProgramName + "_" + e.name;
  } else {
    name = hasOwner ? owner + "_" + e.name : e.name;
  }
  if (name.size() > static_cast<std::size_t>(kMaxNameLength)) name.resize(kMaxNameLength);
  return name;
}

} // namespace

std::string AssemblerName(const Compilation& c, int symbol) {
  if (symbol <= 0 || symbol >= static_cast<int>(c.Identifiers.size())) return {};
  if (c.AssemblerNames.size() < c.Identifiers.size()) c.AssemblerNames.resize(c.Identifiers.size());
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(symbol)];
  CachedAssemblerName& cached = c.AssemblerNames[static_cast<std::size_t>(symbol)];
  if (!cached.made || cached.globalMark != e.globalMark ||
      cached.programPrefix != c.ProgramPrefix) {
    cached.text = MakeAssemblerName(c, symbol);
    cached.made = true;
    cached.globalMark = e.globalMark;
    cached.programPrefix = c.ProgramPrefix;
  }
  return cached.text;
}

std::string CodeLabelName(const Compilation& c, int symbol) {
  std::string label = "@";
  label += AssemblerName(c, symbol);
  return label;
}

void EmitSymbolLabel(Compilation& c, int symbol) {
  EmitLabelLine(c, CodeLabelName(c, symbol) + ":");
}

void EmitJumpToSymbol(Compilation& c, int symbol) {
  Emit(c, Op::Jp, CodeLabelName(c, symbol));
}

std::string HistoryValueText(const Compilation& c, std::uint32_t value) {
  if (EmitHistory::IsNumber(value)) return std::to_string(value);
  return AssemblerName(c, static_cast<int>(value & 0xFFFFu));
}

std::string Hex(std::uint32_t value, int digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out;
}

std::string HexWord(std::uint32_t value) {
  std::string text = "0";
  text += Hex(value & 0xFFFF, 4);
  text += 'H';
  return text;
}

} // namespace velkor
