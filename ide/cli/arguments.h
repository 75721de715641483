#pragma once
// The commands' option reading (platform/options.h) with velkor-cli's usage
// errors: "--name VALUE" options and "--name" flags anywhere among the file
// names; "--" ends the options.
//
//   static constexpr OptionRule kOptions[] = {{"--target", true}, {"--no-sym", false}};
//   ParsedArguments parsed;
//   if (!ParseArguments(run.args, kOptions, parsed, run)) return kExitUsage;
//   if (parsed.Has("--no-sym")) ...;  parsed.Value("--target");  parsed.positional

#include <span>
#include <string>
#include <vector>

#include "ide/cli/command.h"
#include "platform/options.h"

namespace velkor::cli {

using platform::OptionRule;
using ParsedArguments = platform::ParsedOptions;

// On a bad argument prints the usage error and returns false.
bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionRule> rules,
                    ParsedArguments& parsed, const Invocation& run);

} // namespace velkor::cli
