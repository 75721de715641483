// The scanner: symbols, constants and their folding, strings, comments and
// directives with conditional symbols.

#include <gtest/gtest.h>

#include <map>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

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

// The symbols of `text` up to an END, or up to the error (the last item is
// then "error: " and its message); constants K = 4, N = 10, M = -7 and
// C = 'A' and a word variable X are declared.
std::vector<std::string> Symbols(const std::string& text) {
  Harness h(text + " END");
  h.Enter("K", kKindConstant, kTypeByte, 4);
  h.Enter("N", kKindConstant, kTypeByte, 10);
  h.Enter("M", kKindConstant, kTypeInteger, -7);
  h.Enter("C", kKindConstant, kTypeChar, 65);
  h.Enter("X", kKindVariable, kTypeWord, 2);
  std::vector<std::string> out;
  const std::string error = h.ErrorOf([&] {
    for (NextSymbol(h.c); h.c.Symbol != SymbolKind::End; NextSymbol(h.c))
      out.push_back(Describe(h.c) +
                    (h.c.RangeFollows && h.c.Symbol != SymbolKind::Colon ? ".." : ""));
  });
  if (!error.empty()) out.push_back("error: " + error);
  return out;
}

struct ScanCase {
  const char* text;
  std::vector<std::string> symbols;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.text;
}

class Scanner : public ::testing::TestWithParam<ScanCase> {};

TEST_P(Scanner, GivesTheseSymbols) {
  std::vector<std::string> expected = GetParam().symbols;
  if (expected.back().starts_with("error "))
    expected.back() =
        "error: " + std::string(CompilerErrorMessages[std::stoi(expected.back().substr(6))]);
  EXPECT_EQ(Symbols(GetParam().text), expected);
}

using V = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(
    Constants, Scanner,
    ::testing::Values(
        // Every line end is a blank: a name never continues on the next line.
        ScanCase{"x:=a+1 AB\nCD", {"id:X", ":=", "id:A", "+", "byte:1", "id:AB", "id:CD"}},
        ScanCase{"N*2+1", {"byte:21"}}, ScanCase{"300-400", {"int:-100"}},
        ScanCase{"256", {"word:256"}}, ScanCase{"65536", {"long:65536"}},
        // Nine digits and more, either side of the plain-number shortcut.
        ScanCase{"999999999", {"long:999999999"}}, ScanCase{"4294967295", {"int:-1"}},
        ScanCase{"$10+%11", {"byte:19"}}, ScanCase{"M/2", {"int:-3"}},
        ScanCase{"1..5", {"byte:1..", "..:", "byte:5"}},
        ScanCase{"1 .. 5", {"byte:1", "..:", "byte:5"}}, ScanCase{"1.5 2.0E3", {"real", "real"}},
        ScanCase{"1.5E99", {"error 21"}}, ScanCase{"1/0", {"error 92"}},
        ScanCase{"99999999999", {"error 92"}},
        // A constant written against a // comment keeps the first "/".
        ScanCase{"5// comment\n", {"error 92"}}, ScanCase{"SIZEOF(X)+1", {"byte:3"}},
        ScanCase{"SIZEOF(Q)", {"error 92"}}, ScanCase{"SIZEOF(C)", {"error 37"}}));

// Folding respects precedence: a run after a higher-precedence operator
// folds only its first operand, and a name bound to * or / keeps its operand.
INSTANTIATE_TEST_SUITE_P(
    Precedence, Scanner,
    ::testing::Values(ScanCase{"X*2+1", {"id:X", "*", "byte:2", "+", "byte:1"}},
                      ScanCase{"2+3*X", {"byte:2", "+", "byte:3", "*", "id:X"}},
                      ScanCase{"K*2+X", {"byte:8", "+", "id:X"}},
                      ScanCase{"X DIV 2*3", {"id:X", "DIV", "byte:2", "*", "byte:3"}},
                      ScanCase{"X-K*2", {"id:X", "-", "byte:4", "*", "byte:2"}}));

INSTANTIATE_TEST_SUITE_P(
    StringsAndComments, Scanner,
    ::testing::Values(
        ScanCase{"'A' + X", {"char:65", "+", "id:X"}}, ScanCase{"'AB' + #13 + 'C'", {"str:AB\rC"}},
        ScanCase{"'It''s'", {"str:It's"}}, ScanCase{"#$41#66", {"str:AB"}},
        ScanCase{"#255", {"char:255"}}, ScanCase{"#256", {"error 21"}},
        ScanCase{"#1F", {"error 6"}}, ScanCase{"'runs on\nto the next line'", {"error 96"}},
        ScanCase{":= : <= <> >= .. . ^ [ ] ( ) , ;",
                 {":=", ":", "<=", "<>", ">=", "..:", ".", "^", "[", "]", "(", ")", ",", ";"}},
        ScanCase{"begin @X A@B _U1", {"BEGIN", "id:@", "id:X", "id:A@B", "id:_U1"}},
        ScanCase{"A { c } B (* c *) C // c\nD {*} E { F } {*} G {*! H !*} I",
                 {"id:A", "id:B", "id:C", "id:D", "id:G", "id:H", "id:I"}},
        ScanCase{"A ? B", {"id:A", "error 24"}}));

INSTANTIATE_TEST_SUITE_P(
    Directives, Scanner,
    ::testing::Values(
        ScanCase{"{#C DEFINE D}{#C IFDEFINED D} A {#C ELSE} B {#C ENDIF} C", {"id:A", "id:C"}},
        ScanCase{"{#C DEFINE D}{#C IFNOTDEFINED D} A {#C ELSE} B {#C ENDIF}", {"id:B"}},
        // Skipped text is scanned without folding, evaluating or obeying directives.
        ScanCase{"{#c ifdefined NOPE} 1/0 SIZEOF(Q) {#C DEFINE Y}{#I missing.pas}{#C ENDIF}"
                 "{#C IFDEFINED Y} A {#C ENDIF} C",
                 {"id:C"}},
        ScanCase{"{#C DEFINE A}{#C DEFINE A}", {"error 1"}},
        ScanCase{"{#C WHATEVER}", {"error 101"}},
        ScanCase{"{#C IFDEFINED NOPE} A B", {"error 102"}}, ScanCase{"{#D*}", {"error 89"}},
        ScanCase{"{#O X}", {"error 89"}}, ScanCase{"{#S NOPE}", {"error 0"}},
        ScanCase{"{#S C}", {"error 37"}}));

TEST(ScannerState, LongLiteralsChrOrdAndPassThrough) {
  // Parts joined across lines; the literal keeps 255 characters.
  Harness h("'" + std::string(200, 'x') + "' +\n'" + std::string(100, 'y') +
            "' CHR(65) ORD('B') A {#L+ ignored} {#P ld a,1} {#P} END");
  NextSymbol(h.c);
  EXPECT_EQ(h.c.StringValue.size(), 255u);
  h.c.FoldChrOrd = true;
  NextSymbol(h.c);
  EXPECT_EQ(Describe(h.c), "char:65");
  NextSymbol(h.c);
  EXPECT_EQ(Describe(h.c), "byte:66");
  NextSymbol(h.c);
  NextSymbol(h.c);
  EXPECT_EQ(h.c.OutputLines.Lines(), (Lines{" ld a,1"}));
  EXPECT_EQ(Symbols("CHR(65)"), (V{"id:CHR", "(", "byte:65", ")"})) << "not folded unless asked";
}

} // namespace
} // namespace velkor
