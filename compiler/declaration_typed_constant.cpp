// Typed constants: variables whose initial data stands in the code area.

#include "compiler/compile_error.h"
#include "compiler/declaration_parts.h"
#include "compiler/emit/data_lines.h"
#include "compiler/emit/output.h"
#include "compiler/scanner.h"

namespace velkor {
namespace {

// @name or ADDR(name): the address of a variable or routine.
void AddressValue(Compilation& c, std::uint8_t type) {
  if (type != kTypeWord && type != kTypeInteger) ReportCompileError(c, kErrPointerStoreType);
  const bool addr = c.IdentifierText == "ADDR";
  NextSymbol(c);
  if (addr) Require(c, SymbolKind::LeftParen, kErrExpectedOpenParen);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const int target = LookupIdentifier(c, c.IdentifierText);
  if (target == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(target)];
  if (e.kind == kKindProcedure || e.kind == kKindFunction) {
    EmitBlock(c, RoutineAddressDataLine(AssemblerName(c, target)));
  } else if (e.kind == kKindVariable) {
    EmitBlock(c, VariableAddressDataLine(AssemblerName(c, target)));
  } else {
    ReportCompileError(c, kErrExpectedVariable);
  }
  NextSymbol(c);
  if (addr) Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
}

// A number or character for a simple type; returns its value.
std::int64_t SimpleValue(Compilation& c, std::uint8_t type) {
  bool negate = false;
  if (c.Symbol == SymbolKind::Minus || c.Symbol == SymbolKind::Plus) {
    negate = c.Symbol == SymbolKind::Minus;
    NextSymbol(c);
    if (!IsNumberSymbol(c.Symbol)) ReportCompileError(c, kErrIllegalConstantValue);
  }
  std::int64_t value = 0;
  if (IsNumberSymbol(c.Symbol)) {
    if (type == kTypeChar) ReportCompileError(c, kErrIllegalConstantValue);
    value = c.NumericValue;
  } else if (c.Symbol == SymbolKind::CharConst) {
    if (type != kTypeChar && type != kTypeByte) ReportCompileError(c, kErrIllegalConstantValue);
    value = c.NumericValue;
  } else if (c.Symbol == SymbolKind::Identifier) {
    const int id = LookupIdentifier(c, c.IdentifierText);
    if (id == 0 || c.Identifiers[static_cast<std::size_t>(id)].kind != kKindConstant)
      ReportCompileError(c, kErrIllegalConstant);
    const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
    if ((type == kTypeChar) != (e.type == kTypeChar) || e.type == kTypeArray ||
        e.type == kTypeBoolean)
      ReportCompileError(c, kErrIllegalConstantValue);
    value = e.value;
  } else {
    ReportCompileError(c, kErrIllegalConstantValue);
  }
  NextSymbol(c);
  if (negate) value = -value;
  const bool fits = type == kTypeLongint || (IsByteType(type) ? value >= -128 && value <= 255
                                                              : value >= -32768 && value <= 65535);
  if (!fits) ReportCompileError(c, kErrConstantOutOfRange);
  return value;
}

void BooleanValue(Compilation& c) {
  const int id = c.Symbol == SymbolKind::Identifier ? LookupIdentifier(c, c.IdentifierText) : 0;
  if (id == 0 || c.Identifiers[static_cast<std::size_t>(id)].kind != kKindConstant ||
      c.Identifiers[static_cast<std::size_t>(id)].type != kTypeBoolean)
    ReportCompileError(c, kErrExpectedTrueFalse);
  EmitBlock(c, ByteDataLine(
                   static_cast<std::uint32_t>(c.Identifiers[static_cast<std::size_t>(id)].value)));
  NextSymbol(c);
}

void StringValue(Compilation& c, std::uint16_t reference, std::uint32_t declaredSize) {
  std::string text;
  if (c.Symbol == SymbolKind::StringConst) {
    text = c.StringValue;
  } else if (c.Symbol == SymbolKind::CharConst) {
    text = std::string(1, static_cast<char>(c.NumericValue));
  } else if (c.Symbol == SymbolKind::Identifier) {
    const int id = LookupIdentifier(c, c.IdentifierText);
    const IdentifierEntry* e = id != 0 ? &c.Identifiers[static_cast<std::size_t>(id)] : nullptr;
    if (e == nullptr || e->kind != kKindConstant) ReportCompileError(c, kErrIllegalConstant);
    if (e->type == kTypeArray) {
      text = e->stringValue;
    } else if (e->type == kTypeChar) {
      text = std::string(1, static_cast<char>(e->value));
    } else {
      ReportCompileError(c, kErrStringExpected);
    }
  } else {
    ReportCompileError(c, kErrStringExpected);
  }
  // A longer text would run into the data that follows.
  if (static_cast<int>(text.size()) > StringCapacity(c, reference))
    ReportCompileError(c, kErrConstantOutOfRange);
  EmitBlock(c, StringConstantDataLines(text, declaredSize));
  NextSymbol(c);
}

void Value(Compilation& c, std::uint8_t type, std::uint16_t reference, std::uint32_t size,
           bool pointer);

void ArrayValue(Compilation& c, std::uint16_t reference) {
  const ArrayDescriptor d = c.Arrays[reference];
  const int count = d.high - d.low + 1;
  Require(c, SymbolKind::LeftParen, kErrExpectedOpenParen);
  for (int i = 0; i < count; ++i) {
    // Exactly one value per element, so that later data never shifts.
    if (i > 0) Require(c, SymbolKind::Comma, kErrExpectedComma);
    Value(c, d.elementType, d.elementReference, d.elementSize, d.elementPointer);
  }
  Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
}

// Fields are given in declaration order, each once.
void RecordValue(Compilation& c, std::uint16_t block) {
  Require(c, SymbolKind::LeftParen, kErrExpectedOpenParen);
  bool first = true;
  for (std::size_t i = 1; i < c.Identifiers.size(); ++i) {
    const IdentifierEntry& field = c.Identifiers[i];
    if (!field.field || field.block != block) continue;
    if (!first) Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
    first = false;
    if (c.Symbol != SymbolKind::Identifier || c.IdentifierText != field.name)
      ReportCompileError(c, kErrExpectedFieldName);
    NextSymbol(c);
    Require(c, SymbolKind::Colon, kErrExpectedColon);
    const IdentifierEntry copy = field; // the table may grow while the value is read
    Value(c, copy.type, copy.reference, copy.size, copy.pointer);
  }
  Accept(c, SymbolKind::Semicolon);
  Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
}

void Value(Compilation& c, std::uint8_t type, std::uint16_t reference, std::uint32_t size,
           bool pointer) {
  if (pointer) ReportCompileError(c, kErrTypedConstantPointer);
  if (type == kTypeArray) {
    if (IsStringType(c, type, reference)) {
      StringValue(c, reference, size);
    } else {
      ArrayValue(c, reference);
    }
    return;
  }
  if (type == kTypeRecord) {
    RecordValue(c, reference);
    return;
  }
  if (type == kTypeBoolean) {
    BooleanValue(c);
    return;
  }
  if (c.Symbol == SymbolKind::Identifier &&
      (c.IdentifierText == "@" || c.IdentifierText == "ADDR")) {
    AddressValue(c, type);
    return;
  }
  if (c.Symbol == SymbolKind::StringConst) ReportCompileError(c, kErrIllegalConstantValue);
  const auto value = static_cast<std::uint32_t>(SimpleValue(c, type));
  switch (type) {
  case kTypeByte:
  case kTypeChar:
    EmitBlock(c, ByteDataLine(value));
    break;
  case kTypeWord:
  case kTypeInteger:
    EmitBlock(c, WordDataLine(value));
    break;
  case kTypeLongint:
    EmitBlock(c, LongDataLines(value));
    break;
  default:
    ReportCompileError(c, kErrIllegalConstantValue);
  }
}

} // namespace

void TypedConstant(Compilation& c, int symbol, const TypeInfo& type) {
  NextSymbol(c); // past "="
  c.PendingPush = 0;
  EmitLabelLine(c, AssemblerName(c, symbol) + ":");
  Value(c, type.type, type.reference, type.size, type.pointer);
}

} // namespace velkor
