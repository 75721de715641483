#include "simulator/cli/run_stats.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kavrin::cli {
namespace {

std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

} // namespace

std::vector<std::string> StatsLines(const Machine& machine, double clockMhz) {
  const double milliseconds = static_cast<double>(machine.TStates()) / (clockMhz * 1000.0);
  return {
      "Instructions: " + std::to_string(machine.InstructionCount()),
      "T-states: " + std::to_string(machine.TStates()),
      "Simulated time: " + Format("%.6f", milliseconds) + " ms at " + Format("%g", clockMhz) +
          " MHz",
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
