#include "simulator/cli/memory_dump.h"

#include "platform/text.h"

namespace kavrin::cli {

std::vector<std::string> DumpRows(const Machine& machine, std::uint16_t start,
                                  std::uint32_t length) {
  std::vector<std::string> rows;
  for (std::uint32_t offset = 0; offset < length; offset += kDumpRowBytes) {
    const auto address = static_cast<std::uint16_t>(start + offset);
    std::string hex = platform::Hex(address, 4) + "  ";
    std::string text;
    for (int i = 0; i < kDumpRowBytes; ++i) {
      const std::uint8_t b = machine.ReadByte(static_cast<std::uint16_t>(address + i));
      hex += platform::Hex(b, 2) + " ";
      text += b >= 0x20 && b <= 0x7E ? static_cast<char>(b) : '.';
    }
    rows.push_back(hex + text);
  }
  return rows;
}

} // namespace kavrin::cli
