#include "simulator/session/breakpoint_lines.h"

#include <charconv>

#include "platform/paths.h"
#include "platform/text.h"
#include "simulator/session/address.h"

namespace kavrin {

BreakpointLine MakeBreakpointLine(std::string_view text, const SymbolTable& symbols) {
  const ResolvedAddress r = ResolveAddress(text, symbols);
  if (!r.ok) return {{}, r.message};
  const auto address = static_cast<std::uint16_t>(r.value);
  const std::string digits = platform::Hex(address, 4);
  if (r.bySymbol) return {digits + "H " + platform::UpperCase(text), {}};
  if (const std::string* name = symbols.FindAddress(address)) return {digits + "H " + *name, {}};
  return {digits + " No symbol", {}};
}

BreakpointList BreakpointsFromLines(const std::vector<std::string>& lines) {
  constexpr std::size_t kAddressDigits = 4;
  BreakpointList list{};
  for (std::size_t i = 0; i < lines.size() && i < list.size(); ++i) {
    const std::string& line = lines[i];
    std::uint16_t value = 0;
    const std::size_t digits = std::min(line.size(), kAddressDigits);
    std::from_chars(line.data(), line.data() + digits, value, 16);
    list[i] = value;
  }
  return list;
}

} // namespace kavrin
