// Run control (budget, chunks, breakpoints, HALT, Stop, the message pump),
// reset, port routing and the instruction details the random comparison
// with z80ex cannot reach.

#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t S = kFlagS, Z = kFlagZ, H = kFlagH, P = kFlagP, C = kFlagC;

// --- run control ---

TEST_F(MachineTest, BreakpointAtTheStartStopsBeforeExecuting) {
  Load({0x3C, 0x3C});
  c.PC = 1;
  EXPECT_EQ(m->Run({.breakpoints = {0x0001}}), StopReason::Breakpoint);
  EXPECT_EQ(c.A, 0);
  EXPECT_EQ(m->InstructionCount(), 0u);
  EXPECT_EQ(Step(), StopReason::BudgetUsed) << "a single step clears the breakpoints";
  EXPECT_EQ(c.PC, 2);
}

// The first breakpoint reached stops the run; a 0000H entry ends the list.
TEST_F(MachineTest, BreakpointListsStopAtTheFirstReached) {
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0x00);
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
  EXPECT_EQ(m->InstructionCount(), 2u);
  EXPECT_EQ(Step(10), StopReason::Halt);
  EXPECT_EQ(c.PC, 4);
  EXPECT_EQ(c.A, 3);
  EXPECT_EQ(Step(1), StopReason::BudgetUsed) << "a new run continues after the HALT";
  EXPECT_EQ(c.A, 4);
}

TEST_F(MachineTest, AFreeRunPumpsAfterEveryChunkAndStopEndsIt) {
  Load({0x3C, 0x18, 0xFD}); // loop: INC A; JR loop
  std::vector<uint64_t> counts;
  const StopReason why = m->Run({}, [&] {
    counts.push_back(m->InstructionCount());
    if (counts.size() == 3) m->Stop();
  });
  EXPECT_EQ(why, StopReason::BudgetUsed);
  const std::vector<uint64_t> expected = {kChunkSize, 2 * kChunkSize, 3 * kChunkSize,
                                          3 * kChunkSize + 1};
  EXPECT_EQ(counts, expected) << "one more instruction after Stop";
  EXPECT_EQ(c.A, static_cast<uint8_t>(3 * kChunkSize / 2 + 1));
  m->Stop();
  EXPECT_EQ(Step(2), StopReason::BudgetUsed) << "a Stop between runs does not cut the next";
  EXPECT_EQ(m->InstructionCount(), 3u * kChunkSize + 3);
}

// Free chunks while a whole chunk remains, then counted ones of at most 250:
// the pump runs as often as before the limit was a plan of its own.
TEST_F(MachineTest, ACountedRunPumpsInFreeThenCountedChunks) {
  Load({0x3C, 0x18, 0xFD});
  std::vector<uint64_t> counts;
  EXPECT_EQ(m->Run({.instructionLimit = 2 * kChunkSize + 300},
                   [&] { counts.push_back(m->InstructionCount()); }),
            StopReason::BudgetUsed);
  const std::vector<uint64_t> expected = {kChunkSize, 2 * kChunkSize, 2 * kChunkSize + 250,
                                          2 * kChunkSize + 300};
  EXPECT_EQ(counts, expected);
}

TEST_F(MachineTest, TraceSeesEveryInstructionButNotTheBreakpoint) {
  Load({0x00, 0x00, 0x00, 0x00});
  std::vector<uint16_t> traced;
  int pumps = 0;
  RunPlan plan{.breakpoints = {0x0003}};
  plan.trace = [&] { traced.push_back(c.PC); };
  EXPECT_EQ(m->Run(plan, [&] { ++pumps; }), StopReason::Breakpoint);
  EXPECT_EQ(traced, (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(pumps, 4) << "after each instruction and after the breakpoint check";
}

TEST_F(MachineTest, AFreeRunEndsAtHaltWithoutAnotherChunk) {
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0x00);
  m->WriteByte(0x5000, 0x76);
  int pumps = 0;
  EXPECT_EQ(m->Run({}, [&] { ++pumps; }), StopReason::Halt);
  EXPECT_EQ(c.PC, 0x5001);
  EXPECT_EQ(m->InstructionCount(), 0x5001u);
  EXPECT_EQ(pumps, 0x5001 / kChunkSize + 1);
}

TEST_F(MachineTest, AWholeMemoryOfPrefixesDoesNotHangAStep) {
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0xDD);
  EXPECT_EQ(Step(), StopReason::BudgetUsed);
  EXPECT_EQ(c.PC, 0x0000) << "one pass over the 64 KB";
}

// --- reset ---

