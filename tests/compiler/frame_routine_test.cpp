#include "compiler/emit/frame_routine.h"

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using testing_support::Code;
using testing_support::Lines;

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
      {ResultClass::Byte, Code("ld hl,(F)|ld h,0|push hl"), 10},
      {ResultClass::Word, Code("ld hl,(F)|push hl"), 8},
      {ResultClass::Long, Code("ld hl,(F+2)|push hl|ld hl,(F)|push hl"), 12},
      {ResultClass::String, Code("ld hl,F|call __PushString"), 10},
      {ResultClass::Structured, Code("ld hl,F|push hl"), 8},
  };
  for (const Case& c : cases) {
    LineBlock block = FunctionEndLines(12, "F", c.result);
    Lines expected = Code("@@12:|pop iy");
    expected.insert(expected.end(), c.middle.begin(), c.middle.end());
    expected.push_back("\tjp (iy)");
    EXPECT_EQ(block.lines, expected);
    EXPECT_EQ(block.size, c.size);
    EXPECT_EQ(block.externs.empty(), c.result != ResultClass::String);
  }
}

} // namespace
} // namespace velkor
