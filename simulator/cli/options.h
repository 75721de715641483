#pragma once
// A small option reader: "--name value" pairs and "--flag" switches after
// one positional argument.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kavrin::cli {

struct OptionTable {
  std::set<std::string> withValue; // may repeat only when listed in repeatable
  std::set<std::string> repeatable;
  std::set<std::string> switches;
};

struct ParsedOptions {
  std::string positional;
  std::map<std::string, std::vector<std::string>> values;
  std::set<std::string> switches;
  std::string error; // set when the command line is unusable

  std::optional<std::string> Value(const std::string& name) const;
  bool Has(const std::string& name) const { return switches.count(name) != 0; }
};

ParsedOptions ParseOptions(const std::vector<std::string>& args, const OptionTable& known);

// A positive decimal count.
std::optional<unsigned long long> ParseCount(const std::string& text);

} // namespace kavrin::cli
