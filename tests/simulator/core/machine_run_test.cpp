// Run control (budget, chunks, breakpoints, HALT, Stop, the message pump),
// reset, port routing and the instruction details the random comparison
// with z80ex cannot reach: prefix runs, 65536-byte blocks, N in PUSH AF.

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

TEST_F(MachineTest, RunStopsAtTheFirstMatchingBreakpoint) {
  Load({0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  EXPECT_EQ(m->Run({.breakpoints = {0x0009, 0x0004, 0x0002}}), StopReason::Breakpoint);
  EXPECT_EQ(c.PC, 2);
}

TEST_F(MachineTest, AZeroEntryEndsTheBreakpointList) {
  std::fill(m->PhysicalMemory.begin(), m->PhysicalMemory.begin() + 0x10000, 0x00);
  EXPECT_EQ(m->Run({.breakpoints = {0x0010, 0x0000, 0x0005}}), StopReason::Breakpoint);
  EXPECT_EQ(c.PC, 0x0010);
}

TEST_F(MachineTest, MultiStepRunsTheBudget) {
  Load({0x3C, 0x3C, 0x3C, 0x3C, 0x3C});
  EXPECT_EQ(Step(3), StopReason::BudgetUsed);
  EXPECT_EQ(c.A, 3);
  EXPECT_EQ(m->InstructionCount(), 3u);
}

TEST_F(MachineTest, HaltInAMultiStepEndsTheRunAfterIt) {
  Load({0x00, 0x3C, 0x76, 0x3C, 0x3C});
  EXPECT_EQ(Step(10), StopReason::Halt);
  EXPECT_EQ(c.PC, 3);
  EXPECT_EQ(c.A, 1);
  EXPECT_EQ(Step(1), StopReason::BudgetUsed) << "a new run continues after the HALT";
  EXPECT_EQ(c.A, 2);
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

TEST_F(MachineTest, LastPrefixWinsAndPrefixesOnOtherOpcodesAreIgnored) {
  Load({0xDD, 0xFD, 0x21, 0x34, 0x12, // LD IY,1234H
        0xFD, 0xDD, 0x21, 0x78, 0x56, // LD IX,5678H
        0xDD, 0xDD, 0x23,             // INC IX
        0xDD, 0xEB,                   // EX DE,HL
        0xFD, 0xD9,                   // EXX
        0xDD, 0xED, 0x4A,             // ADC HL,BC
        0xDD, 0x3C});                 // INC A
  c.SetHL(0x1111);
  c.SetDE(0x2222);
  c.SetBC(0x0001);
  c.AltHL = 0x3333;
  c.AltBC = 0x0100;
  Step(5);
  EXPECT_EQ(c.IY, 0x1234);
  EXPECT_EQ(c.IX, 0x5679);
  EXPECT_EQ(c.HL(), 0x3333) << "EXX exchanged the real HL, which EX DE,HL had set to 2222H";
  EXPECT_EQ(c.AltHL, 0x2222);
  EXPECT_EQ(c.AltDE, 0x1111);
  Step(2);
  EXPECT_EQ(c.HL(), 0x3433);
  EXPECT_EQ(c.IX, 0x5679) << "DD ED runs the ED instruction on HL";
  EXPECT_EQ(c.A, 1);
}

TEST_F(MachineTest, IndexedForms) {
  Load({0xDD, 0x66, 0x02,       // LD H,(IX+2)
        0xDD, 0x26, 0x12,       // LD IXH,12H
        0xFD, 0x36, 0xFE, 0x99, // LD (IY-2),99H
        0xDD, 0xCB, 0x05, 0x06, // RLC (IX+5)
        0xDD, 0xCB, 0x05, 0x00, // RLC B under the prefix
        0xDD, 0x75, 0x00});     // LD (IX+0),L
  c.IX = 0x4000;
  c.IY = 0x5002;
  c.B = 0x81;
  c.L = 0x3C;
  m->WriteByte(0x4002, 0xA5);
  m->WriteByte(0x1205, 0x40);
  Step(1);
  EXPECT_EQ(c.H, 0xA5);
  EXPECT_EQ(c.IX, 0x4000);
  Step(1);
  EXPECT_EQ(c.IX, 0x1200);
  EXPECT_EQ(c.H, 0xA5);
  Step(1);
  EXPECT_EQ(m->ReadByte(0x5000), 0x99);
  Step(1);
  EXPECT_EQ(m->ReadByte(0x1205), 0x80);
  Step(1);
  EXPECT_EQ(c.B, 0x03);
  EXPECT_EQ(m->ReadByte(0x1205), 0x80) << "the register form leaves memory alone";
  Step(1);
  EXPECT_EQ(m->ReadByte(0x1200), 0x3C) << "the real L";
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

TEST_F(MachineTest, CpirStopsOnMatchOrWhenBcRunsOut) {
  Load({0xED, 0xB1});
  Load({1, 2, 3, 4}, 0x6000);
  c.SetHL(0x6000);
  c.SetBC(0x10);
  c.A = 3;
  Step();
  EXPECT_EQ(c.F & (Z | P), Z | P);
  EXPECT_EQ(c.HL(), 0x6003);
  EXPECT_EQ(c.BC(), 0x0D);
  c.PC = 0;
  c.SetHL(0x6000);
  c.SetBC(2);
  Step();
  EXPECT_EQ(c.F & (Z | P), 0);
  EXPECT_EQ(c.BC(), 0);
}

TEST_F(MachineTest, SubtractFlagTravelsInBitOneOfAPushedAf) {
  Load({0xD6, 0x01, // SUB 1: N = 1
        0xF5,       // PUSH AF
        0xC1,       // POP BC
        0x3E, 0x00, // LD A,0
        0xC6, 0x00, // ADD A,0: N = 0
        0xC5,       // PUSH BC
        0xF1,       // POP AF
        0x27});     // DAA: subtracts, since N came back
  c.A = 0x10;
  c.SP = 0x8000;
  Step(3);
  EXPECT_EQ(c.B, 0x0F);
  EXPECT_EQ(c.C & kFlagN, kFlagN);
  Step(4);
  EXPECT_EQ(c.SubtractFlag, 1);
  EXPECT_EQ(c.F & kFlagN, 0) << "N lives in SubtractFlag only";
  Step(1);
  EXPECT_EQ(c.A, 0x09) << "10H - 1 in decimal";
}

TEST_F(MachineTest, ExAfExchangesTheSubtractFlag) {
  Load({0x08});
  c.SubtractFlag = 1;
  c.AltSubtractFlag = 0;
  c.A = 1;
  c.AltA = 2;
  Step();
  EXPECT_EQ(c.SubtractFlag, 0);
  EXPECT_EQ(c.AltSubtractFlag, 1);
  EXPECT_EQ(c.A, 2);
}

struct FlagCase {
  const char* what;
  std::vector<uint8_t> code;
  uint8_t a, b;
  uint8_t resultA, flags;
};

// Hardware flag results where the old rules said otherwise.
TEST_F(MachineTest, FlagsFollowTheProcessor) {
  const FlagCase cases[] = {
      {"ADD A,B overflow", {0x80}, 0x7F, 0x01, 0x80, S | H | P},
      {"ADD A,B no overflow", {0x80}, 0x01, 0x02, 0x03, 0},
      {"SUB B overflow", {0x90}, 0x80, 0x01, 0x7F, H | P},
      {"DAA after 15H+27H", {0xC6, 0x27, 0x27}, 0x15, 0, 0x42, H | P},
      {"DAA after 42H-15H", {0xD6, 0x15, 0x27}, 0x42, 0, 0x27, P},
      {"DAA carry", {0xC6, 0x90, 0x27}, 0x90, 0, 0x80, S | C},
      {"RLC B", {0xCB, 0x00}, 0x00, 0x80, 0x00, C},
      {"RLCA keeps S Z P", {0xAF, 0x3C, 0x3D, 0x07}, 0x00, 0, 0x00, Z},
      {"NEG of 80H", {0xED, 0x44}, 0x80, 0, 0x80, S | P | C},
      {"NEG of 0", {0xED, 0x44}, 0x00, 0, 0x00, Z},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    c.PC = 0;
    for (size_t i = 0; i < k.code.size(); ++i)
      m->WriteByte(static_cast<uint16_t>(i), k.code[i]);
    c.A = k.a;
    c.B = k.b;
    c.F = 0;
    c.SubtractFlag = 0;
    Step(static_cast<uint8_t>(k.code.size() == 4 ? 4 : k.code.size() == 3 ? 2 : 1));
    EXPECT_EQ(c.PC, k.code.size());
    if (k.code[0] == 0xCB)
      EXPECT_EQ(c.B, 0x01);
    else
      EXPECT_EQ(c.A, k.resultA);
    EXPECT_EQ(c.F & (S | Z | H | P | C), k.flags);
  }
}

TEST_F(MachineTest, AddHlWithZeroResultKeepsZ) {
  Load({0x19}); // ADD HL,DE
  c.SetHL(0xFFFF);
  c.SetDE(0x0001);
  c.F = 0;
  Step();
  EXPECT_EQ(c.HL(), 0);
  EXPECT_EQ(c.F & (Z | H | C), H | C) << "ADD HL,rr leaves Z as it was";
}

TEST_F(MachineTest, LdAIShowsTheInterruptEnable) {
  Load({0xFB, 0xED, 0x57, 0xF3, 0xED, 0x57}); // EI; LD A,I; DI; LD A,I
  c.I = 0x80;
  Step(2);
  EXPECT_EQ(c.A, 0x80);
  EXPECT_EQ(c.F & (S | Z | P), S | P);
  Step(2);
  EXPECT_EQ(c.F & (S | Z | P), S);
}

TEST_F(MachineTest, RIsNotCounted) {
  Load({0x3E, 0x42, 0xED, 0x4F, 0x00, 0x00, 0xED, 0x5F}); // LD A,42H; LD R,A; NOP; NOP; LD A,R
  Step(5);
  EXPECT_EQ(c.R, 0x42);
  EXPECT_EQ(c.A, 0x42);
}

} // namespace
} // namespace kavrin
