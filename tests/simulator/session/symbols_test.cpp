// The symbol table and its file, and the texts a user types for an address:
// a hexadecimal number first, then a symbol.

#include "simulator/session/symbols.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "simulator/session/address.h"
#include "simulator/session/breakpoint_lines.h"

namespace kavrin {
namespace {

TEST(SymbolFile, ReadsTheLinkersLayoutAndLooksUpBothWays) {
  SymbolTable t;
  const std::string text = "0100 Start\r\n0100 Second\n8000 DataLabel\n\n   \nFFFF TOP  \n"
                           "0100 start\n01ab LOWER\n4000 " +
                           std::string(1000, 'Q');
  const auto r = ParseSymbolText(text, "P.SYM", t);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(t.FindName("datalabel"), 0x8000);
  EXPECT_EQ(t.FindName("TOP"), 0xFFFF);
  ASSERT_NE(t.FindAddress(0x0100), nullptr);
  EXPECT_EQ(*t.FindAddress(0x0100), "START"); // the first read, in upper case
  // The address key is the text as written: lower-case digits are not the
  // four upper-case digits a lookup uses.
  EXPECT_EQ(t.FindAddress(0x01AB), nullptr);
  EXPECT_EQ(t.FindName("lower"), 0x01AB);
  ASSERT_NE(t.FindAddress(0x4000), nullptr);
  EXPECT_EQ(t.FindAddress(0x4000)->size(), kMaxSymbolNameLength); // long names are cut
}

TEST(SymbolFile, BadLinesAreReportedAndLeaveTheTableAlone) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"0100 OK\n12 X\n", "line 2: line too short"},
      {"12G4 NAME\n", "line 1: address is not four hexadecimal digits"},
      {"12345 NAME\n", "line 1: no blank after the address"},
      {"1234      \n", "line 1: no symbol name"},
  };
  for (const auto& c : cases) {
    SymbolTable t;
    t.Add("0001", 1, "KEPT");
    const auto r = ParseSymbolText(c.text, "P.SYM", t);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.message, std::string("Bad symbol file P.SYM, ") + c.message);
    EXPECT_EQ(t.Size(), 1u);
  }
}

// A number shows the first name read there, a name itself; breakpoints keep
// 16 bits.
TEST(ResolveAddress, HexFirstThenSymbolElseMessage) {
  SymbolTable symbols;
  symbols.Add("0100", 0x0100, "START");
  symbols.Add("0100", 0x0100, "ALIAS");
  symbols.Add("0300", 0x0300, "ABC"); // all hex digits: never reached by name
  const struct {
    const char* text;
    bool ok;
    std::uint32_t value;
    const char* breakpointLine;
  } cases[] = {
      {"12340", true, 0x12340, "2340 No symbol"},
      {"", true, 0, "0000 No symbol"},
      {"alias", true, 0x0100, "0100H ALIAS"},
      {"100", true, 0x0100, "0100H START"},
      {"ABC", true, 0xABC, "0ABC No symbol"},
      {"00000000FFFFFFFF", true, 0xFFFFFFFF, "FFFF No symbol"},
      {"nosuch", false, 0, ""},
      {"100000000", false, 0, ""},
  };
  for (const auto& c : cases) {
    const ResolvedAddress r = ResolveAddress(c.text, symbols);
    EXPECT_EQ(r.ok, c.ok) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
    const std::string upper = platform::UpperCase(c.text);
    EXPECT_EQ(r.message, c.ok ? "" : "Cannot resolve " + upper) << c.text;
    const BreakpointLine line = MakeBreakpointLine(c.text, symbols);
    EXPECT_EQ(line.line, c.breakpointLine) << c.text;
    EXPECT_EQ(line.message, r.message) << c.text;
  }
  // A 0000H line ends what the core checks; it still takes its place.
  EXPECT_EQ(BreakpointsFromLines({"0000 No symbol", "0100H START"}),
            (BreakpointList{0, 0x0100, 0, 0}));
}

} // namespace
} // namespace kavrin
