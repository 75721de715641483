#pragma once
// Command-line options as both programs read them, GNU style: "--name VALUE"
// and "--name" may stand before, between or after the file names; "--" ends
// the options; "-" alone is a file name.
//
//   constexpr platform::OptionRule kOptions[] = {
//       {"--project", true}, {"--no-sym"}, {.name = "--pc", .takesValue = true, .once = true}};
//   const platform::ParsedOptions parsed = platform::ParseOptions(args, kOptions);
//   if (parsed.error != platform::OptionError::None)
//     return Usage(platform::OptionErrorText(parsed));
//   if (parsed.Has("--no-sym")) ...;
//   if (const std::string* project = parsed.Value("--project")) ...;
//   for (const std::string& file : parsed.positional) ...;

#include <cstddef>
#include <functional>
#include <limits>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct OptionRule {
  std::string_view name; // with its dashes: "--project"
  bool takesValue = false;
  // A value option given again is an error; without once every value is kept.
  bool once = false;
};

enum class OptionError {
  None,
  UnknownOption,      // "unknown option X"
  MissingValue,       // "X needs a value"
  GivenTwice,         // "X given twice"
  UnexpectedArgument, // "unexpected argument X": more file names than allowed
};

inline constexpr std::size_t kAnyNumberOfFiles = std::numeric_limits<std::size_t>::max();

class ParsedOptions {
public:
  std::vector<std::string> positional;
  // The first problem met, reading from the left, and the argument it is about.
  OptionError error = OptionError::None;
  std::string errorArgument;

  bool Has(std::string_view name) const { return given_.find(name) != given_.end(); }
  // The last value given, or nullptr.
  const std::string* Value(std::string_view name) const;
  // Every value given, in order.
  std::span<const std::string> Values(std::string_view name) const;

private:
  friend ParsedOptions ParseOptions(std::span<const std::string>, std::span<const OptionRule>,
                                    std::size_t);
  std::map<std::string, std::vector<std::string>, std::less<>> given_; // flags: no values
};

ParsedOptions ParseOptions(std::span<const std::string> args, std::span<const OptionRule> rules,
                           std::size_t maxPositional = kAnyNumberOfFiles);

// The error as a line of a usage message; empty when there is none.
std::string OptionErrorText(const ParsedOptions& parsed);

} // namespace platform
