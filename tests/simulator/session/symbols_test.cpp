#include "simulator/session/symbols.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/platform/test_dir.h"

namespace kavrin {
namespace {

TEST(SymbolTable, LooksUpByNameWithoutCaseAndByAddressFirstRead) {
  SymbolTable t;
  t.Add("0100", 0x0100, "Start");
  t.Add("0100", 0x0100, "Second");
  t.Add("8000", 0x8000, "buffer");
  t.Add("0100", 0x0100, "start"); // a later duplicate name does not win
  EXPECT_EQ(t.FindName("START"), 0x0100);
  EXPECT_EQ(t.FindName("Buffer"), 0x8000);
  EXPECT_FALSE(t.FindName("BUFFE").has_value());
  ASSERT_NE(t.FindAddress(0x0100), nullptr);
  EXPECT_EQ(*t.FindAddress(0x0100), "START");
  EXPECT_EQ(t.FindAddress(0x0101), nullptr);
  EXPECT_EQ(t.Size(), 4u);
}

TEST(SymbolTable, AddressKeyIsTheTextAsWritten) {
  // Lower-case digits are not the four upper-case digits a lookup uses.
  SymbolTable t;
  t.Add("01ab", 0x01AB, "LOWER");
  EXPECT_EQ(t.FindAddress(0x01AB), nullptr);
  EXPECT_EQ(t.FindName("lower"), 0x01AB);
}

TEST(SymbolFile, ParsesLinkerLayout) {
  SymbolTable t;
  const auto r =
      ParseSymbolText("0100 START\r\n8000 DataLabel\n\n   \nFFFF TOP  \n1234 A B", "P.SYM", t);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(t.FindName("DATALABEL"), 0x8000);
  EXPECT_EQ(t.FindName("TOP"), 0xFFFF);
  EXPECT_EQ(t.FindName("A B"), 0x1234);
  EXPECT_EQ(*t.FindAddress(0x0100), "START");
}

TEST(SymbolFile, BadLinesAreReportedAndLeaveTheTableAlone) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"0100 OK\n12 X\n", "Bad symbol file P.SYM, line 2: line too short"},
      {"12G4 NAME\n", "Bad symbol file P.SYM, line 1: address is not four hexadecimal digits"},
      {"12345 NAME\n", "Bad symbol file P.SYM, line 1: no blank after the address"},
      {"1234      \n", "Bad symbol file P.SYM, line 1: no symbol name"},
      {"\x01\x02\x03\x04\x05\x06\n",
       "Bad symbol file P.SYM, line 1: address is not four hexadecimal digits"},
  };
  for (const Case& c : cases) {
    SymbolTable t;
    t.Add("0001", 1, "KEPT");
    const auto r = ParseSymbolText(c.text, "P.SYM", t);
    EXPECT_FALSE(r.ok) << c.text;
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(t.Size(), 1u);
    EXPECT_EQ(t.FindName("KEPT"), 1);
  }
}

TEST(SymbolFile, LongNamesAreCut) {
  SymbolTable t;
  const std::string name(1000, 'Q');
  ASSERT_TRUE(ParseSymbolText("4000 " + name + "\n", "P.SYM", t).ok);
  ASSERT_NE(t.FindAddress(0x4000), nullptr);
  EXPECT_EQ(t.FindAddress(0x4000)->size(), kMaxSymbolNameLength);
}

TEST(SymbolFile, ReadsFromDiskAndFindsTheFileBesideTheImage) {
  kit_test::TestDir dir;
  dir.Write("prog.rom", "x");
  dir.Write("PROG.sym", "0200 MAIN\n");
  const auto found = SymbolFileFor(dir.Path() + "prog.rom");
  EXPECT_EQ(found.filename(), "PROG.sym");
  SymbolTable t;
  ASSERT_TRUE(ReadSymbolFile(found, t).ok);
  EXPECT_EQ(t.FindName("main"), 0x0200);
  const auto missing = ReadSymbolFile(dir.Path() + "none.sym", t);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, "Cannot open symbol file " + dir.Path() + "none.sym");
  EXPECT_EQ(t.FindName("main"), 0x0200);
}

} // namespace
} // namespace kavrin
