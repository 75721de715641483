#include "simulator/cli/run_stats.h"

#include <cmath>
#include <cstdlib>

#include "simulator/session/stopwatch.h"

namespace kavrin::cli {

std::vector<std::string> StatsLines(const Machine& machine, double clockMhz) {
  return {
      "Instructions: " + std::to_string(machine.InstructionCount()),
      "T-states: " + std::to_string(machine.TStates()),
      "Simulated time: " + SimulatedTime(machine.TStates(), clockMhz) + " at " +
          ClockText(clockMhz),
  };
}

std::string CountsField(const Machine& machine) {
  return "Instructions=" + std::to_string(machine.InstructionCount()) +
         " T-states=" + std::to_string(machine.TStates());
}

std::optional<double> ParseClockMhz(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(value) || value <= 0 ||
      value > kMaxClockMhz)
    return std::nullopt;
  return value;
}

} // namespace kavrin::cli
