// Numbers and tokens of source lines; the number spellings that reach the
// bytes are checked against other assemblers in the oracle test.
#include "assembler/asm_lexer.h"
#include "assembler/source_file.h"

#include <gtest/gtest.h>

namespace velkor::asmsrc {
namespace {

// A word that is not a number is a name (-1 here).
TEST(AsmNumbers, NumbersAndNames) {
  const std::pair<const char*, int> words[] = {
      {"FFH", 255}, {"65535", 65535}, {"10000H", -1}, {"65536", -1}, {"$", -1},   {"B", -1},
      {"12B", -1},  {"ABH", 0xAB},    {"BCD", -1},    {"1E", -1},    {"19D", 19}, {"$10000", -1}};
  for (const auto& [text, value] : words) {
    const auto n = ParseNumber(text);
    EXPECT_EQ(n ? int{*n} : -1, value) << text;
  }
  // Load addresses are 32-bit, short of the "next" marker.
  const std::pair<const char*, std::int64_t> longs[] = {
      {"0FFFFFFEH", 0xFFFFFFE}, {"0FFFFFFFH", -1}, {"102B", -1}, {"99999999999999999999", -1}};
  for (const auto& [text, value] : longs) {
    std::uint32_t v = 0;
    EXPECT_EQ(ParseLongNumber(text, v) == LongNumber::Ok ? std::int64_t{v} : -1, value) << text;
  }
}

TEST(AsmTokens, BlanksAndCommasSeparateQuotesKeepCase) {
  TokenLine t;
  t.tokenize(" db 'it''s; ok',x 'open");
  ASSERT_EQ(t.size(), 4u);
  EXPECT_TRUE(t[1].commaFollows);
  EXPECT_EQ(t[2].text, "X");
  EXPECT_FALSE(t[2].commaFollows);
  EXPECT_EQ(Unquote(t[1].text), "it's; ok");
  EXPECT_EQ(Unquote(t[3].text), "open");
}

} // namespace
} // namespace velkor::asmsrc
