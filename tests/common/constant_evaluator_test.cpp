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

struct Good {
  std::string text;
  std::int32_t value;
};

class EvaluatesTo : public ::testing::TestWithParam<Good> {};

TEST_P(EvaluatesTo, Value32) {
  auto r = EvaluateConstant32(GetParam().text);
  ASSERT_TRUE(r.ok) << GetParam().text << ": " << r.errorText;
  EXPECT_EQ(r.value, GetParam().value) << GetParam().text;
  EXPECT_TRUE(r.errorText.empty());
}

INSTANTIATE_TEST_SUITE_P(Arithmetic, EvaluatesTo,
                         ::testing::Values(Good{"0", 0}, Good{"1+2", 3}, Good{"2*3+4", 10},
                                           Good{"2+3*4", 14}, Good{"10-4-3", 3},
                                           Good{"100/10/5", 2}, Good{"(1+2)*3", 9},
                                           Good{"2*(3+4)*5", 70}, Good{" 1 + 2 ", 3},
                                           Good{"019", 19}));

INSTANTIATE_TEST_SUITE_P(Quotients, EvaluatesTo,
                         ::testing::Values(Good{"7/2", 3}, Good{"-7/2", -3}, Good{"7/2*2", 6},
                                           Good{"7/(0-2)", -3}, Good{"1/3*3", 0}, Good{"10/3", 3},
                                           Good{"(7/2)*(7/2)", 9}, Good{"10%3", 1},
                                           Good{"-7%3", -1}, Good{"2*7/2", 7}));

INSTANTIATE_TEST_SUITE_P(Negation, EvaluatesTo,
                         ::testing::Values(Good{"-5", -5}, Good{"-(2+3)", -5}, Good{"3*(-2)", -6},
                                           Good{"-2*3", -6}, Good{"(-1)", -1}));

INSTANTIATE_TEST_SUITE_P(Power, EvaluatesTo,
                         ::testing::Values(Good{"2^10", 1024}, Good{"2^3^2", 64}, Good{"3*2^2", 12},
                                           Good{"2^0", 1}, Good{"2^31-1", 2147483647}));

INSTANTIATE_TEST_SUITE_P(Range, EvaluatesTo,
                         ::testing::Values(Good{"2147483647", 2147483647},
                                           Good{"2147483648", INT32_MIN}, Good{"4294967295", -1},
                                           Good{"-2147483648", INT32_MIN}, Good{"65535*65537", -1},
                                           Good{"4294967296/2", INT32_MIN}));

INSTANTIATE_TEST_SUITE_P(Functions, EvaluatesTo,
                         ::testing::Values(Good{"ABS(0-5)", 5}, Good{"abs(-5)", 5},
                                           Good{"SQR(12)", 144}, Good{"EXP(1)*1000", 2718},
                                           Good{"LOG(EXP(3))", 3}, Good{"SIN(0)", 0},
                                           Good{"COS(0)*7", 7}, Good{"ATN(1)*4000", 3141},
                                           Good{"TAN(1)*100", 155}, Good{"ABS(ABS(0-2)*3)", 6}));

struct Bad {
  std::string text;
  std::string errorText;
};

class FailsWith : public ::testing::TestWithParam<Bad> {};

TEST_P(FailsWith, ErrorText) {
  auto r = EvaluateConstant32(GetParam().text);
  EXPECT_FALSE(r.ok) << GetParam().text << " gave " << r.value;
  EXPECT_EQ(r.errorText, GetParam().errorText) << GetParam().text;
  auto w = EvaluateConstant16(GetParam().text);
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.errorText, GetParam().errorText);
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, FailsWith,
    ::testing::Values(Bad{"", "Error at Syntax error"}, Bad{"   ", "Error at Syntax error"},
                      Bad{"1+", "Error at Syntax error"}, Bad{"*2", "Error at Syntax error"},
                      Bad{"2*-3", "Error at Syntax error"}, Bad{"()", "Error at Syntax error"},
                      Bad{"1(2)", "Error at Syntax error"}, Bad{"(1)(2)", "Error at Syntax error"},
                      Bad{"1.5", "Error at Syntax error"}, Bad{"12AB", "Error at Syntax error"},
                      Bad{"ABS", "Error at Syntax error"}, Bad{"ABS()", "Error at Syntax error"},
                      Bad{"1&2", "Error at Syntax error"}));

