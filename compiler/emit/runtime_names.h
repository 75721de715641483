#pragma once
// Every run-time library routine that generated code calls, one row each.
// The assembler reads names in upper case, so two spellings that differ only
// in case reach one routine: __pushString and __PushString, __Push32 and
// __push32 are each one routine of the library, spelled as the .Mac text has
// always spelled them at their call sites. Negation has names of its own
// (__NegInt, __NegLint), apart from the NOT routines.
//
//   EmitCall(c, Routine::Push32);   // "call __Push32", __Push32 noted EXTERN

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace velkor {

enum class Routine : std::uint8_t {
  // Constants and loads.
  LintConst,
  Push32,
  Push32LowerCase,
  PushStringLiteral,
  PushString,
  // Word arithmetic.
  Mult16,
  SignedMult16,
  Div16,
  SignedDiv16,
  Mod16,
  SignedMod16,
  Shl16,
  Shr16,
  // Long arithmetic.
  Add32,
  Sub32,
  Mult32,
  Div32,
  Mod32,
  And32,
  Or32,
  Xor32,
  Shl32,
  Shr32,
  // Widening, negation and NOT.
  IntToLint,
  WordToLint,
  LintFix1,
  LintFix1Word,
  NotBool,
  NotInt,
  NotLint,
  NegInt,
  NegLint,
  // Comparisons: unsigned and signed words, longs, strings.
  Equal,
  NotEqual,
  Less,
  LessOrEqual,
  Greater,
  GreaterOrEqual,
  SignedLess,
  SignedLessOrEqual,
  SignedGreater,
  SignedGreaterOrEqual,
  LongEqual,
  LongNotEqual,
  LongLess,
  LongLessOrEqual,
  LongGreater,
  LongGreaterOrEqual,
  StringEqual,
  StringNotEqual,
  StringLess,
  StringLessOrEqual,
  StringGreater,
  StringGreaterOrEqual,
  // Strings and sets.
  AddStrings,
  AddCharToString,
  AddStringToChar,
  TwoCharsToString,
  CharToString,
  CopyString,
  Posn,
  ConstSet,
  // Predefined functions.
  IntAbs,
  LintAbs,
  IntOdd,
  LintOdd,
  Succ8,
  Succ16,
  Succ16Word,
  Succ32,
  Pred8,
  Pred16,
  Pred16Word,
  Pred32,
  UpCase,
  StrToInt,
  StrToIntDef,
  ByteToHexStr,
  WordToHexStr,
  LintToHexStr,
  ByteToStr,
  WordToStr,
  IntToStr,
  LintToStr,
  // Stores.
  Store32,
  Store32Stack,
  StoreLint,
  MoveString,
  PopString,
  PopStringHL,
  IntToLintStore,
  WordToLintStore,
  Int32Store,
  Word32Store,
  // INC and DEC through the address in HL.
  Inc16,
  Dec16,
  Inc32,
  Dec32,
  // Predefined procedures.
  Move,
  Insert,
  Delete,
  Malloc,
  GetHeapPtr,
  SetHeapPtr,
  DumpString,
  // CASE dispatch.
  JumpTable,
  SwitchByte,
  // Overlays.
  OverlayHandler,
  InitializeOverlay,
};

struct RuntimeRoutine {
  Routine routine;
  std::string_view name;
};

// In the order of Routine.
inline constexpr RuntimeRoutine kRuntimeRoutines[] = {
    {Routine::LintConst, "__LintConst"},
    {Routine::Push32, "__Push32"},
    {Routine::Push32LowerCase, "__push32"},
    {Routine::PushStringLiteral, "__pushString"},
    {Routine::PushString, "__PushString"},
    {Routine::Mult16, "__mult16HLDE"},
    {Routine::SignedMult16, "__Smult16HLDE"},
    {Routine::Div16, "__div16HLDE"},
    {Routine::SignedDiv16, "__Sdiv16HLDE"},
    {Routine::Mod16, "__mod16HLDE"},
    {Routine::SignedMod16, "__Smod16HLDE"}, // remainder with the dividend's sign
    {Routine::Shl16, "__shl16"},
    {Routine::Shr16, "__shr16"},
    {Routine::Add32, "__Add32"},
    {Routine::Sub32, "__sub32"},
    {Routine::Mult32, "__mult32"},
    {Routine::Div32, "__div32"},
    {Routine::Mod32, "__mod32"},
    {Routine::And32, "__and32"},
    {Routine::Or32, "__or32"},
    {Routine::Xor32, "__xor32"},
    {Routine::Shl32, "__shl32"},
    {Routine::Shr32, "__shr32"},
    {Routine::IntToLint, "__IntToLint"},    // HL (signed) -> long on the stack
    {Routine::WordToLint, "__WordToLint"},  // HL (unsigned) -> long on the stack
    {Routine::LintFix1, "__lintfix1"},      // signed word beneath a long
    {Routine::LintFix1Word, "__lintfix1w"}, // unsigned word beneath a long
    {Routine::NotBool, "__notBool"},
    {Routine::NotInt, "__notInt"},
    {Routine::NotLint, "__notLint"},
    {Routine::NegInt, "__NegInt"},   // negates the word on top of the stack
    {Routine::NegLint, "__NegLint"}, // negates the long on top of the stack
    {Routine::Equal, "__equ"},
    {Routine::NotEqual, "__notequ"},
    {Routine::Less, "__less"},
    {Routine::LessOrEqual, "__lessorequ"},
    {Routine::Greater, "__greater"},
    {Routine::GreaterOrEqual, "__greaterorequ"},
    {Routine::SignedLess, "__Iless"},
    {Routine::SignedLessOrEqual, "__Ilessorequ"},
    {Routine::SignedGreater, "__Igreater"},
    {Routine::SignedGreaterOrEqual, "__Igreaterorequ"},
    {Routine::LongEqual, "__lequ"},
    {Routine::LongNotEqual, "__lnotequ"},
    {Routine::LongLess, "__lless"},
    {Routine::LongLessOrEqual, "__llessorequ"},
    {Routine::LongGreater, "__lgreater"},
    {Routine::LongGreaterOrEqual, "__lgreaterorequ"},
    {Routine::StringEqual, "__sequ"},
    {Routine::StringNotEqual, "__snotequ"},
    {Routine::StringLess, "__sless"},
    {Routine::StringLessOrEqual, "__slessorequ"},
    {Routine::StringGreater, "__sgreater"},
    {Routine::StringGreaterOrEqual, "__sgreaterorequ"},
    {Routine::AddStrings, "__AddStrings"},
    {Routine::AddCharToString, "__AddCharToString"},
    {Routine::AddStringToChar, "__AddStringToChar"},
    {Routine::TwoCharsToString, "__TwoCharsToString"},
    {Routine::CharToString, "__CharToString"},
    {Routine::CopyString, "__CopyString"},
    {Routine::Posn, "__POSN"},
    {Routine::ConstSet, "__constset"},
    {Routine::IntAbs, "__intABS"},
    {Routine::LintAbs, "__lintABS"},
    {Routine::IntOdd, "__intODD"},
    {Routine::LintOdd, "__lintODD"},
    {Routine::Succ8, "__succ8"},
    {Routine::Succ16, "__succ16"},
    {Routine::Succ16Word, "__succ16w"},
    {Routine::Succ32, "__succ32"},
    {Routine::Pred8, "__pred8"},
    {Routine::Pred16, "__pred16"},
    {Routine::Pred16Word, "__pred16w"},
    {Routine::Pred32, "__pred32"},
    {Routine::UpCase, "__UpCase"},
    {Routine::StrToInt, "__StrToInt"},
    {Routine::StrToIntDef, "__StrToIntDef"},
    {Routine::ByteToHexStr, "__ByteToHexStr"},
    {Routine::WordToHexStr, "__WordToHexStr"},
    {Routine::LintToHexStr, "__LIntToHexStr"},
    {Routine::ByteToStr, "__ByteToStr"},
    {Routine::WordToStr, "__WordToStr"},
    {Routine::IntToStr, "__IntToStr"},
    {Routine::LintToStr, "__LIntToStr"},
    {Routine::Store32, "__store32"},
    {Routine::Store32Stack, "__store32x"},
    {Routine::StoreLint, "__StoreLint"},
    {Routine::MoveString, "__moveString"},
    {Routine::PopString, "__popString"},
    {Routine::PopStringHL, "__popStringHL"},
    {Routine::IntToLintStore, "__IntToLintStore"},
    {Routine::WordToLintStore, "__WordToLintStore"},
    {Routine::Int32Store, "__Int32store"},
    {Routine::Word32Store, "__Word32store"},
    {Routine::Inc16, "__inc16hl"},
    {Routine::Dec16, "__dec16hl"},
    {Routine::Inc32, "__inc32hl"},
    {Routine::Dec32, "__dec32hl"},
    {Routine::Move, "__Move"},
    {Routine::Insert, "__Insert"},
    {Routine::Delete, "__Delete"},
    {Routine::Malloc, "__malloc"},
    {Routine::GetHeapPtr, "__GetHeapPtr"},
    {Routine::SetHeapPtr, "__SetHeapPtr"},
    {Routine::DumpString, "__dumpstring"},
    {Routine::JumpTable, "__jpTable"},
    {Routine::SwitchByte, "__switchbyte"},
    {Routine::OverlayHandler, "__OverlayHandler"},
    {Routine::InitializeOverlay, "__InitializeOverlay"},
};

constexpr bool RoutinesInOrder() {
  for (std::size_t i = 0; i < std::size(kRuntimeRoutines); ++i)
    if (static_cast<std::size_t>(kRuntimeRoutines[i].routine) != i) return false;
  return true;
}
static_assert(RoutinesInOrder(), "kRuntimeRoutines must list the routines in enum order");
static_assert(std::size(kRuntimeRoutines) ==
              static_cast<std::size_t>(Routine::InitializeOverlay) + 1);

constexpr std::string_view RoutineName(Routine routine) {
  return kRuntimeRoutines[static_cast<std::size_t>(routine)].name;
}

} // namespace velkor
