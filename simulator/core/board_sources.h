#pragma once
// The Z180's internal interrupt sources in priority order, each with the low
// bits of its vector (the high three come from IL, the page from I) and the
// register bits that make it ask.

#include <array>
#include <cstdint>

#include "simulator/core/machine.h"

namespace kavrin {

using OnChipBytes = std::array<uint8_t, kOnChipRegisterCount>;

namespace asci {
inline constexpr uint8_t kCntla[2] = {0x00, 0x01};
inline constexpr uint8_t kCntlb[2] = {0x02, 0x03};
inline constexpr uint8_t kStat[2] = {0x04, 0x05};
inline constexpr uint8_t kTdr[2] = {0x06, 0x07};
inline constexpr uint8_t kRdr[2] = {0x08, 0x09};
inline constexpr uint8_t kLastRegister = 0x09;
inline constexpr uint8_t kRdrf = 0x80, kOvrn = 0x40, kPe = 0x20, kFe = 0x10, kRie = 0x08;
inline constexpr uint8_t kTdre = 0x02, kTie = 0x01;
inline constexpr uint8_t kReceiveEnable = 0x40;  // CNTLA RE
inline constexpr uint8_t kTransmitEnable = 0x20; // CNTLA TE
inline constexpr uint8_t kErrorFlagReset = 0x08; // CNTLA EFR: written 0 clears OVRN PE FE
} // namespace asci

template <int Channel> bool AsciAsks(const OnChipBytes& r) {
  const uint8_t stat = r[asci::kStat[Channel]];
  const uint8_t received = asci::kRdrf | asci::kOvrn | asci::kPe | asci::kFe;
  return ((stat & asci::kRie) && (stat & received)) ||
         ((stat & asci::kTie) && (stat & asci::kTdre));
}

inline bool AnyReceiverCanInterrupt(const OnChipBytes& r) {
  for (int ch = 0; ch < 2; ++ch)
    if ((r[asci::kStat[ch]] & asci::kRie) && (r[asci::kCntla[ch]] & asci::kReceiveEnable))
      return true;
  return false;
}

struct InterruptSource {
  const char* name;
  uint8_t vector;
  bool (*pending)(const OnChipBytes&);
};

inline constexpr InterruptSource kInterruptSources[] = {
    {"PRT0", 0x04, [](const OnChipBytes& r) { return (r[onchip::kTcr] & 0x50) == 0x50; }},
    {"PRT1", 0x06, [](const OnChipBytes& r) { return (r[onchip::kTcr] & 0xA0) == 0xA0; }},
    {"DMA0", 0x08, [](const OnChipBytes& r) { return (r[onchip::kDstat] & 0x44) == 0x04; }},
    {"DMA1", 0x0A, [](const OnChipBytes& r) { return (r[onchip::kDstat] & 0x88) == 0x08; }},
    {"CSI/O", 0x0C, [](const OnChipBytes& r) { return (r[onchip::kCntr] & 0xC0) == 0xC0; }},
    {"ASCI0", 0x0E, &AsciAsks<0>},
    {"ASCI1", 0x10, &AsciAsks<1>},
};

} // namespace kavrin
