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

struct LineCase {
  std::vector<std::string> args;
  std::size_t maxFiles;
  std::vector<std::string> files;
  const char* error; // OptionErrorText, "" when the line is good
};

class CommandLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLines, SplitFilesFromOptionsOrNameTheFirstProblem) {
  const LineCase& c = GetParam();
  const ParsedOptions parsed = ParseOptions(c.args, kRules, c.maxFiles);
  EXPECT_EQ(OptionErrorText(parsed), c.error);
  if (parsed.error == OptionError::None) EXPECT_EQ(parsed.positional, c.files);
}

constexpr std::size_t kAny = kAnyNumberOfFiles;

INSTANTIATE_TEST_SUITE_P(
    Options, CommandLines,
    ::testing::Values(
        LineCase{{"--no-sym", "A", "--project", "P", "B"}, kAny, {"A", "B"}, ""},
        // A value is taken as it stands, even when it looks like an option.
        LineCase{{"--project", "--no-sym", "A"}, kAny, {"A"}, ""},
        LineCase{{"A", "--", "--no-sym", "-", "--"}, kAny, {"A", "--no-sym", "-", "--"}, ""},
        LineCase{{"-"}, 1, {"-"}, ""}, LineCase{{"A", "-x"}, kAny, {}, "unknown option -x"},
        LineCase{{"A", "--project"}, kAny, {}, "--project needs a value"},
        LineCase{{"--pc", "1", "--pc", "2"}, kAny, {}, "--pc given twice"},
        LineCase{{"--pc", "1", "--pc"}, kAny, {}, "--pc needs a value"},
        // The first problem from the left is the one reported.
        LineCase{{"A", "B", "--frob"}, 1, {}, "unexpected argument B"},
        LineCase{{"A", "--frob", "B"}, 1, {}, "unknown option --frob"},
        LineCase{{"--", "A", "-B"}, 1, {}, "unexpected argument -B"}));

TEST(Options, FlagsAndRepeatedValues) {
  const std::vector<std::string> args = {"--project", "one", "--no-sym",
                                         "--project", "two", "--no-sym"};
  const ParsedOptions parsed = ParseOptions(args, kRules);
  ASSERT_EQ(parsed.error, OptionError::None);
  EXPECT_TRUE(parsed.Has("--no-sym"));
  EXPECT_EQ(parsed.Value("--no-sym"), nullptr) << "a flag has no value";
  EXPECT_FALSE(parsed.Has("--pc"));
  EXPECT_EQ(parsed.Value("--pc"), nullptr);
  EXPECT_TRUE(parsed.Values("--pc").empty());
  ASSERT_NE(parsed.Value("--project"), nullptr);
  EXPECT_EQ(*parsed.Value("--project"), "two") << "the last one counts";
  const std::vector<std::string> all(parsed.Values("--project").begin(),
                                     parsed.Values("--project").end());
  EXPECT_EQ(all, (std::vector<std::string>{"one", "two"}));
}

} // namespace
} // namespace platform
