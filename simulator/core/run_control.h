#pragma once
// The run modes of the main window over one machine: step, multi-step,
// run to breakpoints, go to an address, step over.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/core/symbols.h"

namespace kavrin {

inline constexpr int kMaxMultiStep = 250;
inline constexpr int kDefaultMultiStep = 10;

// User breakpoints as the breakpoint editor keeps them (0 = empty).
using UserBreakpoints = std::array<std::uint16_t, kBreakpointCount>;

struct RunOutcome {
  StopReason reason = StopReason::BudgetUsed;
  // The message the window shows for this run, or empty.
  std::string message;
};

using Pump = std::function<void()>;

RunOutcome StepOne(Machine& machine, const Pump& pump);
RunOutcome MultiStep(Machine& machine, int count, const Pump& pump);
// Runs with the user breakpoints armed; reports "Breakpoint at XXXXH reached"
// when it stops on one of them.
RunOutcome RunToBreakpoints(Machine& machine, const UserBreakpoints& breakpoints, const Pump& pump);
// Runs with target as the only breakpoint; no breakpoint message.
RunOutcome GotoAddress(Machine& machine, std::uint16_t target, const Pump& pump);
// A CALL or RST at PC runs until the instruction after it; anything else steps.
RunOutcome StepOver(Machine& machine, const SymbolTable& symbols, const Pump& pump);

// True when the instruction at PC is a CALL or RST, with the address after it.
bool IsCallAt(const Machine& machine, const SymbolTable& symbols, std::uint16_t* returnAddress);

std::string BreakpointMessage(std::uint16_t address);

} // namespace kavrin
