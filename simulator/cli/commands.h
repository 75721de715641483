#pragma once
// The commands of kavrin-cli. Each returns the exit code.

#include <string>
#include <vector>

namespace kavrin::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStepLimit = 3;
inline constexpr int kExitWaitingForInput = 4;

int RunCommand(const std::vector<std::string>& args);
int DisasmCommand(const std::vector<std::string>& args);

// Prints "kavrin-cli: " + text on stderr and returns kExitUsage.
int UsageError(const std::string& text);

} // namespace kavrin::cli
