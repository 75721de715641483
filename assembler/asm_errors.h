#pragma once
// The assembler's numbered error messages. Texts are the ones users and the
// editor already know, spelling included.

#include <string_view>

namespace velkor::asmerr {

enum Number : int {
  SyntaxError = 0,
  DuplicateLabel = 2,
  ObjectTooLarge = 3,
  InvalidNumeric = 4,
  InvalidLabel = 5,
  IncludeNotFound = 6,
  NestedInclude = 7,
  MacroNeedsName = 8,
  LabelInMacro = 9,
  MacroInMacro = 10,
  NumericExternGlobal = 11,
  GlobalNotDefined = 12,
  GlobalIsExternal = 13,
  ValueExternal = 14,
  CodeDataAbsolute = 15,
  DuplicateMacroArgument = 17,
  MacroArgumentCount = 18,
  BranchOutOfRange = 20,
  BranchIntoOpcode = 21,
  BranchCannotEvaluate = 22,
  EquNeedsLabel = 23,
  BranchExternal = 25,
  MultipleGlobal = 26,
  CannotEvaluate = 28,
  UnbalancedIf = 30,
  IndexNotKnown = 32,
  IndexCannotEvaluate = 33,
  RefConditionNotGlobal = 40,
  OutOfHandles = 41,
  FreeText = 100,
};

// Free texts that travel as error 100.
inline constexpr std::string_view kDollarLabel = "Label may not be $ (reserved)";
inline constexpr std::string_view kWordLabelNotFound = "(Word) Label not found";
inline constexpr std::string_view kLinkTooLate = "LINK statement must preceed code or data";
inline constexpr std::string_view kMacroWithoutMacend = "MACRO without MACEND";
inline constexpr std::string_view kTooManyLabels = "Too many labels (at most 65409)";

// The text of a numbered error; "" for a number that has none.
std::string_view ErrorText(int number);

} // namespace velkor::asmerr
