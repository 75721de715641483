// String routines: the stack layout round trip, cuts at 255 and at the
// destination's capacity, concatenation, comparison, COPY, POS, INSERT and
// DELETE against std::string.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

const std::vector<std::string> kStrings = {"",
                                           "a",
                                           "ab",
                                           "abc",
                                           "abd",
                                           "abcd",
                                           "hello",
                                           "hello world",
                                           std::string("\xC8x"),
                                           std::string(200, 'A'),
                                           std::string(255, 'B')};

std::string Cut(const std::string& s, std::size_t n) {
  return s.substr(0, std::min(s.size(), n));
}

TEST(StringStack, PushPopCutMoveAndDrop) {
  CaseBatch batch;
  for (const std::string& s : kStrings) {
    const std::string what = "length " + std::to_string(s.size());
    batch.PushString(s);
    batch.ExpectPoppedString(s, "push/pop " + what);
    batch.ExpectBalancedStack("push/pop " + what);

    // A capacity of 10 stores 10 characters and leaves the next byte alone.
    std::uint16_t cut = batch.Slot(12);
    batch.Code("ld a,0EEH", "ld (" + std::to_string(cut + 11) + "),a");
    batch.PushString(s);
    batch.Code("ld hl," + std::to_string(cut), "ld b,10", "call __popString");
    batch.Expect(cut, StringBytes(Cut(s, 10)), "popString cut " + what);
    batch.Expect(cut + 11, {0xEE}, "popString cut guard " + what);
    batch.ExpectBalancedStack("popString cut " + what);

    std::uint16_t moved = batch.Slot(12);
    batch.Code("ld a,0EEH", "ld (" + std::to_string(moved + 11) + "),a");
    batch.Code("ld hl," + batch.Literal(s), "ld de," + std::to_string(moved), "ld b,10",
               "call __moveString");
    batch.Expect(moved, StringBytes(Cut(s, 10)), "moveString " + what);
    batch.Expect(moved + 11, {0xEE}, "moveString guard " + what);

    // The address beneath the string stays for the caller's pop hl.
    std::uint16_t viaAddress = batch.Slot(8);
    batch.PushWord(viaAddress);
    batch.PushString(s);
    batch.Code("ld b,6", "call __popStringHL", "pop hl");
    batch.Expect(viaAddress, StringBytes(Cut(s, 6)), "popStringHL " + what);
    batch.ExpectBalancedStack("popStringHL " + what);

    batch.PushString(s);
    batch.Code("call __dumpstring");
    batch.ExpectBalancedStack("dumpstring " + what);
  }
  batch.Run();
}

TEST(StringConcatenation, ResultsCutAt255) {
  CaseBatch batch;
  for (const std::string& left : kStrings) {
    for (const std::string& right : kStrings) {
      batch.PushString(left);
      batch.PushString(right);
      batch.Code("call __AddStrings");
      batch.ExpectPoppedString(Cut(left + right, 255), "AddStrings " + std::to_string(left.size()) +
                                                           "+" + std::to_string(right.size()));
      batch.ExpectBalancedStack("AddStrings");
    }
  }
  for (const std::string& s :
       {std::string(), std::string("ab"), std::string(254, 'A'), std::string(255, 'B')}) {
    batch.PushString(s);
    batch.PushWord('?');
    batch.Code("call __AddCharToString");
    batch.ExpectPoppedString(Cut(s + "?", 255), "AddCharToString " + std::to_string(s.size()));
    batch.ExpectBalancedStack("AddCharToString");
    batch.PushWord('?');
    batch.PushString(s);
    batch.Code("call __AddStringToChar");
    batch.ExpectPoppedString(Cut("?" + s, 255), "AddStringToChar " + std::to_string(s.size()));
    batch.ExpectBalancedStack("AddStringToChar");
  }
  batch.PushWord('A');
  batch.PushWord('B');
  batch.Code("call __TwoCharsToString");
  batch.ExpectPoppedString("AB", "TwoCharsToString");
  batch.PushWord('A');
  batch.Code("call __CharToString");
  batch.ExpectPoppedString("A", "CharToString");
  batch.ExpectBalancedStack("chars");
  batch.Run();
}

TEST(StringCompare, EveryRelationIsLexicographic) {
  // Characters compare as unsigned bytes.
  using Text = std::basic_string<unsigned char>;
  const struct {
    const char* routine;
    bool (*holds)(const Text&, const Text&);
  } relations[] = {
      {"__sequ", [](const Text& a, const Text& b) { return a == b; }},
      {"__snotequ", [](const Text& a, const Text& b) { return a != b; }},
      {"__sless", [](const Text& a, const Text& b) { return a < b; }},
      {"__slessorequ", [](const Text& a, const Text& b) { return a <= b; }},
      {"__sgreater", [](const Text& a, const Text& b) { return a > b; }},
      {"__sgreaterorequ", [](const Text& a, const Text& b) { return a >= b; }},
  };
  CaseBatch batch;
  for (const auto& r : relations) {
    for (const std::string& left : kStrings) {
      for (const std::string& right : kStrings) {
        batch.PushString(left);
        batch.PushString(right);
        batch.Code(std::string("call ") + r.routine);
        bool holds = r.holds(Text(left.begin(), left.end()), Text(right.begin(), right.end()));
        batch.ExpectBoolean(holds, std::string(r.routine) + "(" + Cut(left, 6) + "," +
                                       Cut(right, 6) + ")");
        batch.ExpectBalancedStack(r.routine);
      }
    }
  }
  batch.Run();
}