TEST_F(MachineTest, ResetKeepsAlternateFlagsSubtractIndicatorsAndR) {
  c.A = 1;
  c.F = 0xFF;
  c.SetBC(2);
  c.SetDE(3);
  c.SetHL(4);
  c.AltA = 5;
  c.AltF = 0xC5;
  c.AltBC = c.AltDE = c.AltHL = 6;
  c.IX = c.IY = c.SP = c.PC = 7;
  c.I = 8;
  c.R = 9;
  c.SubtractFlag = 1;
  c.AltSubtractFlag = 1;
  m->PhysicalMemory[0x12345] = 0xAB;
  m->Reset();
  EXPECT_EQ(c.A | c.F | c.BC() | c.DE() | c.HL() | c.AltA | c.AltBC | c.AltDE | c.AltHL, 0);
  EXPECT_EQ(c.IX | c.IY | c.SP | c.PC | c.I, 0);
  EXPECT_EQ(c.AltF, 0xC5);
  EXPECT_EQ(c.R, 9);
  EXPECT_EQ(c.SubtractFlag, 1);
  EXPECT_EQ(c.AltSubtractFlag, 1);
  EXPECT_EQ(m->PhysicalMemory[0x12345], 0xAB) << "memory survives a reset";
}

// --- port routing ---

TEST_F(MachineTest, PortMapsRouteToTheRegisteredHandlers) {
  m->BuildPortMaps(0x80, {0x90, 0x91, 0x92, 0x93, 0x80}, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4});
  std::vector<int> writes;
  m->SetPortReadHandler(kTerminalData, [](uint8_t) { return uint8_t{0x11}; });
  m->SetPortReadHandler(kTerminalStatus, [](uint8_t) { return uint8_t{0x01}; });
  m->SetPortReadHandler(static_cast<PortDevice>(kIoPageFirst + 1), [](uint8_t p) { return p; });
  m->SetPortReadHandler(static_cast<PortDevice>(kIoPageLast),
                        [](uint8_t) { return uint8_t{0x77}; });
  m->SetPortWriteHandler(kTerminalData, [&](uint8_t, uint8_t v) { writes.push_back(v); });
  m->SetPortWriteHandler(static_cast<PortDevice>(kIoPageFirst + 2),
                         [&](uint8_t p, uint8_t v) { writes.push_back(p + v); });
  EXPECT_EQ(m->PortRead(0x80), 0x77) << "a later I/O page port hides the terminal";
  EXPECT_EQ(m->PortRead(0x81), 0x01);
  EXPECT_EQ(m->PortRead(0x91), 0x91);
  EXPECT_EQ(m->PortRead(0x90), 0x00) << "no handler registered";
  EXPECT_EQ(m->PortRead(0xC0), 0x00) << "unmapped";
  m->PortWrite(0x80, 0x41);
  m->PortWrite(0xA2, 0x01);
  m->PortWrite(0xC0, 0x55);
  EXPECT_EQ(writes, (std::vector<int>{0x41, 0xA3}));
}

TEST_F(MachineTest, OnChipRegistersComeBeforeThePortMaps) {
  m->BuildPortMaps(0xFF, {0x10, 0x11, 0x12, 0x13, 0x14}, {0x10, 0x11, 0x12, 0x13, 0x14});
  m->SetPortReadHandler(kTerminalStatus, [](uint8_t) { return uint8_t{0x01}; });
  EXPECT_EQ(m->ReadPortMap[0x00], kTerminalStatus);
  EXPECT_EQ(m->PortRead(0x00), 0x10) << "CNTLA0 hides the terminal status at 00H";
  m->PortWrite(onchip::kIcr, 0x80);
  EXPECT_EQ(m->PortRead(0x00), 0x01);
}

// --- instruction details ---

// The flags, prefix chains and (IX+d) forms are compared with z80ex; these
// are the forms it does not generate.
TEST_F(MachineTest, EdUnderAPrefixAndIndexCbOnARegisterColumn) {
  Load({0xDD, 0xED, 0x4A,         // ADC HL,BC
        0xDD, 0xCB, 0x05, 0x01}); // RLC C under the prefix
  c.SetHL(0x3333);
  c.SetBC(0x0181);
  c.IX = 0x1200;
  m->WriteByte(0x1205, 0x40);
  Step(2);
  EXPECT_EQ(c.HL(), 0x34B4);
  EXPECT_EQ(c.IX, 0x1200) << "DD ED runs the ED instruction on HL";
  EXPECT_EQ(c.C, 0x03);
  EXPECT_EQ(m->ReadByte(0x1205), 0x40) << "the register form leaves memory alone";
}

TEST_F(MachineTest, BlockMovesOf65536BytesRunInOneStep) {
  Load({0xED, 0xB0}); // LDIR onto itself
  c.SetHL(0x4000);
  c.SetDE(0x4000);
  c.SetBC(0);
  c.F = S | Z | C;
  EXPECT_EQ(Step(), StopReason::BudgetUsed);
  EXPECT_EQ(c.BC(), 0);
  EXPECT_EQ(c.HL(), 0x4000);
  EXPECT_EQ(c.PC, 2);
  EXPECT_EQ(c.F & (S | Z | H | P | C), S | Z | C);
  EXPECT_EQ(m->InstructionCount(), 1u);
}

TEST_F(MachineTest, RIsNotCounted) {
  Load({0x3E, 0x42, 0xED, 0x4F, 0x00, 0x00, 0xED, 0x5F}); // LD A,42H; LD R,A; NOP; NOP; LD A,R
  Step(5);
  EXPECT_EQ(c.R, 0x42);
  EXPECT_EQ(c.A, 0x42);
}

} // namespace
} // namespace kavrin
