#include "compiler/predefined_identifiers.h"

#include <array>

#include "compiler/symbol_table.h"

namespace velkor {
namespace {

constexpr IdentifierKind Constant = kKindConstant, Variable = kKindVariable, Type = kKindType,
                         Procedure = kKindProcedure, Function = kKindFunction;
constexpr TypeCode None = kTypeNone, Byte = kTypeByte, Word = kTypeWord, Integer = kTypeInteger,
                   LongInt = kTypeLongint, Boolean = kTypeBoolean, Real = kTypeReal,
                   Char = kTypeChar, Array = kTypeArray;

constexpr std::array<PredefinedIdentifier, 49> kTable{{
    {"", Variable, None, false, 0},
    {"FALSE", Constant, Boolean, false, 0},
    {"TRUE", Constant, Boolean, false, 1},
    {"NIL", Constant, Word, false, 0},
    {"REAL", Type, Real, false, 1},
    {"CHAR", Type, Char, false, 1},
    {"BOOLEAN", Type, Boolean, false, 1},
    {"INTEGER", Type, Integer, false, 2},
    {"BYTE", Type, Byte, false, 1},
    {"LONGINT", Type, LongInt, false, 4},
    {"WORD", Type, Word, false, 2},
    {"POINTER", Type, Word, false, 2},
    {"ABS", Function, Real, false, 0},
    {"ODD", Function, Boolean, false, 4},
    {"CHR", Function, Char, false, 5},
    {"ORD", Function, Integer, false, 6},
    {"SUCC", Function, Char, false, 7},
    {"PRED", Function, Char, false, 8},
    {"SIZEOF", Function, Integer, false, 20},
    {"NEW", Procedure, None, false, 13},
    {"INP", Function, Integer, false, 22},
    {"ADDR", Function, Word, false, 23},
    {"@", Function, Word, false, 24},
    {"INC", Procedure, None, false, 5},
    {"DEC", Procedure, None, false, 6},
    {"MOVE", Procedure, None, false, 7},
    {"FILLCHAR", Procedure, None, false, 8},
    {"OUT", Procedure, None, false, 9},
    {"LENGTH", Function, Byte, false, 25},
    {"COPY", Function, Array, true, 26},
    {"INTTOSTR", Function, Array, true, 27},
    {"INTTOHEX", Function, Array, true, 28},
    {"INITOVERLAY", Procedure, None, false, 10},
    {"INSERT", Procedure, None, false, 11},
    {"DELETE", Procedure, None, false, 12},
    {"STRTOINT", Function, LongInt, false, 29},
    {"STRTOINTDEF", Function, LongInt, false, 30},
    {"LO", Function, Integer, false, 31},
    {"HI", Function, Integer, false, 32},
    {"LOWORD", Function, Integer, false, 33},
    {"HIWORD", Function, Integer, false, 34},
    {"UPCASE", Function, Char, false, 35},
    {"POS", Function, Integer, false, 36},
    {"POSN", Function, Integer, false, 37},
    {"MARK", Procedure, None, false, 14},
    {"RELEASE", Procedure, None, false, 15},
    {"GETMEM", Procedure, None, false, 16},
    {"HEAPPTR", Variable, Word, false, 2},
    {"", Procedure, None, false, 0},
}};

} // namespace

std::span<const PredefinedIdentifier> PredefinedIdentifiers() {
  return kTable;
}

void EnterPredefinedIdentifiers(Compilation& c) {
  const int stringDescriptor = NewArrayDescriptor(c, kTypeInteger, 0, 255);
  SetArrayElement(c, stringDescriptor, kTypeChar, 0, 1, false);
  for (const PredefinedIdentifier& p : kTable) {
    const std::uint16_t reference =
        p.stringResult ? static_cast<std::uint16_t>(stringDescriptor) : 0;
    EnterPredefined(c, p.name, p.kind, p.type, reference, p.value);
  }
}

} // namespace velkor
