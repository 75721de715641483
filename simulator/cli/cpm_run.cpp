#include "simulator/cli/cpm_run.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "platform/paths.h"
#include "platform/text.h"
#include "simulator/cli/commands.h"
#include "simulator/cli/cpm_console.h"
#include "simulator/cli/image_setup.h"
#include "simulator/core/run_control.h"
#include "simulator/session/address.h"
#include "simulator/session/cpm_system.h"
#include "simulator/session/run_display.h"

namespace kavrin::cli {
namespace {

constexpr platform::OptionRule kCpmRunOptions[] = {
    {.name = "--cpm"},
    {.name = "--args", .takesValue = true, .once = true},
    {.name = "--cpm-dir", .takesValue = true, .once = true},
    {.name = "--sym", .takesValue = true, .once = true},
    {.name = "--break", .takesValue = true},
    {.name = "--max-steps", .takesValue = true, .once = true},
    {.name = "--regs"},
    {.name = "--trace"},
};

} // namespace

bool WantsCpmRun(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--cpm") return true;
    if (arg == "--raw") return false;
  }
  const platform::ParsedOptions options = platform::ParseOptions(args, kCpmRunOptions, 1);
  return options.error == platform::OptionError::None && !options.positional.empty() &&
         platform::UpperExtension(options.positional.front()) == ".COM";
}

int CpmRunCommand(const std::vector<std::string>& args) {
  int exitCode = kExitOk;
  const auto commandLine = ReadCommandLine(args, kCpmRunOptions, exitCode);
  if (!commandLine) return exitCode;
  const platform::ParsedOptions& options = *commandLine;

  unsigned long long maxSteps = 0;
  if (const auto text = options.Value("--max-steps")) {
    const auto count = ParseCount(*text);
    if (!count) return UsageError("--max-steps needs a positive decimal count, not " + *text);
    maxSteps = *count;
  }
  const auto breakTexts = options.Values("--break");
  if (breakTexts.size() > kBreakpointCount) return UsageError("at most 4 breakpoints");
  std::string directory = ".";
  if (const auto text = options.Value("--cpm-dir")) {
    if (!std::filesystem::is_directory(*text))
      return UsageError("--cpm-dir needs a directory, not " + *text);
    directory = *text;
  }

  Session session;
  const auto image = LoadForCommand(session, options, exitCode, kCpmProgramStart);
  if (!image) return exitCode;
  Machine& machine = session.machine();

  const auto breakpoints = ResolveBreakpoints(breakTexts, session, exitCode);
  if (!breakpoints) return exitCode;

  StdinConsole console(STDIN_FILENO);
  CpmSystem cpm(machine, console, directory);
  const std::string* tail = options.Value("--args");
  if (const std::string error = cpm.Start(image->fileSize, tail ? *tail : std::string());
      !error.empty()) {
    Report(options.positional.front() + ": " + error);
    return kExitError;
  }

  RunPlan plan{.breakpoints = *breakpoints, .instructionLimit = maxSteps};
  if (options.Has("--trace"))
    plan.trace = [&] { Report(ExecutionLine(machine, session.symbols, machine.Cpu.PC, true)); };
  const CpmOutcome outcome = cpm.Run(plan, [] { std::fflush(stdout); });
  std::fflush(stdout);
  int result = kExitOk;
  switch (outcome.end) {
  case CpmEnd::Exit:
    break;
  case CpmEnd::InputEnded:
    Report(outcome.message);
    result = kExitWaitingForInput;
    break;
  case CpmEnd::Error:
    Report(outcome.message);
    result = kExitError;
    break;
  case CpmEnd::MachineStop:
    if (outcome.reason == StopReason::Breakpoint) {
      Report(BreakpointMessage(machine.Cpu.PC));
    } else {
      Report("Step limit of " + std::to_string(maxSteps) + " instructions reached at " +
             platform::Hex(machine.Cpu.PC, 4) + "H");
      result = kExitStepLimit;
    }
    break;
  }
  if (options.Has("--regs")) {
    for (const std::string& line : RegisterDisplay(machine))
      Report(line);
  }
  return result;
}

} // namespace kavrin::cli
