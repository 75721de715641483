#pragma once
// The names every program sees at level 0 before its own declarations, and the
// routine numbers by which statements and expressions recognise them.

#include <cstdint>
#include <span>
#include <string_view>

#include "compiler/compilation.h"

namespace velkor {

// Routine numbers of the predefined procedures.
enum class PredefinedProcedure : std::uint8_t {
  Main = 0, // the entry that stands for the main program
  Inc = 5,
  Dec = 6,
  Move = 7,
  FillChar = 8,
  Out = 9,
  InitOverlay = 10,
  Insert = 11,
  Delete = 12,
  New = 13,
  Mark = 14,
  Release = 15,
  GetMem = 16,
};

// Routine numbers of the predefined functions.
enum class PredefinedFunction : std::uint8_t {
  Abs = 0,
  Odd = 4,
  Chr = 5,
  Ord = 6,
  Succ = 7,
  Pred = 8,
  SizeOf = 20,
  Inp = 22,
  Addr = 23,
  At = 24,
  Length = 25,
  Copy = 26,
  IntToStr = 27,
  IntToHex = 28,
  StrToInt = 29,
  StrToIntDef = 30,
  Lo = 31,
  Hi = 32,
  LoWord = 33,
  HiWord = 34,
  UpCase = 35,
  Pos = 36,
  PosN = 37,
};

struct PredefinedIdentifier {
  std::string_view name;
  IdentifierKind kind;
  TypeCode type;
  bool stringResult;  // the type refers to array descriptor 1 (a string)
  std::int32_t value; // size of a type, routine number, or constant value
};

// In the order they are entered.
std::span<const PredefinedIdentifier> PredefinedIdentifiers();

// Makes array descriptor 1 (the string of the predefined string functions)
// and enters the table at level 0.
void EnterPredefinedIdentifiers(Compilation& c);

} // namespace velkor
