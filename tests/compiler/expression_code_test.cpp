// The code of expressions, line by line: loads, the two-operand fold, the
// operators, comparisons, conversions, strings, sets, element addresses and
// predefined functions.

#include <gtest/gtest.h>

#include "compiler/expression.h"
#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

// Declares the variables of the tests: bytes B C, words V W, integers I J,
// long L, boolean F, char H, a string S (STRING[10]), a var-parameter
// word P, arrays A (ARRAY[0..9] OF BYTE), AW (ARRAY[1..10] OF
// WORD), A3 (ARRAY[0..4] OF a 3-byte record), A16 (ARRAY[0..3] OF a
// 16-byte array) and a record R (A: BYTE; B: WORD; C: LONGINT).
void Declare(Harness& h) {
  h.Var("B", kTypeByte, 1);
  h.Var("C", kTypeByte, 1);
  h.Var("V", kTypeWord, 2);
  h.Var("W", kTypeWord, 2);
  h.Var("I", kTypeInteger, 2);
  h.Var("J", kTypeInteger, 2);
  h.Var("L", kTypeLongint, 4);
  h.Var("F", kTypeBoolean, 1);
  h.Var("H", kTypeChar, 1);
  const int s = NewArrayDescriptor(h.c, kTypeInteger, 0, 10);
  SetArrayElement(h.c, s, kTypeChar, 0, 1, false);
  h.Var("S", kTypeArray, 11, static_cast<std::uint16_t>(s));
  h.c.Identifiers[static_cast<std::size_t>(h.Var("P", kTypeWord, 2))].byAddress = true;
  const int a = NewArrayDescriptor(h.c, kTypeInteger, 0, 9);
  SetArrayElement(h.c, a, kTypeByte, 0, 1, false);
  h.Var("A", kTypeArray, 10, static_cast<std::uint16_t>(a));
  const int aw = NewArrayDescriptor(h.c, kTypeInteger, 1, 10);
  SetArrayElement(h.c, aw, kTypeWord, 0, 2, false);
  h.Var("AW", kTypeArray, 20, static_cast<std::uint16_t>(aw));
  const int rec3 = NewBlock(h.c);
  h.c.Blocks[static_cast<std::size_t>(rec3)].variableSize = 3;
  const int a3 = NewArrayDescriptor(h.c, kTypeInteger, 0, 4);
  SetArrayElement(h.c, a3, kTypeRecord, static_cast<std::uint16_t>(rec3), 3, false);
  h.Var("A3", kTypeArray, 15, static_cast<std::uint16_t>(a3));
  const int inner = NewArrayDescriptor(h.c, kTypeInteger, 0, 15);
  SetArrayElement(h.c, inner, kTypeByte, 0, 1, false);
  const int a16 = NewArrayDescriptor(h.c, kTypeInteger, 0, 3);
  SetArrayElement(h.c, a16, kTypeArray, static_cast<std::uint16_t>(inner), 16, false);
  h.Var("A16", kTypeArray, 64, static_cast<std::uint16_t>(a16));
}

struct Result {
  Lines lines;
  ExprType type;
  std::string error; // the message of a compile error, empty without one
};

Result CompileExpression(const std::string& expression, CompileSettings settings = {}) {
  // The record type is read from the text before the expression.
  Harness h("RECORD A: BYTE; B: WORD; C: LONGINT END " + expression + " ;", std::move(settings));
  Declare(h);
  Result r;
  r.error = h.ErrorOf([&] {
    NextSymbol(h.c);
    const TypeInfo record = ParseType(h.c);
    h.Var("R", record.type, static_cast<std::uint16_t>(record.size), record.reference);
    // The first line of a list is never deleted: start after a CODE line.
    h.c.OutputLines = {"\tCODE"};
    r.type = Expression(h.c);
    if (h.c.Symbol != SymbolKind::Semicolon) ReportCompileError(h.c, kErrSyntax);
  });
  r.lines.assign(h.c.OutputLines.begin() + (h.c.OutputLines.empty() ? 0 : 1),
                 h.c.OutputLines.end());
  return r;
}

