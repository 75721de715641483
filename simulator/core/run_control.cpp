#include "simulator/core/run_control.h"

#include <algorithm>
#include <string_view>

#include "platform/text.h"
#include "simulator/core/disasm.h"

namespace kavrin {
namespace {

RunOutcome Run(Machine& machine, const RunPlan& plan, const Pump& pump) {
  RunOutcome outcome;
  outcome.reason = machine.Run(plan, pump);
  if (outcome.reason == StopReason::IllegalOpcode || outcome.reason == StopReason::UnsupportedIm0)
    outcome.message = machine.StopMessage();
  return outcome;
}

} // namespace

std::string BreakpointMessage(std::uint16_t address) {
  return "Breakpoint at " + platform::Hex(address, 4) + "H reached";
}

RunOutcome StepOne(Machine& machine, const Pump& pump) {
  return MultiStep(machine, 1, pump);
}

RunOutcome MultiStep(Machine& machine, int count, const Pump& pump) {
  RunPlan plan;
  plan.instructionLimit = static_cast<std::uint64_t>(std::clamp(count, 1, kMaxMultiStep));
  return Run(machine, plan, pump);
}

RunOutcome RunToBreakpoints(Machine& machine, const BreakpointList& breakpoints, const Pump& pump) {
  RunOutcome outcome = Run(machine, {.breakpoints = breakpoints}, pump);
  const std::uint16_t pc = machine.Cpu.PC;
  if (outcome.message.empty() && std::any_of(breakpoints.begin(), breakpoints.end(),
                                             [pc](std::uint16_t b) { return b != 0 && b == pc; }))
    outcome.message = BreakpointMessage(pc);
  return outcome;
}

RunOutcome GotoAddress(Machine& machine, std::uint16_t target, const Pump& pump) {
  return Run(machine, {.breakpoints = {target}}, pump);
}

bool IsCallAt(const Machine& machine, std::uint16_t* returnAddress) {
  // Symbols change neither the length nor where the mnemonic starts.
  const Disassembly line = Disassemble(
      [&machine](std::uint32_t a) { return machine.ReadByte(static_cast<std::uint16_t>(a)); },
      machine.Cpu.PC, std::string::npos, AddressSpace::Logical, nullptr);
  const std::string_view mnemonic = std::string_view(line.text).substr(line.mnemonicOffset);
  if (!mnemonic.starts_with("CALL") && !mnemonic.starts_with("RST")) return false;
  if (returnAddress) *returnAddress = static_cast<std::uint16_t>(machine.Cpu.PC + line.length);
  return true;
}

RunOutcome StepOver(Machine& machine, const Pump& pump) {
  std::uint16_t next = 0;
  if (IsCallAt(machine, &next)) return GotoAddress(machine, next, pump);
  return StepOne(machine, pump);
}

} // namespace kavrin
