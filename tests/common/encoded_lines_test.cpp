#include "common/encoded_lines.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "platform/atomic_file.h"

namespace velkor {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values)
    out.push_back(static_cast<char>(v));
  return out;
}

// Computed independently from the published scrambling rule.
const std::string kKnownImage = Bytes({0x02, 0x32, 0xAC, 0x0C, 0x76, 0xE4, 0x50, 0x81, 0x70, 0x79,
                                       0x0F, 0x87, 0x80, 0x30, 0x94, 0x74});

TEST(EncodedLines, EncodesKnownImageWithoutRecordForEmptyLine) {
  EXPECT_EQ(EncodeLines({"AB", "", "Hello, world"}), kKnownImage);
}

TEST(EncodedLines, DecodesKnownImage) {
  std::vector<std::string> lines;
  ASSERT_TRUE(DecodeLines(kKnownImage, lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"AB", "Hello, world"}));
}

TEST(EncodedLines, KeyUsesTheStoredByte) {
  ScrambleKey forward, backward;
  for (int i = 0; i < 1000; ++i) {
    auto text = static_cast<std::uint8_t>(i * 7);
    EXPECT_EQ(backward.Descramble(forward.Scramble(text)), text);
    ASSERT_EQ(forward.Value(), backward.Value());
  }
}

TEST(EncodedLines, RoundTripsAllByteValuesUpTo255Characters) {
  std::string every;
  for (int c = 1; c < 256; ++c)
    every.push_back(static_cast<char>(c));
  std::vector<std::string> lines;
  ASSERT_TRUE(DecodeLines(EncodeLines({every, "", "", std::string(1, '\0'), "end"}), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{every, std::string(1, '\0'), "end"}));
  EXPECT_THROW(EncodeLines({"a", std::string(256, 'x')}), std::length_error);
}

TEST(EncodedLines, EmptyFileHasNoLines) {
  EncodedLineReader reader("");
  std::string line = "stale";
  EXPECT_EQ(reader.ReadLine(line), EncodedLineReader::Status::kEnd);
  EXPECT_TRUE(line.empty());
  EXPECT_FALSE(reader.Damaged());
}

struct DamagedCase {
  const char* name;
  std::size_t keep; // bytes of the known image kept
  std::size_t linesBefore;
};

class DamagedImage : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedImage, RecordRunningPastTheEndIsAnError) {
  EncodedLineReader reader(kKnownImage.substr(0, GetParam().keep));
  std::string line;
  std::size_t lines = 0;
  EncodedLineReader::Status status;
  while ((status = reader.ReadLine(line)) == EncodedLineReader::Status::kLine)
    ++lines;
  EXPECT_EQ(status, EncodedLineReader::Status::kDamaged);
  EXPECT_EQ(lines, GetParam().linesBefore);
  EXPECT_TRUE(reader.Damaged());
  EXPECT_EQ(reader.ReadLine(line), EncodedLineReader::Status::kDamaged) << "stays damaged";
}

INSTANTIATE_TEST_SUITE_P(Cuts, DamagedImage,
                         ::testing::Values(DamagedCase{"LengthByteOnly", 1, 0},
                                           DamagedCase{"HalfFirstRecord", 2, 0},
                                           DamagedCase{"SecondLengthOnly", 4, 1},
                                           DamagedCase{"OneByteShort", 15, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EncodedLines, FullLengthByteWithFewBytesIsDamaged) {
  std::vector<std::string> lines;
  EXPECT_FALSE(DecodeLines(Bytes({0xFF, 0x01, 0x02}), lines));
  EXPECT_TRUE(lines.empty());
}

TEST(EncodedLines, WritesFileThatReadsBack) {
  auto dir = std::filesystem::temp_directory_path() / "kit-encoded-test";
  std::filesystem::create_directories(dir);
  std::string path = (dir / "OUT.EMS").string();
  std::string error;
  std::vector<std::string> lines = {"\tCODE", "", "\tld\thl,0"};
  ASSERT_TRUE(WriteEncodedFile(path, lines, error)) << error;
  std::string bytes;
  ASSERT_TRUE(platform::ReadWholeFile(path, bytes, error)) << error;
  std::vector<std::string> back;
  ASSERT_TRUE(DecodeLines(bytes, back));
  EXPECT_EQ(back, (std::vector<std::string>{"\tCODE", "\tld\thl,0"}));

  // A line the format cannot hold is refused by its number; the file stays.
  lines.push_back(std::string(256, 'x'));
  EXPECT_FALSE(WriteEncodedFile(path, lines, error));
  EXPECT_EQ(error, "line 4 has 256 characters; an encoded line holds at most 255");
  std::string after;
  ASSERT_TRUE(platform::ReadWholeFile(path, after, error)) << error;
  EXPECT_EQ(after, bytes);
  std::filesystem::remove_all(dir);
}

} // namespace
} // namespace velkor
