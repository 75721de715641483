#include "common/encoded_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/atomic_file.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

// "AB", "" and "Hello, world", computed independently from the published
// scrambling rule: the empty line has no record.
const std::string kKnownImage = "\x02\x32\xAC\x0C\x76\xE4\x50\x81\x70\x79\x0F\x87\x80\x30\x94\x74";

TEST(EncodedLines, KnownImageAndRoundTripOfEveryByte) {
  EXPECT_EQ(EncodeLines({"AB", "", "Hello, world"}), kKnownImage);
  std::vector<std::string> lines;
  ASSERT_TRUE(DecodeLines(kKnownImage, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"AB", "Hello, world"}));
  std::string every;
  for (int c = 1; c < 256; ++c)
    every.push_back(static_cast<char>(c));
  ASSERT_TRUE(DecodeLines(EncodeLines({every, std::string(1, '\0'), "end"}), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{every, std::string(1, '\0'), "end"}));
  EXPECT_THROW(EncodeLines({"a", std::string(256, 'x')}), std::length_error);
}

// A record running past the end is damage, and stays so; an empty file is
// merely empty.
TEST(EncodedLines, DamagedImages) {
  const std::pair<std::string, std::size_t> cases[] = {
      {"", 0}, {kKnownImage.substr(0, 15), 1}, {"\xFF\x01\x02", 0}};
  for (const auto& [image, goodLines] : cases) {
    EncodedLineReader reader(image);
    std::string line;
    std::size_t lines = 0;
    EncodedLineReader::Status status;
    while ((status = reader.ReadLine(line)) == EncodedLineReader::Status::kLine)
      ++lines;
    EXPECT_EQ(lines, goodLines) << image.size();
    EXPECT_EQ(reader.Damaged(), !image.empty()) << image.size();
    EXPECT_EQ(reader.ReadLine(line), status) << image.size();
  }
}

// A written file reads back in the assembler's test of encoded sources; a
// long line is refused by its number, and the file stays.
TEST(EncodedLines, WritingRefusesALongLineAndKeepsTheFile) {
  kit_test::TestDir dir;
  const std::string path = dir.Write("OUT.EMS", "older");
  std::string error, after;
  std::vector<std::string> lines = {"\tCODE", std::string(256, 'x')};
  EXPECT_FALSE(WriteEncodedFile(path, lines, error));
  EXPECT_EQ(error, "line 2 has 256 characters; an encoded line holds at most 255");
  ASSERT_TRUE(platform::ReadWholeFile(path, after, error)) << error;
  EXPECT_EQ(after, "older");
}

} // namespace
} // namespace velkor
