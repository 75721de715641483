#pragma once
// Helpers for the assembler tests: assemble text in memory and look at the
// record stream it produced.

#include "assembler/assembler.h"
#include "assembler/source_file.h"
#include "common/object_file.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velkor::test {

struct Assembled {
  AssembledLines result;
  std::vector<std::string> messages;
  bool ok() const { return result.ok; }
  // The record stream after the header and the opening 07 00 00 00 00.
  std::vector<std::uint8_t> stream() const {
    if (result.image.size() < 9) return {};
    return {result.image.begin() + 9, result.image.end()};
  }
  // The two error lines, joined by '|', or "" when the assembly succeeded.
  std::string errorLines() const {
    if (ok() || messages.size() < 2) return {};
    return messages[messages.size() - 2] + "|" + messages.back();
  }
  std::string errorMessage() const { return ok() ? std::string() : result.error.message; }
};

inline Assembled assemble(const std::string& text, asmsrc::AssemblySettings settings = {}) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  Assembled a;
  a.result = AssembleLines(asmsrc::SplitSourceText(text), settings, messages, ui);
  a.messages = messages.Lines();
  return a;
}

// The bytes an image places when it holds only byte, opcode-pair and
// absolute-word records after the opening segment record; nullopt otherwise.
inline std::optional<std::vector<std::uint8_t>>
placedBytes(const std::vector<std::uint8_t>& image) {
  ObjectReader reader(image);
  reader.rewind();
  Record r;
  std::string_view error;
  std::vector<std::uint8_t> bytes;
  bool first = true;
  while (!reader.atEnd()) {
    if (!reader.next(r, error)) return std::nullopt;
    if (first && r.type == rro::CodeSegment) {
      first = false;
      continue;
    }
    first = false;
    if (r.type == rro::SingleByte || r.type == rro::OpcodePair || r.type >= rro::ByteRunFirst) {
      bytes.insert(bytes.end(), r.bytes.begin(), r.bytes.end());
    } else if (r.type == rro::AbsoluteWord) {
      bytes.push_back(static_cast<std::uint8_t>(r.numbers[0] & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(r.numbers[0] >> 8));
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

inline std::string hexBytes(const std::vector<std::uint8_t>& bytes) {
  std::string s;
  char b[4];
  for (std::uint8_t v : bytes) {
    std::snprintf(b, sizeof b, "%02X ", v);
    s += b;
  }
  if (!s.empty()) s.pop_back();
  return s;
}

// Every record of an image after the opening one, one per line, offsets left out.
inline std::string recordListing(const std::vector<std::uint8_t>& image) {
  ObjectReader reader(image);
  reader.rewind();
  Record r;
  std::string_view error;
  std::string out;
  bool first = true;
  while (!reader.atEnd()) {
    if (!reader.next(r, error)) return out + "<" + std::string(error) + ">";
    const std::string line = DescribeRecord(r);
    if (!first) out += line.substr(line.find(' ') + 1) + "\n";
    first = false;
  }
  return out;
}

} // namespace velkor::test
