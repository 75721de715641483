// The scanner: symbols, constants and their folding, strings, comments and
// directives with conditional symbols.

#include <gtest/gtest.h>

#include <map>

#include "compiler/emit/output.h"
#include "front_support.h"

namespace velkor {
namespace {

using front_test::Harness;

std::string Describe(const Compilation& c) {
  using K = SymbolKind;
  static const std::map<K, std::string> kPlain = {
      {K::Plus, "+"},       {K::Minus, "-"},       {K::Times, "*"},        {K::Slash, "/"},
      {K::LeftParen, "("},  {K::RightParen, ")"},  {K::Becomes, ":="},     {K::Semicolon, ";"},
      {K::Comma, ","},      {K::Period, "."},      {K::Equal, "="},        {K::Less, "<"},
      {K::LessEqual, "<="}, {K::NotEqual, "<>"},   {K::Greater, ">"},      {K::GreaterEqual, ">="},
      {K::Caret, "^"},      {K::LeftBracket, "["}, {K::RightBracket, "]"}, {K::Begin, "BEGIN"},
      {K::Div, "DIV"},      {K::RealConst, "real"}};
  static const std::map<K, std::string> kNumbers = {{K::ByteConst, "byte:"},
                                                    {K::WordConst, "word:"},
                                                    {K::IntegerConst, "int:"},
                                                    {K::LongConst, "long:"},
                                                    {K::CharConst, "char:"}};
  if (const auto it = kPlain.find(c.Symbol); it != kPlain.end()) return it->second;
  if (const auto it = kNumbers.find(c.Symbol); it != kNumbers.end())
    return it->second + std::to_string(c.NumericValue);
  if (c.Symbol == K::StringConst) return "str:" + c.StringValue;
  if (c.Symbol == K::Identifier) return "id:" + c.IdentifierText;
  if (c.Symbol == K::Colon) return c.RangeFollows ? "..:" : ":";
  return "kind" + std::to_string(static_cast<int>(c.Symbol));
}

// The symbols of `text` up to the END that the helper appends; constants K = 4,
// N = 10, M = -7 and a variable X are declared.
std::vector<std::string> Symbols(Harness& h) {
  std::vector<std::string> out;
  for (;;) {
    try {
      NextSymbol(h.c);
    } catch (const ECompileError&) {
      out.push_back("error:" + h.LastMessage());
      return out;
    }
    if (h.c.Symbol == SymbolKind::End) return out;
    std::string d = Describe(h.c);
    if (h.c.RangeFollows && h.c.Symbol != SymbolKind::Colon) d += "..";
    out.push_back(d);
  }
}

std::vector<std::string> Symbols(const std::string& text) {
  Harness h(text + " END");
  h.Const("K", kTypeByte, 4);
  h.Const("N", kTypeByte, 10);
  h.Const("M", kTypeInteger, -7);
  h.Var("X", kTypeWord, 2);
  return Symbols(h);
}

// The error text a text ends with.
std::string ErrorOf(const std::string& text) {
  Harness h(text);
  h.Var("X", kTypeWord, 2);
  h.Const("C", kTypeChar, 65);
  const bool failed = h.Fails([&] {
    for (int i = 0; i < 100; ++i)
      NextSymbol(h.c);
  });
  return failed ? h.LastMessage() : "no error";
}

std::string Text(int error) {
  return std::string(CompilerErrorMessages[error]);
}

using V = std::vector<std::string>;

TEST(Scanner, BlanksDoNotChangeTheSymbols) {
  EXPECT_EQ(Symbols("x:=a+1"), Symbols("x := a + 1"));
  EXPECT_EQ(Symbols("x:=a+1"), (V{"id:X", ":=", "id:A", "+", "byte:1"}));
  // Every line end is a blank: a name never continues on the next line.
  EXPECT_EQ(Symbols("AB\nCD"), (V{"id:AB", "id:CD"}));
}

struct FoldCase {
  const char* text;
  std::vector<std::string> symbols;
};

class Folding : public ::testing::TestWithParam<FoldCase> {};

TEST_P(Folding, GivesTheseSymbols) {
  EXPECT_EQ(Symbols(GetParam().text), GetParam().symbols);
}

INSTANTIATE_TEST_SUITE_P(
    Constants, Folding,
    ::testing::Values(
        FoldCase{"N*2+1", {"byte:21"}}, FoldCase{"$FF", {"byte:255"}}, FoldCase{"%101", {"byte:5"}},
        FoldCase{"-1", {"-", "byte:1"}}, FoldCase{"300-400", {"int:-100"}},
        FoldCase{"70000", {"long:70000"}}, FoldCase{"256", {"word:256"}},
        FoldCase{"65535", {"word:65535"}}, FoldCase{"65536", {"long:65536"}},
        // Nine digits and more, either side of the plain-number shortcut.
        FoldCase{"999999999", {"long:999999999"}}, FoldCase{"0000000007", {"byte:7"}},
        FoldCase{"2147483647", {"long:2147483647"}}, FoldCase{"4294967295", {"int:-1"}},
        FoldCase{"$10+%11", {"byte:19"}}, FoldCase{"10/3", {"byte:3"}}, FoldCase{"M/2", {"int:-3"}},
        FoldCase{"K*2", {"byte:8"}}, FoldCase{"1..5", {"byte:1..", "..:", "byte:5"}},
        FoldCase{"1..=", {"byte:1..", "..:", "="}}, FoldCase{"1 .. 5", {"byte:1", "..:", "byte:5"}},
        FoldCase{"(2+3)*2", {"(", "byte:5", ")", "*", "byte:2"}}));

// Folding respects precedence: a run after a higher-precedence operator
// folds only its first operand, and a name bound to * or / keeps its operand.
INSTANTIATE_TEST_SUITE_P(
    Precedence, Folding,
    ::testing::Values(FoldCase{"X*2+1", {"id:X", "*", "byte:2", "+", "byte:1"}},
                      FoldCase{"X-2+3", {"id:X", "-", "byte:2", "+", "byte:3"}},
                      FoldCase{"-2+3", {"-", "byte:2", "+", "byte:3"}},
                      FoldCase{"2+3*X", {"byte:2", "+", "byte:3", "*", "id:X"}},
                      FoldCase{"2+(3*X)", {"byte:2", "+", "(", "byte:3", "*", "id:X", ")"}},
                      FoldCase{"2+3*(X+1)",
                               {"byte:2", "+", "byte:3", "*", "(", "id:X", "+", "byte:1", ")"}},
                      FoldCase{"K*2+X", {"byte:8", "+", "id:X"}},
                      FoldCase{"2*3+X", {"byte:6", "+", "id:X"}},
                      FoldCase{"X DIV 2*3", {"id:X", "DIV", "byte:2", "*", "byte:3"}},
                      FoldCase{"X-K*2", {"id:X", "-", "byte:4", "*", "byte:2"}},
                      FoldCase{"2-3*X", {"byte:2", "-", "byte:3", "*", "id:X"}}));

TEST(Scanner, FoldingErrorsAreError92) {
  EXPECT_EQ(ErrorOf("1/0 "), Text(92));
  EXPECT_EQ(ErrorOf("99999999999 "), Text(92));
  EXPECT_EQ(ErrorOf("SIZEOF(Q) "), Text(92));
  EXPECT_EQ(ErrorOf("$ "), Text(92));
  // A constant written against a // comment keeps the first "/".
  EXPECT_EQ(ErrorOf("5// comment\n"), Text(92));
}

TEST(Scanner, SizeofFoldsTheSizeOfAVariable) {
  Harness h("SIZEOF(X)+1 END");
  h.Var("X", kTypeLongint, 4);
  EXPECT_EQ(Symbols(h), (V{"byte:5"}));
  EXPECT_EQ(ErrorOf("SIZEOF X "), Text(9));
  EXPECT_EQ(ErrorOf("SIZEOF(X "), Text(4));
  EXPECT_EQ(ErrorOf("SIZEOF() "), Text(2));
  EXPECT_EQ(ErrorOf("SIZEOF(C) "), Text(37));
}

TEST(Scanner, RealConstants) {
  EXPECT_EQ(Symbols("1.5 2.0E3"), (V{"real", "real"}));
  EXPECT_EQ(ErrorOf("1.5E99 "), Text(21));
}

TEST(Scanner, StringLiterals) {
  EXPECT_EQ(Symbols("'A'"), (V{"char:65"}));
  EXPECT_EQ(Symbols("''"), (V{"str:"}));
  EXPECT_EQ(Symbols("'AB' + #13 + 'C'"), (V{"str:AB\rC"}));
  EXPECT_EQ(Symbols("'A' + x"), (V{"char:65", "+", "id:X"}));
  EXPECT_EQ(Symbols("'It''s'"), (V{"str:It's"}));
  EXPECT_EQ(Symbols("#$41#66"), (V{"str:AB"}));
  EXPECT_EQ(Symbols("#255"), (V{"char:255"}));
  EXPECT_EQ(ErrorOf("#256 "), Text(21));
  EXPECT_EQ(ErrorOf("# "), Text(6));
  EXPECT_EQ(ErrorOf("#1F "), Text(6));
  EXPECT_EQ(ErrorOf("'runs on\nto the next line'"), Text(96));
  // Parts joined across lines; the literal keeps 255 characters.
  std::string longText = "'" + std::string(200, 'x') + "' +\n'" + std::string(100, 'y') + "'";
  Harness h(longText + " END");
  NextSymbol(h.c);
  EXPECT_EQ(h.c.StringValue.size(), 255u);
}

TEST(Scanner, ReservedWords) {
  const char* words[] = {
      "ABSOLUTE", "AND",     "ARRAY",    "ASM",    "BEGIN",     "BREAK",   "CASE",   "CONST",
      "CONTINUE", "DIV",     "DO",       "DOWNTO", "ELSE",      "END",     "EXIT",   "EXTERNAL",
      "FOR",      "FORWARD", "FUNCTION", "GLOBAL", "GOTO",      "IF",      "IN",     "LABEL",
      "MOD",      "NOT",     "OF",       "OR",     "PROCEDURE", "PROGRAM", "RECORD", "REPEAT",
      "SHL",      "SHR",     "STRING",   "THEN",   "TO",        "TYPE",    "UNTIL",  "VAR",
      "WHILE",    "WITH",    "XOR"};
  EXPECT_EQ(std::size(words), static_cast<std::size_t>(kReservedWordCount));
  for (const char* w : words)
    EXPECT_NE(LookupReservedWord(w), SymbolKind::Identifier) << w;
  EXPECT_EQ(LookupReservedWord("BEGINS"), SymbolKind::Identifier);
  EXPECT_EQ(LookupReservedWord(""), SymbolKind::Identifier);
  EXPECT_EQ(LookupReservedWord("ZZZZ"), SymbolKind::Identifier);
  EXPECT_EQ(Symbols("begin Begin"), (V{"BEGIN", "BEGIN"}));
  EXPECT_EQ(Symbols("@X A@B _U1"), (V{"id:@", "id:X", "id:A@B", "id:_U1"}));
}

TEST(Scanner, OperatorsAndComments) {
  EXPECT_EQ(
      Symbols(":= : <= <> < >= > .. . ^ [ ] ( ) , ;"),
      (V{":=", ":", "<=", "<>", "<", ">=", ">", "..:", ".", "^", "[", "]", "(", ")", ",", ";"}));
  EXPECT_EQ(Symbols("A { comment } B (* another *) C // to the end\nD {} E"),
            (V{"id:A", "id:B", "id:C", "id:D", "id:E"}));
  EXPECT_EQ(Symbols("A {*} B { C } {*} D"), (V{"id:A", "id:D"}));
  EXPECT_EQ(Symbols("A {*! B !*} C"), (V{"id:A", "id:B", "id:C"}));
  EXPECT_EQ(ErrorOf("A ! B"), Text(24));
  EXPECT_EQ(ErrorOf("A ? B"), Text(24));
  EXPECT_EQ(ErrorOf("A \" B"), Text(24));
}

TEST(Scanner, ChrAndOrdFoldWhileAskedTo) {
  Harness h("CHR(65) ORD('B') ORD(7) CHR(X) END");
  h.Var("X", kTypeByte, 1);
  h.c.FoldChrOrd = true;
  NextSymbol(h.c);
  EXPECT_EQ(Describe(h.c), "char:65");
  NextSymbol(h.c);
  EXPECT_EQ(Describe(h.c), "byte:66");
  NextSymbol(h.c);
  EXPECT_EQ(Describe(h.c), "byte:7");
  EXPECT_TRUE(h.Fails([&] { NextSymbol(h.c); }));
  EXPECT_EQ(h.LastMessage(), Text(25));
  EXPECT_EQ(Symbols("CHR(65)"), (V{"id:CHR", "(", "byte:65", ")"}));
}

TEST(Scanner, CancelIsError111) {
  Harness h("A B END");
  NextSymbol(h.c);
  h.c.CancelRequested = true;
  EXPECT_TRUE(h.Fails([&] { NextSymbol(h.c); }));
  EXPECT_EQ(h.LastMessage(), Text(111));
}

TEST(Conditionals, OnlyTheTrueBranchIsCompiled) {
  const std::string prefix = "{#C DEFINE DEBUG} ";
  EXPECT_EQ(Symbols(prefix + "{#C IFDEFINED DEBUG} A {#C ELSE} B {#C ENDIF} C"),
            (V{"id:A", "id:C"}));
  EXPECT_EQ(Symbols(prefix + "{#C IFNOTDEFINED DEBUG} A {#C ELSE} B {#C ENDIF} C"),
            (V{"id:B", "id:C"}));
  EXPECT_EQ(Symbols("{#c ifdefined NOPE} A {#C ENDIF} C"), (V{"id:C"}));
  // Skipped text is scanned without folding or evaluating.
  EXPECT_EQ(Symbols("{#C IFDEFINED NOPE} 1/0 SIZEOF(Q) {#C ENDIF} C"), (V{"id:C"}));
}

TEST(Conditionals, AFalseBranchSkipsItsDirectives) {
  EXPECT_EQ(Symbols("{#C IFDEFINED NOPE}{#C DEFINE X}{#I missing.pas}{#P text}{#Z}{#C ENDIF}"
                    "{#C IFDEFINED X} A {#C ELSE} B {#C ENDIF}"),
            (V{"id:B"}));
  Harness h("{#C IFDEFINED NOPE}{#P skipped}{#C ENDIF}{#P kept} END");
  NextSymbol(h.c);
  EXPECT_EQ(h.c.OutputLines.Lines(), (front_test::Lines{" kept"}));
}

TEST(Conditionals, Errors) {
  EXPECT_EQ(ErrorOf("{#C DEFINE A}{#C DEFINE A}"), Text(1));
  EXPECT_EQ(ErrorOf("{#C WHATEVER}"), Text(101));
  EXPECT_EQ(ErrorOf("{#C DEFINE}"), Text(101));
  EXPECT_EQ(ErrorOf("{#C " + std::string(251, 'A')), Text(101));
  EXPECT_EQ(ErrorOf("{#C IFDEFINED NOPE} A B C"), Text(102));
  EXPECT_EQ(ErrorOf("A B"), Text(103));
}

TEST(Directives, SwitchesAndPassThrough) {
  Harness h("{#L-}{#R+}{#D-} A {#L+ ignored text} {#P ld a,1} {#P} END");
  NextSymbol(h.c);
  EXPECT_FALSE(h.c.DataLine);
  EXPECT_TRUE(h.c.FactorCommonCode);
  EXPECT_FALSE(h.c.ProgramPrefix);
  NextSymbol(h.c);
  EXPECT_TRUE(h.c.ProgramPrefix);
  EXPECT_EQ(h.c.OutputLines.Lines(), (front_test::Lines{" ld a,1"}));
  EXPECT_EQ(ErrorOf("{#D*}"), Text(89));
  EXPECT_EQ(ErrorOf("{#Q+}"), Text(89));
  EXPECT_EQ(ErrorOf("{#O X}"), Text(89));
}

TEST(Directives, Selector) {
  Harness h("{#S X} A {#S-} B END");
  const int x = h.Var("X", kTypeWord, 2);
  NextSymbol(h.c);
  EXPECT_EQ(h.c.SelectorVariable, x);
  EXPECT_TRUE(h.c.SelectorFirstPending);
  const int a = EnterIdentifier(h.c, "A", kKindVariable, 2);
  const int b = EnterIdentifier(h.c, "B2", kKindVariable, 2);
  EXPECT_TRUE(h.c.Identifiers[static_cast<std::size_t>(a)].firstAfterSelector);
  EXPECT_FALSE(h.c.Identifiers[static_cast<std::size_t>(b)].firstAfterSelector);
  EXPECT_EQ(h.c.Identifiers[static_cast<std::size_t>(b)].selector, x);
  NextSymbol(h.c);
  EXPECT_EQ(h.c.SelectorVariable, 0);
  EXPECT_EQ(ErrorOf("{#S NOPE}"), Text(0));
  EXPECT_EQ(ErrorOf("{#S C}"), Text(37));
}

} // namespace
} // namespace velkor
