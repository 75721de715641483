// The 64 on-chip registers: reset values as the Z180 documents them, the
// effects of writes, the I/O base, DMA channel 0, and the MMU's CBAR/BBR/CBR
// translation and the moment a new mapping takes effect.

#include <array>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

// As read back through the ports after a reset. Timer data, reload and free
// running counters come up as FFH on the chip.
constexpr std::array<uint8_t, 64> kResetValues = {
    0x10, 0x10, 0x07, 0x07, 0x00, 0x02, 0x00, 0x00,
    0x00, 0x00, 0x0F, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, // 00H
    0x00, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 10H
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // 20H
    0x32, 0xC1, 0xF0, 0x00, 0x39, 0x00, 0xFC, 0x00,
    0x00, 0x00, 0xF0, 0x00, 0x00, 0x00, 0x00, 0x1F, // 30H
};

// At power-on and again after a reset, whatever was written in between.
TEST_F(MachineTest, OnChipRegistersResetToTheirValues) {
  for (int i = 0; i < 64; ++i)
    EXPECT_EQ(m->InternalRegisters[i], kResetValues[i]) << "offset " << i;
  for (int i = 0; i < 64; ++i)
    m->PortWrite(static_cast<uint8_t>(i), 0x5A);
  m->Reset();
  for (int i = 0; i < 64; ++i)
    EXPECT_EQ(m->PortRead(static_cast<uint8_t>(i)), kResetValues[i]) << "offset " << i;
  EXPECT_EQ(m->IoBase(), 0x00);
}

TEST_F(MachineTest, WritesToOnChipRegisters) {
  const struct {
    uint8_t offset, written, stored;
  } cases[] = {
      {0x00, 0x55, 0x10}, // ASCI control: discarded
      {0x06, 0x30, 0x00}, // TDR0: the byte is lost
      {0x22, 0xF5, 0x05}, // SAR0B: four bits
      {0x33, 0x40, 0x00}, // IL ignored
      {0x39, 0x07, 0x07}, // BBR
  };
  for (const auto& k : cases) {
    m->Reset();
    m->PortWrite(k.offset, k.written);
    EXPECT_EQ(m->PortRead(k.offset), k.stored) << int(k.offset);
  }
}

TEST_F(MachineTest, IcrMovesTheOnChipBlock) {
  m->BuildPortMaps(0x3F, {0x10, 0x11, 0x12, 0x13, 0x14}, {0x10, 0x11, 0x12, 0x13, 0x14});
  m->SetPortReadHandler(kTerminalData, [](uint8_t) { return uint8_t{0x77}; });
  EXPECT_EQ(m->PortRead(0x3F), 0x1F) << "ICR hides the terminal at 3FH";
  m->PortWrite(0x3F, 0x40);
  EXPECT_EQ(m->IoBase(), 0x40);
  EXPECT_EQ(m->PortRead(0x3F), 0x77);
  EXPECT_EQ(m->PortRead(0x40 + 0x34), 0x39); // ITC at its new place
}

