// Whole programs run on the simulated board: the mended loop, call, CASE,
// FILLCHAR and store rules.

#include <gtest/gtest.h>

#include "tests/compiler/run/run_support.h"

namespace velkor {
namespace {

using namespace run_support;

TEST(ProgramRun, ForLoopsStopAtTheTypeLimitsAndCompareIntegersSigned) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR B: BYTE; W: WORD; I: INTEGER; N1, N2, N3, N4, N5, N6, N7: WORD;\n"
                           "BEGIN\n"
                           "  N1 := 0; FOR B := 5 DOWNTO 0 DO INC(N1);\n"
                           "  N2 := 0; FOR B := 250 TO 255 DO INC(N2);\n"
                           "  N3 := 0; FOR W := 65533 TO 65535 DO INC(N3);\n"
                           "  N4 := 0; FOR I := -5 TO 5 DO INC(N4);\n"
                           "  N5 := 0; FOR I := 5 TO 4 DO INC(N5);\n"
                           "  N6 := 0; FOR W := 4 TO 4 DO INC(N6);\n"
                           "  N7 := 0; FOR I := 3 DOWNTO -32768 DO INC(N7)\n"
                           "END.\n");
  r.ExpectWords({"N1", 6, "N2", 6, "N3", 3, "N4", 11, "N5", 0, "N6", 1, "N7", 32772});
  r.ExpectBytes({"B", 255});
  EXPECT_EQ(static_cast<std::int16_t>(r.Word("I")), -32768);
}

// A statement that ends at column 255, 256 or 10,000 is compiled whole.
TEST(ProgramRun, StatementsPastColumn255AreCompiled) {
  std::string source = "PROGRAM T;\nVAR N: WORD;\nBEGIN\n  N := 0;\n";
  for (const std::size_t length : {255u, 256u, 10'000u}) {
    const std::string statement = "INC(N);";
    source += std::string(length - statement.size(), ' ') + statement + "\n";
  }
  source += "END.\n";
  const Ran r = RunProgram(source);
  r.ExpectWords({"N", 3});
}

// Two overlay areas, a part of the second calling both parts of the first.
std::string TwoOverlayAreas(const char* firstAt, const char* secondAt) {
  return std::string("PROGRAM T;\nVAR N: WORD;\n"
                     "{#O+}\n{#O ") +
         firstAt +
         "}\n"
         "PROCEDURE B1; BEGIN N := N + 1 END;\n"
         "PROCEDURE B2; BEGIN N := N + 10 END;\n"
         "{#O-}\n{#O+}\n{#O " +
         secondAt +
         "}\n"
         "PROCEDURE A1; BEGIN B1; B2; B1 END;\n"
         "{#O-}\n"
         "BEGIN INITOVERLAY; N := 0; A1 END.\n";
}

// A Z80 copies parts from the low 64K only: parts stored above it fail the
// link, naming the area and where it is stored, even when a later area lies
// lower. The Z180 runs the same program; a Z80 runs it below 64K.
TEST(ProgramRun, OverlayAreasAboveSixtyFourKFailAZ80Link) {
  CompileSettings z80;
  const CompiledProgram high = Compile(TwoOverlayAreas("$10000", "$6000"), z80);
  ASSERT_TRUE(high.ok) << Joined(high.messages);
  const rtltest::BoardRun refused = rtltest::RunOnBoard(BehindStartup(high));
  EXPECT_FALSE(refused.built);
  EXPECT_NE(refused.log.find("A Z80 cannot load overlay parts stored at or above 10000H: area 1, "
                             "load position 10000H"),
            std::string::npos)
      << refused.log;

  EXPECT_EQ(RunProgram(TwoOverlayAreas("$10000", "$6000"), velkor::kCpuZ180).Word("N"), 12);
  EXPECT_EQ(RunProgram(TwoOverlayAreas("$6000", "$5000")).Word("N"), 12);
}

TEST(ProgramRun, LoopsWithBreakAndContinue) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR B: BYTE; W, EVEN, WHILES, REPEATS: WORD;\n"
      "BEGIN\n"
      "  EVEN := 0; FOR B := 1 TO 10 DO BEGIN IF B AND 1 = 1 THEN CONTINUE; INC(EVEN) END;\n"
      "  W := 0; WHILES := 0; WHILE W < 100 DO BEGIN INC(W); IF W = 7 THEN BREAK; INC(WHILES) "
      "END;\n"
      "  REPEATS := 0; W := 0; REPEAT INC(W); IF W < 5 THEN CONTINUE; INC(REPEATS) UNTIL W = 8\n"
      "END.\n");
  r.ExpectWords({"EVEN", 5, "WHILES", 6, "REPEATS", 4});
}

TEST(ProgramRun, ArgumentsAreEvaluatedBeforeTheCalleesParametersAreWritten) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR R1, R2: WORD;\n"
                           "FUNCTION MAX(A, B: WORD): WORD;\n"
                           "BEGIN IF A > B THEN MAX := A ELSE MAX := B END;\n"
                           "FUNCTION FIRST(A, B: WORD): WORD;\n"
                           "BEGIN FIRST := A; EXIT; FIRST := B END;\n"
                           "BEGIN R1 := MAX(5, MAX(2, 3)); R2 := FIRST(MAX(1, 9), 4) END.\n");
  r.ExpectWords({"R1", 5, "R2", 9});
}

