#include "simulator/session/address.h"

#include "platform/paths.h"

namespace kavrin {
namespace {

bool IsUpperHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

std::optional<std::uint32_t> ParseHex(std::string_view text) {
  std::uint32_t value = 0;
  for (char c : text) {
    if (!IsUpperHexDigit(c)) return std::nullopt;
    if (value > 0x0FFFFFFFu) return std::nullopt; // would drop digits: no number we can use
    value = value << 4 | static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'A' + 10);
  }
  return value;
}

} // namespace

ResolvedAddress ResolveAddress(std::string_view text, const SymbolTable& symbols) {
  const std::string upper = platform::UpperCase(text);
  if (const auto value = ParseHex(upper)) return {true, *value, {}, false};
  if (const auto address = symbols.FindName(upper)) return {true, *address, {}, true};
  return {false, 0, "Cannot resolve " + upper, false};
}

std::optional<std::uint8_t> ParsePortAddress(std::string_view text) {
  constexpr std::size_t kMaxDigits = 2;
  constexpr std::uint32_t kFirstRefused = 0xFF;
  const std::string upper = platform::UpperCase(text);
  if (upper.empty() || upper.size() > kMaxDigits) return std::nullopt;
  const auto value = ParseHex(upper);
  if (!value || *value >= kFirstRefused) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

} // namespace kavrin
