#pragma once
// Letter case for Pascal and assembler names, which are ASCII: a byte above
// 127 stays as it is, and no locale can change the result.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace velkor {

constexpr char AsciiUpper(char ch) {
  return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch;
}

constexpr bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

// FNV-1a over the upper-case letters: names are short, and the library's
// hash is a call that costs more than the name.
constexpr std::size_t HashNameIgnoringCase(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (char ch : name) {
    h ^= static_cast<unsigned char>(AsciiUpper(ch));
    h *= 1099511628211ull;
  }
  return static_cast<std::size_t>(h);
}

// For hash tables of names compared without regard to case, searched with
// a string_view.
struct NameIgnoringCaseHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const { return HashNameIgnoringCase(name); }
};
struct NameIgnoringCaseEqual {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const {
    return SameNameIgnoringCase(a, b);
  }
};

} // namespace velkor
