// Arbitrary bytes as memory, registers, MMU/port and board setup: every run
// must end within its budget without a crash or an out-of-bounds access.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "simulator/core/machine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto machine = std::make_unique<kavrin::Machine>();
  kavrin::Machine& m = *machine;
  constexpr size_t kHeader = 16;
  uint8_t header[kHeader] = {};
  std::memcpy(header, data, size < kHeader ? size : kHeader);
  m.Reset();
  std::memset(m.PhysicalMemory.data(), 0, m.PhysicalMemory.size());
  if (size > kHeader) {
    const size_t image = size - kHeader;
    // Two copies: at the bottom and where the header's MMU bases may point.
    std::memcpy(m.PhysicalMemory.data(), data + kHeader, image < 0x10000 ? image : 0x10000);
    const uint32_t at = (header[9] << 12) & kavrin::kPhysicalMask;
    const size_t room = kavrin::kPhysicalMemorySize - at;
    std::memcpy(m.PhysicalMemory.data() + at, data + kHeader, image < room ? image : room);
  }
  m.BuildPortMaps(header[0], {header[1], header[2], header[3], header[4], header[5]},
                  {header[1], header[2], header[3], header[4], header[5]});
  m.SetPortReadHandler(kavrin::kTerminalData,
                       [](uint8_t port) { return static_cast<uint8_t>(port * 7); });
  m.PortWrite(kavrin::onchip::kCbar, header[6]);
  m.PortWrite(kavrin::onchip::kBbr, header[7]);
  m.PortWrite(kavrin::onchip::kCbr, header[8]);
  // The board model on for half the inputs, with a ROM and a serial console.
  m.ConfigureBoard({.enabled = (header[12] & 1) != 0, .romSize = header[13] * 1024u});
  m.ConnectAsci(
      header[14] & 1, [&header] { return header[15] & 1 ? -1 : int{header[15]}; }, [](uint8_t) {});
  m.SetInt0((header[11] & 1) != 0, header[11]);
  m.Cpu.SP = static_cast<uint16_t>(header[10] << 8 | header[11]);
  m.Cpu.SetBC(static_cast<uint16_t>(header[12] << 8 | header[13]));
  m.Cpu.SetHL(static_cast<uint16_t>(header[14] << 8 | header[15]));
  int chunks = 0;
  m.Run({.breakpoints = {static_cast<uint16_t>(header[10] << 8 | header[9])}}, [&] {
    if (++chunks == 2) m.Stop();
  });
  return 0;
}
