#pragma once
// What run and disasm share: loading the image and its symbols into a session.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "simulator/cli/options.h"
#include "simulator/core/machine.h"
#include "simulator/session/run_session.h"

namespace kavrin::cli {

struct LoadedImage {
  std::uint32_t loadAddress = 0;
  std::uint32_t size = 0;
  std::uintmax_t fileSize = 0;
};

// Loads per --load-at (else at defaultAddress) and --sym and resets; prints
// the tool's lines on stderr. Returns nothing and sets exitCode on failure.
std::optional<LoadedImage> LoadForCommand(Session& session, const platform::ParsedOptions& options,
                                          int& exitCode, std::uint32_t defaultAddress = 0);

// The --break addresses, resolved through the loaded symbols. Returns
// nothing and sets exitCode when one does not resolve or is 0000H.
std::optional<BreakpointList> ResolveBreakpoints(std::span<const std::string> texts,
                                                 const Session& session, int& exitCode);

// Prints one line of the tool's own on stderr.
void Report(const std::string& line);

} // namespace kavrin::cli
