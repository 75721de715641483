// The code of expressions, line by line: loads, the two-operand fold, the
// operators, comparisons, conversions, strings, sets, element addresses and
// predefined functions.

#include <gtest/gtest.h>

#include "compiler/expression.h"
#include "front_support.h"

namespace velkor {
namespace {

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
  Lines lines;
  std::uint8_t type;
};

void PrintTo(const Golden& g, std::ostream* os) {
  *os << g.expression;
}

class ExpressionCode : public ::testing::TestWithParam<Golden> {};

TEST_P(ExpressionCode, IsExactly) {
  const Result r = Compile(GetParam().expression);
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(front_test::Joined(r.lines), front_test::Joined(GetParam().lines));
  EXPECT_EQ(r.type.type, GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(
    Loads, ExpressionCode,
    ::testing::Values(
        Golden{"B", {"\tld hl,(T_B)", "\tld h,0", "\tpush hl"}, kTypeByte},
        Golden{"V", {"\tld hl,(T_V)", "\tpush hl"}, kTypeWord},
        Golden{"300", {"\tld hl,300", "\tpush hl"}, kTypeWord},
        Golden{"70000", {"\tcall __LintConst", "\tdw 01170H,00001H"}, kTypeLongint},
        Golden{"L", {"\tld hl,T_L", "\tcall __Push32"}, kTypeLongint},
        Golden{"S", {"\tld hl,T_S", "\tcall __PushString"}, kTypeArray},
        Golden{
            "P",
            {"\tld hl,(T_P)", "\tld e,(hl)", "\tinc hl", "\tld d,(hl)", "\tex de,hl", "\tpush hl"},
            kTypeWord},
        Golden{"Q",
               {"\tld hl,(T_Q)", "\tld e,(hl)", "\tld d,0", "\tex de,hl", "\tpush hl"},
               kTypeByte},
        Golden{"ADDR(W)", {"\tld hl,T_W", "\tpush hl"}, kTypeWord},
        Golden{"@W", {"\tld hl,T_W", "\tpush hl"}, kTypeWord},
        Golden{"'A'", {"\tld hl,65", "\tpush hl"}, kTypeChar},
        Golden{"TRUE", {"\tld hl,1", "\tpush hl"}, kTypeBoolean},
        Golden{"R.C", {"\tld hl,T_R+3", "\tcall __Push32"}, kTypeLongint},
        Golden{"R.A", {"\tld hl,T_R", "\tld l,(hl)", "\tld h,0", "\tpush hl"}, kTypeByte},
        Golden{
            "R.B",
            {"\tld hl,T_R+1", "\tld e,(hl)", "\tinc hl", "\tld d,(hl)", "\tex de,hl", "\tpush hl"},
            kTypeWord}));

INSTANTIATE_TEST_SUITE_P(
    AddAndSubtractConstants, ExpressionCode,
    ::testing::Values(
        Golden{"V + 1", {"\tld hl,(T_V)", "\tinc hl", "\tpush hl"}, kTypeWord},
        Golden{"V + 4", {"\tld de,4", "\tld hl,(T_V)", "\tadd hl,de", "\tpush hl"}, kTypeWord},
        Golden{"B + 1", {"\tld hl,(T_B)", "\tld h,0", "\tinc hl", "\tpush hl"}, kTypeByte},
        Golden{
            "3 + V", {"\tld hl,(T_V)", "\tinc hl", "\tinc hl", "\tinc hl", "\tpush hl"}, kTypeWord},
        Golden{"9 + B",
               {"\tld de,9", "\tld hl,(T_B)", "\tld h,0", "\tadd hl,de", "\tpush hl"},
               kTypeByte},
        Golden{"V - 2", {"\tld hl,(T_V)", "\tdec hl", "\tdec hl", "\tpush hl"}, kTypeWord},
        Golden{"V - 10",
               {"\tld de,10", "\tld hl,(T_V)", "\tor a", "\tsbc hl,de", "\tpush hl"},
               kTypeWord},
        Golden{"V + 0", {"\tld hl,(T_V)", "\tpush hl"}, kTypeWord},
        // An address is not a number: the general fold, no inc hl.
        Golden{"V + ADDR(W)",
               {"\tld hl,T_W", "\tld de,(T_V)", "\tadd hl,de", "\tpush hl"},
               kTypeWord}));

INSTANTIATE_TEST_SUITE_P(
    TwoOperandFold, ExpressionCode,
    ::testing::Values(
        Golden{"V + W", {"\tld hl,(T_W)", "\tld de,(T_V)", "\tadd hl,de", "\tpush hl"}, kTypeWord},
        Golden{
            "V - W",
            {"\tld hl,(T_W)", "\tld de,(T_V)", "\tex de,hl", "\tor a", "\tsbc hl,de", "\tpush hl"},
            kTypeWord},
        Golden{"300 - V",
               {"\tld hl,(T_V)", "\tld de,300", "\tex de,hl", "\tor a", "\tsbc hl,de", "\tpush hl"},
               kTypeWord},
        Golden{"V * 300",
               {"\tld hl,300", "\tld de,(T_V)", "\tcall __mult16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"B * 300",
               {"\tld hl,300", "\tld de,(T_B)", "\tld d,0", "\tcall __mult16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"300 * B",
               {"\tld hl,(T_B)", "\tld h,0", "\tld de,300", "\tcall __mult16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"V * B",
               {"\tld hl,(T_B)", "\tld h,0", "\tld de,(T_V)", "\tcall __mult16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"V * W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tcall __mult16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"I * J",
               {"\tld hl,(T_J)", "\tld de,(T_I)", "\tcall __Smult16HLDE", "\tpush hl"},
               kTypeInteger},
        Golden{"V DIV W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tex de,hl", "\tcall __div16HLDE", "\tpush hl"},
               kTypeWord},
        Golden{"I DIV J",
               {"\tld hl,(T_J)", "\tld de,(T_I)", "\tex de,hl", "\tcall __Sdiv16HLDE", "\tpush hl"},
               kTypeInteger},
        Golden{"V MOD W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tex de,hl", "\tcall __mod16HLDE", "\tpush hl"},
               kTypeWord},
        // INTEGER MOD keeps the dividend's sign: -7 MOD 3 is -1.
        Golden{"I MOD J",
               {"\tld hl,(T_J)", "\tld de,(T_I)", "\tex de,hl", "\tcall __Smod16HLDE", "\tpush hl"},
               kTypeInteger},
        Golden{"V SHL W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tld b,l", "\tex de,hl", "\tcall __shl16",
                "\tpush hl"},
               kTypeWord},
        Golden{"V AND W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tld a,l", "\tand e", "\tld l,a", "\tld a,h",
                "\tand d", "\tld h,a", "\tpush hl"},
               kTypeWord},
        Golden{"V XOR W",
               {"\tld hl,(T_W)", "\tld de,(T_V)", "\tld a,l", "\txor e", "\tld l,a", "\tld a,h",
                "\txor d", "\tld h,a", "\tpush hl"},
               kTypeWord}));

INSTANTIATE_TEST_SUITE_P(ByteOperations, ExpressionCode,
                         ::testing::Values(
                             // Two byte variables have no fold row.
                             Golden{"B OR C",
                                    {"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,(T_C)",
                                     "\tld h,0", "\tpop de", "\tld a,l", "\tor e", "\tld l,a",
                                     "\tld h,0", "\tpush hl"},
                                    kTypeByte},
                             Golden{"F AND TRUE",
                                    {"\tld hl,1", "\tld de,(T_F)", "\tld d,0", "\tld a,l",
                                     "\tand e", "\tld l,a", "\tld h,0", "\tpush hl"},
                                    kTypeBoolean},
                             // BYTE SHL keeps the low byte.
                             Golden{"B SHL 2",
                                    {"\tld hl,2", "\tld de,(T_B)", "\tld d,0", "\tld b,l",
                                     "\tex de,hl", "\tcall __shl16", "\tld h,0", "\tpush hl"},
                                    kTypeByte}));

INSTANTIATE_TEST_SUITE_P(
    Unary, ExpressionCode,
    ::testing::Values(
        Golden{"-5", {"\tld hl,0FFFBH", "\tpush hl"}, kTypeInteger},
        Golden{"-300", {"\tld hl,0FED4H", "\tpush hl"}, kTypeInteger},
        Golden{"-32768", {"\tld hl,08000H", "\tpush hl"}, kTypeInteger},
        Golden{
            "-40000", {"\tld hl,0FFFFH", "\tpush hl", "\tld hl,063C0H", "\tpush hl"}, kTypeLongint},
        Golden{"-(-5)", {"\tld hl,00005H", "\tpush hl"}, kTypeInteger},
        Golden{"-I", {"\tld hl,(T_I)", "\tpush hl", "\tcall __NegInt"}, kTypeInteger},
        Golden{"-V", {"\tld hl,(T_V)", "\tcall __WordToLint", "\tcall __NegLint"}, kTypeLongint},
        Golden{"-L", {"\tld hl,T_L", "\tcall __Push32", "\tcall __NegLint"}, kTypeLongint},
        Golden{
            "NOT F", {"\tld hl,(T_F)", "\tld h,0", "\tcall __notBool", "\tpush hl"}, kTypeBoolean},
        Golden{"NOT V", {"\tld hl,(T_V)", "\tcall __notInt", "\tpush hl"}, kTypeWord},
        Golden{"NOT L", {"\tld hl,T_L", "\tcall __Push32", "\tcall __notLint"}, kTypeLongint}));

INSTANTIATE_TEST_SUITE_P(
    LongOperands, ExpressionCode,
    ::testing::Values(Golden{"L + L",
                             {"\tld hl,T_L", "\tcall __Push32", "\tld hl,T_L", "\tcall __Push32",
                              "\tcall __Add32"},
                             kTypeLongint},
                      // BYTE and WORD widen with zeros, INTEGER with its sign.
                      Golden{"L + B",
                             {"\tld hl,T_L", "\tcall __Push32", "\tld hl,(T_B)", "\tld h,0",
                              "\tcall __WordToLint", "\tcall __Add32"},
                             kTypeLongint},
                      Golden{"L - I",
                             {"\tld hl,T_L", "\tcall __Push32", "\tld hl,(T_I)",
                              "\tcall __IntToLint", "\tcall __sub32"},
                             kTypeLongint},
                      Golden{"I * L",
                             {"\tld hl,(T_I)", "\tpush hl", "\tld hl,T_L", "\tcall __Push32",
                              "\tcall __lintfix1", "\tcall __mult32"},
                             kTypeLongint},
                      Golden{"W DIV L",
                             {"\tld hl,(T_W)", "\tpush hl", "\tld hl,T_L", "\tcall __Push32",
                              "\tcall __lintfix1w", "\tcall __div32"},
                             kTypeLongint}));

INSTANTIATE_TEST_SUITE_P(
    Comparisons, ExpressionCode,
    ::testing::Values(
        Golden{"V = W",
               {"\tld hl,(T_V)", "\tpush hl", "\tld hl,(T_W)", "\tcall __equ", "\tpush hl"},
               kTypeBoolean},
        Golden{"V <> 3",
               {"\tld hl,(T_V)", "\tpush hl", "\tld hl,3", "\tcall __notequ", "\tpush hl"},
               kTypeBoolean},
        Golden{"B < C",
               {"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,(T_C)", "\tld h,0",
                "\tcall __less", "\tpush hl"},
               kTypeBoolean},
        Golden{"I <= J",
               {"\tld hl,(T_I)", "\tpush hl", "\tld hl,(T_J)", "\tcall __Ilessorequ", "\tpush hl"},
               kTypeBoolean},
        Golden{"B > I",
               {"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,(T_I)", "\tcall __Igreater",
                "\tpush hl"},
               kTypeBoolean},
        Golden{"H >= K",
               {"\tld hl,(T_H)", "\tld h,0", "\tpush hl", "\tld hl,(T_K)", "\tld h,0",
                "\tcall __greaterorequ", "\tpush hl"},
               kTypeBoolean},
        Golden{"L = 5",
               {"\tld hl,T_L", "\tcall __Push32", "\tld hl,5", "\tcall __WordToLint",
                "\tcall __lequ", "\tpush hl"},
               kTypeBoolean},
        // WORD against INTEGER compares as LONGINT: 40000 > -1 holds.
        Golden{"W > I",
               {"\tld hl,(T_W)", "\tpush hl", "\tld hl,(T_I)", "\tcall __IntToLint",
                "\tcall __lintfix1w", "\tcall __lgreater", "\tpush hl"},
               kTypeBoolean},
        // A WORD constant that fits an INTEGER needs no widening; one that does not still widens.
        Golden{"I <= 1000",
               {"\tld hl,(T_I)", "\tpush hl", "\tld hl,1000", "\tcall __Ilessorequ", "\tpush hl"},
               kTypeBoolean},
        Golden{"(32767) > I",
               {"\tld hl,32767", "\tpush hl", "\tld hl,(T_I)", "\tcall __Igreater", "\tpush hl"},
               kTypeBoolean},
        Golden{"I < 40000",
               {"\tld hl,(T_I)", "\tpush hl", "\tld hl,40000", "\tcall __WordToLint",
                "\tcall __lintfix1", "\tcall __lless", "\tpush hl"},
               kTypeBoolean},
        // Not a lone constant: W * 1 is a WORD expression.
        Golden{"I < 1000 * W",
               {"\tld hl,(T_I)", "\tpush hl", "\tld hl,(T_W)", "\tld de,1000",
                "\tcall __mult16HLDE", "\tcall __WordToLint", "\tcall __lintfix1", "\tcall __lless",
                "\tpush hl"},
               kTypeBoolean},
        Golden{"S < T",
               {"\tld hl,T_S", "\tcall __PushString", "\tld hl,T_T", "\tcall __PushString",
                "\tcall __sless", "\tpush hl"},
               kTypeBoolean},
        Golden{"S = 'A'",
               {"\tld hl,T_S", "\tcall __PushString", "\tld hl,65", "\tpush hl",
                "\tcall __CharToString", "\tcall __sequ", "\tpush hl"},
               kTypeBoolean}));

INSTANTIATE_TEST_SUITE_P(
    StringsAndSets, ExpressionCode,
    ::testing::Values(
        Golden{"'AB' + 'AB'", {"\tld hl,@@0", "\tcall __pushString"}, kTypeArray},
        // A literal used twice is pooled once.
        Golden{"'AB' + S + 'AB'",
               {"\tld hl,@@0", "\tcall __pushString", "\tld hl,T_S", "\tcall __PushString",
                "\tcall __AddStrings", "\tld hl,@@0", "\tcall __pushString", "\tcall __AddStrings"},
               kTypeArray},
        Golden{"S + H",
               {"\tld hl,T_S", "\tcall __PushString", "\tld hl,(T_H)", "\tld h,0", "\tpush hl",
                "\tcall __AddCharToString"},
               kTypeArray},
        Golden{"H + S",
               {"\tld hl,(T_H)", "\tld h,0", "\tpush hl", "\tld hl,T_S", "\tcall __PushString",
                "\tcall __AddStringToChar"},
               kTypeArray},
        Golden{"H + K",
               {"\tld hl,(T_H)", "\tld h,0", "\tpush hl", "\tld hl,(T_K)", "\tld h,0", "\tpush hl",
                "\tcall __TwoCharsToString"},
               kTypeArray},
        Golden{"B IN [1, 3..5]",
               {"\tld hl,(T_B)", "\tld h,0", "\tld bc,@@0", "\tld de,$+6", "\tjp __constset",
                "\tDB 2", "\tDB 1,1", "\tDB 3,5", "@@0:", "\tpush hl"},
               kTypeBoolean}));

INSTANTIATE_TEST_SUITE_P(
    ElementAddresses, ExpressionCode,
    ::testing::Values(
        Golden{"A[3]", {"\tld hl,T_A+3", "\tld l,(hl)", "\tld h,0", "\tpush hl"}, kTypeByte},
        Golden{"A[B]",
               {"\tld hl,T_A", "\tpush hl", "\tld hl,(T_B)", "\tld h,0", "\tpop de", "\tadd hl,de",
                "\tld l,(hl)", "\tld h,0", "\tpush hl"},
               kTypeByte},
        Golden{"AW[I]",
               {"\tld hl,T_AW", "\tpush hl", "\tld hl,(T_I)", "\tdec hl", "\tpop de", "\tadd hl,hl",
                "\tadd hl,de", "\tld e,(hl)", "\tinc hl", "\tld d,(hl)", "\tex de,hl", "\tpush hl"},
               kTypeWord},
        Golden{"ADDR(A3[I])",
               {"\tld hl,T_A3", "\tpush hl", "\tld hl,(T_I)", "\tld de,3", "\tcall __mult16HLDE",
                "\tpop de", "\tadd hl,de", "\tpush hl"},
               kTypeWord},
        Golden{"ADDR(A3[2])", {"\tld hl,T_A3+6", "\tpush hl"}, kTypeWord},
        Golden{"A16[I][2]",
               {"\tld hl,T_A16", "\tpush hl", "\tld hl,(T_I)", "\tld b,4", "\tcall __shl16",
                "\tpop de", "\tadd hl,de", "\tpush hl", "\tld hl,2", "\tpop de", "\tadd hl,de",
                "\tld l,(hl)", "\tld h,0", "\tpush hl"},
               kTypeByte},
        Golden{"A16[I, 2]",
               {"\tld hl,T_A16", "\tpush hl", "\tld hl,(T_I)", "\tld b,4", "\tcall __shl16",
                "\tpop de", "\tadd hl,de", "\tpush hl", "\tld hl,2", "\tpop de", "\tadd hl,de",
                "\tld l,(hl)", "\tld h,0", "\tpush hl"},
               kTypeByte}));

INSTANTIATE_TEST_SUITE_P(
    PredefinedFunctions, ExpressionCode,
    ::testing::Values(
        Golden{"LENGTH(S)", {"\tld hl,T_S", "\tld l,(hl)", "\tld h,0", "\tpush hl"}, kTypeByte},
        Golden{"HI(V)", {"\tld hl,(T_V)", "\tld l,h", "\tld h,0", "\tpush hl"}, kTypeInteger},
        Golden{"LO(V)", {"\tld hl,(T_V)", "\tld h,0", "\tpush hl"}, kTypeInteger},
        Golden{"INP($80)", {"\tld bc,128", "\tin l,(c)", "\tld h,0", "\tpush hl"}, kTypeInteger},
        Golden{"INP(V)", {"\tld bc,(T_V)", "\tin l,(c)", "\tld h,0", "\tpush hl"}, kTypeInteger},
        // A byte port has B = 0, as the on-chip registers need.
        Golden{"INP(B)",
               {"\tld bc,(T_B)", "\tld b,0", "\tin l,(c)", "\tld h,0", "\tpush hl"},
               kTypeInteger},
        Golden{"INP(V+1)",
               {"\tld hl,(T_V)", "\tinc hl", "\tpush hl", "\tpop bc", "\tin l,(c)", "\tld h,0",
                "\tpush hl"},
               kTypeInteger},
        Golden{"SUCC(I)", {"\tld hl,(T_I)", "\tcall __succ16", "\tpush hl"}, kTypeInteger},
        Golden{"PRED(V)", {"\tld hl,(T_V)", "\tcall __pred16w", "\tpush hl"}, kTypeWord},
        Golden{"SUCC(H)", {"\tld hl,(T_H)", "\tld h,0", "\tcall __succ8", "\tpush hl"}, kTypeChar},
        Golden{"ABS(I)", {"\tld hl,(T_I)", "\tpush hl", "\tcall __intABS"}, kTypeInteger},
        Golden{"ODD(L)", {"\tld hl,T_L", "\tcall __Push32", "\tcall __lintODD"}, kTypeBoolean},
        Golden{
            "UPCASE(H)", {"\tld hl,(T_H)", "\tld h,0", "\tcall __UpCase", "\tpush hl"}, kTypeChar},
        Golden{"LOWORD(L)",
               {"\tld hl,T_L", "\tcall __Push32", "\tpop hl", "\tpop de", "\tpush hl"},
               kTypeInteger},
        Golden{"HIWORD(L)", {"\tld hl,T_L", "\tcall __Push32", "\tpop de"}, kTypeInteger},
        Golden{"INTTOSTR(V)", {"\tld hl,(T_V)", "\tpush hl", "\tcall __WordToStr"}, kTypeArray},
        Golden{"INTTOHEX(B, 2)",
               {"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,2", "\tpush hl",
                "\tcall __ByteToHexStr"},
               kTypeArray},
        Golden{"STRTOINT(S)",
               {"\tld hl,T_S", "\tcall __PushString", "\tcall __StrToInt"},
               kTypeLongint},
        Golden{"POS('AB', S)",
               {"\tld hl,@@0", "\tcall __pushString", "\tld hl,T_S", "\tpush hl", "\tld hl,1",
                "\tcall __POSN"},
               kTypeInteger},
        Golden{"COPY(S, 2, B)",
               {"\tld hl,T_S", "\tpush hl", "\tld hl,2", "\tpush hl", "\tld hl,(T_B)", "\tld h,0",
                "\tpush hl", "\tcall __CopyString"},
               kTypeArray},
        Golden{
            "SIZEOF(L) + V", {"\tld de,4", "\tld hl,(T_V)", "\tadd hl,de", "\tpush hl"}, kTypeWord},
        Golden{"HEAPPTR", {"\tcall __GetHeapPtr", "\tpush hl"}, kTypeWord}));

TEST(ExpressionCode, Z180MultipliesBytesWithMlt) {
  CompileSettings z180;
  z180.Z180 = true;
  const Result r = Compile("B * C", z180);
  EXPECT_EQ(front_test::Joined(r.lines),
            front_test::Joined({"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,(T_C)",
                                "\tld h,0", "\tpop de", "\tld h,e", "\tmlt hl", "\tpush hl"}));
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
            front_test::Joined({"\tCODE", "\tcall @@S0", "\tld l,(hl)", "\tld h,0", "\tpush hl",
                                "\tcall @@S0", "\tld l,(hl)", "\tld h,0", "\tpop de", "\tadd hl,de",
                                "\tpush hl"}));
  ASSERT_EQ(h.c.CommonCodeBodies.size(), 1u);
  EXPECT_EQ(front_test::Joined(h.c.CommonCodeBodies[0]),
            front_test::Joined({"\tld hl,T_A", "\tpush hl", "\tld hl,(T_I)", "\tpop de",
                                "\tadd hl,de", "\tpush hl"}));
}

} // namespace
} // namespace velkor
