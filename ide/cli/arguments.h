#pragma once
// Option parsing shared by the commands: "--name VALUE" options and "--name"
// flags anywhere among the positional arguments; "--" ends the options.
//
//   static constexpr OptionRule kOptions[] = {{"--target", true}, {"--no-sym", false}};
//   ParsedArguments parsed;
//   if (!ParseArguments(run.args, kOptions, parsed, run)) return kExitUsage;
//   if (parsed.Has("--no-sym")) ...;  parsed.Value("--target");  parsed.positional

#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ide/cli/command.h"

namespace velkor::cli {

struct OptionRule {
  std::string_view name;
  bool takesValue;
};

struct ParsedArguments {
  std::map<std::string, std::string, std::less<>> options; // flags map to ""
  std::vector<std::string> positional;

  bool Has(std::string_view name) const { return options.find(name) != options.end(); }
  const std::string* Value(std::string_view name) const;
};

// On a bad argument prints the usage error and returns false.
bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionRule> rules,
                    ParsedArguments& parsed, const Invocation& run);

} // namespace velkor::cli
