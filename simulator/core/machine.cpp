#include "simulator/core/machine.h"

#include "simulator/core/cpu_pages.h"
#include "simulator/core/onchip.h"

namespace kavrin {

Machine::Machine() : PhysicalMemory(kPhysicalMemorySize, 0) {
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
  for (int i = 0; i < kOnChipRegisterCount; ++i)
    InternalRegisters[i] = kOnChipRegisters[i].reset_value;
  io_base_ = InternalRegisters[onchip::kIcr] & 0xC0;
  UpdateTranslation();
}

void Machine::EndRun(StopReason reason, std::string message) {
  pending_stop_ = reason;
  stop_message_ = std::move(message);
  StepBudget = 1;
}

bool Machine::AtBreakpoint() const {
  for (uint16_t address : CoreBreakpoints) {
    if (address == 0) return false;
    if (address == Cpu.PC) return true;
  }
  return false;
}

StopReason Machine::ExecuteSteps() {
  int chunk = kChunkSize;
  pending_stop_ = StopReason::BudgetUsed;
  stop_message_.clear();
  if (StepBudget == 0) return StopReason::BudgetUsed;
  for (;;) {
    if (AtBreakpoint()) {
      StepBudget = 0;
      return StopReason::Breakpoint;
    }
    kMainPage[FetchByte()](*this);
    ++InstructionCount;
    if (StepBudget == kContinuous) {
      if (--chunk == 0) return StopReason::ChunkEnded;
    } else if (--StepBudget == 0) {
      return pending_stop_;
    }
  }
}

StopReason Machine::RunSimulation(const std::function<void()>& pump) {
  StopReason reason = StopReason::BudgetUsed;
  while (StepBudget != 0) {
    reason = ExecuteSteps();
    if (pump) pump();
  }
  return reason;
}

} // namespace kavrin
