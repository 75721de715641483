#include "common/constant_evaluator.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

// "ABS(1)" and each "+1" are two items, so the longest rows hold 100 items;
// "-ABS(1)" becomes "0-ABS(1)", the inserted 0 one more.
TEST(Evaluator, Values) {
  const std::pair<std::string, std::int32_t> cases[] = {
      {"2+3*4", 14},
      {"-7/2", -3},
      {"7/(0-2)", -3}, // a negative quotient rounds toward zero
      {"-7%3", -1},
      {"2^3^2", 64},
      {"2147483648", INT32_MIN},
      {"65535*65537", -1},
      {"EXP(1)*1000", 2718},
      {"ATN(1)*4000", 3141},
      {"ABS(1)" + Repeat("+1", 49), 50},
      {"-ABS(1)" + Repeat("+1", 48), 47},
      {Repeat("(", 100) + "7" + Repeat(")", 100), 7}};
  for (const auto& [text, value] : cases) {
    const auto r = EvaluateConstant32(text);
    EXPECT_TRUE(r.ok) << text << ": " << r.errorText;
    EXPECT_EQ(r.value, value) << text;
  }
}

TEST(Evaluator, Errors) {
  const std::string syntax = "Syntax error", range = "Result out of the 32-bit range",
                    argument = "Invalid function argument";
  const std::pair<std::string, std::string> cases[] = {
      {"", syntax},
      {"2*-3", syntax},
      {"(1+2", "Unbalanced number of open/closed paranthesis"},
      {"FOO(1)", "Wrong function name : FOO"},
      {"LOG(0)", argument},
      {"5%0", "Division by zero"},
      {"4294967296", range},
      {"10^5000", "Overflow"},
      {std::string(6000, '9'), "Overflow"},
      {"ABS(1)" + Repeat("+1", 50), "Expression has more than 100 items"},
      {"-ABS(1)" + Repeat("+1", 49), "Expression has more than 100 items"},
      {Repeat("(", 100000) + "7" + Repeat(")", 100000), "Expression nested more than 100 levels"}};
  for (const auto& [text, error] : cases) {
    const auto r = EvaluateConstant32(text);
    EXPECT_FALSE(r.ok) << text << " gave " << r.value;
    EXPECT_EQ(r.errorText, "Error at " + error) << text.substr(0, 40);
  }
}

} // namespace
} // namespace velkor
