#include "common/message_list.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

struct TabCase {
  const char* input;
  const char* expected;
};

class TabExpansion : public ::testing::TestWithParam<TabCase> {};

TEST_P(TabExpansion, ExpandsToNextMultipleOfEight) {
  EXPECT_EQ(ExpandTabs(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Columns, TabExpansion,
                         ::testing::Values(TabCase{"", ""}, TabCase{"\t", "        "},
                                           TabCase{"a\tb", "a       b"},
                                           TabCase{"1234567\tx", "1234567 x"},
                                           TabCase{"12345678\tx", "12345678        x"},
                                           TabCase{"\t\tx", "                x"},
                                           TabCase{"ab\t\t", "ab              "},
                                           TabCase{"no tabs", "no tabs"}));

TEST(MessageList, KeepsLinesInOrderAndClears) {
  MessageList list;
  list.AddMessageLine("first");
  list.AddMessageLine("\tLink 0C000H,08000H");
  ASSERT_EQ(list.Lines().size(), 2u);
  EXPECT_EQ(list.Lines()[0], "first");
  EXPECT_EQ(list.Lines()[1], "        Link 0C000H,08000H");
  list.Clear();
  EXPECT_TRUE(list.Empty());
}

TEST(MessageList, ObserversSeeExpandedLinesAsTheyArrive) {
  MessageList list;
  std::vector<std::string> seenA, seenB;
  auto a = list.AddObserver([&](const std::string& line) { seenA.push_back(line); });
  list.AddObserver([&](const std::string& line) { seenB.push_back(line); });
  list.AddMessageLine("x\ty");
  list.RemoveObserver(a);
  list.AddMessageLine("z");
  EXPECT_EQ(seenA, (std::vector<std::string>{"x       y"}));
  EXPECT_EQ(seenB, (std::vector<std::string>{"x       y", "z"}));
}

TEST(MessageList, ObserverMayAddLinesAndRemoveItself) {
  MessageList list;
  MessageList::ObserverId self = 0;
  std::vector<std::string> seen;
  self = list.AddObserver([&](const std::string& line) {
    seen.push_back(line);
    list.RemoveObserver(self);
    list.AddMessageLine("echo of " + line);
  });
  list.AddMessageLine("one");
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"one", "echo of one"}));
  EXPECT_EQ(seen, (std::vector<std::string>{"one"}));
}

} // namespace
} // namespace velkor
