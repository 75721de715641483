// The buffer of generated lines is written for every instruction, so it is
// kept flat; this pins down that the flat form behaves as a list of lines.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

} // namespace
} // namespace velkor
