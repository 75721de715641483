#include "ide/cli/arguments.h"

namespace velkor::cli {

const std::string* ParsedArguments::Value(std::string_view name) const {
  auto it = options.find(name);
  return it == options.end() ? nullptr : &it->second;
}

bool ParseArguments(const std::vector<std::string>& args, std::span<const OptionRule> rules,
                    ParsedArguments& parsed, const Invocation& run) {
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const OptionRule* match = nullptr;
    for (const OptionRule& candidate : rules) {
      if (candidate.name == arg) match = &candidate;
    }
    if (match == nullptr) {
      run.UsageError("unknown option " + arg);
      return false;
    }
    if (!match->takesValue) {
      parsed.options[arg] = "";
      continue;
    }
    if (i + 1 >= args.size()) {
      run.UsageError("option " + arg + " needs a value");
      return false;
    }
    parsed.options[arg] = args[++i];
  }
  return true;
}

} // namespace velkor::cli
