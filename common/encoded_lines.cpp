#include "common/encoded_lines.h"

#include <stdexcept>

#include "platform/atomic_file.h"

namespace velkor {

namespace {
constexpr std::uint16_t kKeyMultiplier = 52789;
constexpr std::uint16_t kKeyIncrement = 13907;
} // namespace

void ScrambleKey::Advance(std::uint8_t stored) {
  // Unsigned 32-bit arithmetic, reduced to 16 bits: the product must not be
  // formed in (promoted, signed) int.
  std::uint32_t next = (static_cast<std::uint32_t>(key_) + stored) * kKeyMultiplier + kKeyIncrement;
  key_ = static_cast<std::uint16_t>(next);
}

std::uint8_t ScrambleKey::Scramble(std::uint8_t text) {
  auto stored = static_cast<std::uint8_t>(text ^ (key_ >> 8));
  Advance(stored);
  return stored;
}

std::uint8_t ScrambleKey::Descramble(std::uint8_t stored) {
  auto text = static_cast<std::uint8_t>(stored ^ (key_ >> 8));
  Advance(stored);
  return text;
}

std::size_t FirstLineTooLong(const std::vector<std::string>& lines) {
  std::size_t i = 0;
  while (i < lines.size() && lines[i].size() <= kEncodedMaxLineLength)
    ++i;
  return i;
}

std::string EncodeLines(const std::vector<std::string>& lines) {
  if (FirstLineTooLong(lines) < lines.size())
    throw std::length_error("an encoded line holds at most 255 characters");
  std::string out;
  ScrambleKey key;
  for (const std::string& line : lines) {
    const std::size_t length = line.size();
    if (length == 0) continue;
    out.push_back(static_cast<char>(length));
    for (std::size_t i = 0; i < length; ++i) {
      out.push_back(static_cast<char>(key.Scramble(static_cast<std::uint8_t>(line[i]))));
    }
  }
  return out;
}

bool WriteEncodedFile(const std::string& path, const std::vector<std::string>& lines,
                      std::string& error) {
  const std::size_t tooLong = FirstLineTooLong(lines);
  if (tooLong < lines.size()) {
    error = "line " + std::to_string(tooLong + 1) + " has " +
            std::to_string(lines[tooLong].size()) + " characters; an encoded line holds at most " +
            std::to_string(kEncodedMaxLineLength);
    return false;
  }
  return platform::WriteFileAtomically(path, EncodeLines(lines), error);
}

EncodedLineReader::EncodedLineReader(std::string fileBytes) : bytes_(std::move(fileBytes)) {}

EncodedLineReader::Status EncodedLineReader::ReadLine(std::string& line) {
  line.clear();
  if (damaged_) return Status::kDamaged;
  if (position_ >= bytes_.size()) return Status::kEnd;
  std::size_t length = static_cast<std::uint8_t>(bytes_[position_]);
  if (length > bytes_.size() - position_ - 1) {
    damaged_ = true;
    return Status::kDamaged;
  }
  ++position_;
  line.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    line.push_back(
        static_cast<char>(key_.Descramble(static_cast<std::uint8_t>(bytes_[position_ + i]))));
  }
  position_ += length;
  return Status::kLine;
}

bool DecodeLines(std::string fileBytes, std::vector<std::string>& lines) {
  lines.clear();
  EncodedLineReader reader(std::move(fileBytes));
  std::string line;
  for (;;) {
    switch (reader.ReadLine(line)) {
    case EncodedLineReader::Status::kLine:
      lines.push_back(line);
      break;
    case EncodedLineReader::Status::kEnd:
      return true;
    case EncodedLineReader::Status::kDamaged:
      return false;
    }
  }
}

} // namespace velkor