struct Golden {
  const char* expression;
  const char* code; // as Code() reads it
  std::uint8_t type;
};

void PrintTo(const Golden& g, std::ostream* os) {
  *os << g.expression;
}

class ExpressionCode : public ::testing::TestWithParam<Golden> {};

TEST_P(ExpressionCode, IsExactly) {
  const Result r = CompileExpression(GetParam().expression);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(Joined(r.lines), Joined(Code(GetParam().code)));
  EXPECT_EQ(r.type.type, GetParam().type);
}

// A few golden rows per operator family; the run tests execute them all.
INSTANTIATE_TEST_SUITE_P(
    Operands, ExpressionCode,
    ::testing::Values(
        Golden{"B", "ld hl,(T_B)|ld h,0|push hl", kTypeByte},
        Golden{"70000", "call __LintConst|dw 01170H,00001H", kTypeLongint},
        Golden{"P", "ld hl,(T_P)|ld e,(hl)|inc hl|ld d,(hl)|ex de,hl|push hl", kTypeWord},
        Golden{"-40000", "ld hl,0FFFFH|push hl|ld hl,063C0H|push hl", kTypeLongint},
        Golden{"AW[I]",
               "ld hl,T_AW|push hl|ld hl,(T_I)|dec hl|pop de|add hl,hl|add hl,de|ld "
               "e,(hl)|inc hl|ld d,(hl)|ex de,hl|push hl",
               kTypeWord},
        Golden{"ADDR(A3[I])",
               "ld hl,T_A3|push hl|ld hl,(T_I)|ld de,3|call __mult16HLDE|pop de|add "
               "hl,de|push hl",
               kTypeWord},
        Golden{"A16[I, 2]",
               "ld hl,T_A16|push hl|ld hl,(T_I)|ld b,4|call __shl16|pop de|add hl,de|push "
               "hl|ld hl,2|pop de|add hl,de|ld l,(hl)|ld h,0|push hl",
               kTypeByte}));

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, ExpressionCode,
    ::testing::Values(
        Golden{"V + 1", "ld hl,(T_V)|inc hl|push hl", kTypeWord},
        Golden{"V - 10", "ld de,10|ld hl,(T_V)|or a|sbc hl,de|push hl", kTypeWord},
        // An address is not a number: the general fold, no inc hl.
        Golden{"V + ADDR(W)", "ld hl,T_W|ld de,(T_V)|add hl,de|push hl", kTypeWord},
        Golden{"300 - V", "ld hl,(T_V)|ld de,300|ex de,hl|or a|sbc hl,de|push hl", kTypeWord},
        Golden{"I * J", "ld hl,(T_J)|ld de,(T_I)|call __Smult16HLDE|push hl", kTypeInteger},
        // BYTE SHL keeps the low byte.
        Golden{"B SHL 2", "ld hl,2|ld de,(T_B)|ld d,0|ld b,l|ex de,hl|call __shl16|ld h,0|push hl",
               kTypeByte},
        // BYTE and WORD widen with zeros, INTEGER with its sign.
        Golden{"L + B", "ld hl,T_L|call __Push32|ld hl,(T_B)|ld h,0|call __WordToLint|call __Add32",
               kTypeLongint},
        Golden{"I * L", "ld hl,(T_I)|push hl|ld hl,T_L|call __Push32|call __lintfix1|call __mult32",
               kTypeLongint}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, ExpressionCode,
    ::testing::Values(
        Golden{"B < C", "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_C)|ld h,0|call __less|push hl",
               kTypeBoolean},
        // WORD against INTEGER compares as LONGINT: 40000 > -1 holds.
        Golden{"W > I",
               "ld hl,(T_W)|push hl|ld hl,(T_I)|call __IntToLint|call __lintfix1w|call "
               "__lgreater|push hl",
               kTypeBoolean},
        // A WORD constant that fits an INTEGER needs no widening; one that does not still widens.
        Golden{"I <= 1000", "ld hl,(T_I)|push hl|ld hl,1000|call __Ilessorequ|push hl",
               kTypeBoolean},
        Golden{"I < 40000",
               "ld hl,(T_I)|push hl|ld hl,40000|call __WordToLint|call __lintfix1|call "
               "__lless|push hl",
               kTypeBoolean},
        Golden{"S = 'A'",
               "ld hl,T_S|call __PushString|ld hl,65|push hl|call __CharToString|call "
               "__sequ|push hl",
               kTypeBoolean}));