// COPY(s, index, count): an index below 1 counts as 1, past the end gives ''.
TEST(StringCopy, IndexAndCountEdges) {
  const std::string source = "hello world";
  CaseBatch batch;
  for (int index : {-1, 0, 1, 2, 5, 11, 12, 13, 300}) {
    for (int count : {-5, 0, 1, 3, 11, 20, 300}) {
      batch.Code("ld hl," + batch.Literal(source), "push hl");
      batch.PushWord(static_cast<std::uint16_t>(index));
      batch.PushWord(static_cast<std::uint16_t>(count));
      batch.Code("call __CopyString");
      std::size_t from = static_cast<std::size_t>(std::max(index, 1));
      std::string expected =
          from <= source.size() ? source.substr(from - 1, std::max(count, 0)) : "";
      batch.ExpectPoppedString(expected,
                               "COPY(" + std::to_string(index) + "," + std::to_string(count) + ")");
      batch.ExpectBalancedStack("COPY");
    }
  }
  batch.Run();
}

TEST(StringPos, FirstOccurrenceFromStart) {
  const struct {
    std::string find, in;
    int start;
  } cases[] = {{"o", "hello world", 1}, {"o", "hello world", 6},
               {"o", "hello world", 9}, {"world", "hello world", 1},
               {"", "abc", 1},          {"abc", "abc", 1},
               {"abcd", "abc", 1},      {"c", "abc", 3},
               {"c", "abc", 4},         {"x", "abc", -3},
               {"ll", "hello", 0},      {"lo", "hello", 300},
               {"aab", "aaab", 1},      {std::string(255, 'B'), std::string(255, 'B'), 1}};
  CaseBatch batch;
  for (const auto& c : cases) {
    std::uint16_t at = batch.Slot(2);
    batch.PushString(c.find);
    batch.Code("ld hl," + batch.Literal(c.in), "push hl",
               "ld hl," + Hex(static_cast<std::uint16_t>(c.start)), "call __POSN", "pop hl",
               "ld (" + std::to_string(at) + "),hl");
    int start = std::max(c.start, 1), expected = 0;
    if (!c.find.empty() && start <= 255) {
      auto found = c.in.find(c.find, start - 1);
      if (found != std::string::npos) expected = static_cast<int>(found) + 1;
    }
    batch.Expect(at, WordBytes(expected),
                 "POSN(" + Cut(c.find, 6) + "," + Cut(c.in, 12) + "," + std::to_string(c.start) +
                     ")");
    batch.ExpectBalancedStack("POSN");
  }
  batch.Run();
}

// INSERT never writes past the target's capacity.
TEST(StringInsert, CutAtCapacity) {
  const struct {
    std::string insert, target;
    int index, capacity;
  } cases[] = {{"XY", "hello", 1, 20},
               {"XY", "hello", 3, 20},
               {"XY", "hello", 6, 20},
               {"XY", "hello", 9, 20},
               {"XY", "hello", 0, 20},
               {"XY", "hello", 3, 6},
               {"XYZ", "hello", 3, 4},
               {"XY", "hello", 5, 5},
               {"XY", "hello", 6, 5},
               {"", "abc", 2, 10},
               {std::string(200, 'A'), std::string(100, 'B'), 50, 255},
               {"abc", "", 1, 2},
               {"XY", "hello", -4, 7}};
  CaseBatch batch;
  for (const auto& c : cases) {
    std::uint16_t at = batch.Slot(c.capacity + 2);
    batch.Code("ld a,0EEH", "ld (" + std::to_string(at + c.capacity + 1) + "),a");
    batch.Code("ld hl," + batch.Literal(c.target), "ld de," + std::to_string(at),
               "ld b," + std::to_string(c.capacity), "call __moveString");
    batch.PushString(c.insert);
    batch.PushWord(at);
    batch.PushWord(static_cast<std::uint16_t>(c.index));
    batch.Code("ld b," + std::to_string(c.capacity), "call __Insert");
    std::size_t i =
        static_cast<std::size_t>(std::clamp(c.index, 1, static_cast<int>(c.target.size()) + 1));
    std::string expected =
        Cut(c.target.substr(0, i - 1) + c.insert + c.target.substr(i - 1), c.capacity);
    std::string what = "INSERT(" + Cut(c.insert, 4) + "," + Cut(c.target, 6) + "," +
                       std::to_string(c.index) + ") cap " + std::to_string(c.capacity);
    batch.Expect(at, StringBytes(expected), what);
    batch.Expect(at + c.capacity + 1, {0xEE}, what + " guard");
    batch.ExpectBalancedStack(what);
  }
  batch.Run();
}

TEST(StringDelete, OutsideTheStringDeletesNothing) {
  const struct {
    int index, count;
  } cases[] = {{1, 1},  {2, 2}, {5, 1},  {5, 9},   {6, 1}, {0, 2},
               {-1, 2}, {2, 0}, {2, -1}, {1, 300}, {3, 3}, {300, 1}};
  const std::string s = "hello";
  CaseBatch batch;
  for (const auto& c : cases) {
    std::uint16_t at = batch.Slot(8);
    batch.Code("ld hl," + batch.Literal(s), "ld de," + std::to_string(at), "ld b,7",
               "call __moveString");
    batch.PushWord(at);
    batch.PushWord(static_cast<std::uint16_t>(c.index));
    batch.PushWord(static_cast<std::uint16_t>(c.count));
    batch.Code("call __Delete");
    std::string expected = s;
    if (c.index >= 1 && c.index <= static_cast<int>(s.size()) && c.count >= 1)
      expected.erase(c.index - 1, c.count);
    batch.Expect(at, StringBytes(expected),
                 "DELETE(" + std::to_string(c.index) + "," + std::to_string(c.count) + ")");
    batch.ExpectBalancedStack("DELETE");
  }
  batch.Run();
}

} // namespace
} // namespace rtltest
