// Every numbered error, produced by a source that commits it, with the number
// and the text users know. The error lines are the message and the offending
// line (upper case).
#include "asm_test_support.h"
#include "assembler/asm_errors.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

std::string Repeated(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i)
    s += piece;
  return s;
}

// The texts of the numbered errors are checked against the manual elsewhere.
TEST(AssemblerErrors, ReportNumberTextAndLine) {
  const struct {
    std::string source;
    int number;
    const char* line;           // the offending line as reported
    const char* text = nullptr; // for the errors without a number of their own
  } cases[] = {{" sub a,b\n", 0, " SUB A,B"},
               {"X: NOP\nx NOP\n", 2, "X NOP"},
               {" LOAD 12G4H,'F.BIN'\n", 4, " LOAD 12G4H,'F.BIN'"},
               {": NOP\n", 5, ": NOP"},
               {" INCLUDE NOPE.MAC\n", 6, " INCLUDE NOPE.MAC"},
               {" MACRO A\n", 8, " MACRO A"},
               {"M MACRO\nL: NOP\n MACEND\n", 9, "L: NOP"},
               {"A1 MACRO\n NOP\n MACEND\nB1 MACRO\n A1\n MACEND\n", 10, " A1"},
               {" GLOBAL 7\n", 11, " GLOBAL 7"},
               {" GLOBAL FOO\n NOP\n", 12, " GLOBAL FOO"},
               {" EXTERN FOO\n GLOBAL FOO\n", 13, " GLOBAL FOO"},
               {" EXTERN FOO\n WRITE FOO+1,X\n", 14, " WRITE FOO+1,X"},
               {" LINK FOO,DATAADD\n", 15, " LINK FOO,DATAADD"},
               {"M MACRO A,A\n NOP\n MACEND\n M 1,2\n", 17, " M 1,2"},
               {"M MACRO A,B\n NOP\n MACEND\n M 1,2,3\n", 18, " M 1,2,3"},
               // One byte past the farthest branch back and forward (those pass, below).
               {"X: NOP\n DB 0" + Repeated(",0", 125) + "\n JR X\n", 20, " JR X"},
               {" JR L2\n DB 0" + Repeated(",0", 127) + "\nL2: NOP\n", 20, " JR L2"},
               {" DJNZ -1\n", 21, " DJNZ -1"},
               {" JR Q+1\nQ EQU 5\n", 22, " JR Q+1"},
               {" EQU 5\n", 23, " EQU 5"},
               {" EXTERN E1\n JR NZ,E1+1\n", 25, " JR NZ,E1+1"},
               {" GLOBAL FOO\n GLOBAL FOO\n", 26, " GLOBAL FOO"},
               {"Q EQU 5\n WRITE Q+1,X\n", 28, " WRITE Q+1,X"},
               {" IFTRUE 1\n ENDIF\n ENDIF\n", 30, " ENDIF"},
               {" EXTERN E1\n LD A,(IX+E1)\n", 32, " LD A,(IX+E1)"},
               {"Q EQU 3\n LD A,(IY-Q*2)\n", 33, " LD A,(IY-Q*2)"},
               {" IFREF FOO\n ENDIF\n", 40, " IFREF FOO"},
               {" COUNT 33\n", 41, " COUNT 33"},
               {"$: NOP\n", 100, "$: NOP", "Label may not be $ (reserved)"},
               {" LD HL,10000H\n", 100, " LD HL,10000H", "(Word) Label not found"},
               {" NOP\n LINK 0,0\n", 100, " LINK 0,0", "LINK statement must preceed code or data"},
               {"M MACRO\n NOP\n", 100, "M MACRO", "MACRO without MACEND"}};
  for (const auto& c : cases) {
    const auto a = test::assemble(c.source);
    EXPECT_EQ(a.result.error.number, c.number) << c.source;
    EXPECT_EQ(a.errorLines(),
              std::string(c.text ? c.text : asmerr::ErrorText(c.number)) + "|" + c.line);
    // The object is still written, marked as failed.
    ASSERT_GE(a.result.image.size(), 4u);
    EXPECT_EQ(a.result.image[3], 0);
  }
  EXPECT_TRUE(test::assemble("X: NOP\n DB 0" + Repeated(",0", 124) + "\n JR X\n").ok());
  EXPECT_TRUE(test::assemble(" JR L2\n DB 0" + Repeated(",0", 126) + "\nL2: NOP\n").ok());
}

// Operand forms that the table would turn into another instruction, or that
// are out of range.
TEST(AssemblerErrors, SyntaxErrors) {
  for (const char* line : {" LD (HL),(HL)",
                           " LD (HL),(IX+1)",
                           " IN0 (HL),(10H)",
                           " RST 1",
                           " RST X",
                           " TST (IX+1)",
                           " IN (HL),(C)",
                           " ADD IX,IX",
                           " BIT 8,A",
                           " BIT 07,A",
                           " LD A,(IX-128)",
                           " LD A,(IX+128)",
                           " JR +130",
                           " JR -127",
                           " LD A,(IX + 1)",
                           " LD A,IX",
                           " LD B,(5)",
                           " JP (1234H)",
                           " NOP 1",
                           " IM 3",
                           " INC",
                           " X"}) {
    const auto a = test::assemble(std::string(line) + "\n");
    EXPECT_EQ(a.errorLines(), std::string("Syntax error|") + line) << line;
  }
  // Only the first error is reported, where it is: pass 2 never starts.
  const auto a = test::assemble("; comment\n\n NOP\r\n FOO\n BAR\n");
  EXPECT_EQ(a.messages, (std::vector<std::string>{"Pass 1", "Syntax error", " FOO"}));
  EXPECT_EQ(a.result.error.lineIndex, 3u);
}

TEST(AssemblerErrors, ObjectSizeAndLabelLimits) {
  // 126 absolute words of 3 record bytes per line: past 256 KB after 700 lines.
  const auto big = test::assemble(Repeated(" DW 0" + Repeated(",0", 125) + "\n", 720));
  EXPECT_EQ(big.result.error.number, asmerr::ObjectTooLarge);
  EXPECT_EQ(big.result.error.message, "Object size to large");
  EXPECT_LE(big.result.image.size(), kObjectFileLimit);
  std::string source;
  for (int i = 0; i < 65409; ++i)
    source += "L" + std::to_string(i) + ":\n";
  EXPECT_TRUE(test::assemble(source).ok());
  EXPECT_EQ(test::assemble(source + "L65409:\n").result.error.message,
            "Too many labels (at most 65409)");
}

} // namespace
} // namespace velkor
