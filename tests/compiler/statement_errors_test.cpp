// Every error of the statement and declaration parsers, reached from a source.

#include <gtest/gtest.h>

#include "compiler/compile_error.h"
#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

const char* const kDeclarations =
    "TYPE R = RECORD A: BYTE END;\n"
    "VAR B: BYTE; W: WORD; L: LONGINT; BO: BOOLEAN; C: CHAR; S: STRING[5]; X, Y: R; P: ^WORD;\n"
    "    AB: ARRAY[0..9] OF BYTE;\n"
    "CONST K = 3;\n"
    "LABEL L1;\n"
    "PROCEDURE Q(N: BYTE); BEGIN END;\n"
    "PROCEDURE V(VAR N: BYTE); BEGIN END;\n";

struct ErrorCase {
  int number;
  const char* declarations; // after the standard ones
  const char* statements;
};

const ErrorCase kStatementErrors[] = {
    {0, "", "Z := 1"},
    {2, "", "INC(5)"},
    {4, "", "INC(B"},
    {5, "", "L1 B := 1"},
    {8, "", "CASE B 1: B := 1 END"},
    {9, "", "INC B"},
    {12, "", "AB[1 := 2"},
    {14, "", "B := 1 W := 2"},
    {17, "", "IF B THEN B := 1"},
    {17, "", "WHILE W DO B := 1"},
    {17, "", "REPEAT UNTIL L"},
    {18, "", "FOR L := 1 TO 2 DO B := 1"},
    {18, "", "FOR BO := 1 TO 2 DO B := 1"},
    {19, "", "FOR B := L TO 2 DO B := 1"},
    {19, "", "FOR B := 1 TO S DO B := 1"},
    {23, "", "CASE L OF 1: B := 1 END"},
    {23, "", "CASE S OF 1: B := 1 END"},
    {26, "", "AB[BO] := 1"},
    {31, "", "B.A := 1"},
    {20, "", "L := 1.5E+"},
    {20, "", "L := 1.X"},
    {30, "TYPE PU = ^UNDECLARED;\nVAR PV: PU;\n", "PV^ := 1"},
    {36, "", "Q(S)"},
    {36, "", "V(W)"},
    {37, "", "FOR K := 1 TO 2 DO B := 1"},
    {37, "", "V(5)"},
    // The loop stores its variable by name; a var-parameter holds only an address.
    {37, "PROCEDURE V2(VAR N: BYTE); BEGIN FOR N := 1 TO 2 DO END;\n", ""},
    {38, "", "DELETE(W, 1, 1)"},
    {39, "", "Q(1, 2)"},
    {39, "", "Q"},
    {43, "", "W := LO(S)"},
    {44, "", "S := INTTOSTR(S)"},
    {45, "", "K := 1"},
    {45, "CONST CH = 'A';\n", "CH := 1"},
    {46, "", "W := C"},
    {48, "", "W := ABS(S)"},
    {51, "", "B = 1"},
    {52, "", "IF BO B := 1"},
    {53, "", "REPEAT B := 1 END"},
    {54, "", "WHILE BO B := 1"},
    {54, "", "FOR B := 1 TO 2 B := 1"},
    {54, "", "WITH X B := 1"},
    {55, "", "FOR B := 1 UPTO 2 DO B := 1"},
    {57, "", "CASE B OF 1: B := 1 )"},
    {62, "", "CASE W OF 300: B := 1 END"},
    {62, "", "CASE B OF W: B := 1 END"},
    {63, "", "CASE C OF 'A'..5: B := 1 END"},
    {67, "", "GOTO 5"},
    {67, "", "GOTO B"},
    {68, "PROCEDURE G; BEGIN GOTO L1 END;\n", ""},
    {72, "", "NEW(W)"},
    {78, "", "MOVE(X, Y 3)"},
    {82, "", "INC(BO)"},
    {83, "", "GETMEM(P, S)"},
    {84, "", "FILLCHAR(AB, S, 0)"},
    {85, "", "FILLCHAR(AB, L, 0)"},
    {90, "", "CONTINUE"},
    {91, "", "BREAK"},
    {91, "", "WHILE BO DO B := 1; BREAK"},
    {104, "", "W := LOWORD(W)"},
    {105, "", "WITH B DO B := 1"},
    {106, "", "WORD(B) := 1"},
    {108, "", "AB[1, 2] := 1"},
    {113, "", "C := UPCASE(B)"}};

