// Character data lines: printable runs quoted, other bytes in hex, long runs
// split so that every line keeps its closing quote, short text padded.

#include "compiler/emit/data_lines.h"

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

TEST(CharacterDataLines, QuotesPrintableRunsAndWritesOthersInHex) {
  const std::tuple<std::string, unsigned, Lines> cases[] = {
      {std::string("It's\x00\xFF", 6), 0, Code("DB 'It'|DB 27H|DB 's'|DB 00H|DB FFH")},
      {"HI", 10, Code("DB 'HI'|DS 8")},
      // 256 is no capacity of a string: no padding.
      {"HI", 256, Code("DB 'HI'")},
  };
  for (const auto& [text, capacity, lines] : cases) {
    const LineBlock block =
        capacity ? CharacterDataLines(text, capacity) : CharacterDataLines(text);
    EXPECT_EQ(block.lines, lines) << text;
    EXPECT_EQ(block.size, capacity == 10 ? 10 : text.size()) << text;
  }
  const std::string text(255, 'x');
  std::string joined;
  for (const std::string& line : CharacterDataLines(text).lines) {
    EXPECT_LT(line.size(), 255u);
    ASSERT_TRUE(line.starts_with("\tDB '") && line.ends_with("'")) << line;
    joined += line.substr(5, line.size() - 6);
  }
  EXPECT_EQ(joined, text);
}

} // namespace
} // namespace velkor
