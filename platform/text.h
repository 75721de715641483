#pragma once
// Small text helpers both programs use.
//
//   platform::Hex(0x1234, 4)          // "1234": upper case, fixed width, no "H"
//   std::unordered_map<std::string, int, platform::NameHash, std::equal_to<>> table;
//   table.find(std::string_view{"NAME"});   // no temporary string

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace platform {

// Upper-case hexadecimal of a fixed width, as the system shows every number;
// digits above the width are dropped.
inline std::string Hex(std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i) {
    out[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
    value >>= 4;
  }
  return out;
}

// The UTF-8 byte-order mark many editors put before a text file's first line.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The length of the byte-order mark that starts `text` (0 or 3): readers of
// source text start after it.
inline std::size_t ByteOrderMarkLength(std::string_view text) {
  return text.starts_with(kUtf8ByteOrderMark) ? kUtf8ByteOrderMark.size() : 0;
}

// Lets string-keyed tables be searched with a string_view.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

} // namespace platform
