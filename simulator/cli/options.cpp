#include "simulator/cli/options.h"

#include <charconv>

#include "simulator/cli/commands.h"

namespace kavrin::cli {

std::optional<platform::ParsedOptions> ReadCommandLine(const std::vector<std::string>& args,
                                                       std::span<const platform::OptionRule> rules,
                                                       int& exitCode) {
  platform::ParsedOptions options = platform::ParseOptions(args, rules, 1);
  if (options.error != platform::OptionError::None) {
    exitCode = UsageError(platform::OptionErrorText(options));
    return std::nullopt;
  }
  if (options.positional.empty()) {
    exitCode = UsageError("no image file given");
    return std::nullopt;
  }
  return options;
}

std::optional<unsigned long long> ParseCount(const std::string& text) {
  unsigned long long value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || ptr != text.data() + text.size() || text.empty() || value == 0)
    return std::nullopt;
  return value;
}

std::optional<std::uint32_t> ParseHex(std::string_view text, std::uint32_t maxValue) {
  std::uint32_t value = 0;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value > maxValue)
    return std::nullopt;
  return value;
}

} // namespace kavrin::cli
