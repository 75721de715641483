#include "compiler/emit/frame_routine.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

using Lines = std::vector<std::string>;

TEST(RoutineFrame, ProcedureEndsWithRetAndAnEmptyLine) {
  LineBlock block = ProcedureEndLines();
  EXPECT_EQ(block.lines, (Lines{"\tret", ""}));
  EXPECT_EQ(block.size, 1u);
}

TEST(RoutineFrame, FunctionPushesItsResultByClass) {
  struct Case {
    ResultClass result;
    Lines middle;
    std::uint32_t size;
  };
  const Case cases[] = {
      {ResultClass::Byte, {"\tld hl,(F)", "\tld h,0", "\tpush hl"}, 10},
      {ResultClass::Word, {"\tld hl,(F)", "\tpush hl"}, 8},
      {ResultClass::Long, {"\tld hl,(F+2)", "\tpush hl", "\tld hl,(F)", "\tpush hl"}, 12},
      {ResultClass::String, {"\tld hl,F", "\tcall __PushString"}, 10},
      {ResultClass::Structured, {"\tld hl,F", "\tpush hl"}, 8},
  };
  for (const Case& c : cases) {
    LineBlock block = FunctionEndLines(12, "F", c.result);
    Lines expected{"@@12:", "\tpop iy"};
    expected.insert(expected.end(), c.middle.begin(), c.middle.end());
    expected.push_back("\tjp (iy)");
    EXPECT_EQ(block.lines, expected);
    EXPECT_EQ(block.size, c.size);
    EXPECT_EQ(block.externs.empty(), c.result != ResultClass::String);
  }
}

} // namespace
} // namespace velkor
