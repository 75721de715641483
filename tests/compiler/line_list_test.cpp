// The buffer of generated lines and the peephole history ring: both are
// written for every instruction, so they are kept flat, and these cases pin
// down that the flat forms behave as a list of lines and a newest-first list.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "compiler/emit/emit_history.h"
#include "compiler/emit/line_list.h"

namespace velkor {
namespace {

using Lines = std::vector<std::string>;

// Random edits done to a LineList and to a vector of strings: the two always
// hold the same lines, also past the size from which the buffers are mapped
// (a few lines of 10,000 characters), and a copy keeps its own lines.
TEST(LineList, BehavesAsAListOfLines) {
  std::mt19937 random(7);
  LineList list;
  Lines model;
  const auto check = [](const LineList& l, const Lines& m) {
    ASSERT_EQ(l.size(), m.size());
    EXPECT_EQ(l.Lines(), m);
    std::string text;
    for (const std::string& line : m)
      text += line + "\r\n";
    EXPECT_EQ(l.Text(), text);
    EXPECT_EQ(Lines(l.begin(), l.end()), m);
    if (!m.empty()) EXPECT_EQ(l.back(), m.back());
  };
  for (int step = 0; step < 3000; ++step) {
    const std::size_t length = step % 151 == 0 ? 10000 : random() % 41;
    const std::string line(length, static_cast<char>('a' + step % 26));
    switch (random() % 8) {
    case 0:
    case 1:
      list.push_back(line);
      model.push_back(line);
      break;
    case 2:
      list.push_back_joined({"\t", line, "x"});
      model.push_back("\t" + line + "x");
      break;
    case 3:
      list.push_back_tabbed(line);
      model.push_back("\t" + line);
      break;
    case 4:
      if (!model.empty()) {
        const std::size_t at = random() % model.size();
        list.erase(at);
        model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
      }
      break;
    case 5:
      list.insert_front({line, ""});
      model.insert(model.begin(), {line, ""});
      break;
    case 6: {
      LineList tail{line, "y"};
      list.append(tail);
      model.insert(model.end(), {line, "y"});
      break;
    }
    default:
      if (random() % 20 == 0) {
        const std::size_t keep = random() % (model.size() + 2);
        list.truncate(keep);
        model.resize(std::min(keep, model.size()));
      }
    }
    if (step % 100 == 0) check(list, model);
  }
  check(list, model);
  const LineList copy = list;
  const Lines kept = model;
  list.clear();
  check(list, {});
  check(copy, kept);
  EXPECT_EQ(Lines(kept.begin() + 1, kept.end()), copy.Lines(1));
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
