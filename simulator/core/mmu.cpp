#include "simulator/core/machine.h"

namespace kavrin {

// The areas start on 4 KB boundaries, so one offset per logical 4 KB page
// gives the whole mapping; common area 1 is tested before the bank area.
void Machine::UpdateTranslation() {
  const uint8_t cbar = InternalRegisters[onchip::kCbar];
  common_start_ = static_cast<uint16_t>((cbar >> 4) * 0x1000);
  bank_start_ = static_cast<uint16_t>((cbar & 0x0F) * 0x1000);
  for (uint32_t page = 0; page < page_offset_.size(); ++page) {
    const uint32_t logical = page * 0x1000;
    if (logical >= common_start_)
      page_offset_[page] = CommonBase();
    else if (logical >= bank_start_)
      page_offset_[page] = BankBase();
    else
      page_offset_[page] = 0;
  }
}

} // namespace kavrin