TEST(ProgramRun, CaseDispatchByTableAndSearch) {
  const Ran r =
      RunProgram("PROGRAM T;\n"
                 "VAR B: BYTE; W, SUM, OTHER: WORD; C: CHAR;\n"
                 "BEGIN\n"
                 "  SUM := 0; OTHER := 0;\n"
                 "  FOR B := 0 TO 9 DO\n"
                 "    CASE B OF 3: SUM := SUM + 1; 4: SUM := SUM + 10; 5: SUM := SUM + 100 ELSE "
                 "INC(OTHER) END;\n"
                 "  C := 'Q';\n"
                 "  CASE C OF 'A'..'M': SUM := SUM + 1000; 'N'..'Z': SUM := SUM + 2000 END;\n"
                 "  W := 259;\n" // high byte 1: matches no byte label
                 "  CASE W OF 3: SUM := SUM + 5000 ELSE INC(OTHER) END\n"
                 "END.\n");
  r.ExpectWords({"SUM", 2111, "OTHER", 8});
}

TEST(ProgramRun, FillCharNeverWritesBeyondItsCount) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR A: ARRAY[0..7] OF BYTE; GUARD: BYTE; N: WORD; V: BYTE;\n"
                           "BEGIN\n"
                           "  GUARD := 77;\n"
                           "  FILLCHAR(A, 8, 1);\n"
                           "  FILLCHAR(A, 1, 2);\n"
                           "  FILLCHAR(A, 0, 3);\n"
                           "  N := 0; FILLCHAR(A, N, 4);\n"
                           "  N := 3; V := 9; FILLCHAR(A[4], N, V);\n"
                           "  N := 0; FILLCHAR(A[2], N, V);\n"
                           "END.\n");
  const std::uint8_t expected[8] = {2, 1, 1, 1, 9, 9, 9, 1};
  for (int i = 0; i < 8; ++i)
    EXPECT_EQ(r.Byte("A", i), expected[i]) << "A[" << i << "]";
  r.ExpectBytes({"GUARD", 77});
}

TEST(ProgramRun, StoresOfEveryClass) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "TYPE R = RECORD A: BYTE; W: WORD END;\n"
      "VAR L, L2: LONGINT; W: WORD; I: INTEGER; B: BYTE; S: STRING[5]; LEN: BYTE; X, Y: R;\n"
      "    AW: ARRAY[1..3] OF WORD; P: ^WORD;\n"
      "PROCEDURE SWAP(VAR A, B: WORD); VAR T: WORD; BEGIN T := A; A := B; B := T END;\n"
      "BEGIN\n"
      "  I := -2; L := I; W := 65535; L2 := W;\n"
      "  S := 'ABCDEFGH'; LEN := LENGTH(S);\n"
      "  X.A := 1; X.W := 513; Y := X;\n"
      "  AW[1] := 10; AW[3] := 30; SWAP(AW[1], AW[3]);\n"
      "  P := @AW[2]; P^ := 22; B := L\n"
      "END.\n");
  r.ExpectLongs({"L", 0xFFFFFFFEu, "L2", 0x0000FFFFu});
  EXPECT_EQ(r.Byte("LEN"), 5) << "the store keeps to the capacity";
  EXPECT_EQ(r.Byte("S", 5), 'E');
  EXPECT_EQ(r.Byte("Y", 0), 1);
  EXPECT_EQ(r.Byte("Y", 1) | r.Byte("Y", 2) << 8, 513);
  EXPECT_EQ(r.Byte("AW", 0), 30);
  EXPECT_EQ(r.Byte("AW", 2), 22);
  EXPECT_EQ(r.Byte("AW", 4), 10);
  r.ExpectBytes({"B", 0xFE});
}

TEST(ProgramRun, TypedConstantsAndWith) {
  const Ran r =
      RunProgram("PROGRAM T;\n"
                 "TYPE R = RECORD A: BYTE; W: WORD END;\n"
                 "CONST TABLE: ARRAY[0..3] OF WORD = (1, 20, 300, 4000); REC: R = (A: 5; W: 600);\n"
                 "  NAME: STRING[8] = 'ZED';\n"
                 "VAR SUM: WORD; I: BYTE; X: R; N: BYTE;\n"
                 "BEGIN\n"
                 "  SUM := 0; FOR I := 0 TO 3 DO SUM := SUM + TABLE[I];\n"
                 "  WITH X DO BEGIN A := REC.A; W := REC.W END;\n"
                 "  N := LENGTH(NAME)\n"
                 "END.\n");
  r.ExpectWords({"SUM", 4321});
  EXPECT_EQ(r.Byte("X", 0), 5);
  EXPECT_EQ(r.Byte("X", 1) | r.Byte("X", 2) << 8, 600);
  r.ExpectBytes({"N", 3});
}

} // namespace
} // namespace velkor
