#include "simulator/cli/image_setup.h"

#include <cstdio>

#include "simulator/cli/commands.h"
#include "simulator/session/address.h"

namespace kavrin::cli {

void Report(const std::string& line) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", line.c_str());
}

std::optional<LoadedImage> LoadForCommand(Session& session, const platform::ParsedOptions& options,
                                          int& exitCode, std::uint32_t defaultAddress) {
  LoadedImage image{.loadAddress = defaultAddress};
  if (const auto text = options.Value("--load-at")) {
    const ResolvedAddress at = ResolveAddress(*text, SymbolTable{});
    if (!at.ok || at.value >= kPhysicalMemorySize) {
      exitCode = UsageError(
          "--load-at needs a physical address of at most five hex digits below 100000H, not " +
          *text);
      return std::nullopt;
    }
    image.loadAddress = at.value;
  }
  std::string symbolMessage;
  const LoadResult loaded =
      session.LoadAndReset(options.positional.front(), image.loadAddress, false, &symbolMessage);
  if (!loaded.ok) {
    Report(loaded.message);
    exitCode = kExitError;
    return std::nullopt;
  }
  if (!loaded.message.empty()) Report(loaded.message);
  if (const auto symFile = options.Value("--sym")) {
    const SymbolFileResult read = ReadSymbolFile(*symFile, session.symbols);
    if (!read.ok) symbolMessage = read.message;
  }
  if (!symbolMessage.empty()) {
    Report(symbolMessage);
    exitCode = kExitError;
    return std::nullopt;
  }
  image.size = loaded.stored;
  image.fileSize = loaded.fileSize;
  return image;
}

std::optional<BreakpointList> ResolveBreakpoints(std::span<const std::string> texts,
                                                 const Session& session, int& exitCode) {
  BreakpointList breakpoints{};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const ResolvedAddress r = ResolveAddress(texts[i], session.symbols);
    if (!r.ok) {
      Report(r.message);
      exitCode = kExitError;
      return std::nullopt;
    }
    // The core's list ends at the first 0000H, so 0000H cannot be armed.
    if ((r.value & 0xFFFF) == 0) {
      exitCode = UsageError("a breakpoint cannot be set at 0000H");
      return std::nullopt;
    }
    breakpoints[i] = static_cast<std::uint16_t>(r.value);
  }
  return breakpoints;
}

} // namespace kavrin::cli
