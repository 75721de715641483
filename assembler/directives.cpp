#include "assembler/directives.h"

#include "assembler/asm_errors.h"
#include "assembler/assembly.h"

#include <unordered_map>
#include <vector>

namespace velkor::asmsrc {
namespace {

using S = const Statement&;

void ExpectCount(Assembly& a, S s, std::size_t count) {
  if (s.operands.size() != count) a.fail(asmerr::SyntaxError);
}
void ExpectSome(Assembly& a, S s) {
  if (s.operands.empty()) a.fail(asmerr::SyntaxError);
}
std::string_view OperandText(S s, std::size_t i) {
  return s.operands[i].text;
}

// Handles 1..32; the records carry handle - 1.
std::size_t HandleOf(Assembly& a, std::string_view text) {
  const auto n = ParseNumber(text);
  if (!n) a.fail(asmerr::SyntaxError);
  if (*n == 0 || *n - 1 > 31) a.fail(asmerr::OutOfHandles);
  return *n - 1U;
}

std::uint32_t LongOperand(Assembly& a, std::string_view text,
                          std::uint32_t limit = kMaxLoadAddress) {
  std::uint32_t value = 0;
  if (ParseLongNumber(text, value) != LongNumber::Ok || value > limit)
    a.fail(asmerr::InvalidNumeric);
  return value;
}

void CheckLabelName(Assembly& a, std::string_view name) {
  if (name == "$") a.fail(asmerr::FreeText, asmerr::kDollarLabel);
  if (name.empty()) a.fail(asmerr::InvalidLabel);
}

void DoOrg(Assembly& a, S s) {
  if (s.operands.empty() || s.operands.size() > 2) a.fail(asmerr::SyntaxError);
  const std::string_view target = OperandText(s, 0);
  std::uint8_t kind = rro::OriginOffset;
  std::uint16_t field = 0;
  std::uint32_t newLocation = 0;
  if (const auto n = ParseNumber(target)) {
    field = *n;
    newLocation = *n;
  } else {
    if (Assembly::hasOperator(target) || target == "$") a.fail(asmerr::SyntaxError);
    const Label* label = a.symbols.findLabel(target);
    if (label == nullptr) {
      // A label defined further on has no value yet in pass 1.
      if (a.pass != 1 || a.symbols.isEquate(target))
        a.fail(asmerr::FreeText, asmerr::kWordLabelNotFound);
    } else {
      if (label->external()) a.fail(asmerr::SyntaxError);
      kind = label->inData() ? rro::OriginDataLabel : rro::OriginCodeLabel;
      field = label->index;
      newLocation = s.operands.size() == 1 ? label->location() : 0;
    }
  }
  std::uint32_t load = newLocation;
  if (s.operands.size() == 2) {
    const std::string_view loadText = OperandText(s, 1);
    load = loadText == "LOADNEXT" ? rro::kLoadNext : LongOperand(a, loadText);
  }
  if (a.writing()) a.out.origin(kind, field, load);
  a.location = newLocation;
}

PlacementPart ParsePlacementPart(Assembly& a, std::string_view text, std::string_view next) {
  if (text == next) return {};
  // Data right after the program's last code byte, wherever the linker puts it.
  if (next == "DATAADD" && text == "CODEEND") return {false, 0, true};
  const auto n = ParseNumber(text);
  if (!n) a.fail(asmerr::CodeDataAbsolute);
  return {true, *n};
}

void DoLink(Assembly& a, S s) {
  if (a.location != 0) a.fail(asmerr::FreeText, asmerr::kLinkTooLate);
  if (s.operands.empty() || s.operands.size() % 2 != 0) a.fail(asmerr::SyntaxError);
  for (std::size_t i = 0; i < s.operands.size(); i += 2) {
    const PlacementPart code = ParsePlacementPart(a, OperandText(s, i), "CODEADD");
    const PlacementPart data = ParsePlacementPart(a, OperandText(s, i + 1), "DATAADD");
    if (a.writing()) a.out.linkPlacement(code, data);
  }
}

void SelectSegment(Assembly& a, S s, Segment segment) {
  ExpectCount(a, s, 0);
  a.segment = segment;
  a.location = 0;
  if (a.writing()) a.out.segmentSwitch(segment);
}
void DoCode(Assembly& a, S s) {
  SelectSegment(a, s, Segment::Code);
}
void DoData(Assembly& a, S s) {
  SelectSegment(a, s, Segment::Data);
}

void DoDb(Assembly& a, S s) {
  ExpectSome(a, s);
  for (const Token& item : s.operands) {
    if (item.text.front() == '\'') {
      const std::string text = Unquote(item.text);
      if (text.size() >= 2) {
        if (a.writing())
          for (char c : text)
            a.out.dataByte(static_cast<std::uint8_t>(c));
        a.advance(static_cast<std::uint32_t>(text.size()));
        continue;
      }
    }
    if (a.writing()) a.emitByte(item.text, a.location - a.statementStart);
    a.advance(1);
  }
}

void DoDw(Assembly& a, S s) {
  ExpectSome(a, s);
  for (const Token& item : s.operands) {
    if (a.writing()) a.emitWord(item.text, a.location - a.statementStart);
    a.advance(2);
  }
}

void DoDs(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing())
    a.emitValueRef(OperandText(s, 0), [&](const ValueRef& v) { a.out.reserveSpace(a.segment, v); });
}

void DoEqu(Assembly& a, S s) {
  if (s.label.empty()) a.fail(asmerr::EquNeedsLabel);
  CheckLabelName(a, s.label);
  ExpectCount(a, s, 1);
  if (a.pass == 1) {
    if (a.symbols.isEquate(s.label) || a.symbols.findLabel(s.label) != nullptr)
      a.fail(asmerr::DuplicateLabel);
    a.symbols.addEquate(s.label);
    return;
  }
  if (a.symbols.isGlobal(s.label)) a.out.globalEquateDefinition(a.segment, s.label);
  ExpressionText expr;
  a.buildExpression(OperandText(s, 0), expr);
  expr.object += "+0";
  a.out.equate(s.label, expr.object);
}

void DoExtern(Assembly& a, S s) {
  ExpectSome(a, s);
  if (a.pass != 1) return;
  for (const Token& name : s.operands) {
    if (ParseNumber(name.text)) a.fail(asmerr::NumericExternGlobal);
    CheckLabelName(a, name.text);
    if (a.symbols.isEquate(name.text) || !a.symbols.addLabel(name.text, kExternalValue))
      a.fail(asmerr::DuplicateLabel);
  }
}

void DoGlobal(Assembly& a, S s) {
  ExpectSome(a, s);
  for (const Token& name : s.operands) {
    if (ParseNumber(name.text)) a.fail(asmerr::NumericExternGlobal);
    if (a.pass == 1) {
      if (!a.symbols.addGlobal(name.text)) a.fail(asmerr::MultipleGlobal);
      continue;
    }
    const Label* label = a.symbols.findLabel(name.text);
    if (label != nullptr && label->external()) a.fail(asmerr::GlobalIsExternal);
    if (label == nullptr && !a.symbols.isEquate(name.text)) a.fail(asmerr::GlobalNotDefined);
  }
}

void DoEnd(Assembly& a, S s) {
  ExpectCount(a, s, 0);
  if (a.inInclude)
    a.includeEndFlag = true;
  else
    a.endFlag = true;
}

void DoInclude(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  a.includeFile(OperandText(s, 0));
}

void DoMacro(Assembly& a, S s) {
  if (a.pass != 1) {
    a.skippingMacroBody = true;
    return;
  }
  if (s.label.empty()) a.fail(asmerr::MacroNeedsName);
  a.beginMacro(s.label, s.line.substr(std::min(s.afterMnemonic, s.line.size())));
}

void DoMacend(Assembly& a, S s) {
  ExpectCount(a, s, 0);
  if (!a.recordingMacro) a.fail(asmerr::SyntaxError);
  a.endMacro();
}

void IfValue(Assembly& a, S s, bool whenTrue) {
  ExpectCount(a, s, 1);
  if (a.writing())
    a.emitValueRef(OperandText(s, 0), [&](const ValueRef& v) {
      if (whenTrue)
        a.out.ifTrue(v);
      else
        a.out.ifFalse(v);
    });
  ++a.ifDepth;
}
void DoIfTrue(Assembly& a, S s) {
  IfValue(a, s, true);
}
void DoIfFalse(Assembly& a, S s) {
  IfValue(a, s, false);
}

void DoIfRef(Assembly& a, S s) {
  ExpectSome(a, s);
  if (a.writing()) {
    std::vector<std::string_view> names;
    for (const Token& name : s.operands) {
      if (!a.symbols.isGlobal(name.text)) a.fail(asmerr::RefConditionNotGlobal);
      names.push_back(name.text);
    }
    a.out.ifReferenced(names);
  }
  ++a.ifDepth;
}

void DoEndIf(Assembly& a, S s) {
  ExpectCount(a, s, 0);
  if (a.writing()) a.out.endIf();
  --a.ifDepth;
}

void DoLoad(Assembly& a, S s) {
  ExpectCount(a, s, 2);
  const std::uint32_t address = LongOperand(a, OperandText(s, 0));
  if (a.writing()) a.out.loadFile(address, WithoutQuotes(OperandText(s, 1)));
}

void DoRun(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing()) a.out.runProgram(WithoutQuotes(OperandText(s, 0)));
}
void DoRunWhenDone(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing()) a.out.runWhenDone(WithoutQuotes(OperandText(s, 0)));
}
void DoLoadRef(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing()) a.out.loadReference(OperandText(s, 0));
}
// The linker places three bytes here, so the counters move with them.
void DoDref(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing()) a.out.dataReference(OperandText(s, 0));
  a.advance(3);
}

