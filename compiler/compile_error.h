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

// Indexed by error number; texts longer than the field are cut to it.
extern const std::array<std::string_view, kCompileErrorCount> CompilerErrorMessages;

// Error numbers by name, for readable call sites: ReportCompileError(c, kErrExpectedSemicolon).
enum CompileErrorNumber : int {
  kErrUndefinedIdentifier = 0,
  kErrMultipleDefinition = 1,
  kErrExpectedIdentifier = 2,
  kErrProcedureOrProgramExpected = 3,
  kErrExpectedCloseParen = 4,
  kErrExpectedColon = 5,
  kErrIncorrectSymbol = 6,
  kErrExpectedIdentifierOrVar = 7,
  kErrExpectedOf = 8,
  kErrExpectedOpenParen = 9,
  kErrExpectedIdArrayRecord = 10,
  kErrExpectedOpenBracket = 11,
  kErrExpectedCloseBracket = 12,
  kErrExpectedRange = 13,
  kErrExpectedSemicolon = 14,
  kErrUnsupportedResultType = 15,
  kErrExpectedEqual = 16,
  kErrExpectedBooleanExpression = 17,
  kErrLoopVariableType = 18,
  kErrInvalidLoopType = 19,
  kErrSyntax = 20,
  kErrNumberTooLarge = 21,
  kErrExpectedPeriodOrSemicolon = 22,
  kErrBadCaseType = 23,
  kErrIllegalCharacter = 24,
  kErrIllegalConstant = 25,
  kErrIllegalSubscript = 26,
  kErrIllegalBounds = 27,
  kErrIndexedNotArray = 28,
  kErrExpectedTypeIdentifier = 29,
  kErrUndefinedType = 30,
  kErrFieldSelectorNotRecord = 31,
  kErrExpectedBoolean = 32,
  kErrIllegalArithmeticType = 33,
  kErrExpectedIntegerDivMod = 34,
  kErrIncompatibleComparison = 35,
  kErrParameterTypes = 36,
  kErrExpectedVariable = 37,
  kErrStringExpected = 38,
  kErrParameterCount = 39,
  kErrIllegalReadParameters = 40,
  kErrIllegalWriteParameters = 41,
  kErrExpectedReal = 42,
  kErrExpectedInteger = 43,
  kErrExpectedVariableOrConstant = 44,
  kErrExpectedVariableOrProcedure = 45,
  kErrAssignmentTypes = 46,
  kErrExpectedConstantOrIdentifier = 47,
  kErrStdFunctionArgument = 48,
  kErrExpectedConstantOrOverlayAdd = 49,
  kErrIllegalConstantSymbol = 50,
  kErrExpectedBecomes = 51,
  kErrExpectedThen = 52,
  kErrExpectedUntil = 53,
  kErrExpectedDo = 54,
  kErrExpectedToOrDownto = 55,
  kErrExpectedBegin = 56,
  kErrExpectedEnd = 57,
  kErrExpectedFactorStart = 58,
  kErrCannotEvaluate = 59,
  kErrInvalidSourceCharacter = 60,
  kErrConstantOutOfRange = 61,
  kErrInvalidCaseLabelType = 62,
  kErrSubrangeTypes = 63,
  kErrRangeNotPermitted = 64,
  kErrStringOrCharExpected = 65,
  kErrInvalidExternal = 66,
  kErrLabelExpected = 67,
  kErrGotoOutsideBlock = 68,
  kErrCaretLeft = 69,
  kErrCaretRight = 70,
  kErrCaretBoth = 71,
  kErrExpectedPointer = 72,
  kErrPointerAssignmentType = 73,
  kErrMainWithParameters = 74,
  kErrTypedConstantPointer = 75,
  kErrExpectedTrueFalse = 76,
  kErrIllegalConstantValue = 77,
  kErrExpectedComma = 78,
  kErrExpectedFieldName = 79,
  kErrRealsNotSupported = 80,
  kErrUnsupportedStdFunction = 81,
  kErrInvalidIncDecTarget = 82,
  kErrNumericExpected = 83,
  kErrIllegalExpressionType = 84,
  kErrLongintNotPermitted = 85,
  kErrInvalidFilename = 86,
  kErrIncludeNotFound = 87,
  kErrTooManyIncludes = 88,
  kErrInvalidDirective = 89,
  kErrContinueOutsideLoop = 90,
  kErrBreakOutsideLoop = 91,
  kErrConstantNotEvaluable = 92,
  kErrExpectedCodeAdd = 93,
  kErrExpectedDataAdd = 94,
  kErrExpectedLoadNext = 95,
  kErrStringExceedsLine = 96,
  kErrPointerStoreType = 97,
  kErrOverlayNotTerminated = 98,
  kErrOverlayNotActive = 99,
  kErrOverlayNotInitialized = 100,
  kErrInvalidWord = 101,
  kErrUnterminatedConditional = 102,
  kErrUnexpectedEnd = 103,
  kErrExpectedLongint = 104,
  kErrExpectedRecord = 105,
  kErrTypecastSize = 106,
  kErrTypecastNotCastable = 107,
  kErrTooManyDimensions = 108,
  kErrOverlayLevel = 109,
  kErrTooManyForwards = 110,
  kErrCancelled = 111,
  kErrOverlayStartLevel = 112,
  kErrExpectedCharacter = 113,
};

// The six-line report (file, empty line, previous line, current line, caret
// line, message), the editor positioning, then ECompileError. Never returns.
[[noreturn]] void ReportCompileError(Compilation& c, int number);

// "Compiler table for <table> overflowed" and " Fatal termination of Orvalen",
// then ECompileError. Tables: "IDENTIFIER", "PROCEDURES", "ARRAYS", "LEVELS", "CODE".
[[noreturn]] void ReportTableOverflow(Compilation& c, std::string_view table);

// A message line and ECompileError without the source report: files that
// cannot be opened or read.
[[noreturn]] void AbandonCompilation(Compilation& c, const std::string& message);

} // namespace velkor
