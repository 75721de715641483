#pragma once
// Compile errors: the numbered texts, the exception that abandons a
// compilation, and the two report routines every part of the compiler uses.

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velkor {

struct Compilation;

// Raised after the error report has been written; the build command catches it.
class ECompileError : public std::runtime_error {
public:
  ECompileError() : std::runtime_error("Error Occured") {}
};

constexpr int kCompileErrorCount = 114;
constexpr std::size_t kCompileErrorTextWidth = 40; // the texts are fixed fields of this width

// One row per error: its number, its name for call sites
// (ReportCompileError(c, kErrExpectedSemicolon)) and its text. Texts longer
// than kCompileErrorTextWidth are cut to it when reported.
#define VELKOR_COMPILE_ERRORS(X)                                                                   \
  X(0, kErrUndefinedIdentifier, "Undefined identifier")                                            \
  X(1, kErrMultipleDefinition, "Multiple definition of this identifier")                           \
  X(2, kErrExpectedIdentifier, "Expected an identifier")                                           \
  X(3, kErrProcedureOrProgramExpected, "\"Procedure\" or \"Program\" expected")                    \
  X(4, kErrExpectedCloseParen, "Expected closing parenthesis \")\"")                               \
  X(5, kErrExpectedColon, "Expected a colon \":\"")                                                \
  X(6, kErrIncorrectSymbol, "Incorrectly used symbol")                                             \
  X(7, kErrExpectedIdentifierOrVar, "Expected identifier or the symbol \"VAR\"")                   \
  X(8, kErrExpectedOf, "Expected the symbol \"OF\"")                                               \
  X(9, kErrExpectedOpenParen, "Expected an opening paranthesis \"(\"")                             \
  X(10, kErrExpectedIdArrayRecord, "Expected identifier, \"ARRAY\" or \"RECORD\"")                 \
  X(11, kErrExpectedOpenBracket, "Expected an opening bracket \"[\"")                              \
  X(12, kErrExpectedCloseBracket, "Expected a closing bracket \"]\"")                              \
  X(13, kErrExpectedRange, "Expected \"..\" without intervening blanks")                           \
  X(14, kErrExpectedSemicolon, "Expected a SEMICOLON \";\"")                                       \
  X(15, kErrUnsupportedResultType, "Unsupported function result type")                             \
  X(16, kErrExpectedEqual, "Expected a equal sign \"=\"")                                          \
  X(17, kErrExpectedBooleanExpression, "Expected a boolean expression")                            \
  X(18, kErrLoopVariableType, "Loop variable is of the wrong type")                                \
  X(19, kErrInvalidLoopType, "Invalid type for loop")                                              \
  X(20, kErrSyntax, "Syntax error")                                                                \
  X(21, kErrNumberTooLarge, "The number is to large")                                              \
  X(22, kErrExpectedPeriodOrSemicolon, "Expect period \".\" or semicolon \";\"")                   \
  X(23, kErrBadCaseType, "Bad type for a case statement")                                          \
  X(24, kErrIllegalCharacter, "Illegal character")                                                 \
  X(25, kErrIllegalConstant, "Illegal constant or constant identifier")                            \
  X(26, kErrIllegalSubscript, "Illegal array subscript (check type)")                              \
  X(27, kErrIllegalBounds, "Illegal bounds for an array index")                                    \
  X(28, kErrIndexedNotArray, "Indexed variable must be ARRAY or STRING")                           \
  X(29, kErrExpectedTypeIdentifier, "Expected a type identifier")                                  \
  X(30, kErrUndefinedType, "Undefined type")                                                       \
  X(31, kErrFieldSelectorNotRecord, "Var with field selector must be record")                      \
  X(32, kErrExpectedBoolean, "Expected type \"BOOLEAN\"")                                          \
  X(33, kErrIllegalArithmeticType, "Illegal type for arithmetic expression")                       \
  X(34, kErrExpectedIntegerDivMod, "Expected integer for \"DIV\" or \"MOD\"")                      \
  X(35, kErrIncompatibleComparison, "Incompatible types for comparison")                           \
  X(36, kErrParameterTypes, "Parameter types do not match")                                        \
  X(37, kErrExpectedVariable, "Expected a variable")                                               \
  X(38, kErrStringExpected, "String type expected")                                                \
  X(39, kErrParameterCount, "Number of parameters do not match")                                   \
  X(40, kErrIllegalReadParameters, "Illegal parameters \"READ\"")                                  \
  X(41, kErrIllegalWriteParameters, "Illegal parameters TO \"WRITE\"")                             \
  X(42, kErrExpectedReal, "Parameter must be of type \"REAL\"")                                    \
  X(43, kErrExpectedInteger, "Parameter must be of type \"INTEGER\"")                              \
  X(44, kErrExpectedVariableOrConstant, "Expected variable or constant")                           \
  X(45, kErrExpectedVariableOrProcedure, "Expected a variable or procedure")                       \
  X(46, kErrAssignmentTypes, "Types must match in an assignment")                                  \
  X(47, kErrExpectedConstantOrIdentifier, "Expected constant or identifier")                       \
  X(48, kErrStdFunctionArgument, "Argument of std. function of wrong type")                        \
  X(49, kErrExpectedConstantOrOverlayAdd, "Expected a constant or OVERLAYADD")                     \
  X(50, kErrIllegalConstantSymbol, "Illegal symbol for a constant")                                \
  X(51, kErrExpectedBecomes, "Expected BECOMES \":=\"")                                            \
  X(52, kErrExpectedThen, "Expected \"THEN\"")                                                     \
  X(53, kErrExpectedUntil, "Expected \"UNTIL\"")                                                   \
  X(54, kErrExpectedDo, "Expected \"DO\"")                                                         \
  X(55, kErrExpectedToOrDownto, "Expected \"TO\" OR \"DOWNTO\"")                                   \
  X(56, kErrExpectedBegin, "Expected \"BEGIN\"")                                                   \
  X(57, kErrExpectedEnd, "Expected \"END\"")                                                       \
  X(58, kErrExpectedFactorStart, "Expected ID, CONST, \"NOT\" OR \"(\"")                           \
  X(59, kErrCannotEvaluate, "Cannot evaluate expression")                                          \
  X(60, kErrInvalidSourceCharacter, "Invalid character in source ")                                \
  X(61, kErrConstantOutOfRange, "Constant out of range")                                           \
  X(62, kErrInvalidCaseLabelType, "Invalid type for case label")                                   \
  X(63, kErrSubrangeTypes, "Subrange types must be the same")                                      \
  X(64, kErrRangeNotPermitted, "\"..\" not permitted")                                             \
  X(65, kErrStringOrCharExpected, "String or char expected")                                       \
  X(66, kErrInvalidExternal, "Invalid use of External keyword")                                    \
  X(67, kErrLabelExpected, "Label identifier expected")                                            \
  X(68, kErrGotoOutsideBlock, "Goto target must be inside current block")                          \
  X(69, kErrCaretLeft, "Expected caret (^) on left side")                                          \
  X(70, kErrCaretRight, "Expected caret (^) on right side")                                        \
  X(71, kErrCaretBoth, "Caret on both sides ???")                                                  \
  X(72, kErrExpectedPointer, "Expected a pointer variable")                                        \
  X(73, kErrPointerAssignmentType, "Invalid type for pointer assignment")                          \
  X(74, kErrMainWithParameters, "Main procedure cannot have parameters")                           \
  X(75, kErrTypedConstantPointer, "Typed constant cannot be pointer")                              \
  X(76, kErrExpectedTrueFalse, "Expected TRUE or FALSE")                                           \
  X(77, kErrIllegalConstantValue, "Illegal constant")                                              \
  X(78, kErrExpectedComma, "Expected a comma \",\"")                                               \
  X(79, kErrExpectedFieldName, "Expected correct field name")                                      \
  X(80, kErrRealsNotSupported, "REALs are not supported")                                          \
  X(81, kErrUnsupportedStdFunction, "Unsupported standard pascal function")                        \
  X(82, kErrInvalidIncDecTarget, "Invalid target for inc/dec")                                     \
  X(83, kErrNumericExpected, "Numeric constant or variable expected")                              \
  X(84, kErrIllegalExpressionType, "Illegal type in expession")                                    \
  X(85, kErrLongintNotPermitted, "Longint not permitted here")                                     \
  X(86, kErrInvalidFilename, "Invalid filename")                                                   \
  X(87, kErrIncludeNotFound, "Include file not found")                                             \
  X(88, kErrTooManyIncludes, "To many nested include files")                                       \
  X(89, kErrInvalidDirective, "Invalid compiler directive")                                        \
  X(90, kErrContinueOutsideLoop, "Continue statement not applicable here")                         \
  X(91, kErrBreakOutsideLoop, "Break statement not applicable here")                               \
  X(92, kErrConstantNotEvaluable, "Cannot evaluate expression")                                    \
  X(93, kErrExpectedCodeAdd, "Expected constant or CODEADD")                                       \
  X(94, kErrExpectedDataAdd, "Expected constant or DATAADD")                                       \
  X(95, kErrExpectedLoadNext, "Expected constant or LOADNEXT")                                     \
  X(96, kErrStringExceedsLine, "String constant exceeds line")                                     \
  X(97, kErrPointerStoreType, "Word or Integer required to store pointe")                          \
  X(98, kErrOverlayNotTerminated, "Overlay area not terminated ({#O-})")                           \
  X(99, kErrOverlayNotActive, "Overlay system is not active")                                      \
  X(100, kErrOverlayNotInitialized, "Overlay memory not initialized")                              \
  X(101, kErrInvalidWord, "Invalid word")                                                          \
  X(102, kErrUnterminatedConditional, "Unterminated conditional (missing endif)")                  \
  X(103, kErrUnexpectedEnd, "Unexpected end of sourcefile")                                        \
  X(104, kErrExpectedLongint, "Expected LONGINT")                                                  \
  X(105, kErrExpectedRecord, "Expected RECORD")                                                    \
  X(106, kErrTypecastSize, "Invalid typecast (object size missmatch)")                             \
  X(107, kErrTypecastNotCastable, "Invalid typecast (object not castable)")                        \
  X(108, kErrTooManyDimensions, "To many dimensions (more than defined)")                          \
  X(109, kErrOverlayLevel, "Overlay level to great (level 1,2 only)")                              \
  X(110, kErrTooManyForwards, "To many forward declarations")                                      \
  X(111, kErrCancelled, "Compile canceled by user")                                                \
  X(112, kErrOverlayStartLevel, "Overlay start must be on level 1")                                \
  X(113, kErrExpectedCharacter, "Expected a character")

enum CompileErrorNumber : int {
#define VELKOR_ERROR_NAME(number, name, text) name = number,
  VELKOR_COMPILE_ERRORS(VELKOR_ERROR_NAME)
#undef VELKOR_ERROR_NAME
};

// Indexed by error number.
inline constexpr std::array CompilerErrorMessages = {
#define VELKOR_ERROR_TEXT(number, name, text) std::string_view(text),
    VELKOR_COMPILE_ERRORS(VELKOR_ERROR_TEXT)
#undef VELKOR_ERROR_TEXT
};
static_assert(CompilerErrorMessages.size() == kCompileErrorCount);

// The six-line report (file, empty line, previous line, current line, caret
// line, message), the editor positioning, then ECompileError. Never returns.
// A `detail` (where a comment opened, ...) follows the message on a line of
// its own, so the numbered text stays as it is.
[[noreturn]] void ReportCompileError(Compilation& c, int number, std::string_view detail = {});

// "Compiler table for <table> overflowed" and " Fatal termination of Orvalen",
// then ECompileError. Tables: "IDENTIFIER", "PROCEDURES", "ARRAYS", "LEVELS", "CODE".
[[noreturn]] void ReportTableOverflow(Compilation& c, std::string_view table);

// A message line and ECompileError without the source report: files that
// cannot be opened or read.
[[noreturn]] void AbandonCompilation(Compilation& c, const std::string& message,
                                     const std::string& detail = {});

} // namespace velkor
