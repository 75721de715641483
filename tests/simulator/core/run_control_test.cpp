// The debugger's run commands over the core's Run: step over, run to the
// breakpoints with their message, go to, multi-step.
#include "simulator/core/run_control.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace kavrin {
namespace {

class RunControlTest : public ::testing::Test {
protected:
  void Place(std::uint16_t at, const std::vector<std::uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), m->PhysicalMemory.begin() + at);
  }
  void SetUp() override {
    m->Reset();
    m->Cpu.SP = 0x8000;
  }
  std::unique_ptr<Machine> m = std::make_unique<Machine>();
};

TEST_F(RunControlTest, StepOverRunsACallToTheNextInstruction) {
  Place(0x0100, {0xCD, 0x34, 0x12, 0x00}); // CALL 1234H
  Place(0x1234, {0x3C, 0x3C, 0x3C, 0xC9}); // INC A x3, RET
  m->Cpu.PC = 0x0100;
  const RunOutcome r = StepOver(*m);
  EXPECT_EQ(r.reason, StopReason::Breakpoint);
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(m->Cpu.PC, 0x0103);
  EXPECT_EQ(m->Cpu.A, 3);
  // A conditional call counts as a call.
  Place(0x0100, {0xC4, 0x00, 0x20}); // CALL NZ,2000H
  m->Cpu.PC = 0x0100;
  std::uint16_t next = 0;
  ASSERT_TRUE(IsCallAt(*m, &next));
  EXPECT_EQ(next, 0x0103);
}

TEST_F(RunControlTest, StepOverOnRstAndOnPlainInstructions) {
  Place(0x0008, {0x3C, 0xC9}); // INC A, RET
  Place(0x0200, {0xCF, 0xC9}); // RST 08h, RET
  m->Cpu.PC = 0x0200;
  StepOver(*m);
  EXPECT_EQ(m->Cpu.PC, 0x0201);
  EXPECT_EQ(m->Cpu.A, 1);
  // A RET is single-stepped: it returns to whatever the stack holds.
  Place(0x7FFE, {0x00, 0x30});
  m->Cpu.SP = 0x7FFE;
  StepOver(*m);
  EXPECT_EQ(m->Cpu.PC, 0x3000);
}

TEST_F(RunControlTest, RunStopsAtOnceOnABreakpointAtPcAndStepMovesOn) {
  Place(0x0100, {0x00, 0x00, 0x76});
  m->Cpu.PC = 0x0100;
  const BreakpointList bps = {0x0100, 0, 0, 0};
  RunOutcome r = RunToBreakpoints(*m, bps, {});
  EXPECT_EQ(r.message, "Breakpoint at 0100H reached");
  EXPECT_EQ(m->Cpu.PC, 0x0100);
  r = StepOne(*m, {});
  EXPECT_EQ(m->Cpu.PC, 0x0101);
  r = RunToBreakpoints(*m, bps, {});
  EXPECT_EQ(r.reason, StopReason::Halt);
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(m->Cpu.PC, 0x0103);
}

TEST_F(RunControlTest, GotoHasNoMessageAndMultiStepEndsAtHalt) {
  Place(0x0100, {0x00, 0x00, 0x00, 0x76, 0x00});
  m->Cpu.PC = 0x0100;
  RunOutcome r = GotoAddress(*m, 0x0102, {});
  EXPECT_EQ(r.reason, StopReason::Breakpoint);
  EXPECT_EQ(r.message, "");
  EXPECT_EQ(m->Cpu.PC, 0x0102);
  const std::uint64_t before = m->InstructionCount();
  r = MultiStep(*m, 10, {});
  EXPECT_EQ(r.reason, StopReason::Halt);
  EXPECT_EQ(m->InstructionCount() - before, 2u);
  EXPECT_EQ(m->Cpu.PC, 0x0104);
}

TEST_F(RunControlTest, StopFromThePumpEndsAContinuousRun) {
  Place(0x0000, {0x18, 0xFE}); // JR $
  int pumps = 0;
  const RunOutcome r = RunToBreakpoints(*m, {}, [&] {
    if (++pumps == 3) m->Stop();
  });
  EXPECT_EQ(pumps, 4);
  EXPECT_EQ(r.reason, StopReason::BudgetUsed);
}

TEST_F(RunControlTest, CoreMessagesAreReported) {
  Place(0x0000, {0xCB, 0x30});
  EXPECT_EQ(StepOne(*m, {}).message, "Illegal opcode at 0002H");
}

} // namespace
} // namespace kavrin
