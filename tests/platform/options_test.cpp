#include "platform/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace platform {
namespace {

constexpr OptionRule kRules[] = {
    {"--project", true},
    {"--no-sym"},
    {.name = "--pc", .takesValue = true, .once = true},
};

TEST(Options, SplitFilesFromOptionsOrNameTheFirstProblemAndKeepValues) {
  constexpr std::size_t kAny = kAnyNumberOfFiles;
  const struct {
    std::vector<std::string> args;
    std::size_t maxFiles;
    std::vector<std::string> files;
    const char* error; // "" when the line is good
  } cases[] = {
      {{"--no-sym", "A", "--project", "P", "B"}, kAny, {"A", "B"}, ""},
      // A value is taken as it stands, even when it looks like an option.
      {{"--project", "--no-sym", "A"}, kAny, {"A"}, ""},
      {{"A", "--", "--no-sym", "-"}, kAny, {"A", "--no-sym", "-"}, ""},
      {{"A", "-x"}, kAny, {}, "unknown option -x"},
      {{"A", "--project"}, kAny, {}, "--project needs a value"},
      {{"--pc", "1", "--pc", "2"}, kAny, {}, "--pc given twice"},
      {{"A", "B", "--frob"}, 1, {}, "unexpected argument B"},
      {{"A", "--frob", "B"}, 1, {}, "unknown option --frob"},
  };
  for (const auto& c : cases) {
    const ParsedOptions parsed = ParseOptions(c.args, kRules, c.maxFiles);
    EXPECT_EQ(OptionErrorText(parsed), c.error) << c.args[0] << " " << c.args[1];
    if (parsed.error == OptionError::None) EXPECT_EQ(parsed.positional, c.files);
  }
  const ParsedOptions parsed = ParseOptions(
      std::vector<std::string>{"--project", "one", "--no-sym", "--project", "two"}, kRules);
  EXPECT_TRUE(parsed.Has("--no-sym"));
  EXPECT_EQ(*parsed.Value("--project"), "two") << "the last one counts";
  EXPECT_EQ(std::vector<std::string>(parsed.Values("--project").begin(),
                                     parsed.Values("--project").end()),
            (std::vector<std::string>{"one", "two"}));
}

} // namespace
} // namespace platform
