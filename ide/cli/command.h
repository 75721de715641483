#pragma once
// The velkor-cli command interface. A command is one row of the table in
// command_table.cpp and one handler in its own cmd_<name>.cpp:
//
//   int RunShow(Invocation& run) {
//     ParsedArguments parsed;
//     if (!ParseArguments(run.args, {}, parsed, run)) return kExitUsage;
//     ...
//     run.messages.AddMessageLine("...");     // printed on stdout as it arrives
//     return run.Fail("cannot read X.Prj: ...");   // one line on stderr, exit 1
//   }
//
// Exit statuses: 0 success, 1 the first error, 2 a usage error.
// -q/--quiet, anywhere among a command's arguments, leaves on stdout only the
// last line the tools wrote; the diagnostics on stderr stay.

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/message_list.h"
#include "ide/core/build_commands.h"

namespace velkor::cli {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Invocation {
  std::string_view command;
  std::vector<std::string> args; // after the command name
  MessageList& messages;         // tool output, one line at a time on stdout
  std::ostream& out;
  std::ostream& err;

  // One line "velkor-cli: TEXT" on stderr; the returned status is handed back.
  int Fail(std::string_view text) const;
  // "FILE:LINE:COLUMN: error: TEXT" (or warning:) on stderr, the path relative to the
  // current directory when it lies below it; without a text, the last line
  // the tools wrote.
  void Diagnose(const Diagnostic& diagnostic) const;
  int UsageError(std::string_view text) const;
};

struct Command {
  std::string_view name;
  std::string_view usage;   // the arguments after the command name
  std::string_view summary; // one line for --help
  int (*run)(Invocation&);
};

std::span<const Command> Commands();
const Command* FindCommand(std::string_view name);

// Runs velkor-cli with its arguments (without the program name).
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace velkor::cli
