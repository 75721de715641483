// Every numbered error, produced by a source that commits it, with the number
// and the text users know. The error lines are the message and the offending
// line (upper case).
#include "asm_test_support.h"
#include "assembler/asm_errors.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

struct ErrorCase {
  const char* source;
  int number;
  const char* text;
  const char* line; // the offending line as reported
};

std::string wordsOf(int count) {
  std::string s = " DW 0";
  for (int i = 1; i < count; ++i)
    s += ",0";
  return s + "\n";
}

class AssemblerError : public testing::TestWithParam<ErrorCase> {};

TEST_P(AssemblerError, ReportsNumberTextAndLine) {
  const ErrorCase& c = GetParam();
  const auto a = test::assemble(c.source);
  ASSERT_FALSE(a.ok()) << c.source;
  EXPECT_EQ(a.result.error.number, c.number) << c.source;
  EXPECT_EQ(a.result.error.message, c.text);
  EXPECT_EQ(a.errorLines(), std::string(c.text) + "|" + c.line);
  if (c.number != asmerr::FreeText) {
    EXPECT_EQ(asmerr::ErrorText(c.number), c.text);
  }
  // The object is still written, marked as failed.
  ASSERT_GE(a.result.image.size(), 4u);
  EXPECT_EQ(a.result.image[3], 0);
}

INSTANTIATE_TEST_SUITE_P(
    Numbered, AssemblerError,
    testing::Values(
        ErrorCase{" sub a,b\n", 0, "Syntax error", " SUB A,B"},
        ErrorCase{"X: NOP\nx NOP\n", 2, "Duplicate  label", "X NOP"},
        ErrorCase{" LOAD 12G4H,'F.BIN'\n", 4, "Invalid numeric", " LOAD 12G4H,'F.BIN'"},
        ErrorCase{": NOP\n", 5, "Invalid label", ": NOP"},
        ErrorCase{" INCLUDE NOPE.MAC\n", 6, "Include file not found", " INCLUDE NOPE.MAC"},
        ErrorCase{" MACRO A\n", 8, "MACRO keyword must be preceeded by name (label)", " MACRO A"},
        ErrorCase{"M MACRO\nL: NOP\n MACEND\n", 9, "Labels inside of Macros not allowed", "L: NOP"},
        ErrorCase{"M MACRO\nN MACRO\n", 9, "Labels inside of Macros not allowed", "N MACRO"},
        ErrorCase{"A1 MACRO\n NOP\n MACEND\nB1 MACRO\n A1\n MACEND\n", 10,
                  "Macros may not reference other macros", " A1"},
        ErrorCase{" EXTERN 12H\n", 11, "A numeric connot be external/global", " EXTERN 12H"},
        ErrorCase{" GLOBAL 7\n", 11, "A numeric connot be external/global", " GLOBAL 7"},
        ErrorCase{" GLOBAL FOO\n NOP\n", 12, "Global label is not defined", " GLOBAL FOO"},
        ErrorCase{" EXTERN FOO\n GLOBAL FOO\n", 13, "Global label is external", " GLOBAL FOO"},
        ErrorCase{" EXTERN FOO\n WRITE FOO+1,X\n", 14, "Value cannot be external",
                  " WRITE FOO+1,X"},
        ErrorCase{" LINK FOO,DATAADD\n", 15, "Code/Data target must be absolute value",
                  " LINK FOO,DATAADD"},
        ErrorCase{"M MACRO A,A\n NOP\n MACEND\n M 1,2\n", 17, "Duplicate Macro argument name",
                  " M 1,2"},
        ErrorCase{"M MACRO A,B\n NOP\n MACEND\n M 1,2,3\n", 18,
                  "Macro call with incorrect number of arguments", " M 1,2,3"},
        ErrorCase{
            "X: NOP\n DS 1\n DW 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
            "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\n JR X\n",
            20, "Relative branch out of range", " JR X"},
        ErrorCase{" JR +1\n", 21, "Relative branch into op-code (-1)", " JR +1"},
        ErrorCase{" DJNZ -1\n", 21, "Relative branch into op-code (-1)", " DJNZ -1"},
        ErrorCase{" JR Q+1\nQ EQU 5\n", 22, "Relative branch: cannot evaluate expression",
                  " JR Q+1"},
        ErrorCase{" JR Q\nQ EQU 5\n", 22, "Relative branch: cannot evaluate expression", " JR Q"},
        ErrorCase{" EQU 5\n", 23, "EQU must have label", " EQU 5"},
        ErrorCase{" EXTERN E1\n JR NZ,E1+1\n", 25,
                  "Relative branch expression may not reference externals", " JR NZ,E1+1"},
        ErrorCase{" EXTERN E1\n JR E1\n", 25,
                  "Relative branch expression may not reference externals", " JR E1"},
        ErrorCase{" GLOBAL FOO\n GLOBAL FOO\n", 26, "Multiple global label definition",
                  " GLOBAL FOO"},
        ErrorCase{"Q EQU 5\n WRITE Q+1,X\n", 28, "Cannot evaluate expression", " WRITE Q+1,X"},
        ErrorCase{" IFTRUE 1\n NOP\n", 30, "Unbalanced IF statement (missing ENDIF)", " NOP"},
        ErrorCase{" IFTRUE 1\n ENDIF\n ENDIF\n", 30, "Unbalanced IF statement (missing ENDIF)",
                  " ENDIF"},
        ErrorCase{" EXTERN E1\n LD A,(IX+E1)\n", 32, "Index offset must be known at assembly time",
                  " LD A,(IX+E1)"},
        ErrorCase{"Q EQU 3\n LD A,(IY-Q*2)\n", 33, "Cannot evaluate index expression",
                  " LD A,(IY-Q*2)"},
        ErrorCase{" IFREF FOO\n ENDIF\n", 40, "Reference condition label must be defined global",
                  " IFREF FOO"},
        ErrorCase{" COUNT 33\n", 41, "Out of overlay handles (>32)", " COUNT 33"},
        ErrorCase{" ORGMARK 0\n", 41, "Out of overlay handles (>32)", " ORGMARK 0"},
        ErrorCase{"$: NOP\n", 100, "Label may not be $ (reserved)", "$: NOP"},
        ErrorCase{" LD HL,NOWHERE\n", 100, "(Word) Label not found", " LD HL,NOWHERE"},
        ErrorCase{" LD HL,10000H\n", 100, "(Word) Label not found", " LD HL,10000H"},
        ErrorCase{" NOP\n LINK 0,0\n", 100, "LINK statement must preceed code or data",
                  " LINK 0,0"},
        ErrorCase{"M MACRO\n NOP\n", 100, "MACRO without MACEND", "M MACRO"}));

