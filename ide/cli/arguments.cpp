#include "ide/cli/arguments.h"

namespace velkor::cli {

bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionRule> rules,
                    ParsedArguments& parsed, const Invocation& run) {
  // "-DNAME" is "-D NAME", as C compilers take it.
  std::vector<std::string> split;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    optionsEnded = optionsEnded || arg == "--";
    if (!optionsEnded && arg.size() > 2 && arg.starts_with("-D")) {
      split.push_back("-D");
      split.push_back(arg.substr(2));
    } else {
      split.push_back(arg);
    }
  }
  parsed = platform::ParseOptions(split, rules);
  if (parsed.error == platform::OptionError::None) return true;
  // velkor-cli has always named a missing value's option this way.
  run.UsageError(parsed.error == platform::OptionError::MissingValue
                     ? "option " + parsed.errorArgument + " needs a value"
                     : platform::OptionErrorText(parsed));
  return false;
}

} // namespace velkor::cli
