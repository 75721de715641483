// kavrin-cli run: the program's terminal output on stdout, keys from stdin.

#include <unistd.h>

#include <cstdio>

#include "platform/text.h"
#include "simulator/cli/board_options.h"
#include "simulator/cli/commands.h"
#include "simulator/cli/console.h"
#include "simulator/cli/cpm_run.h"
#include "simulator/cli/image_setup.h"
#include "simulator/cli/memory_dump.h"
#include "simulator/cli/port_watch.h"
#include "simulator/cli/raw_terminal.h"
#include "simulator/cli/run_stats.h"
#include "simulator/cli/stdin_keys.h"
#include "simulator/core/disasm.h"
#include "simulator/core/run_control.h"
#include "simulator/session/address.h"
#include "simulator/session/run_display.h"

namespace kavrin::cli {
namespace {

constexpr platform::OptionRule kRunOptions[] = {
    {.name = "--load-at", .takesValue = true, .once = true},
    {.name = "--pc", .takesValue = true, .once = true},
    {.name = "--sym", .takesValue = true, .once = true},
    {.name = "--break", .takesValue = true},
    {.name = "--max-steps", .takesValue = true, .once = true},
    {.name = "--terminal-port", .takesValue = true, .once = true},
    {.name = "--regs"},
    {.name = "--trace"},
    {.name = "--stats"},
    {.name = "--clock", .takesValue = true, .once = true},
    {.name = "--wait-states", .takesValue = true, .once = true},
    {.name = "--board"},
    {.name = "--rom-size", .takesValue = true, .once = true},
    {.name = "--in", .takesValue = true},
    {.name = "--log-io"},
    {.name = "--dump", .takesValue = true, .once = true},
    {.name = "--console", .takesValue = true, .once = true},
    {.name = "--raw"},
};

constexpr std::uint32_t kMaxDumpLength = 0x10000;

void PrintRegisters(const Machine& machine) {
  for (const std::string& line : RegisterDisplay(machine))
    Report(line);
  Report(CountsField(machine));
}

} // namespace

int RunCommand(const std::vector<std::string>& args) {
  if (WantsCpmRun(args)) return CpmRunCommand(args);
  int exitCode = kExitOk;
  const auto commandLine = ReadCommandLine(args, kRunOptions, exitCode);
  if (!commandLine) return exitCode;
  const platform::ParsedOptions& options = *commandLine;

  Session session;
  if (const auto text = options.Value("--terminal-port")) {
    const auto port = ParsePortAddress(*text);
    if (!port)
      return UsageError("--terminal-port needs a port of one or two hex digits below FFH, not " +
                        *text);
    session.SetTerminalPort(*port);
  }
  unsigned long long maxSteps = 0;
  if (const auto text = options.Value("--max-steps")) {
    const auto count = ParseCount(*text);
    if (!count) return UsageError("--max-steps needs a positive decimal count, not " + *text);
    maxSteps = *count;
  }
  const auto boardOptions = ReadBoardOptions(options, session, exitCode);
  if (!boardOptions) return exitCode;
  const auto& [clockMhz, board, consoleKind] = *boardOptions;
  const auto breakTexts = options.Values("--break");
  if (breakTexts.size() > kBreakpointCount) return UsageError("at most 4 breakpoints");

  const auto image = LoadForCommand(session, options, exitCode);
  if (!image) return exitCode;
  Machine& machine = session.machine();
  ApplyBoardSettings(board, machine);

  // Addresses resolve against the symbols just read, as in the window.
  std::uint16_t pc =
      image->loadAddress < kLogicalSpaceSize ? static_cast<std::uint16_t>(image->loadAddress) : 0;
  if (const auto text = options.Value("--pc")) {
    const ResolvedAddress r = ResolveAddress(*text, session.symbols);
    if (!r.ok) {
      Report(r.message);
      return kExitError;
    }
    pc = static_cast<std::uint16_t>(r.value);
  }
  const auto breakpoints = ResolveBreakpoints(breakTexts, session, exitCode);
  if (!breakpoints) return exitCode;
  std::uint16_t dumpFrom = 0;
  std::uint32_t dumpLength = 0;
  if (const auto text = options.Value("--dump")) {
    const std::size_t comma = text->find(',');
    const auto length = comma == std::string::npos
                            ? std::nullopt
                            : ParseHex(std::string_view(*text).substr(comma + 1), kMaxDumpLength);
    if (!length || *length == 0)
      return UsageError("--dump needs ADDRESS,LENGTH with the length in hex from 1 to 10000, not " +
                        *text);
    const ResolvedAddress r = ResolveAddress(text->substr(0, comma), session.symbols);
    if (!r.ok) {
      Report(r.message);
      return kExitError;
    }
    dumpFrom = static_cast<std::uint16_t>(r.value);
    dumpLength = *length;
  }
  machine.Cpu.PC = pc;

  RawTerminal raw(STDIN_FILENO);
  StdinKeys keys(STDIN_FILENO);
  Console console(session, consoleKind, keys);
  const bool logIo = options.Has("--log-io");
  PortWatch watch(
      machine, logIo,
      [&console](std::uint8_t port, std::uint8_t value) { return console.IdlePoll(port, value); },
      [&] { return !raw.Active() && console.InputEnded(); });

  RunPlan plan{.breakpoints = *breakpoints, .instructionLimit = maxSteps};
  const bool tracing = options.Has("--trace");
  std::uint64_t romWritesShown = 0;
  const auto reportRomWrites = [&] {
    if (!tracing || machine.RomWrites() == romWritesShown) return;
    romWritesShown = machine.RomWrites();
    Report("Write to ROM at " + platform::Hex(machine.LastRomWrite(), 5) + "H ignored");
  };
  // The port log names each access's instruction, so it runs step by step too.
  if (tracing || logIo)
    plan.trace = [&] {
      watch.InstructionAt(machine.Cpu.PC);
      if (!tracing) return;
      reportRomWrites();
      Report(ExecutionLine(machine, session.symbols, machine.Cpu.PC, true));
    };
  const StopReason reason = machine.Run(plan, [&] {
    console.Pump();
    watch.ChunkEnded();
  });
  reportRomWrites();
  int result = kExitOk;
  if (watch.WaitingAtEnd()) {
    Report(kWaitingAtEndMessage);
    result = kExitWaitingForInput;
  } else if (reason == StopReason::BudgetUsed) {
    // Without a limit only Stop() ends a run this way, and nothing calls it here.
    Report("Step limit of " + std::to_string(maxSteps) + " instructions reached at " +
           platform::Hex(machine.Cpu.PC, 4) + "H");
    result = kExitStepLimit;
  } else if (reason == StopReason::Breakpoint) {
    Report(BreakpointMessage(machine.Cpu.PC));
  } else if (reason == StopReason::IllegalOpcode || reason == StopReason::UnsupportedIm0) {
    Report(machine.StopMessage());
    result = kExitError;
  }
  std::fflush(stdout);
  if (options.Has("--regs")) PrintRegisters(machine);
  for (const std::string& row : DumpRows(machine, dumpFrom, dumpLength))
    Report(row);
  if (options.Has("--stats"))
    for (const std::string& line : StatsLines(machine, clockMhz))
      Report(line);
  return result;
}

} // namespace kavrin::cli
