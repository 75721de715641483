// The tail of the module: factored subroutines, the string pool, overlay
// descriptors and buffers, variable storage, loop temporaries and END.

#include "compiler/emit/data_lines.h"
#include "compiler/emit/output.h"
#include "compiler/emit/overlay_areas.h"
#include "compiler/parser.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

void Append(Compilation& c, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    c.OutputLines.push_back(line);
}

std::uint32_t StorageSize(const Compilation& c, const IdentifierEntry& e) {
  if (e.byAddress || e.pointer) return 2;
  if (IsByteType(e.type)) return 1;
  switch (e.type) {
  case kTypeWord:
  case kTypeInteger:
    return 2;
  case kTypeLongint:
    return 4;
  case kTypeArray:
  case kTypeRecord:
    return e.size != 0 ? e.size : TypeSize(c, e.type, e.reference);
  default:
    return 0; // REAL and untyped
  }
}

std::string FixedAddress(std::int32_t address) {
  return Hex(static_cast<std::uint32_t>(address) & 0xFFFF, 4) + "H";
}

void VariableStorage(Compilation& c) {
  std::uint32_t selectorOffset = 0;
  for (std::size_t i = 1; i < c.Identifiers.size(); ++i) {
    const IdentifierEntry& e = c.Identifiers[i];
    if (e.predefined) continue;
    const int id = static_cast<int>(i);
    const bool routine = e.kind == kKindProcedure || e.kind == kKindFunction;
    if (routine && e.absoluteMode == 1) {
      c.OutputLines.push_back(CodeLabelName(c, id) + "\tEQU " + FixedAddress(e.value));
      continue;
    }
    if ((e.kind != kKindVariable && e.kind != kKindFunction) || e.field) continue;
    const std::string name = AssemblerName(c, id);
    if (e.external) {
      NoteExternal(c, name);
      continue;
    }
    if (e.exported) NoteGlobal(c, name);
    if (e.typedConstant) continue;
    if (e.absoluteMode == 1) {
      c.OutputLines.push_back(name + "\tEQU " + FixedAddress(e.value));
      continue;
    }
    if (e.absoluteMode == 2) {
      c.OutputLines.push_back(name + "\tEQU " + AssemblerName(c, e.absoluteBase));
      continue;
    }
    if (e.kind == kKindFunction && e.external) continue;
    const std::uint32_t size = StorageSize(c, e);
    if (e.selector != 0) {
      if (e.firstAfterSelector) selectorOffset = 0;
      c.OutputLines.push_back(name + "\tEQU " + AssemblerName(c, e.selector) + "+" +
                              std::to_string(selectorOffset));
      selectorOffset += size;
      continue;
    }
    if (size == 0) continue;
    c.OutputLines.push_back(name + ":\tDS " + std::to_string(size));
    c.DataSize += size;
  }
}

} // namespace

void EmitModuleTail(Compilation& c) {
  for (std::size_t k = 0; k < c.CommonCodeBodies.size(); ++k) {
    std::vector<std::string> body = c.CommonCodeBodies[k];
    if (body.empty()) continue;
    c.OutputLines.push_back("@@S" + std::to_string(k) + ":");
    body.back() = "\tret";
    Append(c, body);
  }
  for (const PooledString& s : c.StringPool) {
    const LineBlock entry = StringPoolEntryLines(s.label, s.text);
    Append(c, entry.lines);
    c.CodeSize += entry.size;
  }
  c.OutputLines.push_back("");
  Append(c, OverlayDescriptorTableLines(c));
  c.OutputLines.push_back("");
  if (c.DataLine) {
    c.OutputLines.push_back("\tDATA");
    c.OutputLines.push_back("");
  }
  Append(c, OverlayBufferLines(c));
  VariableStorage(c);
  for (const LoopTemp& t : c.LoopTemps) {
    c.OutputLines.push_back(t.name + "\tDS " + std::to_string(t.size));
    c.DataSize += static_cast<std::uint32_t>(t.size);
  }
  c.OutputLines.push_back("");
  c.OutputLines.push_back("\tEND");
  c.OutputLines.push_back("");
}

} // namespace velkor
