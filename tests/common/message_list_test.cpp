#include "common/message_list.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

// Observers see expanded lines as they arrive, and one may add a line and
// remove itself from inside its call. A tab goes to the next multiple of 8.
TEST(MessageList, ObserversSeeExpandedLinesAsTheyArrive) {
  EXPECT_EQ(ExpandTabs("12345678\tx\t"), "12345678        x       ");
  MessageList list;
  std::vector<std::string> seenA, seenB;
  MessageList::ObserverId a = 0;
  a = list.AddObserver([&](const std::string& line) {
    seenA.push_back(line);
    list.RemoveObserver(a);
    list.AddMessageLine("echo");
  });
  list.AddObserver([&](const std::string& line) { seenB.push_back(line); });
  list.AddMessageLine("x\ty");
  list.AddMessageLine("z");
  EXPECT_EQ(seenA, (std::vector<std::string>{"x       y"}));
  EXPECT_EQ(seenB, (std::vector<std::string>{"echo", "x       y", "z"}));
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"x       y", "echo", "z"}));
  list.Clear();
  EXPECT_TRUE(list.Empty());
}

} // namespace
} // namespace velkor