void DoCount(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  a.activeCounter = HandleOf(a, OperandText(s, 0));
}
void DoSizeCounterZero(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  a.sizeCounters[HandleOf(a, OperandText(s, 0))].count = 0;
}
void DoStoreLarger(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  SizeCounter& c = a.sizeCounters[HandleOf(a, OperandText(s, 0))];
  if (c.count > c.larger) c.larger = c.count;
}
void DoStoreSize(Assembly& a, S s) {
  ExpectCount(a, s, 2);
  const SizeCounter& c = a.sizeCounters[HandleOf(a, OperandText(s, 0))];
  if (a.writing()) a.out.storeSize(static_cast<std::uint16_t>(c.count + 1), OperandText(s, 1));
}
void DoDsSize(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  const SizeCounter& c = a.sizeCounters[HandleOf(a, OperandText(s, 0))];
  ValueRef v;
  v.kind = rro::ValueAbsolute;
  v.value = static_cast<std::uint16_t>(c.larger + 1);
  if (a.writing()) a.out.reserveSpace(a.segment, v);
}
// The linker writes the size as a word here.
void DoDwSize(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  if (a.writing()) a.out.sizeWord(OperandText(s, 0));
  a.advance(2);
}

template <void (ObjectWriter::*Write)(std::uint8_t)> void HandleRecord(Assembly& a, S s) {
  ExpectCount(a, s, 1);
  const std::size_t handle = HandleOf(a, OperandText(s, 0));
  if (a.writing()) (a.out.*Write)(static_cast<std::uint8_t>(handle));
}

