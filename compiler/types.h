#pragma once
// Type codes, identifier kinds and the fixed limits of the compiler's tables.

#include <cstdint>

namespace velkor {

// The order of codes 1..6 is the arithmetic result rule: the larger code wins.
enum TypeCode : std::uint8_t {
  kTypeNone = 0, // procedures, untyped
  kTypeByte = 1,
  kTypeWord = 2, // also POINTER and every pointer type
  kTypeInteger = 3,
  kTypeLongint = 4,
  kTypeBoolean = 5,
  kTypeReal = 6, // declared, every operation on it is rejected
  kTypeChar = 7,
  kTypeArray = 9, // a STRING is an array of CHAR whose element 0 holds the length
  kTypeRecord = 10,
};

enum IdentifierKind : std::uint8_t {
  kKindConstant = 0,
  kKindVariable = 1,
  kKindType = 2,
  kKindProcedure = 3,
  kKindFunction = 4,
  kKindLabel = 5, // a LABEL name, target of GOTO
};

// Byte types live in one byte and are zero-extended into HL.
constexpr bool IsByteType(std::uint8_t t) {
  return t == kTypeByte || t == kTypeBoolean || t == kTypeChar;
}
// BYTE, WORD, INTEGER: the types of indices, FOR variables and counts.
constexpr bool IsOrdinalNumber(std::uint8_t t) {
  return t == kTypeByte || t == kTypeWord || t == kTypeInteger;
}
constexpr bool IsNumeric(std::uint8_t t) {
  return IsOrdinalNumber(t) || t == kTypeLongint;
}
constexpr std::int32_t kMaxInteger = 32767; // the largest INTEGER value

// Table limits. A full table ends the compilation with the overflow report.
constexpr int kMaxIdentifiers = 5000;     // "IDENTIFIER"
constexpr int kMaxBlocks = 500;           // "PROCEDURES"
constexpr int kMaxArrayDescriptors = 500; // "ARRAYS"
constexpr int kMaxLevel = 7;              // "LEVELS": display levels 0..7
constexpr int kMaxCaseLabels = 100;       // "CODE"
constexpr int kMaxForwardDeclarations = 250;
constexpr int kMaxIncludeDepth = 5;
constexpr int kMaxOverlayAreas = 31;
constexpr int kMaxCommonCodeBodies = 255;
constexpr int kMaxNameLength = 255;

// Reference of a pointer whose target type is not declared yet.
constexpr std::uint16_t kPendingPointerTarget = 65535;

} // namespace velkor
