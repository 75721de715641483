#include "compiler/emit/stmt_case_table.h"

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using testing_support::Code;
using testing_support::Lines;

TEST(CaseTable, ConsecutiveSingleValuesUseTheJumpTable) {
  CaseTable table;
  for (unsigned v = 3; v <= 6; ++v)
    ASSERT_TRUE(table.Add(v, v, 10 + v));
  LineBlock d = table.DispatchLines();
  EXPECT_EQ(d.externs, Lines{"__jpTable"});
  EXPECT_EQ(d.lines, (Code("call __jpTable|DB 4,3|DW @@13|DW @@14|DW @@15|DW @@16")));
  EXPECT_EQ(d.size, 13u);
}

TEST(CaseTable, DenseRunMayWrapOnBytes) {
  CaseTable table;
  table.Add(255, 255, 1);
  table.Add(0, 0, 2);
  EXPECT_TRUE(table.IsDense());
}

TEST(CaseTable, GapsRangesAndSingleEntriesUseTheSearch) {
  struct Case {
    std::vector<CaseEntry> entries;
    Lines lines;
  };
  const Case cases[] = {
      {{{3, 3, 1}, {5, 5, 2}}, Code("call __switchbyte|DB 2|DB 3,3|DW @@1|DB 5,5|DW @@2")},
      {{{'A', 'Z', 4}, {'0', '0', 4}},
       Code("call __switchbyte|DB 2|DB 90,65|DW @@4|DB 48,48|DW @@4")},
      {{{7, 7, 9}}, Code("call __switchbyte|DB 1|DB 7,7|DW @@9")},
      {{{4, 4, 1}, {3, 3, 2}}, Code("call __switchbyte|DB 2|DB 4,4|DW @@1|DB 3,3|DW @@2")},
  };
  for (const Case& c : cases) {
    CaseTable table;
    for (const CaseEntry& e : c.entries)
      table.Add(e.low, e.high, e.armLabel);
    LineBlock d = table.DispatchLines();
    EXPECT_EQ(d.externs, Lines{"__switchbyte"});
    EXPECT_EQ(d.lines, c.lines);
    EXPECT_EQ(d.size, 4 + 4 * c.entries.size());
  }
}

TEST(CaseTable, DenseOnlyUpTo127Entries) {
  CaseTable table;
  for (unsigned v = 0; v < 100; ++v)
    ASSERT_TRUE(table.Add(v, v, v));
  EXPECT_TRUE(table.IsDense());
  EXPECT_FALSE(table.Add(100, 100, 100)) << "the 101st label overflows";
  EXPECT_EQ(table.Entries().size(), 100u);
}

} // namespace
} // namespace velkor
