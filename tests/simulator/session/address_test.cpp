#include "simulator/session/address.h"

#include <gtest/gtest.h>

namespace kavrin {
namespace {

TEST(ResolveAddress, HexFirstThenSymbolElseMessage) {
  SymbolTable symbols;
  symbols.Add("0100", 0x0100, "START");
  symbols.Add("0200", 0x0200, "BEEF1");
  symbols.Add("0300", 0x0300, "ABC"); // all hex digits: never reached by name
  struct Case {
    const char* text;
    bool ok;
    std::uint32_t value;
    const char* message;
  } cases[] = {
      {"1234", true, 0x1234, ""},
      {"ffff", true, 0xFFFF, ""},
      {"12340", true, 0x12340, ""},
      {"", true, 0, ""},
      {"start", true, 0x0100, ""},
      {"ABC", true, 0xABC, ""},
      {"beef1", true, 0xBEEF1, ""},
      {"12G4", false, 0, "Cannot resolve 12G4"},
      {"nosuch", false, 0, "Cannot resolve NOSUCH"},
      {"0x10", false, 0, "Cannot resolve 0X10"},
      {" 10", false, 0, "Cannot resolve  10"},
      {"00000000FFFFFFFF", true, 0xFFFFFFFF, ""},
      {"100000000", false, 0, "Cannot resolve 100000000"},
  };
  for (const Case& c : cases) {
    const ResolvedAddress r = ResolveAddress(c.text, symbols);
    EXPECT_EQ(r.ok, c.ok) << c.text;
    EXPECT_EQ(r.value, c.value) << c.text;
    EXPECT_EQ(r.message, c.message) << c.text;
  }
}

TEST(ParsePortAddress, AcceptsTwoHexDigitsBelowFF) {
  EXPECT_EQ(ParsePortAddress("80"), 0x80);
  EXPECT_EQ(ParsePortAddress("fe"), 0xFE);
  EXPECT_EQ(ParsePortAddress("0"), 0x00);
  EXPECT_FALSE(ParsePortAddress("FF").has_value());
  EXPECT_FALSE(ParsePortAddress("").has_value());
  EXPECT_FALSE(ParsePortAddress("100").has_value());
  EXPECT_FALSE(ParsePortAddress("G1").has_value());
}

} // namespace
} // namespace kavrin
