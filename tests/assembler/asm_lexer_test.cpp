// Numbers and tokens of source lines.
#include "assembler/asm_lexer.h"
#include "assembler/source_file.h"

#include <gtest/gtest.h>

namespace velkor::asmsrc {
namespace {

TEST(AsmNumbers, SpellingsAndNames) {
  struct Case {
    const char* text;
    int value; // -1: not a number, so a name
  };
  for (const Case& c : {Case{"0FFH", 255},  Case{"FFH", 255},       Case{"255D", 255},
                        Case{"255", 255},   Case{"11111111B", 255}, Case{"$FF", 255},
                        Case{"0", 0},       Case{"65535", 65535},   Case{"0FFFFH", 65535},
                        Case{"10000H", -1}, Case{"65536", -1},      Case{"$", -1},
                        Case{"H", -1},      Case{"B", -1},          Case{"D", -1},
                        Case{"12B", -1},    Case{"ABH", 0xAB},      Case{"BCD", -1},
                        Case{"ADD", -1},    Case{"1E", -1},         Case{"$10000", -1},
                        Case{"DEH", 0xDE},  Case{"19D", 19},        Case{"0FFFFFFFFFFFFH", -1}}) {
    const auto n = ParseNumber(c.text);
    if (c.value < 0) {
      EXPECT_FALSE(n.has_value()) << c.text;
    } else {
      EXPECT_EQ(n.value_or(0xFFFF + 1), c.value) << c.text;
    }
  }
}

TEST(AsmNumbers, LoadAddressesAreThirtyTwoBit) {
  std::uint32_t v = 0;
  EXPECT_EQ(ParseLongNumber("12345H", v), LongNumber::Ok);
  EXPECT_EQ(v, 0x12345u);
  EXPECT_EQ(ParseLongNumber("100000", v), LongNumber::Ok);
  EXPECT_EQ(v, 100000u);
  EXPECT_EQ(ParseLongNumber("0FFFFFFEH", v), LongNumber::Ok);
  EXPECT_EQ(ParseLongNumber("0FFFFFFFH", v), LongNumber::Invalid);
  EXPECT_EQ(ParseLongNumber("12G4H", v), LongNumber::Invalid);
  EXPECT_EQ(ParseLongNumber("102B", v), LongNumber::Invalid);
  EXPECT_EQ(ParseLongNumber("", v), LongNumber::Invalid);
  EXPECT_EQ(ParseLongNumber("99999999999999999999", v), LongNumber::Invalid);
}

TEST(AsmTokens, BlanksAndCommasSeparateQuotesKeepCase) {
  TokenLine t;
  t.tokenize("lbl: ld a , b ; comment");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].text, "LBL:");
  EXPECT_EQ(t[1].text, "LD");
  EXPECT_EQ(t[2].text, "A");
  EXPECT_FALSE(t[2].commaFollows);
  EXPECT_EQ(t[3].text, "B");

  t.tokenize(" db 'it''s; ok',x,'open");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[1].text, "'it''s; ok'");
  EXPECT_TRUE(t[1].commaFollows);
  EXPECT_EQ(t[2].text, "X");
  EXPECT_EQ(t[3].text, "'open");
  EXPECT_EQ(Unquote(t[1].text), "it's; ok");
  EXPECT_EQ(Unquote(t[3].text), "open");

  TokenLine a, b;
  a.tokenize(" LD A,B");
  b.tokenize(" LD A B");
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i)
    EXPECT_EQ(a[i].text, b[i].text);
}

TEST(AsmTokens, LongLinesAreReadWhole) {
  TokenLine t;
  std::string line;
  for (int i = 0; i < 400; ++i)
    line += "A,";
  t.tokenize(line);
  EXPECT_EQ(t.size(), 400u);
  const std::vector<std::string> lines = SplitSourceText(std::string(300, 'X') + "\r\nY\rZ\n\nW");
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].size(), 300u);
  EXPECT_EQ(lines[1], "Y");
  EXPECT_EQ(lines[2], "Z");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "W");
}

TEST(AsmTokens, CharacterConstants) {
  EXPECT_EQ(ParseCharConstant("'A'"), 'A');
  EXPECT_EQ(ParseCharConstant("''''"), '\'');
  EXPECT_FALSE(ParseCharConstant("'AB'").has_value());
  EXPECT_FALSE(ParseCharConstant("''").has_value());
}

} // namespace
} // namespace velkor::asmsrc
