#include "platform/options.h"

#include <algorithm>

namespace platform {
namespace {

bool IsOption(const std::string& arg) {
  return arg.size() >= 2 && arg[0] == '-';
}

ParsedOptions Failed(ParsedOptions parsed, OptionError error, const std::string& argument) {
  parsed.error = error;
  parsed.errorArgument = argument;
  return parsed;
}

} // namespace

const std::string* ParsedOptions::Value(std::string_view name) const {
  const auto it = given_.find(name);
  return it == given_.end() || it->second.empty() ? nullptr : &it->second.back();
}

std::span<const std::string> ParsedOptions::Values(std::string_view name) const {
  const auto it = given_.find(name);
  if (it == given_.end()) return {};
  return it->second;
}

ParsedOptions ParseOptions(std::span<const std::string> args, std::span<const OptionRule> rules,
                           std::size_t maxPositional) {
  ParsedOptions parsed;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (optionsEnded || !IsOption(arg)) {
      if (parsed.positional.size() == maxPositional)
        return Failed(std::move(parsed), OptionError::UnexpectedArgument, arg);
      parsed.positional.push_back(arg);
      continue;
    }
    const auto rule = std::find_if(rules.begin(), rules.end(),
                                   [&arg](const OptionRule& r) { return r.name == arg; });
    if (rule == rules.end()) return Failed(std::move(parsed), OptionError::UnknownOption, arg);
    std::vector<std::string>& values = parsed.given_[arg];
    if (!rule->takesValue) continue;
    if (i + 1 >= args.size()) return Failed(std::move(parsed), OptionError::MissingValue, arg);
    if (rule->once && !values.empty())
      return Failed(std::move(parsed), OptionError::GivenTwice, arg);
    values.push_back(args[++i]);
  }
  return parsed;
}

std::string OptionErrorText(const ParsedOptions& parsed) {
  const std::string& arg = parsed.errorArgument;
  switch (parsed.error) {
  case OptionError::None:
    return {};
  case OptionError::UnknownOption:
    return "unknown option " + arg;
  case OptionError::MissingValue:
    return arg + " needs a value";
  case OptionError::GivenTwice:
    return arg + " given twice";
  case OptionError::UnexpectedArgument:
    return "unexpected argument " + arg;
  }
  return {};
}

} // namespace platform
