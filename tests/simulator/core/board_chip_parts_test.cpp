// The chip parts the board adds beyond the timers and serial channels: TRAP
// on an undefined opcode, SLP waiting like HALT, the TMDR high-byte latch and
// the DMA-end interrupt. With the board off none of them happens.

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t kTrap = 0x80, kUfo = 0x40;
constexpr uint8_t kTde0 = 0x01, kTie0 = 0x10;
constexpr int kAcceptStates = 19;

class ChipPartsTest : public testing::BoardMachineTest {
protected:
  // IM 2 with I = 01H and IL = 20H: PRT0 vectors through 0124H, DMA0
  // through 0128H, both to a handler at 0200H.
  void Vectors() {
    c.I = 0x01;
    c.InterruptMode = 2;
    m->PortWrite(onchip::kIl, 0x20);
    Load({0x00, 0x02}, 0x0124);
    Load({0x00, 0x02}, 0x0128);
    c.SP = 0xF000;
  }
};

struct TrapCase {
  const char* name;
  std::vector<uint8_t> code; // at 1000H
  bool thirdByte;
};

TEST_F(ChipPartsTest, UndefinedOpcodesTrapToZeroWithTheStartRecoverable) {
  const TrapCase cases[] = {
      {"ED 55", {0xED, 0x55}, false},
      {"CB 30 (SLL B)", {0xCB, 0x30}, false},
      {"DD CB d 36", {0xDD, 0xCB, 0x05, 0x36}, true},
      {"FD CB d 37", {0xFD, 0xCB, 0xFE, 0x37}, true},
  };
  for (const TrapCase& t : cases) {
    SCOPED_TRACE(t.name);
    m->Reset();
    c.SP = 0xF000;
    c.PC = 0x1000;
    uint16_t at = 0x1000;
    for (uint8_t b : t.code)
      m->PhysicalMemory[at++] = b;
    EXPECT_EQ(Step(), StopReason::BudgetUsed);
    EXPECT_EQ(m->StopMessage(), "");
    EXPECT_EQ(c.PC, 0x0000);
    const uint8_t itc = m->InternalRegisters[onchip::kItc];
    EXPECT_EQ(itc & (kTrap | kUfo), kTrap | (t.thirdByte ? kUfo : 0));
    // The documented adjustment of the stacked PC gives the instruction's start.
    EXPECT_EQ(c.SP, 0xEFFE);
    EXPECT_EQ(m->ReadWord(c.SP) - (t.thirdByte ? 2 : 1), 0x1000);
    // A program clears TRAP by writing 0 to it; writing 1 does not set it.
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc | kTrap));
    EXPECT_EQ(m->InternalRegisters[onchip::kItc] & kTrap, kTrap);
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc & ~kTrap));
    EXPECT_EQ(m->InternalRegisters[onchip::kItc] & kTrap, 0);
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc | kTrap));
    EXPECT_EQ(m->InternalRegisters[onchip::kItc] & kTrap, 0);
  }
}

TEST(BareCore, UndefinedOpcodeStopsTheRunWithoutTrap) {
  auto m = std::make_unique<Machine>();
  m->Reset();
  m->PhysicalMemory[0] = 0xED;
  m->PhysicalMemory[1] = 0x55;
  EXPECT_EQ(m->Run({.instructionLimit = 1}), StopReason::IllegalOpcode);
  EXPECT_EQ(m->StopMessage(), "Illegal opcode at 0002H");
  EXPECT_EQ(m->InternalRegisters[onchip::kItc] & (kTrap | kUfo), 0);
}

TEST_F(ChipPartsTest, SleepWaitsForTheTickAsHaltDoes) {
  Vectors();
  Load({0xFB, 0xED, 0x4D}, 0x0200); // EI / RETI
  Load({0xFB,                       // EI
        0xED, 0x76,                 // SLP
        0x00},
       0); // NOP
  constexpr uint16_t kReload = 50;
  m->PortWrite(onchip::kRldr0L, kReload);
  m->PortWrite(onchip::kTmdr0L, kReload);
  m->PortWrite(onchip::kTmdr0L + 1, 0);
  m->PortWrite(onchip::kTcr, kTde0 | kTie0);
  m->Run({.breakpoints = {0x0200}, .instructionLimit = 1000});
  ASSERT_EQ(c.PC, 0x0200);
  EXPECT_EQ(m->TStates(), uint64_t{kReload} * kPrtClockDivider + kAcceptStates);
  EXPECT_EQ(m->ReadWord(c.SP), 0x0003); // the instruction after SLP
}

TEST_F(ChipPartsTest, SleepWithNothingToWakeItGoesOn) {
  Load({0xF3, 0xED, 0x76, 0x00}, 0); // DI / SLP / NOP
  m->PortWrite(onchip::kTcr, kTde0 | kTie0);
  EXPECT_EQ(Step(3), StopReason::BudgetUsed);
  EXPECT_EQ(c.PC, 0x0004);
  EXPECT_FALSE(m->Halted());
}

TEST_F(ChipPartsTest, ReadingTmdrLowLatchesTheHighByte) {
  m->PortWrite(onchip::kTmdr0L, 0x00);
  m->PortWrite(onchip::kTmdr0L + 1, 0x01);
  m->PortWrite(onchip::kTcr, kTde0);
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L), 0x00);
  Step(40);                                          // 40 NOPs, 120 clocks: 6 counts, down to 00FAH
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L + 1), 0x01); // latched with the low byte
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L + 1), 0x00); // the latch is used once
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L), 0xFA);
}

TEST_F(ChipPartsTest, DmaEndInterruptsWhenDieIsSet) {
  Vectors();
  Load({1, 2, 3, 4}, 0x8000);
  m->PortWrite(onchip::kSar0L + 1, 0x80);
  m->PortWrite(onchip::kDar0L + 1, 0x90);
  m->PortWrite(onchip::kBcr0L, 4);
  Load({0xFB,             // EI
        0x3E, 0x44,       // LD A,DE0|DIE0 (DWE0 clear: DE0 is written)
        0xED, 0x39, 0x30, // OUT0 (DSTAT),A: the transfer runs and ends
        0x00},
       0); // NOP
  m->Run({.breakpoints = {0x0200}, .instructionLimit = 10});
  ASSERT_EQ(c.PC, 0x0200);
  EXPECT_EQ(m->ReadWord(c.SP), 0x0006);
  EXPECT_EQ(m->PhysicalMemory[0x9003], 4);
}

} // namespace
} // namespace kavrin
