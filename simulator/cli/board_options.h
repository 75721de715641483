#pragma once
// The options of kavrin-cli run that set up the board: --clock,
// --wait-states, --board, --rom-size, --console and --in.

#include <optional>

#include "simulator/cli/console.h"
#include "simulator/cli/options.h"
#include "simulator/session/run_session.h"

namespace kavrin::cli {

struct BoardOptions {
  double clockMhz;
  BoardSettings board;
  ConsoleKind console;
};

// Reads them and sets the --in ports in the session's I/O page; on a bad one
// prints the usage error, sets exitCode and returns nothing.
std::optional<BoardOptions> ReadBoardOptions(const platform::ParsedOptions& options,
                                             Session& session, int& exitCode);

} // namespace kavrin::cli
