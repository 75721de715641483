#include "simulator/core/onchip.h"

namespace kavrin {

namespace {
using W = OnChipWrite;
}

// Timer data and reload registers and the free running counter come out of
// reset at FFH on the chip; everything not modelled otherwise just stores.
const std::array<OnChipRegister, kOnChipRegisterCount> kOnChipRegisters = {{
    {"CNTLA0", 0x10, W::Ignore},   {"CNTLA1", 0x10, W::Ignore},   {"CNTLB0", 0x07, W::Ignore},
    {"CNTLB1", 0x07, W::Ignore},   {"STAT0", 0x00, W::Ignore},    {"STAT1", 0x02, W::Ignore},
    {"TDR0", 0x00, W::Ignore},     {"TDR1", 0x00, W::Ignore},     {"RDR0", 0x00, W::Ignore},
    {"RDR1", 0x00, W::Ignore},     {"CNTR", 0x0F, W::SetCntrEf},  {"TRDR", 0x00, W::Ignore},
    {"TMDR0L", 0xFF, W::Ignore},   {"TMDR0H", 0xFF, W::Ignore},   {"RLDR0L", 0xFF, W::Ignore},
    {"RLDR0H", 0xFF, W::Ignore},   {"TCR", 0x00, W::Ignore},      {"", 0x00, W::Ignore},
    {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},         {"TMDR1L", 0xFF, W::Ignore},
    {"TMDR1H", 0xFF, W::Ignore},   {"RLDR1L", 0xFF, W::Ignore},   {"RLDR1H", 0xFF, W::Ignore},
    {"FRC", 0xFF, W::Ignore},      {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},
    {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},
    {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},         {"SAR0L", 0x00, W::Store},
    {"SAR0H", 0x00, W::Store},     {"SAR0B", 0x00, W::StoreLow4}, {"DAR0L", 0x00, W::Store},
    {"DAR0H", 0x00, W::Store},     {"DAR0B", 0x00, W::StoreLow4}, {"BCR0L", 0x00, W::Store},
    {"BCR0H", 0x00, W::Store},     {"MAR1L", 0x00, W::Store},     {"MAR1H", 0x00, W::Store},
    {"MAR1B", 0x00, W::StoreLow4}, {"IAR1L", 0x00, W::Store},     {"IAR1H", 0x00, W::Store},
    {"", 0x00, W::Ignore},         {"BCR1L", 0x00, W::Store},     {"BCR1H", 0x00, W::Store},
    {"DSTAT", 0x32, W::Dstat},     {"DMODE", 0xC1, W::Store},     {"DCNTL", 0xF0, W::Ignore},
    {"IL", 0x00, W::Ignore},       {"ITC", 0x39, W::Ignore},      {"", 0x00, W::Ignore},
    {"RCR", 0xFC, W::Ignore},      {"", 0x00, W::Ignore},         {"CBR", 0x00, W::Mmu},
    {"BBR", 0x00, W::Mmu},         {"CBAR", 0xF0, W::Mmu},        {"", 0x00, W::Ignore},
    {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},         {"", 0x00, W::Ignore},
    {"ICR", 0x1F, W::Icr},
}};

void Machine::WriteOnChipRegister(uint8_t offset, uint8_t value) {
  if (board_.enabled && WriteBoardRegister(offset & (kOnChipRegisterCount - 1), value)) return;
  uint8_t& reg = InternalRegisters[offset & (kOnChipRegisterCount - 1)];
  switch (kOnChipRegisters[offset & (kOnChipRegisterCount - 1)].on_write) {
  case W::Ignore:
    break;
  case W::Store:
    reg = value;
    break;
  case W::StoreLow4:
    reg = value & 0x0F;
    break;
  case W::SetCntrEf:
    reg |= 0xC0;
    break;
  case W::Dstat:
    reg = value;
    RunDmaChannel0();
    break;
  case W::Mmu:
    reg = value;
    UpdateTranslation();
    break;
  case W::Icr:
    reg = value;
    io_base_ = value & 0xC0;
    break;
  }
}

} // namespace kavrin
