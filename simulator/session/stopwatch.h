#pragma once
// The machine's instruction and T-state counts, the time they take at a
// clock, and a stopwatch over them that the user zeroes. kavrin-cli's
// --stats and the main window both show these.
//
//   Stopwatch watch;
//   watch.Zero(machine);
//   machine.Run(plan);
//   const RunCounts lap = watch.Since(machine);
//   label = SimulatedTime(lap.tStates, session.board.clockKHz / 1000.0); // "0.054253 ms"

#include <cstdint>
#include <string>

#include "simulator/core/machine.h"

namespace kavrin {

struct RunCounts {
  std::uint64_t instructions = 0;
  std::uint64_t tStates = 0;
};

RunCounts CountsOf(const Machine& machine);
// The time tStates take at clockMhz, in milliseconds with six decimals: "12.345678 ms".
std::string SimulatedTime(std::uint64_t tStates, double clockMhz);
// "18.432 MHz": the clock as the user gave it, without trailing zeros.
std::string ClockText(double clockMhz);

class Stopwatch {
public:
  void Zero(const Machine& machine) { mark_ = CountsOf(machine); }
  // Forgets the mark; for when the machine's counts start again (Reset CPU).
  void Clear() { mark_ = {}; }
  RunCounts Since(const Machine& machine) const;

private:
  RunCounts mark_;
};

} // namespace kavrin
