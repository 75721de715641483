// The code of expressions, line by line: loads, the two-operand fold, the
// operators, comparisons, conversions, strings, sets, element addresses and
// predefined functions.

#include <gtest/gtest.h>

#include "compiler/expression.h"
#include "front_support.h"

namespace velkor {
namespace {

using front_test::Code;
using front_test::Harness;
using front_test::Lines;

// Declares the variables of the tests: bytes B C, words V W, integers I J,
// long L, boolean F, chars H K, strings S T (STRING[10]), a var-parameter
// word P and byte Q, arrays A (ARRAY[0..9] OF BYTE), AW (ARRAY[1..10] OF
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
  h.Var("K", kTypeChar, 1);
  const int s = NewArrayDescriptor(h.c, kTypeInteger, 0, 10);
  SetArrayElement(h.c, s, kTypeChar, 0, 1, false);
  h.Var("S", kTypeArray, 11, static_cast<std::uint16_t>(s));
  h.Var("T", kTypeArray, 11, static_cast<std::uint16_t>(s));
  h.c.Identifiers[static_cast<std::size_t>(h.Var("P", kTypeWord, 2))].byAddress = true;
  h.c.Identifiers[static_cast<std::size_t>(h.Var("Q", kTypeByte, 1))].byAddress = true;
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
  std::vector<std::string> externs;
};

Result Compile(const std::string& expression, CompileSettings settings = {}) {
  // The record type is read from the text before the expression.
  Harness h("RECORD A: BYTE; B: WORD; C: LONGINT END " + expression + " ;", std::move(settings));
  Declare(h);
  Result r;
  const bool failed = h.Fails([&] {
    NextSymbol(h.c);
    const TypeInfo record = ParseType(h.c);
    h.Var("R", record.type, static_cast<std::uint16_t>(record.size), record.reference);
    // The first line of a list is never deleted: start after a CODE line.
    h.c.OutputLines = {"\tCODE"};
    r.type = Expression(h.c);
    if (h.c.Symbol != SymbolKind::Semicolon) ReportCompileError(h.c, kErrSyntax);
  });
  if (failed) r.error = h.LastMessage();
  r.lines.assign(h.c.OutputLines.begin() + (h.c.OutputLines.empty() ? 0 : 1),
                 h.c.OutputLines.end());
  r.externs = h.c.ExternNames;
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
  const Result r = Compile(GetParam().expression);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(front_test::Joined(r.lines), front_test::Joined(Code(GetParam().code)));
  EXPECT_EQ(r.type.type, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, ExpressionCode,
    ::testing::Values(
        Golden{"B", "ld hl,(T_B)|ld h,0|push hl", kTypeByte},
        Golden{"V", "ld hl,(T_V)|push hl", kTypeWord},
        Golden{"300", "ld hl,300|push hl", kTypeWord},
        Golden{"70000", "call __LintConst|dw 01170H,00001H", kTypeLongint},
        Golden{"L", "ld hl,T_L|call __Push32", kTypeLongint},
        Golden{"S", "ld hl,T_S|call __PushString", kTypeArray},
        Golden{"P", "ld hl,(T_P)|ld e,(hl)|inc hl|ld d,(hl)|ex de,hl|push hl", kTypeWord},
        Golden{"Q", "ld hl,(T_Q)|ld e,(hl)|ld d,0|ex de,hl|push hl", kTypeByte},
        Golden{"ADDR(W)", "ld hl,T_W|push hl", kTypeWord},
        Golden{"@W", "ld hl,T_W|push hl", kTypeWord}, Golden{"'A'", "ld hl,65|push hl", kTypeChar},
        Golden{"TRUE", "ld hl,1|push hl", kTypeBoolean},
        Golden{"R.C", "ld hl,T_R+3|call __Push32", kTypeLongint},
        Golden{"R.A", "ld hl,T_R|ld l,(hl)|ld h,0|push hl", kTypeByte},
        Golden{"R.B", "ld hl,T_R+1|ld e,(hl)|inc hl|ld d,(hl)|ex de,hl|push hl", kTypeWord}));

INSTANTIATE_TEST_SUITE_P(
    AddAndSubtractConstants, ExpressionCode,
    ::testing::Values(Golden{"V + 1", "ld hl,(T_V)|inc hl|push hl", kTypeWord},
                      Golden{"V + 4", "ld de,4|ld hl,(T_V)|add hl,de|push hl", kTypeWord},
                      Golden{"B + 1", "ld hl,(T_B)|ld h,0|inc hl|push hl", kTypeByte},
                      Golden{"3 + V", "ld hl,(T_V)|inc hl|inc hl|inc hl|push hl", kTypeWord},
                      Golden{"9 + B", "ld de,9|ld hl,(T_B)|ld h,0|add hl,de|push hl", kTypeByte},
                      Golden{"V - 2", "ld hl,(T_V)|dec hl|dec hl|push hl", kTypeWord},
                      Golden{"V - 10", "ld de,10|ld hl,(T_V)|or a|sbc hl,de|push hl", kTypeWord},
                      Golden{"V + 0", "ld hl,(T_V)|push hl", kTypeWord},
                      // An address is not a number: the general fold, no inc hl.
                      Golden{"V + ADDR(W)", "ld hl,T_W|ld de,(T_V)|add hl,de|push hl", kTypeWord}));

INSTANTIATE_TEST_SUITE_P(
    TwoOperandFold, ExpressionCode,
    ::testing::Values(
        Golden{"V + W", "ld hl,(T_W)|ld de,(T_V)|add hl,de|push hl", kTypeWord},
        Golden{"V - W", "ld hl,(T_W)|ld de,(T_V)|ex de,hl|or a|sbc hl,de|push hl", kTypeWord},
        Golden{"300 - V", "ld hl,(T_V)|ld de,300|ex de,hl|or a|sbc hl,de|push hl", kTypeWord},
        Golden{"V * 300", "ld hl,300|ld de,(T_V)|call __mult16HLDE|push hl", kTypeWord},
        Golden{"B * 300", "ld hl,300|ld de,(T_B)|ld d,0|call __mult16HLDE|push hl", kTypeWord},
        Golden{"300 * B", "ld hl,(T_B)|ld h,0|ld de,300|call __mult16HLDE|push hl", kTypeWord},
        Golden{"V * B", "ld hl,(T_B)|ld h,0|ld de,(T_V)|call __mult16HLDE|push hl", kTypeWord},
        Golden{"V * W", "ld hl,(T_W)|ld de,(T_V)|call __mult16HLDE|push hl", kTypeWord},
        Golden{"I * J", "ld hl,(T_J)|ld de,(T_I)|call __Smult16HLDE|push hl", kTypeInteger},
        Golden{"V DIV W", "ld hl,(T_W)|ld de,(T_V)|ex de,hl|call __div16HLDE|push hl", kTypeWord},
        Golden{"I DIV J", "ld hl,(T_J)|ld de,(T_I)|ex de,hl|call __Sdiv16HLDE|push hl",
               kTypeInteger},
        Golden{"V MOD W", "ld hl,(T_W)|ld de,(T_V)|ex de,hl|call __mod16HLDE|push hl", kTypeWord},
        // INTEGER MOD keeps the dividend's sign: -7 MOD 3 is -1.
        Golden{"I MOD J", "ld hl,(T_J)|ld de,(T_I)|ex de,hl|call __Smod16HLDE|push hl",
               kTypeInteger},
        Golden{"V SHL W", "ld hl,(T_W)|ld de,(T_V)|ld b,l|ex de,hl|call __shl16|push hl",
               kTypeWord},
        Golden{"V AND W", "ld hl,(T_W)|ld de,(T_V)|ld a,l|and e|ld l,a|ld a,h|and d|ld h,a|push hl",
               kTypeWord},
        Golden{"V XOR W", "ld hl,(T_W)|ld de,(T_V)|ld a,l|xor e|ld l,a|ld a,h|xor d|ld h,a|push hl",
               kTypeWord}));

INSTANTIATE_TEST_SUITE_P(
    ByteOperations, ExpressionCode,
    ::testing::Values(
        // Two byte variables have no fold row.
        Golden{"B OR C",
               "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_C)|ld h,0|pop de|ld a,l|or e|ld l,a|ld "
               "h,0|push hl",
               kTypeByte},
        Golden{"F AND TRUE", "ld hl,1|ld de,(T_F)|ld d,0|ld a,l|and e|ld l,a|ld h,0|push hl",
               kTypeBoolean},
        // BYTE SHL keeps the low byte.
        Golden{"B SHL 2", "ld hl,2|ld de,(T_B)|ld d,0|ld b,l|ex de,hl|call __shl16|ld h,0|push hl",
               kTypeByte}));

INSTANTIATE_TEST_SUITE_P(
    Unary, ExpressionCode,
    ::testing::Values(Golden{"-5", "ld hl,0FFFBH|push hl", kTypeInteger},
                      Golden{"-300", "ld hl,0FED4H|push hl", kTypeInteger},
                      Golden{"-32768", "ld hl,08000H|push hl", kTypeInteger},
                      Golden{"-40000", "ld hl,0FFFFH|push hl|ld hl,063C0H|push hl", kTypeLongint},
                      Golden{"-(-5)", "ld hl,00005H|push hl", kTypeInteger},
                      Golden{"-I", "ld hl,(T_I)|push hl|call __NegInt", kTypeInteger},
                      Golden{"-V", "ld hl,(T_V)|call __WordToLint|call __NegLint", kTypeLongint},
                      Golden{"-L", "ld hl,T_L|call __Push32|call __NegLint", kTypeLongint},
                      Golden{"NOT F", "ld hl,(T_F)|ld h,0|call __notBool|push hl", kTypeBoolean},
                      Golden{"NOT V", "ld hl,(T_V)|call __notInt|push hl", kTypeWord},
                      Golden{"NOT L", "ld hl,T_L|call __Push32|call __notLint", kTypeLongint}));

INSTANTIATE_TEST_SUITE_P(
    LongOperands, ExpressionCode,
    ::testing::Values(
        Golden{"L + L", "ld hl,T_L|call __Push32|ld hl,T_L|call __Push32|call __Add32",
               kTypeLongint},
        // BYTE and WORD widen with zeros, INTEGER with its sign.
        Golden{"L + B", "ld hl,T_L|call __Push32|ld hl,(T_B)|ld h,0|call __WordToLint|call __Add32",
               kTypeLongint},
        Golden{"L - I", "ld hl,T_L|call __Push32|ld hl,(T_I)|call __IntToLint|call __sub32",
               kTypeLongint},
        Golden{"I * L", "ld hl,(T_I)|push hl|ld hl,T_L|call __Push32|call __lintfix1|call __mult32",
               kTypeLongint},
        Golden{"W DIV L",
               "ld hl,(T_W)|push hl|ld hl,T_L|call __Push32|call __lintfix1w|call __div32",
               kTypeLongint}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, ExpressionCode,
    ::testing::Values(
        Golden{"V = W", "ld hl,(T_V)|push hl|ld hl,(T_W)|call __equ|push hl", kTypeBoolean},
        Golden{"V <> 3", "ld hl,(T_V)|push hl|ld hl,3|call __notequ|push hl", kTypeBoolean},
        Golden{"B < C", "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_C)|ld h,0|call __less|push hl",
               kTypeBoolean},
        Golden{"I <= J", "ld hl,(T_I)|push hl|ld hl,(T_J)|call __Ilessorequ|push hl", kTypeBoolean},
        Golden{"B > I", "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_I)|call __Igreater|push hl",
               kTypeBoolean},
        Golden{"H >= K",
               "ld hl,(T_H)|ld h,0|push hl|ld hl,(T_K)|ld h,0|call __greaterorequ|push hl",
               kTypeBoolean},
        Golden{"L = 5", "ld hl,T_L|call __Push32|ld hl,5|call __WordToLint|call __lequ|push hl",
               kTypeBoolean},
        // WORD against INTEGER compares as LONGINT: 40000 > -1 holds.
        Golden{"W > I",
               "ld hl,(T_W)|push hl|ld hl,(T_I)|call __IntToLint|call __lintfix1w|call "
               "__lgreater|push hl",
               kTypeBoolean},
        // A WORD constant that fits an INTEGER needs no widening; one that does not still widens.
        Golden{"I <= 1000", "ld hl,(T_I)|push hl|ld hl,1000|call __Ilessorequ|push hl",
               kTypeBoolean},
        Golden{"(32767) > I", "ld hl,32767|push hl|ld hl,(T_I)|call __Igreater|push hl",
               kTypeBoolean},
        Golden{"I < 40000",
               "ld hl,(T_I)|push hl|ld hl,40000|call __WordToLint|call __lintfix1|call "
               "__lless|push hl",
               kTypeBoolean},
        // Not a lone constant: W * 1 is a WORD expression.
        Golden{"I < 1000 * W",
               "ld hl,(T_I)|push hl|ld hl,(T_W)|ld de,1000|call __mult16HLDE|call "
               "__WordToLint|call __lintfix1|call __lless|push hl",
               kTypeBoolean},
        Golden{"S < T",
               "ld hl,T_S|call __PushString|ld hl,T_T|call __PushString|call __sless|push hl",
               kTypeBoolean},
        Golden{"S = 'A'",
               "ld hl,T_S|call __PushString|ld hl,65|push hl|call __CharToString|call "
               "__sequ|push hl",
               kTypeBoolean}));

INSTANTIATE_TEST_SUITE_P(
    StringsAndSets, ExpressionCode,
    ::testing::Values(
        Golden{"'AB' + 'AB'", "ld hl,@@0|call __pushString", kTypeArray},
        // A literal used twice is pooled once.
        Golden{"'AB' + S + 'AB'",
               "ld hl,@@0|call __pushString|ld hl,T_S|call __PushString|call __AddStrings|ld "
               "hl,@@0|call __pushString|call __AddStrings",
               kTypeArray},
        Golden{"S + H",
               "ld hl,T_S|call __PushString|ld hl,(T_H)|ld h,0|push hl|call __AddCharToString",
               kTypeArray},
        Golden{"H + S",
               "ld hl,(T_H)|ld h,0|push hl|ld hl,T_S|call __PushString|call __AddStringToChar",
               kTypeArray},
        Golden{"H + K",
               "ld hl,(T_H)|ld h,0|push hl|ld hl,(T_K)|ld h,0|push hl|call __TwoCharsToString",
               kTypeArray},
        Golden{"B IN [1, 3..5]",
               "ld hl,(T_B)|ld h,0|ld bc,@@0|ld de,$+6|jp __constset|DB 2|DB 1,1|DB "
               "3,5|@@0:|push hl",
               kTypeBoolean}));

INSTANTIATE_TEST_SUITE_P(
    ElementAddresses, ExpressionCode,
    ::testing::Values(
        Golden{"A[3]", "ld hl,T_A+3|ld l,(hl)|ld h,0|push hl", kTypeByte},
        Golden{"A[B]",
               "ld hl,T_A|push hl|ld hl,(T_B)|ld h,0|pop de|add hl,de|ld l,(hl)|ld h,0|push hl",
               kTypeByte},
        Golden{"AW[I]",
               "ld hl,T_AW|push hl|ld hl,(T_I)|dec hl|pop de|add hl,hl|add hl,de|ld "
               "e,(hl)|inc hl|ld d,(hl)|ex de,hl|push hl",
               kTypeWord},
        Golden{"ADDR(A3[I])",
               "ld hl,T_A3|push hl|ld hl,(T_I)|ld de,3|call __mult16HLDE|pop de|add "
               "hl,de|push hl",
               kTypeWord},
        Golden{"ADDR(A3[2])", "ld hl,T_A3+6|push hl", kTypeWord},
        Golden{"A16[I][2]",
               "ld hl,T_A16|push hl|ld hl,(T_I)|ld b,4|call __shl16|pop de|add hl,de|push "
               "hl|ld hl,2|pop de|add hl,de|ld l,(hl)|ld h,0|push hl",
               kTypeByte},
        Golden{"A16[I, 2]",
               "ld hl,T_A16|push hl|ld hl,(T_I)|ld b,4|call __shl16|pop de|add hl,de|push "
               "hl|ld hl,2|pop de|add hl,de|ld l,(hl)|ld h,0|push hl",
               kTypeByte}));

INSTANTIATE_TEST_SUITE_P(
    PredefinedFunctions, ExpressionCode,
    ::testing::Values(
        Golden{"LENGTH(S)", "ld hl,T_S|ld l,(hl)|ld h,0|push hl", kTypeByte},
        Golden{"HI(V)", "ld hl,(T_V)|ld l,h|ld h,0|push hl", kTypeInteger},
        Golden{"LO(V)", "ld hl,(T_V)|ld h,0|push hl", kTypeInteger},
        Golden{"INP($80)", "ld bc,128|in l,(c)|ld h,0|push hl", kTypeInteger},
        Golden{"INP(V)", "ld bc,(T_V)|in l,(c)|ld h,0|push hl", kTypeInteger},
        // A byte port has B = 0, as the on-chip registers need.
        Golden{"INP(B)", "ld bc,(T_B)|ld b,0|in l,(c)|ld h,0|push hl", kTypeInteger},
        Golden{"INP(V+1)", "ld hl,(T_V)|inc hl|push hl|pop bc|in l,(c)|ld h,0|push hl",
               kTypeInteger},
        Golden{"SUCC(I)", "ld hl,(T_I)|call __succ16|push hl", kTypeInteger},
        Golden{"PRED(V)", "ld hl,(T_V)|call __pred16w|push hl", kTypeWord},
        Golden{"SUCC(H)", "ld hl,(T_H)|ld h,0|call __succ8|push hl", kTypeChar},
        Golden{"ABS(I)", "ld hl,(T_I)|push hl|call __intABS", kTypeInteger},
        Golden{"ODD(L)", "ld hl,T_L|call __Push32|call __lintODD", kTypeBoolean},
        Golden{"UPCASE(H)", "ld hl,(T_H)|ld h,0|call __UpCase|push hl", kTypeChar},
        Golden{"LOWORD(L)", "ld hl,T_L|call __Push32|pop hl|pop de|push hl", kTypeInteger},
        Golden{"HIWORD(L)", "ld hl,T_L|call __Push32|pop de", kTypeInteger},
        Golden{"INTTOSTR(V)", "ld hl,(T_V)|push hl|call __WordToStr", kTypeArray},
        Golden{"INTTOHEX(B, 2)", "ld hl,(T_B)|ld h,0|push hl|ld hl,2|push hl|call __ByteToHexStr",
               kTypeArray},
        Golden{"STRTOINT(S)", "ld hl,T_S|call __PushString|call __StrToInt", kTypeLongint},
        Golden{"POS('AB', S)", "ld hl,@@0|call __pushString|ld hl,T_S|push hl|ld hl,1|call __POSN",
               kTypeInteger},
        Golden{"COPY(S, 2, B)",
               "ld hl,T_S|push hl|ld hl,2|push hl|ld hl,(T_B)|ld h,0|push hl|call __CopyString",
               kTypeArray},
        Golden{"SIZEOF(L) + V", "ld de,4|ld hl,(T_V)|add hl,de|push hl", kTypeWord},
        Golden{"HEAPPTR", "call __GetHeapPtr|push hl", kTypeWord}));

TEST(ExpressionCode, Z180MultipliesBytesWithMlt) {
  CompileSettings z180;
  z180.Z180 = true;
  const Result r = Compile("B * C", z180);
  EXPECT_EQ(front_test::Joined(r.lines),
            front_test::Joined(Code(
                "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_C)|ld h,0|pop de|ld h,e|mlt hl|push hl")));
  EXPECT_EQ(front_test::Joined(Compile("B * C").lines).find("mlt"), std::string::npos);
}

TEST(ExpressionCode, EveryCalledRoutineIsExternOnce) {
  const Result r = Compile("(L + L) * L + I * J + I * J");
  EXPECT_EQ(r.externs, (std::vector<std::string>{"__Push32", "__Add32", "__mult32", "__Smult16HLDE",
                                                 "__IntToLint"}));
}

struct TypeError {
  const char* expression;
  int error;
};

class ExpressionErrors : public ::testing::TestWithParam<TypeError> {};

TEST_P(ExpressionErrors, Report) {
  EXPECT_EQ(Compile(GetParam().expression).error, CompilerErrorMessages[GetParam().error])
      << GetParam().expression;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ExpressionErrors,
    ::testing::Values(
        TypeError{"B + S", kErrIllegalArithmeticType},
        TypeError{"S - T", kErrIllegalArithmeticType},
        TypeError{"F + L", kErrIllegalArithmeticType},
        TypeError{"R + 1", kErrIllegalArithmeticType},
        TypeError{"H * 2", kErrIllegalArithmeticType},
        TypeError{"F DIV F", kErrExpectedIntegerDivMod}, TypeError{"B = H", kErrRealsNotSupported},
        TypeError{"S = B", kErrRealsNotSupported}, TypeError{"1.5", kErrRealsNotSupported},
        TypeError{"NOPE", kErrUndefinedIdentifier}, TypeError{"(V", kErrExpectedCloseParen},
        TypeError{")", kErrCannotEvaluate}, TypeError{"INC", kErrExpectedVariableOrConstant},
        TypeError{"V[1]", kErrIndexedNotArray}, TypeError{"V.X", kErrFieldSelectorNotRecord},
        TypeError{"R.", kErrExpectedIdentifier}, TypeError{"R.Z", kErrExpectedFieldName},
        TypeError{"A[S]", kErrIllegalSubscript}, TypeError{"A[1", kErrExpectedCloseBracket},
        TypeError{"A[1, 2]", kErrTooManyDimensions}, TypeError{"B^", kErrExpectedPointer},
        TypeError{"WORD(B)", kErrTypecastSize}, TypeError{"BYTE(S)", kErrTypecastNotCastable},
        TypeError{"LENGTH(V)", kErrStringExpected}, TypeError{"LO(L)", kErrExpectedInteger},
        TypeError{"HIWORD(V)", kErrExpectedLongint}, TypeError{"UPCASE(B)", kErrExpectedCharacter},
        TypeError{"ABS(S)", kErrStdFunctionArgument}, TypeError{"INP(L)", kErrLongintNotPermitted},
        TypeError{"INP(S)", kErrNumericExpected},
        TypeError{"INTTOSTR(S)", kErrExpectedVariableOrConstant},
        TypeError{"ABS 1", kErrExpectedOpenParen}, TypeError{"POSN(S, T, L)", kErrExpectedInteger},
        TypeError{"ADDR(NOPE)", kErrUndefinedIdentifier},
        TypeError{"ADDR(TRUE)", kErrExpectedVariable},
        TypeError{"B IN [300]", kErrConstantOutOfRange},
        TypeError{"B IN [1 2]", kErrExpectedCloseBracket}));

TEST(ExpressionCode, CommonCodeIsFactoredUnderR) {
  Harness h("{#R+} A[I] + A[I] ;");
  Declare(h);
  NextSymbol(h.c);
  h.c.OutputLines = {"\tCODE"};
  Expression(h.c);
  EXPECT_EQ(front_test::Joined(h.c.OutputLines.Lines()),
            front_test::Joined(Code("CODE|call @@S0|ld l,(hl)|ld h,0|push hl|call @@S0|ld "
                                    "l,(hl)|ld h,0|pop de|add hl,de|push hl")));
  ASSERT_EQ(h.c.CommonCodeBodies.size(), 1u);
  EXPECT_EQ(front_test::Joined(h.c.CommonCodeBodies[0]),
            front_test::Joined(Code("ld hl,T_A|push hl|ld hl,(T_I)|pop de|add hl,de|push hl")));
}

} // namespace
} // namespace velkor
