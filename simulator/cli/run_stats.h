#pragma once
// What --stats and --regs print about the time a run took.

#include <optional>
#include <string>
#include <vector>

#include "simulator/core/machine.h"
#include "simulator/session/settings.h"

namespace kavrin::cli {

inline constexpr double kDefaultClockMhz = kDefaultClockKHz / 1000.0;
inline constexpr double kMaxClockMhz = kMaxClockKHz / 1000.0;

// "Instructions: N", "T-states: N", "Simulated time: X ms at F MHz".
std::vector<std::string> StatsLines(const Machine& machine, double clockMhz);
// The counts as one more line of the register display.
std::string CountsField(const Machine& machine);

// A clock above 0 and at most kMaxClockMhz, in decimal MHz.
std::optional<double> ParseClockMhz(const std::string& text);

} // namespace kavrin::cli
