#include "compiler/emit/data_lines.h"

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using testing_support::Code;
using testing_support::Lines;

TEST(CharacterDataLines, QuotesPrintableRunsAndWritesOthersInHex) {
  struct Case {
    std::string text;
    Lines lines;
  };
  const Case cases[] = {
      {"It's", Code("DB 'It'|DB 27H|DB 's'")},
      {"AB\rC", Code("DB 'AB'|DB 0DH|DB 'C'")},
      {std::string("\x00\xFF", 2), Code("DB 00H|DB FFH")},
      {"a b~", {"\tDB 'a b~'"}},
      {"", {}},
      {"''", Code("DB 27H|DB 27H")},
  };
  for (const Case& c : cases) {
    LineBlock block = CharacterDataLines(c.text);
    EXPECT_EQ(block.lines, c.lines) << c.text;
    EXPECT_EQ(block.size, c.text.size()) << c.text;
  }
}

TEST(CharacterDataLines, PadsShortTextUpToCapacity) {
  LineBlock block = CharacterDataLines("HI", 10u);
  EXPECT_EQ(block.lines, (Code("DB 'HI'|DS 8")));
  EXPECT_EQ(block.size, 10u);

  block = CharacterDataLines("HI", 2u);
  EXPECT_EQ(block.lines, (Lines{"\tDB 'HI'"}));
  EXPECT_EQ(block.size, 2u);

  // 256 is no capacity of a string: no padding.
  block = CharacterDataLines("HI", 256u);
  EXPECT_EQ(block.lines, (Lines{"\tDB 'HI'"}));
  EXPECT_EQ(block.size, 2u);
}

TEST(CharacterDataLines, SplitsLongRunsSoEveryLineKeepsItsClosingQuote) {
  const std::string text(255, 'x');
  LineBlock block = CharacterDataLines(text);
  ASSERT_EQ(block.lines.size(), 2u);
  std::string joined;
  for (const std::string& line : block.lines) {
    EXPECT_LT(line.size(), 255u);
    ASSERT_GE(line.size(), 6u);
    EXPECT_EQ(line.substr(0, 5), "\tDB '");
    EXPECT_EQ(line.back(), '\'');
    joined += line.substr(5, line.size() - 6);
  }
  EXPECT_EQ(joined, text);
}

TEST(TypedConstantLines, NumbersAndAddresses) {
  EXPECT_EQ(ByteDataLine(200).lines, (Lines{"\tDB 200"}));
  EXPECT_EQ(ByteDataLine(200).size, 1u);
  EXPECT_EQ(WordDataLine(0xFFFB).lines, (Lines{"\tDW 65531"}));
  EXPECT_EQ(WordDataLine(0xFFFB).size, 2u);
  EXPECT_EQ(LongDataLines(0x12345678).lines, (Code("DW 22136|DW 4660")));
  EXPECT_EQ(LongDataLines(0x12345678).size, 4u);
  EXPECT_EQ(LongDataLines(0xFFFFFFFF).lines, (Code("DW 65535|DW 65535")));
  EXPECT_EQ(RoutineAddressDataLine("DEMO_P").lines, (Lines{"\tDW @DEMO_P"}));
  EXPECT_EQ(VariableAddressDataLine("DEMO_X").lines, (Lines{"\tDW DEMO_X"}));
}

TEST(TypedConstantLines, StringStartsWithItsLengthAndFillsItsDeclaredSize) {
  // STRING[10] occupies 11 bytes.
  LineBlock block = StringConstantDataLines("HI", 11);
  EXPECT_EQ(block.lines, (Code("DB 2|DB 'HI'|DS 8")));
  EXPECT_EQ(block.size, 11u);
  block = StringConstantDataLines("", 3);
  EXPECT_EQ(block.lines, (Code("DB 0|DS 2")));
  EXPECT_EQ(block.size, 3u);
}

TEST(StringPoolEntry, LabelLengthAndCharacters) {
  LineBlock block = StringPoolEntryLines(7, "It's");
  EXPECT_EQ(block.lines, (Code("@@7:|DB 4|DB 'It'|DB 27H|DB 's'")));
  EXPECT_EQ(block.size, 5u);
  block = StringPoolEntryLines(0, "");
  EXPECT_EQ(block.lines, (Code("@@0:|DB 0")));
  EXPECT_EQ(block.size, 1u);
}

} // namespace
} // namespace velkor
