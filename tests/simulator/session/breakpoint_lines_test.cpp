#include "simulator/session/breakpoint_lines.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

TEST(BreakpointLines, LineForEachKindOfText) {
  SymbolTable symbols;
  symbols.Add("0100", 0x0100, "START");
  symbols.Add("0100", 0x0100, "ALIAS");
  struct Case {
    const char* text;
    const char* line;
    const char* message;
  } cases[] = {
      {"100", "0100H START", ""},   // a number shows the first name read there
      {"alias", "0100H ALIAS", ""}, // a name shows itself
      {"2345", "2345 No symbol", ""},      {"12345", "2345 No symbol", ""}, // 16 bits are kept
      {"12G4", "", "Cannot resolve 12G4"},
  };
  for (const Case& c : cases) {
    const BreakpointLine made = MakeBreakpointLine(c.text, symbols);
    EXPECT_EQ(made.line, c.line) << c.text;
    EXPECT_EQ(made.message, c.message) << c.text;
  }
}

TEST(BreakpointLines, ListFollowsTheLinesInOrder) {
  EXPECT_EQ(BreakpointsFromLines({"0100H START", "2345 No symbol"}),
            (BreakpointList{0x0100, 0x2345, 0, 0}));
  // A 0000H line ends what the core checks; it still takes its place.
  EXPECT_EQ(BreakpointsFromLines({"0000 No symbol", "0200 No symbol"}),
            (BreakpointList{0, 0x0200, 0, 0}));
  EXPECT_EQ(BreakpointsFromLines({}), BreakpointList{});
}

} // namespace
} // namespace kavrin
