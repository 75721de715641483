// The memory management unit: CBAR/BBR/CBR translation, words that straddle
// area boundaries, and the moment a new mapping takes effect.

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

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
      {0x11, 0x22, 0x33, 0x0FFF, 0x00FFF}, {0x11, 0x22, 0x33, 0x1000, 0x34000},
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

// Each byte of a word is translated on its own.
TEST_F(MachineTest, WordsStraddlingABoundaryUseBothAreas) {
  m->PortWrite(onchip::kCbar, 0x84);
  m->PortWrite(onchip::kBbr, 0x10);
  m->PortWrite(onchip::kCbr, 0x20);
  m->WriteWord(0x7FFF, 0xBEEF);
  EXPECT_EQ(m->PhysicalMemory[0x17FFF], 0xEF);
  EXPECT_EQ(m->PhysicalMemory[0x28000], 0xBE);
  EXPECT_EQ(m->ReadWord(0x7FFF), 0xBEEF);
  m->WriteWord(0xFFFF, 0x1234); // logical + 1 wraps to 0000H
  EXPECT_EQ(m->PhysicalMemory[0x2FFFF], 0x34);
  EXPECT_EQ(m->PhysicalMemory[0x00000], 0x12);
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