void DoMemError(Assembly& a, S s) {
  ExpectCount(a, s, 2);
  const auto address = ParseNumber(OperandText(s, 0));
  if (!address) a.fail(asmerr::InvalidNumeric);
  if (a.writing()) a.out.memoryError(*address, WithoutQuotes(OperandText(s, 1)));
}
void DoMemLoadError(Assembly& a, S s) {
  ExpectCount(a, s, 2);
  const std::uint32_t address = LongOperand(a, OperandText(s, 0), 0xFFFFFF);
  if (a.writing()) a.out.memoryLoadError(address, WithoutQuotes(OperandText(s, 1)));
}

void DoWrite(Assembly& a, S s) {
  ExpectCount(a, s, 2);
  if (!a.writing()) return;
  const std::uint16_t value =
      a.compute(OperandText(s, 0), asmerr::ValueExternal, asmerr::CannotEvaluate);
  a.writeList.emplace_back(std::string(OperandText(s, 1)), value);
}

void DoReport(Assembly& a, S s) {
  ExpectCount(a, s, 3);
  if (a.writing())
    a.emitValueRef(OperandText(s, 1),
                   [&](const ValueRef& v) { a.out.report(v, WithoutQuotes(OperandText(s, 2))); });
}

struct Row {
  std::string_view name;
  DirectiveHandler handler;
};

constexpr Row kDirectives[] = {
    {"ORG", DoOrg},
    {"LINK", DoLink},
    {"CODE", DoCode},
    {"DATA", DoData},
    {"DB", DoDb},
    {"DW", DoDw},
    {"DS", DoDs},
    {"EQU", DoEqu},
    {"EXTERN", DoExtern},
    {"GLOBAL", DoGlobal},
    {"END", DoEnd},
    {"INCLUDE", DoInclude},
    {"MACRO", DoMacro},
    {"MACEND", DoMacend},
    {"IFTRUE", DoIfTrue},
    {"IFNOTZERO", DoIfTrue},
    {"IFFALSE", DoIfFalse},
    {"IFZERO", DoIfFalse},
    {"IFREF", DoIfRef},
    {"ENDIF", DoEndIf},
    {"LOAD", DoLoad},
    {"RUN", DoRun},
    {"RUNWHENDONE", DoRunWhenDone},
    {"LOADREF", DoLoadRef},
    {"DREF", DoDref},
    {"COUNT", DoCount},
    {"SIZECOUNTERZERO", DoSizeCounterZero},
    {"STORELARGER", DoStoreLarger},
    {"STORESIZE", DoStoreSize},
    {"DSSIZE", DoDsSize},
    {"DWSIZE", DoDwSize},
    {"ORGMARK", HandleRecord<&ObjectWriter::orgMark>},
    {"ORGRESUME", HandleRecord<&ObjectWriter::orgResume>},
    {"LOADMARK", HandleRecord<&ObjectWriter::loadMark>},
    {"LOADRESUME", HandleRecord<&ObjectWriter::loadResume>},
    {"MEMERROR", DoMemError},
    {"MEMLOADERROR", DoMemLoadError},
    {"WRITE", DoWrite},
    {"REPORT", DoReport},
};

} // namespace

DirectiveHandler FindDirective(std::string_view name) {
  static const std::unordered_map<std::string_view, DirectiveHandler> table = [] {
    std::unordered_map<std::string_view, DirectiveHandler> t;
    for (const Row& row : kDirectives)
      t.emplace(row.name, row.handler);
    return t;
  }();
  auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

bool DirectiveOwnsLabel(std::string_view name) {
  return name == "EQU" || name == "MACRO";
}

} // namespace velkor::asmsrc
