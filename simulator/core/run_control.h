#pragma once
// The run modes of the main window over one machine: step, multi-step, run
// to breakpoints, go to an address, step over. Each is one Machine::Run; the
// pump may call machine.Stop().
//
//   const RunOutcome r = RunToBreakpoints(machine, breakpoints, [&] { app.processEvents(); });
//   if (!r.message.empty()) ShowMessage(r.message);

#include <cstdint>
#include <string>

#include "simulator/core/machine.h"

namespace kavrin {

inline constexpr int kDefaultMultiStep = 10;

struct RunOutcome {
  StopReason reason = StopReason::BudgetUsed;
  // The message the window shows for this run, or empty.
  std::string message;
};

RunOutcome StepOne(Machine& machine, const Pump& pump = {});
// count is kept within 1..kMaxMultiStep, as the spin edit keeps it.
RunOutcome MultiStep(Machine& machine, int count, const Pump& pump = {});
// Runs with the breakpoints armed; reports "Breakpoint at XXXXH reached"
// when it stops on one of them.
RunOutcome RunToBreakpoints(Machine& machine, const BreakpointList& breakpoints,
                            const Pump& pump = {});
// Runs with target as the only breakpoint; no breakpoint message.
RunOutcome GotoAddress(Machine& machine, std::uint16_t target, const Pump& pump = {});
// A CALL or RST at PC runs until the instruction after it; anything else steps.
RunOutcome StepOver(Machine& machine, const Pump& pump = {});

// True when the instruction at PC is a CALL or RST, with the address after it.
bool IsCallAt(const Machine& machine, std::uint16_t* returnAddress);

std::string BreakpointMessage(std::uint16_t address);

} // namespace kavrin
