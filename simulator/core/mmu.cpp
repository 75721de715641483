#include "simulator/core/machine.h"

namespace kavrin {

// The areas start on page boundaries, so one offset per logical page gives
// the whole mapping; common area 1 is tested before the bank area. Pages
// never straddle the end of physical memory, whose size is a multiple of one.
void Machine::UpdateTranslation() {
  const uint8_t cbar = InternalRegisters[onchip::kCbar];
  common_start_ = static_cast<uint16_t>((cbar >> 4) * 0x1000);
  bank_start_ = static_cast<uint16_t>((cbar & 0x0F) * 0x1000);
  for (uint32_t page = 0; page < kLogicalPages; ++page) {
    const uint32_t logical = page << kPageBits;
    if (logical >= common_start_)
      page_offset_[page] = CommonBase();
    else if (logical >= bank_start_)
      page_offset_[page] = BankBase();
    else
      page_offset_[page] = 0;
    const uint32_t physical = (logical + page_offset_[page]) & kPhysicalMask;
    read_pages_[page] = PhysicalMemory.data() + physical;
    write_pages_[page] = physical < rom_limit_ ? nullptr : read_pages_[page];
  }
}

void Machine::WriteRomPage(uint16_t logical, uint8_t value) {
  const uint32_t physical = TranslateAddress(logical);
  if (physical >= rom_limit_) {
    PhysicalMemory[physical] = value;
    return;
  }
  ++rom_writes_;
  last_rom_write_ = physical;
}

} // namespace kavrin
