#pragma once

#include <array>
#include <cstdint>

#include "simulator/core/machine.h"

namespace kavrin {

// What a program's write does to one on-chip register.
enum class OnChipWrite : uint8_t {
  Ignore,    // read-only here, or a device that does not run
  Store,     // kept as written
  StoreLow4, // the bank byte of a 20-bit DMA address
  SetCntrEf, // the clocked serial port never shifts; it reports at once
  Dstat,     // stored, then DMA channel 0 may start
  Mmu,       // stored, translation rebuilt
  Icr,       // stored, I/O base moved
};

struct OnChipRegister {
  const char* name;
  uint8_t reset_value;
  OnChipWrite on_write;
};

// Offsets 00H-3FH, as the Z180 resets them.
extern const std::array<OnChipRegister, kOnChipRegisterCount> kOnChipRegisters;

} // namespace kavrin
