#include <algorithm>

#include "simulator/core/machine.h"

namespace kavrin {

namespace {

constexpr uint8_t kDe0 = 0x40;
constexpr uint8_t kDwe0 = 0x10; // active low: DE0 is written only with it clear

uint32_t Address20(const std::array<uint8_t, kOnChipRegisterCount>& r, uint8_t low) {
  return static_cast<uint32_t>((r[low + 2] & 0x0F) << 16 | r[low + 1] << 8 | r[low]);
}

void StoreAddress20(std::array<uint8_t, kOnChipRegisterCount>& r, uint8_t low, uint32_t value) {
  r[low] = static_cast<uint8_t>(value);
  r[low + 1] = static_cast<uint8_t>(value >> 8);
  r[low + 2] = static_cast<uint8_t>((value >> 16) & 0x0F);
}

} // namespace

// Memory to memory, increasing addresses, all at once inside the OUT. Byte by
// byte in address order, so a destination one above the source fills memory
// as the chip does.
void Machine::RunDmaChannel0() {
  uint8_t& dstat = InternalRegisters[onchip::kDstat];
  if ((dstat & (kDe0 | kDwe0)) != kDe0) return;
  uint32_t source = Address20(InternalRegisters, onchip::kSar0L);
  uint32_t destination = Address20(InternalRegisters, onchip::kDar0L);
  uint32_t count = static_cast<uint32_t>(InternalRegisters[onchip::kBcr0L + 1] << 8 |
                                         InternalRegisters[onchip::kBcr0L]);
  count = std::min({count, kPhysicalMemorySize - source, kPhysicalMemorySize - destination});
  for (uint32_t i = 0; i < count; ++i)
    PhysicalMemory[destination + i] = PhysicalMemory[source + i];
  StoreAddress20(InternalRegisters, onchip::kSar0L, (source + count) & kPhysicalMask);
  StoreAddress20(InternalRegisters, onchip::kDar0L, (destination + count) & kPhysicalMask);
  uint32_t left = static_cast<uint32_t>(InternalRegisters[onchip::kBcr0L + 1] << 8 |
                                        InternalRegisters[onchip::kBcr0L]) -
                  count;
  InternalRegisters[onchip::kBcr0L] = static_cast<uint8_t>(left);
  InternalRegisters[onchip::kBcr0L + 1] = static_cast<uint8_t>(left >> 8);
  dstat &= static_cast<uint8_t>(~kDe0);
}

} // namespace kavrin
