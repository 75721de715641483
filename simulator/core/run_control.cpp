#include "simulator/core/run_control.h"

#include <algorithm>
#include <string_view>

#include "platform/text.h"
#include "simulator/core/disasm.h"

namespace kavrin {
namespace {

RunOutcome Run(Machine& machine, const Pump& pump) {
  RunOutcome outcome;
  outcome.reason = machine.RunSimulation(pump ? pump : Pump([] {}));
  if (outcome.reason == StopReason::IllegalOpcode || outcome.reason == StopReason::UnsupportedIm0)
    outcome.message = machine.StopMessage();
  return outcome;
}

void ClearCoreBreakpoints(Machine& machine) {
  machine.CoreBreakpoints.fill(0);
}

} // namespace

std::string BreakpointMessage(std::uint16_t address) {
  return "Breakpoint at " + platform::Hex(address, 4) + "H reached";
}

RunOutcome StepOne(Machine& machine, const Pump& pump) {
  return MultiStep(machine, 1, pump);
}

RunOutcome MultiStep(Machine& machine, int count, const Pump& pump) {
  ClearCoreBreakpoints(machine);
  machine.StepBudget = static_cast<std::uint8_t>(std::clamp(count, 1, kMaxMultiStep));
  return Run(machine, pump);
}

RunOutcome RunToBreakpoints(Machine& machine, const UserBreakpoints& breakpoints,
                            const Pump& pump) {
  ClearCoreBreakpoints(machine);
  std::copy(breakpoints.begin(), breakpoints.end(), machine.CoreBreakpoints.begin());
  machine.StepBudget = kContinuous;
  RunOutcome outcome = Run(machine, pump);
  const std::uint16_t pc = machine.Cpu.PC;
  if (outcome.message.empty() && std::any_of(breakpoints.begin(), breakpoints.end(),
                                             [pc](std::uint16_t b) { return b != 0 && b == pc; }))
    outcome.message = BreakpointMessage(pc);
  return outcome;
}

RunOutcome GotoAddress(Machine& machine, std::uint16_t target, const Pump& pump) {
  ClearCoreBreakpoints(machine);
  machine.CoreBreakpoints[0] = target;
  machine.StepBudget = kContinuous;
  return Run(machine, pump);
}

bool IsCallAt(const Machine& machine, const SymbolTable& symbols, std::uint16_t* returnAddress) {
  const Disassembly line = Disassemble(
      [&machine](std::uint32_t a) { return machine.ReadByte(static_cast<std::uint16_t>(a)); },
      machine.Cpu.PC, std::string::npos, AddressSpace::Logical, &symbols);
  const std::string_view mnemonic = std::string_view(line.text).substr(line.mnemonicOffset);
  if (!mnemonic.starts_with("CALL") && !mnemonic.starts_with("RST")) return false;
  if (returnAddress) *returnAddress = static_cast<std::uint16_t>(machine.Cpu.PC + line.length);
  return true;
}

RunOutcome StepOver(Machine& machine, const SymbolTable& symbols, const Pump& pump) {
  std::uint16_t next = 0;
  if (IsCallAt(machine, symbols, &next)) return GotoAddress(machine, next, pump);
  return StepOne(machine, pump);
}

} // namespace kavrin
