#pragma once
// Helpers for the assembler tests: assemble text in memory and look at the
// record stream it produced.

#include "assembler/assembler.h"
#include "assembler/source_file.h"
#include "common/object_file.h"
#include "platform/text.h"

#include <algorithm>
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
    return {result.image.begin() + std::min<std::size_t>(9, result.image.size()),
            result.image.end()};
  }
  // The two error lines, joined by '|', or "" when the assembly succeeded.
  std::string errorLines() const {
    return ok() || messages.size() < 2 ? "" : messages.end()[-2] + "|" + messages.back();
  }
};

inline Assembled assemble(const std::string& text) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  Assembled a;
  a.result = AssembleLines(asmsrc::SplitSourceText(text), {}, messages, ui);
  a.messages = messages.Lines();
  return a;
}

// The bytes an image places when it holds only byte, opcode-pair and
// absolute-word records after the opening segment record; nullopt otherwise.
inline std::optional<std::vector<std::uint8_t>>
placedBytes(const std::vector<std::uint8_t>& image) {
  ObjectReader reader(image);
  Record r;
  std::string_view error;
  std::vector<std::uint8_t> bytes;
  for (bool first = true; !reader.atEnd(); first = false) {
    if (!reader.next(r, error)) return std::nullopt;
    if (first && r.type == rro::CodeSegment) continue;
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
  for (std::uint8_t v : bytes)
    s += (s.empty() ? "" : " ") + platform::Hex(v, 2);
  return s;
}

} // namespace velkor::test
