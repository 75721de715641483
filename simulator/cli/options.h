#pragma once
// A kavrin-cli command line: one image file and the command's options
// (platform/options.h), in any order.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/options.h"

namespace kavrin::cli {

// On a bad command line prints the usage error, sets exitCode and returns
// nothing; else positional holds the image file.
std::optional<platform::ParsedOptions> ReadCommandLine(const std::vector<std::string>& args,
                                                       std::span<const platform::OptionRule> rules,
                                                       int& exitCode);

// A positive decimal count.
std::optional<unsigned long long> ParseCount(const std::string& text);

// Hex digits only, at most maxValue.
std::optional<std::uint32_t> ParseHex(std::string_view text, std::uint32_t maxValue);

} // namespace kavrin::cli
