#include "simulator/core/machine.h"

#include <algorithm>

#include "simulator/core/cpu_pages.h"
#include "simulator/core/cpu_timing.h"
#include "simulator/core/onchip.h"

namespace kavrin {
namespace {

// The steps of the next chunk of a run that has executed this many.
int ChunkSteps(const RunPlan& plan, uint64_t executed) {
  if (plan.trace) return 1;
  if (plan.instructionLimit == 0) return kChunkSize;
  const uint64_t remaining = plan.instructionLimit - executed;
  if (remaining >= static_cast<uint64_t>(kChunkSize)) return kChunkSize;
  return static_cast<int>(std::min<uint64_t>(remaining, kMaxMultiStep));
}

} // namespace

Machine::Machine() : PhysicalMemory(kPhysicalMemorySize, 0) {
  SetWaitStates(0, 0);
  Reset();
  Cpu = CpuState{};
}

void Machine::Reset() {
  CpuState& c = Cpu;
  c.A = c.F = c.AltA = 0;
  c.SetBC(0);
  c.SetDE(0);
  c.SetHL(0);
  c.AltBC = c.AltDE = c.AltHL = 0;
  c.IX = c.IY = c.SP = c.PC = 0;
  c.I = 0;
  c.InterruptsEnabled = false;
  instruction_count_ = 0;
  t_states_ = 0;
  halted_ = false;
  ei_delay_ = false;
  RequestAttention();
  tif_seen_ = 0;
  tmdr_latched_ = 0;
  prt_base_ = 0;
  for (int i = 0; i < kOnChipRegisterCount; ++i)
    InternalRegisters[i] = kOnChipRegisters[i].reset_value;
  io_base_ = InternalRegisters[onchip::kIcr] & 0xC0;
  UpdateTranslation();
  ResetAsci();
  ScheduleEvents();
}

void Machine::SetWaitStates(int memory, int io) {
  memory_wait_ = static_cast<uint8_t>(std::clamp(memory, 0, kMaxWaitStates));
  io_wait_ = static_cast<uint8_t>(std::clamp(io, 0, kMaxWaitStates));
  const TimingPage* pages[kTimingPageCount] = {&kMainTiming, &kIndexTiming, &kCbTiming,
                                               &kIndexCbTiming, &kEdTiming};
  for (int page = 0; page < kTimingPageCount; ++page)
    for (int op = 0; op < 256; ++op) {
      const OpcodeTiming& t = (*pages[page])[op];
      cycles_[page][op] =
          static_cast<uint16_t>(t.states + t.memory * memory_wait_ + t.io * io_wait_);
    }
}

void Machine::EndRun(StopReason reason, std::string message) {
  pending_stop_ = reason;
  stop_message_ = std::move(message);
  // The current instruction is the chunk's last; the steps taken stay counted.
  chunk_steps_ -= steps_left_ - 1;
  steps_left_ = 1;
}

bool Machine::AtBreakpoint() const {
  for (uint16_t address : breakpoints_) {
    if (address == 0) return false;
    if (address == Cpu.PC) return true;
  }
  return false;
}

// The board's checks and the breakpoints' are compiled into loops of their
// own, so that a run pays only for what it uses.
template <bool Board, bool Breakpoints> StopReason Machine::ExecuteSteps() {
  bool halted = Board && halted_; // kept in a register: read only when the board changes it
  uint64_t idle = 0;
  StopReason reason = StopReason::Breakpoint;
  for (;;) {
    if (Breakpoints && AtBreakpoint()) break;
    if (Board && halted) {
      IdleUntilEvent();
      ++idle;
    } else {
      const uint8_t op = FetchByte();
      t_states_ += cycles_[kMainTimingPage][op];
      kMainPage[op](*this);
    }
    if constexpr (Board) {
      if (t_states_ >= attention_at_) halted = Attend();
    }
    if (--steps_left_ == 0) [[unlikely]] {
      reason = pending_stop_;
      break;
    }
  }
  const uint64_t steps = static_cast<uint64_t>(chunk_steps_ - steps_left_);
  instruction_count_ += steps - idle;
  idle_steps_ += idle;
  return reason;
}

StopReason Machine::ExecuteChunk(int steps) {
  steps_left_ = chunk_steps_ = steps;
  pending_stop_ = StopReason::BudgetUsed;
  stop_message_.clear();
  const bool breakpoints = breakpoints_[0] != 0;
  if (board_.enabled) return breakpoints ? ExecuteSteps<true, true>() : ExecuteSteps<true, false>();
  return breakpoints ? ExecuteSteps<false, true>() : ExecuteSteps<false, false>();
}

StopReason Machine::Run(const RunPlan& plan, const Pump& pump) {
  breakpoints_ = plan.breakpoints;
  stop_requested_ = false;
  const uint64_t start = instruction_count_ + idle_steps_;
  for (;;) {
    const uint64_t executed = instruction_count_ + idle_steps_ - start;
    if (plan.instructionLimit != 0 && executed >= plan.instructionLimit)
      return StopReason::BudgetUsed;
    const bool lastStep = stop_requested_;
    const int steps = lastStep ? 1 : ChunkSteps(plan, executed);
    if (plan.trace && !AtBreakpoint()) plan.trace();
    const StopReason reason = ExecuteChunk(steps);
    if (pump) pump();
    if (reason != StopReason::BudgetUsed || lastStep) return reason;
  }
}

} // namespace kavrin