const ErrorCase kDeclarationErrors[] = {
    {2, "PROCEDURE 5; BEGIN END;\n", ""},
    {2, "VAR A, 5: BYTE;\n", ""},
    {4, "PROCEDURE E(N: BYTE BEGIN END;\n", ""},
    {4, "TYPE COLOR = (RED, GREEN;\n", ""},
    {5, "PROCEDURE E(N BYTE); BEGIN END;\n", ""},
    {5, "FUNCTION F BYTE; BEGIN END;\n", ""},
    {5, "VAR Z BYTE;\n", ""},
    {9, "CONST TA: ARRAY[1..2] OF BYTE = 1, 2;\n", ""},
    {14, "PROCEDURE E BEGIN END;\n", ""},
    {14, "PROCEDURE E; BEGIN END\nPROCEDURE F; BEGIN END;\n", ""},
    {14, "VAR Z: BYTE\n", ""},
    {16, "CONST Z 5;\n", ""},
    {16, "TYPE Z WORD;\n", ""},
    {25, "CONST TW: WORD = B;\n", ""},
    {29, "PROCEDURE E(N: 5); BEGIN END;\n", ""},
    {29, "FUNCTION F: B; BEGIN END;\n", ""},
    {38, "CONST TS: STRING[3] = 5;\n", ""},
    {56, "PROCEDURE E; B := 1; END;\n", ""},
    {57, "PROCEDURE E; BEGIN B := 1 .\n", ""},
    {61, "CONST TS: STRING[3] = 'ABCD';\n", ""},
    {61, "PROCEDURE E; ABSOLUTE 100000;\n", ""},
    {66, "PROCEDURE E; GLOBAL; EXTERNAL;\n", ""},
    {76, "CONST TB: BOOLEAN = 1;\n", ""},
    {77, "CONST TW: WORD = 'AB';\n", ""},
    {78, "CONST TA: ARRAY[1..2] OF BYTE = (1);\n", ""},
    {79, "CONST TR: R = (Z: 1);\n", ""},
    {97, "CONST TB: BYTE = @B;\n", ""},
    {98, "{#O+}\nPROCEDURE E; BEGIN END;\n", ""},
    {110, "", ""}, // built below
};

std::string Source(const ErrorCase& k) {
  return std::string("PROGRAM T;\n") + kDeclarations + k.declarations + "BEGIN\n" + k.statements +
         "\nEND.\n";
}

void ExpectError(const ErrorCase& k, const std::string& source) {
  const CompiledProgram p = Compile(source);
  ASSERT_FALSE(p.ok) << source;
  EXPECT_EQ(p.messages.size(), 6u) << source << Joined(p.messages);
  EXPECT_EQ(p.Error(), CompilerErrorMessages[static_cast<std::size_t>(k.number)].substr(0, 40))
      << "expected error " << k.number << " for\n"
      << source << Joined(p.messages);
}

TEST(StatementErrors, EachIsReported) {
  for (const ErrorCase& k : kStatementErrors)
    ExpectError(k, Source(k));
}

TEST(DeclarationErrors, EachIsReported) {
  for (const ErrorCase& k : kDeclarationErrors) {
    if (k.number == 110) {
      std::string forwards;
      for (int i = 0; i < 251; ++i)
        forwards += "PROCEDURE F" + std::to_string(i) + "; FORWARD;\n";
      ExpectError(k, std::string("PROGRAM T;\n") + forwards + "BEGIN END.\n");
      continue;
    }
    ExpectError(k, Source(k));
  }
}

TEST(DeclarationErrors, MainProgramHasNoParameters) {
  ExpectError({74, "", ""}, "PROGRAM T(INPUT, OUTPUT);\nBEGIN END.\n");
}

TEST(DeclarationErrors, TheProcedureTableHoldsFiveHundredBlocks) {
  auto source = [](int procedures) {
    std::string s = "PROGRAM T;\n";
    for (int i = 0; i < procedures; ++i)
      s += "PROCEDURE P" + std::to_string(i) + "; BEGIN END;\n";
    return s + "BEGIN END.\n";
  };
  // One more overflows: the driver's table overflow test.
  const CompiledProgram full = Compile(source(499));
  EXPECT_TRUE(full.ok) << Joined(full.messages);
}

} // namespace
} // namespace velkor