// Channel 0 copies at the write to DSTAT, in physical addresses whatever the
// MMU (mapped here so that logical 4000H is elsewhere), a byte at a time.
TEST_F(MachineTest, DmaChannel0CopiesWhenDstatSaysSo) {
  const struct {
    uint8_t dstat;
    uint32_t source, destination;
    uint16_t count;
    int copied;
    uint8_t dstatAfter;
  } cases[] = {
      {0x60, 0x00100, 0x04200, 16, 16, 0x20},    // DE0 with /DWE0 = 0, /DWE1 = 1
      {0x41, 0x00100, 0x00300, 1, 1, 0x01},      // DE0 with DME
      {0x51, 0x00100, 0x00300, 1, 0, 0x51},      // /DWE0 = 1: DE0 not written
      {0x80, 0x00100, 0x00300, 1, 0, 0x80},      // channel 1 is not modelled
      {0x41, 0x00100, 0x00300, 0, 0, 0x01},      // a zero count copies nothing
      {0x60, 0xFFFF0, 0x00400, 0x100, 16, 0x20}, // stops at the end of memory
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(::testing::Message() << std::hex << int(k.dstat) << " from " << k.source);
    m->Reset();
    m->PortWrite(onchip::kCbar, 0x84);
    m->PortWrite(onchip::kBbr, 0x10);
    std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.end(), 0);
    for (int i = 0; i < 16; ++i)
      m->PhysicalMemory[k.source + i] = static_cast<uint8_t>(0xA0 + i);
    const uint32_t sourceEnd = (k.source + k.copied) & kPhysicalMask;
    const uint16_t countLeft = static_cast<uint16_t>(k.count - k.copied);
    for (int shift = 0; shift < 24; shift += 8) {
      m->PortWrite(onchip::kSar0L + shift / 8, static_cast<uint8_t>(k.source >> shift));
      m->PortWrite(onchip::kDar0L + shift / 8, static_cast<uint8_t>(k.destination >> shift));
    }
    m->PortWrite(onchip::kBcr0L, static_cast<uint8_t>(k.count));
    m->PortWrite(onchip::kBcr0L + 1, static_cast<uint8_t>(k.count >> 8));
    m->PortWrite(onchip::kDstat, k.dstat);
    for (int i = 0; i < k.copied; ++i)
      EXPECT_EQ(m->PhysicalMemory[k.destination + i], 0xA0 + i) << i;
    EXPECT_EQ(m->PhysicalMemory[k.destination + k.copied], 0x00);
    EXPECT_EQ(m->InternalRegisters[onchip::kDstat], k.dstatAfter);
    const uint8_t* r = &m->InternalRegisters[0];
    EXPECT_EQ(r[onchip::kSar0L] | r[onchip::kSar0L + 1] << 8 | r[onchip::kSar0L + 2] << 16,
              static_cast<int>(sourceEnd));
    EXPECT_EQ(r[onchip::kBcr0L] | r[onchip::kBcr0L + 1] << 8, countLeft);
  }
  // A destination one above the source fills memory with the first byte.
  m->PortWrite(onchip::kSar0L + 1, 0x10);
  m->PortWrite(onchip::kDar0L, 0x01);
  m->PortWrite(onchip::kDar0L + 1, 0x10);
  m->PortWrite(onchip::kDar0L + 2, 0x00);
  m->PortWrite(onchip::kBcr0L, 0x10);
  m->PhysicalMemory[0x01000] = 0xAA;
  m->PortWrite(onchip::kDstat, 0x60);
  EXPECT_EQ(m->PhysicalMemory[0x01010], 0xAA);
  EXPECT_EQ(m->PhysicalMemory[0x01011], 0x00);
}

TEST_F(MachineTest, MmuTranslatesByArea) {
  const struct {
    uint8_t cbar, bbr, cbr;
    uint16_t logical;
    uint32_t physical;
  } cases[] = {
      {0xF0, 0x00, 0x00, 0xABCD, 0x0ABCD}, // as after a reset
      {0x84, 0x10, 0x20, 0x3FFF, 0x03FFF}, {0x84, 0x10, 0x20, 0x4000, 0x14000},
      {0x84, 0x10, 0x20, 0x7FFF, 0x17FFF}, {0x84, 0x10, 0x20, 0x8000, 0x28000},
      {0xF0, 0x00, 0xFF, 0xFFFF, 0x0EFFF}, // the sum wraps at 1 MB
      {0xF0, 0x40, 0x00, 0x1234, 0x41234}, // bank area from 0000H
      {0x48, 0x10, 0x30, 0x5000, 0x35000}, // CA 4000H below BA 8000H: no bank area
      {0x00, 0x10, 0x05, 0x0000, 0x05000}, // CA 0000H: all of it is common area 1
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(::testing::Message()
                 << std::hex << "CBAR " << int(k.cbar) << " logical " << k.logical);
    m->PortWrite(onchip::kCbar, k.cbar);
    m->PortWrite(onchip::kBbr, k.bbr);
    m->PortWrite(onchip::kCbr, k.cbr);
    EXPECT_EQ(m->TranslateAddress(k.logical), k.physical);
  }
  m->Reset();
  EXPECT_EQ(m->TranslateAddress(0x8000), 0x8000u);
}

// OUT0 (BBR),A moves the bank under the running code at 0000H.
TEST_F(MachineTest, NewMappingAppliesFromTheNextFetch) {
  Load({0xED, 0x39, 0x39, 0x3C});    // OUT0 (BBR),A; INC A
  m->PhysicalMemory[0x10003] = 0x04; // INC B at the new physical place
  c.A = 0x10;
  Step(2);
  EXPECT_EQ(c.A, 0x10);
  EXPECT_EQ(c.B, 1);
}

} // namespace
} // namespace kavrin