TEST(AssemblerErrors, ObjectTooLargeStopsTheAssembly) {
  std::string source;
  // 126 absolute words of 3 record bytes per line: past 256 KB after 700 lines.
  for (int i = 0; i < 720; ++i)
    source += wordsOf(126);
  const auto a = test::assemble(source);
  ASSERT_FALSE(a.ok());
  EXPECT_EQ(a.result.error.number, asmerr::ObjectTooLarge);
  EXPECT_EQ(a.result.error.message, "Object size to large");
  EXPECT_LE(a.result.image.size(), kObjectFileLimit);
}

TEST(AssemblerErrors, LabelIndexesHaveALimit) {
  std::string source;
  for (int i = 0; i <= 65409; ++i)
    source += "L" + std::to_string(i) + ":\n";
  const auto a = test::assemble(source);
  ASSERT_FALSE(a.ok());
  EXPECT_EQ(a.result.error.message, "Too many labels (at most 65409)");
  source.resize(source.rfind('L'));
  EXPECT_TRUE(test::assemble(source).ok());
}

TEST(AssemblerErrors, OnlyTheFirstErrorIsReported) {
  const auto a = test::assemble(" FOO\n BAR\n");
  ASSERT_FALSE(a.ok());
  // Pass 1 and the two error lines; pass 2 never starts.
  ASSERT_EQ(a.messages.size(), 3u);
  EXPECT_EQ(a.messages[0], "Pass 1");
  EXPECT_EQ(a.errorLines(), "Syntax error| FOO");
  EXPECT_EQ(a.result.error.lineIndex, 0u);
}

TEST(AssemblerErrors, PositionCountsEveryLine) {
  const auto a = test::assemble("; comment\n\n NOP\r\n LD A,(IX+200)\n");
  ASSERT_FALSE(a.ok());
  EXPECT_EQ(a.result.error.lineIndex, 3u);
  EXPECT_EQ(a.errorLines(), "Syntax error| LD A,(IX+200)");
}

// Operand forms that the table would turn into another instruction.
TEST(AssemblerErrors, FormsThatWouldBecomeOtherInstructionsAreSyntaxErrors) {
  for (
      const char* line :
      {" LD (HL),(HL)", " LD (HL),(IX+1)", " LD (IY-2),(HL)", " IN0 (HL),(10H)", " OUT0 (10H),(HL)",
       " RST 1",        " RST 39H",        " RST 40H",        " RST X",          " TST (IX+1)",
       " TST (IY-1)",   " TST (IX)",       " IN (HL),(C)",    " OUT (C),(HL)",   " ADD IX,IX",
       " ADD IX,IY",    " BIT 8,A",        " BIT 07,A",       " LD A,(IX-128)",  " LD A,(IX+128)",
       " JR +130",      " JR -127",        " LD A,(IX + 1)",  " LD A,IX",        " LD HL,IX+1",
       " LD B,(5)",     " JP (1234H)",     " SUB A,B",        " NOP 1",          " EX HL,DE",
       " IM 3",         " PUSH SP",        " POP IX,IY",      " LD A,(C)",       " INC"}) {
    const auto a = test::assemble(std::string(line) + "\n");
    EXPECT_EQ(a.errorLines(), std::string("Syntax error|") + line) << line;
  }
}

} // namespace
} // namespace velkor
