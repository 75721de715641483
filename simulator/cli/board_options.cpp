#include "simulator/cli/board_options.h"

#include <span>
#include <string>

#include "simulator/cli/commands.h"
#include "simulator/cli/run_stats.h"
#include "simulator/session/address.h"

namespace kavrin::cli {
namespace {

std::nullopt_t Fail(int& exitCode, const std::string& text) {
  exitCode = UsageError(text);
  return std::nullopt;
}

// "MEMORY" or "MEMORY,IO", each a digit 0 to kMaxWaitStates.
bool ParseWaitStates(const std::string& text, int& memory, int& io) {
  const auto digit = [](char c) { return c >= '0' && c <= '0' + kMaxWaitStates ? c - '0' : -1; };
  if (text.size() == 1 || (text.size() == 3 && text[1] == ',')) {
    memory = digit(text[0]);
    io = text.size() == 3 ? digit(text[2]) : 0;
    return memory >= 0 && io >= 0;
  }
  return false;
}

// --in PORT=VALUE, the i-th on input row i of the I/O page.
bool SetInputPorts(std::span<const std::string> texts, Session& session) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string& text = texts[i];
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return false;
    const auto port = ParsePortAddress(text.substr(0, equals));
    const auto value = ParseHex(std::string_view(text).substr(equals + 1), 0xFF);
    if (!port || !value) return false;
    IoPageRow& row = session.panel.Rows()[i];
    row.inputPort = *port;
    row.inputValue = static_cast<std::uint8_t>(*value);
  }
  session.RebuildPortMaps();
  return true;
}

} // namespace

std::optional<BoardOptions> ReadBoardOptions(const platform::ParsedOptions& options,
                                             Session& session, int& exitCode) {
  double clockMhz = kDefaultClockMhz;
  if (const auto text = options.Value("--clock")) {
    const auto parsed = ParseClockMhz(*text);
    if (!parsed)
      return Fail(exitCode, "--clock needs a clock in MHz above 0 and up to 1000, not " + *text);
    clockMhz = *parsed;
  }
  BoardSettings board;
  board.enabled = options.Has("--board");
  if (const auto text = options.Value("--wait-states")) {
    if (!ParseWaitStates(*text, board.memoryWaitStates, board.ioWaitStates))
      return Fail(exitCode, "--wait-states needs MEMORY[,IO], each 0 to 3, not " + *text);
  }
  if (const auto text = options.Value("--rom-size")) {
    const auto k = ParseCount(*text);
    if (!k || *k > kMaxRomSize / 1024)
      return Fail(exitCode, "--rom-size needs a size in K from 1 to " +
                                std::to_string(kMaxRomSize / 1024) + ", not " + *text);
    if (!board.enabled) return Fail(exitCode, "--rom-size needs --board");
    board.romSizeK = static_cast<int>(*k);
  }
  ConsoleKind consoleKind = ConsoleKind::Port;
  if (const auto text = options.Value("--console")) {
    const auto kind = ParseConsoleKind(*text);
    if (!kind) return Fail(exitCode, "--console needs asci0, asci1 or port, not " + *text);
    if (*kind != ConsoleKind::Port && !board.enabled)
      return Fail(exitCode, "--console " + *text + " needs --board");
    consoleKind = *kind;
  }
  const auto inTexts = options.Values("--in");
  if (inTexts.size() > static_cast<std::size_t>(kIoPageRows))
    return Fail(exitCode, "at most " + std::to_string(kIoPageRows) + " --in ports");
  if (!SetInputPorts(inTexts, session))
    return Fail(exitCode, "--in needs PORT=VALUE in hex, the port below FFH and the value a byte");
  return BoardOptions{clockMhz, board, consoleKind};
}

} // namespace kavrin::cli
