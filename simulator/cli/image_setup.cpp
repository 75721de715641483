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

} // namespace kavrin::cli
