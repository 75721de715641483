#include "simulator/session/stopwatch.h"

#include <cstdio>

namespace kavrin {

RunCounts CountsOf(const Machine& machine) {
  return {machine.InstructionCount(), machine.TStates()};
}

std::string SimulatedTime(std::uint64_t tStates, double clockMhz) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f ms", static_cast<double>(tStates) / (clockMhz * 1000.0));
  return text;
}

std::string ClockText(double clockMhz) {
  char text[32];
  std::snprintf(text, sizeof text, "%g MHz", clockMhz);
  return text;
}

// Counts below the mark mean the machine was reset without the stopwatch
// being told: the lap then starts at the reset.
RunCounts Stopwatch::Since(const Machine& machine) const {
  const RunCounts now = CountsOf(machine);
  if (now.instructions < mark_.instructions || now.tStates < mark_.tStates) return now;
  return {now.instructions - mark_.instructions, now.tStates - mark_.tStates};
}

} // namespace kavrin
