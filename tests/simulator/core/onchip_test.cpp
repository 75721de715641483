// The 64 on-chip registers: reset values as the Z180 documents them, the
// effects of writes, the I/O base, and DMA channel 0.

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

struct WriteEffect {
  uint8_t offset, written, stored;
};

TEST_F(MachineTest, WritesToOnChipRegisters) {
  const WriteEffect cases[] = {
      {0x00, 0x55, 0x10}, // ASCI control: discarded
      {0x06, 0x30, 0x00}, // TDR0: the byte is lost
      {0x0A, 0x00, 0xCF}, // CNTR: reports end of transfer at once
      {0x0C, 0x12, 0xFF}, // timers do not run
      {0x20, 0x12, 0x12}, // SAR0L
      {0x21, 0x34, 0x34}, // SAR0H
      {0x22, 0xF5, 0x05}, // SAR0B: four bits
      {0x25, 0xFF, 0x0F}, // DAR0B
      {0x26, 0x99, 0x99}, // BCR0L
      {0x2A, 0x3C, 0x0C}, // MAR1B
      {0x2D, 0x77, 0x00}, // reserved
      {0x2F, 0x77, 0x77}, // BCR1H
      {0x31, 0x00, 0x00}, // DMODE stored
      {0x32, 0x00, 0xF0}, // DCNTL ignored
      {0x33, 0x40, 0x00}, // IL ignored
      {0x36, 0x00, 0xFC}, // RCR ignored
      {0x39, 0x07, 0x07}, // BBR
      {0x3E, 0x55, 0x00}, // reserved
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(int(k.offset));
    m->Reset();
    m->PortWrite(k.offset, k.written);
    EXPECT_EQ(m->PortRead(k.offset), k.stored);
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
  EXPECT_EQ(m->PortRead(0x7F), 0x40);        // ICR itself
  m->PortWrite(0x7F, 0xDF);
  EXPECT_EQ(m->IoBase(), 0xC0);
  m->Reset();
  EXPECT_EQ(m->IoBase(), 0x00);
}

class DmaTest : public MachineTest {
protected:
  void Program(uint32_t source, uint32_t destination, uint16_t count) {
    const uint8_t values[] = {static_cast<uint8_t>(source),
                              static_cast<uint8_t>(source >> 8),
                              static_cast<uint8_t>(source >> 16),
                              static_cast<uint8_t>(destination),
                              static_cast<uint8_t>(destination >> 8),
                              static_cast<uint8_t>(destination >> 16),
                              static_cast<uint8_t>(count),
                              static_cast<uint8_t>(count >> 8)};
    for (int i = 0; i < 8; ++i)
      m->PortWrite(static_cast<uint8_t>(onchip::kSar0L + i), values[i]);
  }
  uint32_t Register20(uint8_t low) const {
    return static_cast<uint32_t>(m->InternalRegisters[low + 2] << 16 |
                                 m->InternalRegisters[low + 1] << 8 | m->InternalRegisters[low]);
  }
  uint16_t Count() const {
    return static_cast<uint16_t>(m->InternalRegisters[onchip::kBcr0L + 1] << 8 |
                                 m->InternalRegisters[onchip::kBcr0L]);
  }
};

TEST_F(DmaTest, OutToDstatCopiesTheBlock) {
  for (int i = 0; i < 16; ++i)
    m->PhysicalMemory[0x00100 + i] = static_cast<uint8_t>(0xA0 + i);
  Program(0x00100, 0x00200, 0x0010);
  Load({0x3E, 0x60, 0xED, 0x39, 0x30}, 0x8000); // LD A,60H; OUT0 (DSTAT),A
  c.PC = 0x8000;
  Step(2);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(m->PhysicalMemory[0x00200 + i], 0xA0 + i);
  EXPECT_EQ(m->PhysicalMemory[0x00210], 0x00);
  EXPECT_EQ(m->InternalRegisters[onchip::kDstat], 0x20) << "DE0 cleared";
  EXPECT_EQ(Register20(onchip::kSar0L), 0x00110u);
  EXPECT_EQ(Register20(onchip::kDar0L), 0x00210u);
  EXPECT_EQ(Count(), 0);
}

TEST_F(DmaTest, DestinationOneAboveSourceFillsMemory) {
  m->PhysicalMemory[0x01000] = 0xAA;
  Program(0x01000, 0x01001, 0x0010);
  m->PortWrite(onchip::kDstat, 0x60);
  for (int i = 0; i <= 0x10; ++i)
    EXPECT_EQ(m->PhysicalMemory[0x01000 + i], 0xAA) << i;
  EXPECT_EQ(m->PhysicalMemory[0x01011], 0x00);
}

TEST_F(DmaTest, StartConditions) {
  struct Start {
    uint8_t dstat;
    bool copies;
    uint8_t after;
  };
  const Start cases[] = {
      {0x60, true, 0x20},                       // DE0 with /DWE0 = 0, /DWE1 = 1
      {0x41, true, 0x01},                       // DE0 with DME
      {0x40, true, 0x00},  {0x51, false, 0x51}, // /DWE0 = 1: DE0 not written
      {0x20, false, 0x20}, {0x80, false, 0x80}, // channel 1 is not modelled
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(int(k.dstat));
    m->Reset();
    std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x400, 0);
    m->PhysicalMemory[0x00100] = 0x42;
    Program(0x00100, 0x00300, 1);
    m->PortWrite(onchip::kDstat, k.dstat);
    EXPECT_EQ(m->PhysicalMemory[0x00300], k.copies ? 0x42 : 0x00);
    EXPECT_EQ(m->InternalRegisters[onchip::kDstat], k.after);
  }
}

TEST_F(DmaTest, ZeroCountCopiesNothingButClearsDe0) {
  m->PhysicalMemory[0x00100] = 0x42;
  Program(0x00100, 0x00200, 0);
  m->PortWrite(onchip::kDstat, 0x41);
  EXPECT_EQ(m->PhysicalMemory[0x00200], 0x00);
  EXPECT_EQ(m->InternalRegisters[onchip::kDstat], 0x01);
}

TEST_F(DmaTest, StopsAtTheEndOfPhysicalMemory) {
  for (int i = 0; i < 16; ++i)
    m->PhysicalMemory[0xFFFF0 + i] = static_cast<uint8_t>(i + 1);
  Program(0xFFFF0, 0x00400, 0x0100);
  m->PortWrite(onchip::kDstat, 0x60);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(m->PhysicalMemory[0x00400 + i], i + 1);
  EXPECT_EQ(m->PhysicalMemory[0x00410], 0x00);
  EXPECT_EQ(Register20(onchip::kSar0L), 0x00000u);
  EXPECT_EQ(Count(), 0x00F0) << "what was not transferred stays counted";
}

TEST_F(DmaTest, AddressesArePhysicalWhateverTheMmu) {
  m->PortWrite(onchip::kCbar, 0x84);
  m->PortWrite(onchip::kBbr, 0x10);
  m->PhysicalMemory[0x00500] = 0x99;
  Program(0x00500, 0x04500, 1);
  m->PortWrite(onchip::kDstat, 0x60);
  EXPECT_EQ(m->PhysicalMemory[0x04500], 0x99);
  EXPECT_EQ(m->PhysicalMemory[0x14500], 0x00);
}

} // namespace
} // namespace kavrin
