#include "assembler/directives.h"

#include "assembler/asm_errors.h"
#include "assembler/assembly.h"

#include <unordered_map>
#include <vector>

namespace velkor::asmsrc {
namespace {

using S = const Statement&;

void expectCount(Assembly& a, S s, std::size_t count) {
  if (s.operands.size() != count) a.fail(asmerr::SyntaxError);
}
void expectSome(Assembly& a, S s) {
  if (s.operands.empty()) a.fail(asmerr::SyntaxError);
}
std::string_view operand(S s, std::size_t i) {
  return s.operands[i].text;
}

// Handles 1..32; the records carry handle - 1.
std::size_t handleOf(Assembly& a, std::string_view text) {
  const auto n = parseNumber(text);
  if (!n) a.fail(asmerr::SyntaxError);
  if (*n == 0 || *n - 1 > 31) a.fail(asmerr::OutOfHandles);
  return *n - 1U;
}

std::uint32_t longNumber(Assembly& a, std::string_view text,
                         std::uint32_t limit = kMaxLoadAddress) {
  std::uint32_t value = 0;
  if (parseLongNumber(text, value) != LongNumber::Ok || value > limit)
    a.fail(asmerr::InvalidNumeric);
  return value;
}

void checkLabelName(Assembly& a, std::string_view name) {
  if (name == "$") a.fail(asmerr::FreeText, asmerr::kDollarLabel);
  if (name.empty()) a.fail(asmerr::InvalidLabel);
}

void doOrg(Assembly& a, S s) {
  if (s.operands.empty() || s.operands.size() > 2) a.fail(asmerr::SyntaxError);
  const std::string_view target = operand(s, 0);
  std::uint8_t kind = rro::OriginOffset;
  std::uint16_t field = 0;
  std::uint32_t newLocation = 0;
  if (const auto n = parseNumber(target)) {
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
    const std::string_view loadText = operand(s, 1);
    load = loadText == "LOADNEXT" ? rro::kLoadNext : longNumber(a, loadText);
  }
  if (a.writing()) a.out.origin(kind, field, load);
  a.location = newLocation;
}

PlacementPart placementPart(Assembly& a, std::string_view text, std::string_view next) {
  if (text == next) return {};
  const auto n = parseNumber(text);
  if (!n) a.fail(asmerr::CodeDataAbsolute);
  return {true, *n};
}

void doLink(Assembly& a, S s) {
  if (a.location != 0) a.fail(asmerr::FreeText, asmerr::kLinkTooLate);
  if (s.operands.empty() || s.operands.size() % 2 != 0) a.fail(asmerr::SyntaxError);
  for (std::size_t i = 0; i < s.operands.size(); i += 2) {
    const PlacementPart code = placementPart(a, operand(s, i), "CODEADD");
    const PlacementPart data = placementPart(a, operand(s, i + 1), "DATAADD");
    if (a.writing()) a.out.linkPlacement(code, data);
  }
}

void selectSegment(Assembly& a, S s, Segment segment) {
  expectCount(a, s, 0);
  a.segment = segment;
  a.location = 0;
  if (a.writing()) a.out.segmentSwitch(segment);
}
void doCode(Assembly& a, S s) {
  selectSegment(a, s, Segment::Code);
}
void doData(Assembly& a, S s) {
  selectSegment(a, s, Segment::Data);
}

void doDb(Assembly& a, S s) {
  expectSome(a, s);
  for (const Token& item : s.operands) {
    if (item.text.front() == '\'') {
      const std::string text = unquote(item.text);
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

void doDw(Assembly& a, S s) {
  expectSome(a, s);
  for (const Token& item : s.operands) {
    if (a.writing()) a.emitWord(item.text, a.location - a.statementStart);
    a.advance(2);
  }
}

void doDs(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing())
    a.emitValueRef(operand(s, 0), [&](const ValueRef& v) { a.out.reserveSpace(a.segment, v); });
}

void doEqu(Assembly& a, S s) {
  if (s.label.empty()) a.fail(asmerr::EquNeedsLabel);
  checkLabelName(a, s.label);
  expectCount(a, s, 1);
  if (a.pass == 1) {
    if (a.symbols.isEquate(s.label) || a.symbols.findLabel(s.label) != nullptr)
      a.fail(asmerr::DuplicateLabel);
    a.symbols.addEquate(s.label);
    return;
  }
  if (a.symbols.isGlobal(s.label)) a.out.globalEquateDefinition(a.segment, s.label);
  ExpressionText expr;
  a.buildExpression(operand(s, 0), expr);
  expr.object += "+0";
  a.out.equate(s.label, expr.object);
}

void doExtern(Assembly& a, S s) {
  expectSome(a, s);
  if (a.pass != 1) return;
  for (const Token& name : s.operands) {
    if (parseNumber(name.text)) a.fail(asmerr::NumericExternGlobal);
    checkLabelName(a, name.text);
    if (a.symbols.isEquate(name.text) || !a.symbols.addLabel(name.text, kExternalValue))
      a.fail(asmerr::DuplicateLabel);
  }
}

void doGlobal(Assembly& a, S s) {
  expectSome(a, s);
  for (const Token& name : s.operands) {
    if (parseNumber(name.text)) a.fail(asmerr::NumericExternGlobal);
    if (a.pass == 1) {
      if (!a.symbols.addGlobal(name.text)) a.fail(asmerr::MultipleGlobal);
      continue;
    }
    const Label* label = a.symbols.findLabel(name.text);
    if (label != nullptr && label->external()) a.fail(asmerr::GlobalIsExternal);
    if (label == nullptr && !a.symbols.isEquate(name.text)) a.fail(asmerr::GlobalNotDefined);
  }
}

void doEnd(Assembly& a, S s) {
  expectCount(a, s, 0);
  if (a.inInclude)
    a.includeEndFlag = true;
  else
    a.endFlag = true;
}

void doInclude(Assembly& a, S s) {
  expectCount(a, s, 1);
  a.includeFile(operand(s, 0));
}

void doMacro(Assembly& a, S s) {
  if (a.pass != 1) {
    a.skippingMacroBody = true;
    return;
  }
  if (s.label.empty()) a.fail(asmerr::MacroNeedsName);
  a.beginMacro(s.label, s.line.substr(std::min(s.afterMnemonic, s.line.size())));
}

void doMacend(Assembly& a, S s) {
  expectCount(a, s, 0);
  if (!a.recordingMacro) a.fail(asmerr::SyntaxError);
  a.endMacro();
}

void ifValue(Assembly& a, S s, bool whenTrue) {
  expectCount(a, s, 1);
  if (a.writing())
    a.emitValueRef(operand(s, 0), [&](const ValueRef& v) {
      if (whenTrue)
        a.out.ifTrue(v);
      else
        a.out.ifFalse(v);
    });
  ++a.ifDepth;
}
void doIfTrue(Assembly& a, S s) {
  ifValue(a, s, true);
}
void doIfFalse(Assembly& a, S s) {
  ifValue(a, s, false);
}

void doIfRef(Assembly& a, S s) {
  expectSome(a, s);
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

void doEndIf(Assembly& a, S s) {
  expectCount(a, s, 0);
  if (a.writing()) a.out.endIf();
  --a.ifDepth;
}

void doLoad(Assembly& a, S s) {
  expectCount(a, s, 2);
  const std::uint32_t address = longNumber(a, operand(s, 0));
  if (a.writing()) a.out.loadFile(address, withoutQuotes(operand(s, 1)));
}

void doRun(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing()) a.out.runProgram(withoutQuotes(operand(s, 0)));
}
void doRunWhenDone(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing()) a.out.runWhenDone(withoutQuotes(operand(s, 0)));
}
void doLoadRef(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing()) a.out.loadReference(operand(s, 0));
}
// The linker places three bytes here, so the counters move with them.
void doDref(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing()) a.out.dataReference(operand(s, 0));
  a.advance(3);
}

void doCount(Assembly& a, S s) {
  expectCount(a, s, 1);
  a.activeCounter = handleOf(a, operand(s, 0));
}
void doSizeCounterZero(Assembly& a, S s) {
  expectCount(a, s, 1);
  a.sizeCounters[handleOf(a, operand(s, 0))].count = 0;
}
void doStoreLarger(Assembly& a, S s) {
  expectCount(a, s, 1);
  SizeCounter& c = a.sizeCounters[handleOf(a, operand(s, 0))];
  if (c.count > c.larger) c.larger = c.count;
}
void doStoreSize(Assembly& a, S s) {
  expectCount(a, s, 2);
  const SizeCounter& c = a.sizeCounters[handleOf(a, operand(s, 0))];
  if (a.writing()) a.out.storeSize(static_cast<std::uint16_t>(c.count + 1), operand(s, 1));
}
void doDsSize(Assembly& a, S s) {
  expectCount(a, s, 1);
  const SizeCounter& c = a.sizeCounters[handleOf(a, operand(s, 0))];
  ValueRef v;
  v.kind = rro::ValueAbsolute;
  v.value = static_cast<std::uint16_t>(c.larger + 1);
  if (a.writing()) a.out.reserveSpace(a.segment, v);
}
// The linker writes the size as a word here.
void doDwSize(Assembly& a, S s) {
  expectCount(a, s, 1);
  if (a.writing()) a.out.sizeWord(operand(s, 0));
  a.advance(2);
}

template <void (ObjectWriter::*Write)(std::uint8_t)> void handleRecord(Assembly& a, S s) {
  expectCount(a, s, 1);
  const std::size_t handle = handleOf(a, operand(s, 0));
  if (a.writing()) (a.out.*Write)(static_cast<std::uint8_t>(handle));
}

void doMemError(Assembly& a, S s) {
  expectCount(a, s, 2);
  const auto address = parseNumber(operand(s, 0));
  if (!address) a.fail(asmerr::InvalidNumeric);
  if (a.writing()) a.out.memoryError(*address, withoutQuotes(operand(s, 1)));
}
void doMemLoadError(Assembly& a, S s) {
  expectCount(a, s, 2);
  const std::uint32_t address = longNumber(a, operand(s, 0), 0xFFFFFF);
  if (a.writing()) a.out.memoryLoadError(address, withoutQuotes(operand(s, 1)));
}

void doWrite(Assembly& a, S s) {
  expectCount(a, s, 2);
  if (!a.writing()) return;
  const std::uint16_t value =
      a.compute(operand(s, 0), asmerr::ValueExternal, asmerr::CannotEvaluate);
  a.writeList.emplace_back(std::string(operand(s, 1)), value);
}

void doReport(Assembly& a, S s) {
  expectCount(a, s, 3);
  if (a.writing())
    a.emitValueRef(operand(s, 1),
                   [&](const ValueRef& v) { a.out.report(v, withoutQuotes(operand(s, 2))); });
}

struct Row {
  std::string_view name;
  DirectiveHandler handler;
};

constexpr Row kDirectives[] = {
    {"ORG", doOrg},
    {"LINK", doLink},
    {"CODE", doCode},
    {"DATA", doData},
    {"DB", doDb},
    {"DW", doDw},
    {"DS", doDs},
    {"EQU", doEqu},
    {"EXTERN", doExtern},
    {"GLOBAL", doGlobal},
    {"END", doEnd},
    {"INCLUDE", doInclude},
    {"MACRO", doMacro},
    {"MACEND", doMacend},
    {"IFTRUE", doIfTrue},
    {"IFNOTZERO", doIfTrue},
    {"IFFALSE", doIfFalse},
    {"IFZERO", doIfFalse},
    {"IFREF", doIfRef},
    {"ENDIF", doEndIf},
    {"LOAD", doLoad},
    {"RUN", doRun},
    {"RUNWHENDONE", doRunWhenDone},
    {"LOADREF", doLoadRef},
    {"DREF", doDref},
    {"COUNT", doCount},
    {"SIZECOUNTERZERO", doSizeCounterZero},
    {"STORELARGER", doStoreLarger},
    {"STORESIZE", doStoreSize},
    {"DSSIZE", doDsSize},
    {"DWSIZE", doDwSize},
    {"ORGMARK", handleRecord<&ObjectWriter::orgMark>},
    {"ORGRESUME", handleRecord<&ObjectWriter::orgResume>},
    {"LOADMARK", handleRecord<&ObjectWriter::loadMark>},
    {"LOADRESUME", handleRecord<&ObjectWriter::loadResume>},
    {"MEMERROR", doMemError},
    {"MEMLOADERROR", doMemLoadError},
    {"WRITE", doWrite},
    {"REPORT", doReport},
};

} // namespace

DirectiveHandler findDirective(std::string_view name) {
  static const std::unordered_map<std::string_view, DirectiveHandler> table = [] {
    std::unordered_map<std::string_view, DirectiveHandler> t;
    for (const Row& row : kDirectives)
      t.emplace(row.name, row.handler);
    return t;
  }();
  auto it = table.find(name);
  return it == table.end() ? nullptr : it->second;
}

bool directiveOwnsLabel(std::string_view name) {
  return name == "EQU" || name == "MACRO";
}

} // namespace velkor::asmsrc
