#pragma once
// The peephole history: the tags and values of the last ten instruction
// lines, newest first. Emitters match tag patterns against it and rewrite the
// lines just written.

#include <array>
#include <cstdint>
#include <string_view>

namespace velkor {

constexpr int kEmitHistoryLength = 10;

// Values from this up denote a symbol (its index in the low 16 bits); below
// it a value is a 16-bit number. Constants are recorded by their low 16 bits,
// so a negative constant never looks like a symbol.
constexpr std::uint32_t kHistorySymbolBase = 65536;

struct EmitHistory {
  // tags[0] is the newest. A label line records tag '\0'; unused slots hold ' '.
  std::array<char, kEmitHistoryLength> tags{};
  std::array<std::uint32_t, kEmitHistoryLength> values{};

  EmitHistory() { Clear(); }
  void Clear() {
    tags.fill(' ');
    values.fill(0);
  }
  void Push(char tag, std::uint32_t value) {
    for (int i = kEmitHistoryLength - 1; i > 0; --i) {
      tags[i] = tags[i - 1];
      values[i] = values[i - 1];
    }
    tags[0] = tag;
    values[0] = value;
  }
  // Removes entry i; the older entries close up and the oldest slot is blank.
  void RemoveAt(int i) {
    for (int k = i; k < kEmitHistoryLength - 1; ++k) {
      tags[k] = tags[k + 1];
      values[k] = values[k + 1];
    }
    tags[kEmitHistoryLength - 1] = ' ';
    values[kEmitHistoryLength - 1] = 0;
  }
  // True when the newest tags equal `pattern` (newest first).
  bool Matches(std::string_view pattern) const {
    if (pattern.size() > tags.size()) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
      if (tags[i] != pattern[i]) return false;
    return true;
  }
  char Tag(int i) const { return tags[i]; }
  std::uint32_t Value(int i) const { return values[i]; }
  static bool IsNumber(std::uint32_t v) { return v < kHistorySymbolBase; }
};

}  // namespace velkor
