#include <vector>

#include "compiler/compile_error.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

struct BoundConstant {
  std::int64_t value = 0;
  std::uint8_t type = kTypeNone;
  bool rangeFollows = false; // ".." came right after it
};

// A constant of an array bound or a string length: a folded number, a char
// literal, or a constant name of a char or number type, with an optional sign.
BoundConstant ReadBoundConstant(Compilation& c) {
  bool negative = false;
  if (c.Symbol == SymbolKind::Minus) {
    negative = true;
    NextSymbol(c);
  }
  BoundConstant b;
  switch (c.Symbol) {
  case SymbolKind::ByteConst:
    b.type = kTypeByte;
    break;
  case SymbolKind::WordConst:
    b.type = kTypeWord;
    break;
  case SymbolKind::IntegerConst:
    b.type = kTypeInteger;
    break;
  case SymbolKind::LongConst:
    b.type = kTypeLongint;
    break;
  case SymbolKind::CharConst:
    b.type = kTypeChar;
    break;
  case SymbolKind::Identifier: {
    const int id = LookupIdentifier(c, c.IdentifierText);
    if (id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
    const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
    if (e.kind != kKindConstant ||
        !(IsNumeric(e.type) || e.type == kTypeChar || e.type == kTypeBoolean))
      ReportCompileError(c, kErrIllegalConstant);
    b.type = e.type;
    break;
  }
  default:
    ReportCompileError(c, kErrIllegalConstant);
  }
  b.value =
      c.Symbol == SymbolKind::Identifier
          ? c.Identifiers[static_cast<std::size_t>(LookupIdentifier(c, c.IdentifierText))].value
          : c.NumericValue;
  if (negative) b.value = -b.value;
  b.rangeFollows = c.RangeFollows;
  NextSymbol(c);
  return b;
}

struct Bounds {
  std::uint8_t indexType;
  std::int64_t low;
  std::int64_t high;
};

Bounds ReadBounds(Compilation& c) {
  const BoundConstant low = ReadBoundConstant(c);
  if (c.Symbol != SymbolKind::Colon || !(low.rangeFollows || c.RangeFollows))
    ReportCompileError(c, kErrExpectedRange);
  NextSymbol(c);
  const BoundConstant high = ReadBoundConstant(c);
  // A byte lower bound is taken as an integer index.
  const std::uint8_t indexType =
      low.type == kTypeByte ? static_cast<std::uint8_t>(kTypeInteger) : low.type;
  return {indexType, low.value, high.value};
}

TypeInfo ParseArray(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftBracket) ReportCompileError(c, kErrExpectedOpenBracket);
  NextSymbol(c);
  std::vector<int> descriptors; // outermost first
  for (;;) {
    const Bounds b = ReadBounds(c);
    descriptors.push_back(NewArrayDescriptor(c, b.indexType, b.low, b.high));
    if (c.Symbol != SymbolKind::Comma) break;
    NextSymbol(c);
  }
  if (c.Symbol != SymbolKind::RightBracket) ReportCompileError(c, kErrExpectedCloseBracket);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Of) ReportCompileError(c, kErrExpectedOf);
  NextSymbol(c);
  TypeInfo element = ParseType(c);
  // Several bound pairs make an array of arrays, filled from the inside out.
  for (auto d = descriptors.rbegin(); d != descriptors.rend(); ++d) {
    SetArrayElement(c, *d, element.type, element.reference, element.size, element.pointer);
    element = TypeInfo{kTypeArray, static_cast<std::uint16_t>(*d),
                       c.Arrays[static_cast<std::size_t>(*d)].totalSize, false};
  }
  return element;
}

TypeInfo ParseString(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftBracket) ReportCompileError(c, kErrExpectedOpenBracket);
  NextSymbol(c);
  const BoundConstant length = ReadBoundConstant(c);
  if (length.type == kTypeChar || length.type == kTypeBoolean)
    ReportCompileError(c, kErrIllegalConstant);
  // Element 0 holds the length: a longer string could not say how long it is.
  if (length.value < 0 || length.value > 255) ReportCompileError(c, kErrConstantOutOfRange);
  if (c.Symbol != SymbolKind::RightBracket) ReportCompileError(c, kErrExpectedCloseBracket);
  NextSymbol(c);
  const int d = NewArrayDescriptor(c, kTypeInteger, 0, length.value);
  SetArrayElement(c, d, kTypeChar, 0, 1, false);
  return TypeInfo{kTypeArray, static_cast<std::uint16_t>(d),
                  static_cast<std::uint32_t>(length.value) + 1, false};
}

TypeInfo ParseRecord(Compilation& c) {
  const int block = NewBlock(c);
  OpenLevel(c, static_cast<std::uint16_t>(block));
  NextSymbol(c);
  std::uint32_t offset = 0;
  while (c.Symbol != SymbolKind::End) {
    std::vector<int> fields;
    for (;;) {
      if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
      fields.push_back(EnterIdentifier(c, c.IdentifierText, kKindVariable, c.CurrentLevel));
      NextSymbol(c);
      if (c.Symbol != SymbolKind::Comma) break;
      NextSymbol(c);
    }
    if (c.Symbol != SymbolKind::Colon) ReportCompileError(c, kErrExpectedColon);
    NextSymbol(c);
    const TypeInfo t = ParseType(c);
    for (int f : fields) {
      IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(f)];
      e.type = t.type;
      e.reference = t.reference;
      e.size = static_cast<std::uint16_t>(t.size);
      e.pointer = t.pointer;
      e.field = true;
      e.predefined = true;
      e.offset = static_cast<std::uint16_t>(offset);
      offset += t.size;
      if (offset > 65535) ReportCompileError(c, kErrIllegalBounds);
    }
    if (c.Symbol == SymbolKind::End) break;
    if (c.Symbol != SymbolKind::Semicolon) ReportCompileError(c, kErrExpectedSemicolon);
    NextSymbol(c);
  }
  NextSymbol(c);
  CloseLevel(c);
  c.Blocks[static_cast<std::size_t>(block)].variableSize = static_cast<std::uint16_t>(offset);
  return TypeInfo{kTypeRecord, static_cast<std::uint16_t>(block), offset, false};
}

} // namespace

TypeInfo ParseType(Compilation& c) {
  bool pointer = false;
  if (c.Symbol == SymbolKind::Caret) {
    pointer = true;
    NextSymbol(c);
  }
  TypeInfo t;
  switch (c.Symbol) {
  case SymbolKind::Identifier: {
    const int id = LookupIdentifier(c, c.IdentifierText);
    if (id == 0) {
      if (!pointer) ReportCompileError(c, kErrUndefinedIdentifier);
      // A forward pointer: its target is declared later.
      c.PendingPointerTargets.push_back({c.IdentifierText, c.IdentifierCount});
      NextSymbol(c);
      return TypeInfo{kTypeWord, kPendingPointerTarget, 2, true};
    }
    const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
    if (e.kind != kKindType) ReportCompileError(c, kErrExpectedTypeIdentifier);
    if (e.type == kTypeNone) ReportCompileError(c, kErrUndefinedType);
    t = TypeInfo{e.type, e.reference, e.size, e.pointer};
    NextSymbol(c);
    break;
  }
  case SymbolKind::Array:
    t = ParseArray(c);
    break;
  case SymbolKind::String:
    t = ParseString(c);
    break;
  case SymbolKind::Record:
    t = ParseRecord(c);
    break;
  default:
    ReportCompileError(c, kErrExpectedIdArrayRecord);
  }
  if (pointer) {
    t.pointer = true;
    t.size = 2;
  }
  return t;
}

} // namespace velkor
