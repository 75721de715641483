// Run control (budget, breakpoints, HALT, the message pump of a free run, the
// debugger's step over), reset, and the instruction details the random
// comparison with z80ex cannot reach. Stop is the window tests' own.

#include "simulator/core/run_control.h"
#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t S = kFlagS, Z = kFlagZ, H = kFlagH, P = kFlagP, C = kFlagC;

// A breakpoint at the start stops before executing and a single step ignores
// it; in a list the first reached stops the run, and 0000H ends the list.
TEST_F(MachineTest, BreakpointsStopBeforeTheInstruction) {
  Load({0x3C, 0x3C});
  c.PC = 1;
  EXPECT_EQ(m->Run({.breakpoints = {0x0001}}), StopReason::Breakpoint);
  EXPECT_EQ(c.A, 0);
  EXPECT_EQ(Step(), StopReason::BudgetUsed);
  EXPECT_EQ(c.PC, 2);
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0x00);
  c.PC = 0;
  EXPECT_EQ(m->Run({.breakpoints = {0x0009, 0x0004, 0x0002}}), StopReason::Breakpoint);
  EXPECT_EQ(c.PC, 2);
  c.PC = 0;
  EXPECT_EQ(m->Run({.breakpoints = {0x0010, 0x0000, 0x0005}}), StopReason::Breakpoint);
  EXPECT_EQ(c.PC, 0x0010);
}

TEST_F(MachineTest, MultiStepRunsTheBudgetAndAHaltEndsItAfterTheHalt) {
  Load({0x3C, 0x3C, 0x3C, 0x76, 0x3C});
  EXPECT_EQ(Step(2), StopReason::BudgetUsed);
  EXPECT_EQ(c.A, 2);
  EXPECT_EQ(Step(10), StopReason::Halt);
  EXPECT_EQ(c.PC, 4);
  EXPECT_EQ(c.A, 3);
  EXPECT_EQ(Step(1), StopReason::BudgetUsed) << "a new run continues after the HALT";
  EXPECT_EQ(c.A, 4);
}

TEST_F(MachineTest, AFreeRunEndsAtHaltAndPrefixesDoNotHangAStep) {
  m->WriteByte(0x5000, 0x76);
  int pumps = 0;
  EXPECT_EQ(m->Run({}, [&] { ++pumps; }), StopReason::Halt);
  EXPECT_EQ(m->InstructionCount(), 0x5001u);
  EXPECT_EQ(pumps, 0x5001 / kChunkSize + 1);
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0xDD);
  EXPECT_EQ(Step(), StopReason::BudgetUsed);
  EXPECT_EQ(c.PC, 0x5001) << "one pass over the 64 KB";
}

TEST_F(MachineTest, StepOverRunsCallsAndRstToTheNextInstruction) {
  c.SP = 0x8000;
  Load({0xCD, 0x34, 0x12, 0xCF, 0xC4, 0x00, 0x20}, 0x0100); // CALL 1234H / RST 08H / CALL NZ
  Load({0x3C, 0x3C, 0xC9}, 0x1234);                         // INC A x2, RET
  Load({0x3C, 0xC9}, 0x0008);                               // INC A, RET
  c.PC = 0x0100;
  StepOver(*m);
  StepOver(*m);
  EXPECT_EQ(c.PC, 0x0104);
  EXPECT_EQ(c.A, 3);
  std::uint16_t next = 0;
  ASSERT_TRUE(IsCallAt(*m, &next)); // a conditional call counts as a call
  EXPECT_EQ(next, 0x0107);
}

TEST_F(MachineTest, ResetKeepsAlternateFlagsSubtractIndicatorsRAndMemory) {
  c.A = c.F = c.AltF = c.R = c.SubtractFlag = c.AltSubtractFlag = 1;
  c.AltBC = c.IX = c.SP = c.PC = 7;
  m->PhysicalMemory[0x12345] = 0xAB;
  m->Reset();
  EXPECT_EQ(c.A | c.F | c.AltBC | c.IX | c.SP | c.PC, 0);
  EXPECT_EQ(c.AltF + c.R + c.SubtractFlag + c.AltSubtractFlag, 4);
  EXPECT_EQ(m->PhysicalMemory[0x12345], 0xAB);
}

// Forms the random comparison does not generate: ED under an index prefix,
// index CB on a register column, a block move of 65536 bytes, R uncounted.
TEST_F(MachineTest, InstructionsTheDifferentialLeavesOut) {
  Load({0xDD, 0xED, 0x4A,       // ADC HL,BC
        0xDD, 0xCB, 0x05, 0x01, // RLC C under the prefix
        0xED, 0xB0,             // LDIR onto itself
        0x3E, 0x42, 0xED, 0x4F, // LD A,42H; LD R,A
        0x00, 0xED, 0x5F});     // NOP; LD A,R
  c.SetHL(0x3333);
  c.SetBC(0x0181);
  c.IX = 0x1200;
  m->WriteByte(0x1205, 0x40);
  Step(2);
  EXPECT_EQ(c.HL(), 0x34B4);
  EXPECT_EQ(c.IX, 0x1200) << "DD ED runs the ED instruction on HL";
  EXPECT_EQ(c.C, 0x03);
  EXPECT_EQ(m->ReadByte(0x1205), 0x40) << "the register form leaves memory alone";
  c.SetHL(0x4000);
  c.SetDE(0x4000);
  c.SetBC(0);
  c.F = S | Z | C;
  EXPECT_EQ(Step(), StopReason::BudgetUsed);
  EXPECT_EQ(c.BC(), 0);
  EXPECT_EQ(c.HL(), 0x4000);
  EXPECT_EQ(c.F & (S | Z | H | P | C), S | Z | C);
  EXPECT_EQ(m->InstructionCount(), 3u);
  Step(4);
  EXPECT_EQ(c.R, 0x42);
  EXPECT_EQ(c.A, 0x42);
}

} // namespace
} // namespace kavrin
