// Shared by the commands that build: the options they take, reading the
// project, running the build function with message boxes printed as lines,
// exit 0 or 1.
//
//   constexpr OptionRule kOptions[] = {kDefineOption, kHexOption};
//   return RunWithProject(run, kOptions, [](BuildSession& s) { return s.Build(); });
#pragma once

#include <functional>
#include <span>

#include "ide/cli/arguments.h"
#include "ide/cli/command.h"
#include "ide/core/build_commands.h"

namespace velkor::cli {

inline constexpr OptionRule kDefineOption{"-D", true}; // -D NAME, repeatable; -DNAME too
// Turn on a project's output for this run, whatever its .Prj says.
inline constexpr OptionRule kHexOption{"--hex"};
inline constexpr OptionRule kMapOption{"--map"};
inline constexpr OptionRule kListOption{"--list"};

int RunWithProject(Invocation& run, std::span<const OptionRule> options,
                   const std::function<bool(BuildSession&)>& work);

// Hands the build options given to the session; false after a usage error.
bool ApplyBuildOptions(const ParsedArguments& parsed, BuildSession& session, const Invocation& run);

} // namespace velkor::cli
