// The buffer of generated lines and the peephole history ring: both are
// written for every instruction, so they are kept flat, and these cases pin
// down that the flat forms behave as a list of lines and a newest-first list.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compiler/emit/emit_history.h"
#include "compiler/emit/line_list.h"

namespace velkor {
namespace {

using Lines = std::vector<std::string>;

TEST(LineList, HoldsLinesAndTheirFileText) {
  LineList list;
  list.push_back("\tCODE");
  list.push_back_joined({"\t", "ld hl,", "5"});
  list.push_back("");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[1], "\tld hl,5");
  EXPECT_EQ(list[2], "");
  EXPECT_EQ(list.back(), "");
  EXPECT_EQ(list.Text(), "\tCODE\r\n\tld hl,5\r\n\r\n");
  EXPECT_EQ(list.Lines(1), (Lines{"\tld hl,5", ""}));
}

TEST(LineList, EraseClosesUpAndKeepsTheLaterLines) {
  LineList list{"a", "push hl", "bcd", "e"};
  list.erase(1);
  EXPECT_EQ(list.Lines(), (Lines{"a", "bcd", "e"}));
  list.erase(2);
  EXPECT_EQ(list.Lines(), (Lines{"a", "bcd"}));
  list.push_back("f");
  EXPECT_EQ(list.Text(), "a\r\nbcd\r\nf\r\n");
  list.erase(0);
  EXPECT_EQ(list.Lines(), (Lines{"bcd", "f"}));
}

TEST(LineList, TruncateInsertFrontAndAppend) {
  LineList list{"1", "2", "3"};
  list.truncate(5); // past the end: nothing to remove
  EXPECT_EQ(list.size(), 3u);
  list.truncate(1);
  EXPECT_EQ(list.Lines(), (Lines{"1"}));
  list.insert_front({" EXTERN A", ""});
  EXPECT_EQ(list.Lines(), (Lines{" EXTERN A", "", "1"}));
  LineList tail{"x", "y"};
  list.append(tail);
  EXPECT_EQ(list.Text(), " EXTERN A\r\n\r\n1\r\nx\r\ny\r\n");
  EXPECT_EQ(list[4], "y");
  LineList empty;
  list.append(empty);
  EXPECT_EQ(list.size(), 5u);
}

TEST(LineList, CopiesAreIndependentAndLongLinesGrowTheBuffer) {
  // 3 MB: past the size from which the buffers are mapped rather than heap.
  const std::string longLine(10000, 'x');
  LineList list;
  for (int i = 0; i < 300; ++i)
    list.push_back_joined({"\t", std::to_string(i), longLine});
  list.insert_front({"head"});
  list.erase(1);
  ASSERT_EQ(list.size(), 300u);
  EXPECT_EQ(list[0], "head");
  EXPECT_EQ(list[1], "\t1" + longLine);
  EXPECT_EQ(list.back(), "\t299" + longLine);
  LineList copy = list;
  list.truncate(0);
  ASSERT_EQ(copy.size(), 300u);
  EXPECT_EQ(copy[299], "\t299" + longLine);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(list.Text(), "");
  // Every piece length takes one of the copy paths.
  for (std::size_t n = 0; n <= 40; ++n)
    list.push_back(std::string(n, static_cast<char>('a' + n % 26)));
  for (std::size_t n = 0; n <= 40; ++n)
    EXPECT_EQ(list[n], std::string(n, static_cast<char>('a' + n % 26)));
  std::vector<std::string> seen(list.begin(), list.end());
  EXPECT_EQ(seen, list.Lines());
}

TEST(EmitHistory, NewestFirstAcrossManyPushes) {
  using enum HistoryTag;
  EmitHistory h;
  EXPECT_TRUE(h.Matches({None, None, None, None, None, None, None, None, None, None}));
  const HistoryTag cycle[] = {Constant, Push, WordVariable, ZeroHigh, PopDE};
  for (int i = 0; i < 25; ++i)
    h.Push(cycle[i % 5], static_cast<std::uint32_t>(i));
  EXPECT_EQ(h.Tag(0), PopDE);
  EXPECT_EQ(h.Value(0), 24u);
  EXPECT_EQ(h.Tag(9), Constant);
  EXPECT_EQ(h.Value(9), 15u);
  EXPECT_TRUE(h.Matches({PopDE, ZeroHigh, WordVariable}));
  EXPECT_TRUE(h.Matches({PopDE, ZeroHigh, WordVariable, Push, Constant, PopDE, ZeroHigh,
                         WordVariable, Push, Constant}));
  EXPECT_FALSE(h.Matches({PopDE, ZeroHigh, WordVariable, Push, Constant, PopDE, ZeroHigh,
                          WordVariable, Push, Constant, PopDE})); // longer than the history
  EXPECT_FALSE(h.Matches({PopDE, ZeroHigh, Push}));
}

TEST(EmitHistory, RemoveAtClosesUpAndBlanksTheOldestEntry) {
  using enum HistoryTag;
  EmitHistory h;
  for (int i = 0; i < 12; ++i)
    h.Push(i % 2 ? Push : Constant, static_cast<std::uint32_t>(100 + i));
  // Newest first: 111 down to 102; 100 and 101 have dropped out.
  h.RemoveAt(1);
  EXPECT_TRUE(h.Matches({Push, Push, Constant}));
  EXPECT_EQ(h.Value(1), 109u);
  EXPECT_EQ(h.Value(8), 102u);
  EXPECT_EQ(h.Tag(9), None);
  EXPECT_EQ(h.Value(9), 0u);
  h.Push(Label, 7);
  EXPECT_TRUE(h.Matches({Label, Push, Push, Constant}));
  EXPECT_EQ(h.Value(9), 102u);
  h.Clear();
  EXPECT_TRUE(h.Matches({None, None, None, None, None, None, None, None, None, None}));
}

} // namespace
} // namespace velkor