INSTANTIATE_TEST_SUITE_P(
    StringsSetsAndFunctions, ExpressionCode,
    ::testing::Values(
        // A literal used twice is pooled once.
        Golden{"'AB' + S + 'AB'",
               "ld hl,@@0|call __pushString|ld hl,T_S|call __PushString|call __AddStrings|ld "
               "hl,@@0|call __pushString|call __AddStrings",
               kTypeArray},
        Golden{"B IN [1, 3..5]",
               "ld hl,(T_B)|ld h,0|ld bc,@@0|ld de,$+6|jp __constset|DB 2|DB 1,1|DB "
               "3,5|@@0:|push hl",
               kTypeBoolean},
        // A byte port has B = 0, as the on-chip registers need.
        Golden{"INP(B)", "ld bc,(T_B)|ld b,0|in l,(c)|ld h,0|push hl", kTypeInteger},
        Golden{"HIWORD(L)", "ld hl,T_L|call __Push32|pop de", kTypeInteger},
        Golden{"SIZEOF(L) + V", "ld de,4|ld hl,(T_V)|add hl,de|push hl", kTypeWord}));

struct TypeError {
  const char* expression;
  int error;
};

class ExpressionErrors : public ::testing::TestWithParam<TypeError> {};

TEST_P(ExpressionErrors, Report) {
  EXPECT_EQ(CompileExpression(GetParam().expression).error, CompilerErrorMessages[GetParam().error])
      << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ExpressionErrors,
    ::testing::Values(
        TypeError{"B + S", kErrIllegalArithmeticType},
        TypeError{"F + L", kErrIllegalArithmeticType},
        TypeError{"F DIV F", kErrExpectedIntegerDivMod}, TypeError{"B = H", kErrRealsNotSupported},
        TypeError{"NOPE", kErrUndefinedIdentifier}, TypeError{")", kErrCannotEvaluate},
        TypeError{"INC", kErrExpectedVariableOrConstant}, TypeError{"V[1]", kErrIndexedNotArray},
        TypeError{"V.X", kErrFieldSelectorNotRecord}, TypeError{"R.", kErrExpectedIdentifier},
        TypeError{"R.Z", kErrExpectedFieldName}, TypeError{"A[S]", kErrIllegalSubscript},
        TypeError{"B^", kErrExpectedPointer}, TypeError{"WORD(B)", kErrTypecastSize},
        TypeError{"BYTE(S)", kErrTypecastNotCastable}, TypeError{"LENGTH(V)", kErrStringExpected},
        TypeError{"LO(L)", kErrExpectedInteger}, TypeError{"INP(L)", kErrLongintNotPermitted},
        TypeError{"ABS 1", kErrExpectedOpenParen}, TypeError{"ADDR(TRUE)", kErrExpectedVariable},
        TypeError{"B IN [300]", kErrConstantOutOfRange}));

TEST(ExpressionCode, CommonCodeIsFactoredUnderR) {
  Harness h("{#R+} A[I] + A[I] ;");
  Declare(h);
  NextSymbol(h.c);
  h.c.OutputLines = {"\tCODE"};
  Expression(h.c);
  EXPECT_EQ(Joined(h.c.OutputLines.Lines()),
            Joined(Code("CODE|call @@S0|ld l,(hl)|ld h,0|push hl|call @@S0|ld "
                        "l,(hl)|ld h,0|pop de|add hl,de|push hl")));
  ASSERT_EQ(h.c.CommonCodeBodies.size(), 1u);
  EXPECT_EQ(Joined(h.c.CommonCodeBodies[0]),
            Joined(Code("ld hl,T_A|push hl|ld hl,(T_I)|pop de|add hl,de|push hl")));
}

} // namespace
} // namespace velkor
