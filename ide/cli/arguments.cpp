#include "ide/cli/arguments.h"

namespace velkor::cli {

bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionRule> rules,
                    ParsedArguments& parsed, const Invocation& run) {
  parsed = platform::ParseOptions(args, rules);
  if (parsed.error == platform::OptionError::None) return true;
  // velkor-cli has always named a missing value's option this way.
  run.UsageError(parsed.error == platform::OptionError::MissingValue
                     ? "option " + parsed.errorArgument + " needs a value"
                     : platform::OptionErrorText(parsed));
  return false;
}

} // namespace velkor::cli
