#pragma once
// The encoded line format of .EPS and .EMS files: one record per non-empty
// line, a length byte n (1..255) followed by n scrambled bytes, with one
// running 16-bit key per file that starts at the seed and carries across
// records. No header, no terminators, no records for empty lines.
//
// Reading (compiler for .EPS sources and includes, assembler for .EMS):
//
//   std::string bytes, error;
//   if (!platform::ReadWholeFile(path, bytes, error)) ...;
//   velkor::EncodedLineReader reader(std::move(bytes));
//   std::string line;
//   while (reader.ReadLine(line) == velkor::EncodedLineReader::Status::kLine) use(line);
//   if (reader.Damaged()) report(velkor::kEncodedFileDamaged);
//
// Writing (compiler for .EMS): WriteEncodedFile(path, lines, error), which
// replaces the file only after the whole output was written, and refuses
// (leaving the file as it was) a line longer than the format holds.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

constexpr std::uint16_t kEncodedKeySeed = 29483;
constexpr std::size_t kEncodedMaxLineLength = 255;

// Shown when a record's length byte promises more bytes than the file holds.
inline constexpr std::string_view kEncodedFileDamaged =
    "Encoded file is damaged: a line runs past the end of the file";

// The running key. Both directions update it with the stored (scrambled) byte.
class ScrambleKey {
public:
  std::uint8_t Scramble(std::uint8_t text);
  std::uint8_t Descramble(std::uint8_t stored);
  std::uint16_t Value() const { return key_; }

private:
  void Advance(std::uint8_t stored);
  std::uint16_t key_ = kEncodedKeySeed;
};

// The index of the first line longer than kEncodedMaxLineLength, else lines.size().
std::size_t FirstLineTooLong(const std::vector<std::string>& lines);

// The file image of the lines, empty lines left out. Every line must fit
// (FirstLineTooLong): a longer one throws std::length_error, as no text is
// ever cut without a word.
std::string EncodeLines(const std::vector<std::string>& lines);

bool WriteEncodedFile(const std::string& path, const std::vector<std::string>& lines,
                      std::string& error);

class EncodedLineReader {
public:
  enum class Status { kLine, kEnd, kDamaged };

  explicit EncodedLineReader(std::string fileBytes);

  // kLine: `line` holds the next decoded line. kEnd: no more records.
  // kDamaged: the last record is cut short; `line` is cleared and every
  // further call answers kDamaged again.
  Status ReadLine(std::string& line);
  bool Damaged() const { return damaged_; }

private:
  std::string bytes_;
  std::size_t position_ = 0;
  ScrambleKey key_;
  bool damaged_ = false;
};

// Decodes a whole file image; false when it is damaged (lines then holds the
// lines before the damaged record).
bool DecodeLines(std::string fileBytes, std::vector<std::string>& lines);

} // namespace velkor