INSTANTIATE_TEST_SUITE_P(
    Parentheses, FailsWith,
    ::testing::Values(Bad{"(1+2", "Error at Unbalanced number of open/closed paranthesis"},
                      Bad{"1+2)", "Error at Unbalanced number of open/closed paranthesis"},
                      Bad{")(", "Error at Unbalanced number of open/closed paranthesis"}));

INSTANTIATE_TEST_SUITE_P(Functions, FailsWith,
                         ::testing::Values(Bad{"FOO(1)", "Error at Wrong function name : FOO"},
                                           Bad{"X", "Error at Wrong function name : X"},
                                           Bad{"LOG(0)", "Error at Invalid function argument"},
                                           Bad{"(0-8)^ATN(1)",
                                               "Error at Invalid function argument"}));

INSTANTIATE_TEST_SUITE_P(
    Undefined, FailsWith,
    ::testing::Values(
        Bad{"1/0", "Error at Division by zero"}, Bad{"5%0", "Error at Division by zero"},
        Bad{"1/(2-2)", "Error at Division by zero"}, Bad{"1/(1/2)", "Error at Division by zero"},
        Bad{"4294967296", "Error at Result out of the 32-bit range"},
        Bad{"-2147483649", "Error at Result out of the 32-bit range"},
        Bad{"99999999999*99999999999", "Error at Result out of the 32-bit range"},
        Bad{"10^5000", "Error at Overflow"}, Bad{std::string(6000, '9'), "Error at Overflow"},
        Bad{"EXP(100000)", "Error at Invalid function argument"}));

TEST(Evaluator, AllowsExactlyTheItemLimit) {
  // ABS(1) is two items, each "+1" two more: 100 items.
  auto r = EvaluateConstant32("ABS(1)" + Repeat("+1", 49));
  ASSERT_TRUE(r.ok) << r.errorText;
  EXPECT_EQ(r.value, 50);
  auto over = EvaluateConstant32("ABS(1)" + Repeat("+1", 50));
  EXPECT_FALSE(over.ok);
  EXPECT_EQ(over.errorText, "Error at Expression has more than 100 items");
}

TEST(Evaluator, InsertedZeroCountsAsItem) {
  // "-ABS(1)" becomes "0-ABS(1)": four items, then 96 more give 100.
  auto atLimit = EvaluateConstant32("-ABS(1)" + Repeat("+1", 48));
  ASSERT_TRUE(atLimit.ok) << atLimit.errorText;
  EXPECT_EQ(atLimit.value, 47);
  EXPECT_FALSE(EvaluateConstant32("-ABS(1)" + Repeat("+1", 49)).ok);
}

TEST(Evaluator, DeepNestingIsBoundedNotACrash) {
  EXPECT_EQ(EvaluateConstant32(Repeat("(", 100) + "7" + Repeat(")", 100)).value, 7);
  auto deep = EvaluateConstant32(Repeat("(", 100000) + "7" + Repeat(")", 100000));
  EXPECT_FALSE(deep.ok);
  EXPECT_EQ(deep.errorText, "Error at Expression nested more than 100 levels");
}

TEST(Evaluator, SixteenBitFormKeepsLowBits) {
  struct Case {
    const char* text;
    std::uint16_t value;
  };
  for (Case c : {Case{"65535+2", 1}, Case{"0-1", 0xFFFF}, Case{"4294967295", 0xFFFF},
                 Case{"49152+16", 0xC010}, Case{"65536*3+5", 5}, Case{"-32768", 0x8000}}) {
    auto r = EvaluateConstant16(c.text);
    ASSERT_TRUE(r.ok) << c.text << ": " << r.errorText;
    EXPECT_EQ(r.value, c.value) << c.text;
  }
}

} // namespace
} // namespace velkor
