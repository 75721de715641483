#pragma once
// Letter case for Pascal and assembler names, which are ASCII: a byte above
// 127 stays as it is, and no locale can change the result.

#include <string_view>

namespace velkor {

constexpr char AsciiUpper(char ch) { return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch; }

constexpr bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

}  // namespace velkor
