#include "assembler/asm_errors.h"

namespace velkor::asmerr {
namespace {

struct Row {
  int number;
  std::string_view text;
};

constexpr Row kTexts[] = {
    {SyntaxError, "Syntax error"},
    {DuplicateLabel, "Duplicate  label"},
    {ObjectTooLarge, "Object size to large"},
    {InvalidNumeric, "Invalid numeric"},
    {InvalidLabel, "Invalid label"},
    {IncludeNotFound, "Include file not found"},
    {NestedInclude, "Nested include not supported"},
    {MacroNeedsName, "MACRO keyword must be preceeded by name (label)"},
    {LabelInMacro, "Labels inside of Macros not allowed"},
    {MacroInMacro, "Macros may not reference other macros"},
    {NumericExternGlobal, "A numeric connot be external/global"},
    {GlobalNotDefined, "Global label is not defined"},
    {GlobalIsExternal, "Global label is external"},
    {ValueExternal, "Value cannot be external"},
    {CodeDataAbsolute, "Code/Data target must be absolute value"},
    {DuplicateMacroArgument, "Duplicate Macro argument name"},
    {MacroArgumentCount, "Macro call with incorrect number of arguments"},
    {BranchOutOfRange, "Relative branch out of range"},
    {BranchIntoOpcode, "Relative branch into op-code (-1)"},
    {BranchCannotEvaluate, "Relative branch: cannot evaluate expression"},
    {EquNeedsLabel, "EQU must have label"},
    {BranchExternal, "Relative branch expression may not reference externals"},
    {MultipleGlobal, "Multiple global label definition"},
    {CannotEvaluate, "Cannot evaluate expression"},
    {UnbalancedIf, "Unbalanced IF statement (missing ENDIF)"},
    {IndexNotKnown, "Index offset must be known at assembly time"},
    {IndexCannotEvaluate, "Cannot evaluate index expression"},
    {RefConditionNotGlobal, "Reference condition label must be defined global"},
    {OutOfHandles, "Out of overlay handles (>32)"},
};

} // namespace

std::string_view ErrorText(int number) {
  for (const Row& row : kTexts)
    if (row.number == number) return row.text;
  return {};
}

} // namespace velkor::asmerr
