// The language at work: programs a user would write, run on the simulated
// board, with the values Pascal says they compute.

#include <gtest/gtest.h>

#include "tests/compiler/run/run_support.h"

namespace velkor {
namespace {

using namespace run_support;

TEST(LanguageRun, IntegerArithmeticIsSigned) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR I, J, Q1, Q2, R1, R2, N, P, S: INTEGER; W: WORD;\n"
                           "BEGIN\n"
                           "  I := -17; J := 5;\n"
                           "  Q1 := I DIV J; R1 := I MOD J; Q2 := 17 DIV (-J); R2 := 17 MOD (-J);\n"
                           "  N := -I; P := I * J; S := ABS(I) + I SHL 1;\n"
                           "  W := 40000 DIV 3\n"
                           "END.\n");
  r.ExpectWords(
      {"Q1", -3, "R1", -2, "Q2", -3, "R2", 2, "N", 17, "P", -85, "S", 17 - 34, "W", 13333});
}

TEST(LanguageRun, ComparisonsAcrossTypes) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR I: INTEGER; W: WORD; B: BYTE; L: LONGINT; C1, C2, C3, C4, C5, C6, C7, C8: BOOLEAN;\n"
      "BEGIN\n"
      "  I := -1; W := 65535; B := 200; L := -100000;\n"
      "  C1 := I < W; C2 := I < 1000; C3 := W > 1000; C4 := B > I;\n"
      "  C5 := L < I; C6 := I >= -32768; C7 := W = 65535; C8 := (B <= 200) AND NOT (I > 0)\n"
      "END.\n");
  for (const char* name : {"C1", "C2", "C3", "C4", "C5", "C6", "C7", "C8"})
    EXPECT_EQ(r.Byte(name), 1) << name;
}

TEST(LanguageRun, LongArithmetic) {
  const Ran r =
      RunProgram("PROGRAM T;\n"
                 "VAR A, B, S, D, P, Q, M, N, H: LONGINT; I: INTEGER;\n"
                 "BEGIN\n"
                 "  A := 123456789; B := -98765; I := -3;\n"
                 "  S := A + B; D := B - A; P := B * I; Q := A DIV B; M := A MOD B; N := -A;\n"
                 "  H := A SHR 8 + (B AND $FFFF)\n"
                 "END.\n");
  r.ExpectLongs({"S", 123456789 - 98765, "D", -98765 - 123456789, "P", 296295, "Q",
                 123456789 / -98765, "M", 123456789 % -98765, "N", -123456789, "H",
                 (123456789 >> 8) + (-98765 & 0xFFFF)});
}

TEST(LanguageRun, NestedRoutinesReachOuterVariables) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR TOTAL: WORD;\n"
                           "PROCEDURE OUTER(N: WORD);\n"
                           "VAR ACC: WORD;\n"
                           "  PROCEDURE INNER(K: WORD);\n"
                           "  BEGIN ACC := ACC + K * N END;\n"
                           "BEGIN\n"
                           "  ACC := 0; INNER(1); INNER(2); INNER(3); TOTAL := TOTAL + ACC\n"
                           "END;\n"
                           "BEGIN TOTAL := 0; OUTER(10); OUTER(100) END.\n");
  r.ExpectWords({"TOTAL", 660});
}

TEST(LanguageRun, VarParametersOfEveryKind) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "TYPE R = RECORD A: BYTE; W: WORD END; STR10 = STRING[10];\n"
      "VAR B: BYTE; W: WORD; L: LONGINT; S: STR10; X: R; C: CHAR;\n"
      "PROCEDURE SETALL(VAR B: BYTE; VAR W: WORD; VAR L: LONGINT; VAR S: STR10; VAR X: R;\n"
      "                 VAR C: CHAR);\n"
      "BEGIN B := B + 1; W := W * 2; L := L + 70000; S := S + '!'; X.W := X.A + 1000; C := 'Z' "
      "END;\n"
      "BEGIN\n"
      "  B := 9; W := 21; L := 5; S := 'HI'; X.A := 7; C := 'A';\n"
      "  SETALL(B, W, L, S, X, C)\n"
      "END.\n");
  r.ExpectBytes({"B", 10});
  r.ExpectWords({"W", 42});
  r.ExpectLongs({"L", 70005u});
  r.ExpectBytes({"S", 3});
  EXPECT_EQ(r.Byte("S", 3), '!');
  EXPECT_EQ(r.Byte("X", 1) | r.Byte("X", 2) << 8, 1007);
  r.ExpectBytes({"C", 'Z'});
}

TEST(LanguageRun, FunctionsOfEveryResultType) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR L: LONGINT; C: CHAR; F: BOOLEAN; B: BYTE; I: INTEGER;\n"
      // WORD * WORD is a WORD; a LONGINT operand makes the product long.
      "FUNCTION LNG(X: WORD): LONGINT; VAR Y: LONGINT; BEGIN Y := X; LNG := Y * 1000 + X * 1000 "
      "END;\n"
      "FUNCTION NEXTC(X: CHAR): CHAR; BEGIN NEXTC := SUCC(X) END;\n"
      "FUNCTION ISODD(X: INTEGER): BOOLEAN; BEGIN ISODD := ODD(X) END;\n"
      "FUNCTION LOWB(X: WORD): BYTE; BEGIN LOWB := LO(X) END;\n"
      "FUNCTION NEG(X: INTEGER): INTEGER; BEGIN NEG := -X END;\n"
      "BEGIN\n"
      "  L := LNG(300); C := NEXTC('Q'); F := ISODD(-7); B := LOWB($1234); I := NEG(NEG(-5)) - 1\n"
      "END.\n");
  r.ExpectLongs({"L", 300000u + (300000u & 0xFFFF)});
  r.ExpectBytes({"C", 'R', "F", 1, "B", 0x34});
  r.ExpectWords({"I", -6});
}

TEST(LanguageRun, ArraysOfRecordsAndTwoDimensions) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "TYPE P = RECORD X, Y: INTEGER; NAME: STRING[3] END;\n"
      "VAR PTS: ARRAY[1..5] OF P; GRID: ARRAY[0..3, 0..4] OF BYTE; I, J: BYTE; SUM: INTEGER;\n"
      "    DIAG: WORD; LAST: CHAR;\n"
      "BEGIN\n"
      "  FOR I := 1 TO 5 DO BEGIN PTS[I].X := I; PTS[I].Y := -I * 2; PTS[I].NAME := CHR(64 + I) "
      "END;\n"
      "  SUM := 0; FOR I := 1 TO 5 DO SUM := SUM + PTS[I].X * PTS[I].Y;\n"
      "  FOR I := 0 TO 3 DO FOR J := 0 TO 4 DO GRID[I, J] := I * 10 + J;\n"
      "  DIAG := 0; FOR I := 0 TO 3 DO DIAG := DIAG + GRID[I, I];\n"
      "  LAST := PTS[5].NAME[1]\n"
      "END.\n");
  r.ExpectWords({"SUM", -110, "DIAG", 0 + 11 + 22 + 33});
  EXPECT_EQ(r.Byte("GRID", 3 * 5 + 4), 34);
  r.ExpectBytes({"LAST", 'E'});
}

TEST(LanguageRun, StringsInExpressionsAndProcedures) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "TYPE STR20 = STRING[20];\n"
                           "VAR S, U: STR20; P, N: BYTE; EQ, LT: BOOLEAN; C: CHAR;\n"
                           "FUNCTION TWICE(X: STR20): STR20; BEGIN TWICE := X + X END;\n"
                           "BEGIN\n"
                           "  S := 'abc'; U := TWICE(S) + 'XYZ';\n"
                           "  P := POS('cXY', U); N := LENGTH(U);\n"
                           "  DELETE(U, 2, 3); INSERT('--', U, 1);\n"
                           "  EQ := COPY(U, 3, 2) = 'ab'; LT := 'abc' < 'abd'; C := UPCASE(S[2])\n"
                           "END.\n");
  r.ExpectBytes({"P", 6, "N", 9});
  // 'abcabcXYZ' less 'bca' is 'abcXYZ'; then '--' in front.
  const std::string expected = "--abcXYZ";
  ASSERT_EQ(r.Byte("U"), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(r.Byte("U", int(i) + 1), expected[i]) << i;
  r.ExpectBytes({"EQ", 1, "LT", 1, "C", 'B'});
}

TEST(LanguageRun, SetsCaseOnCharsAndNestedLoopsWithBreak) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR C: CHAR; VOWELS, DIGITS, OTHERS: BYTE; I, J, PAIRS: WORD; S: STRING[20];\n"
      "BEGIN\n"
      "  S := 'Hello 2026 World'; VOWELS := 0; DIGITS := 0; OTHERS := 0;\n"
      "  FOR I := 1 TO LENGTH(S) DO BEGIN\n"
      "    C := S[I];\n"
      "    IF UPCASE(C) IN ['A', 'E', 'I', 'O', 'U'] THEN INC(VOWELS)\n"
      "    ELSE CASE C OF '0'..'9': INC(DIGITS) ELSE INC(OTHERS) END\n"
      "  END;\n"
      "  PAIRS := 0;\n"
      "  FOR I := 1 TO 10 DO FOR J := 1 TO 10 DO BEGIN IF J > I THEN BREAK; INC(PAIRS) END\n"
      "END.\n");
  r.ExpectBytes({"VOWELS", 3, "DIGITS", 4, "OTHERS", 9});
  r.ExpectWords({"PAIRS", 55});
}

TEST(LanguageRun, IncDecMoveAndPredefinedFunctions) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR B: BYTE; W: WORD; I: INTEGER; L: LONGINT; A, D: ARRAY[0..3] OF BYTE; H, O: BYTE;\n"
      "    C: CHAR; HW: WORD;\n"
      "BEGIN\n"
      "  B := 255; INC(B); W := 1; DEC(W); DEC(W); I := 0; DEC(I); L := 65535; INC(L);\n"
      "  A[0] := 1; A[1] := 2; A[2] := 3; A[3] := 4; MOVE(A, D, 4);\n"
      "  H := HI($ABCD); O := ORD('A') + 1; C := PRED('B'); HW := HIWORD(L)\n"
      "END.\n");
  r.ExpectBytes({"B", 0});
  r.ExpectWords({"W", 65535, "I", -1});
  r.ExpectLongs({"L", 65536u});
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(r.Byte("D", i), i + 1);
  r.ExpectBytes({"H", 0xAB, "O", 66, "C", 'A'});
  r.ExpectWords({"HW", 1});
}

TEST(LanguageRun, PointersToRecordsOnTheHeap) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "TYPE PN = ^N; N = RECORD V: WORD; NEXT: PN END;\n"
      "VAR HEAD, P: PN; I: WORD; SUM, COUNT: WORD;\n"
      "BEGIN\n"
      "  HEAD := NIL;\n"
      "  FOR I := 1 TO 10 DO BEGIN NEW(P); P^.V := I * I; P^.NEXT := HEAD; HEAD := P END;\n"
      "  SUM := 0; COUNT := 0; P := HEAD;\n"
      "  WHILE P <> NIL DO BEGIN SUM := SUM + P^.V; INC(COUNT); P := P^.NEXT END\n"
      "END.\n");
  r.ExpectWords({"SUM", 385, "COUNT", 10});
}

TEST(LanguageRun, RepeatWhileAndExitFromFunctions) {
  const Ran r =
      RunProgram("PROGRAM T;\n"
                 "VAR G, C, FOUND: WORD;\n"
                 "FUNCTION GCD(A, B: WORD): WORD;\n"
                 "VAR T: WORD;\n"
                 "BEGIN WHILE B <> 0 DO BEGIN T := A MOD B; A := B; B := T END; GCD := A END;\n"
                 "FUNCTION COLLATZ(N: WORD): WORD;\n"
                 "VAR STEPS: WORD;\n"
                 "BEGIN STEPS := 0; REPEAT IF ODD(N) THEN N := 3 * N + 1 ELSE N := N DIV 2; "
                 "INC(STEPS) UNTIL N = 1;\n"
                 "  COLLATZ := STEPS END;\n"
                 "FUNCTION FIRSTSQUARE(LIMIT: WORD): WORD;\n"
                 "VAR K: WORD;\n"
                 "BEGIN FIRSTSQUARE := 0; FOR K := 1 TO 100 DO IF K * K > LIMIT THEN BEGIN "
                 "FIRSTSQUARE := K; EXIT END END;\n"
                 "BEGIN G := GCD(1071, 462); C := COLLATZ(27); FOUND := FIRSTSQUARE(500) END.\n");
  r.ExpectWords({"G", 21, "C", 111, "FOUND", 23});
}

TEST(LanguageRun, OffsetBoundsWordIndexesAndLargeArrays) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR A: ARRAY[10..20] OF INTEGER; BIG: ARRAY[0..999] OF WORD; I: "
                           "INTEGER; W: WORD; S1, S2: INTEGER;\n"
                           "    S3: LONGINT;\n"
                           "BEGIN\n"
                           "  FOR I := 10 TO 20 DO A[I] := (I - 15) * 3;\n"
                           "  S1 := A[10] + A[20] * 2 + A[15];\n"
                           "  FOR W := 0 TO 999 DO BIG[W] := W;\n"
                           "  S3 := 0; FOR W := 0 TO 999 DO S3 := S3 + BIG[W];\n"
                           "  I := 2; S2 := A[15 - I] - A[15 + I]\n"
                           "END.\n");
  r.ExpectWords({"S1", -15 + 30 + 0});
  r.ExpectLongs({"S3", 499500u});
  r.ExpectWords({"S2", -12});
}

TEST(LanguageRun, BooleanOperatorsShiftsAndCharArithmetic) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR A, B: INTEGER; F1, F2, F3, F4: BOOLEAN; X, Y, Z: BYTE; C: CHAR; W, ONE: WORD;\n"
      "BEGIN\n"
      "  A := 3; B := -4;\n"
      "  F1 := (A > 1) OR (B > 0) AND (A = 0);\n"
      "  F2 := NOT (A < B) AND (B <> 0);\n"
      "  F3 := (A > 5) OR (B > 5);\n"
      "  F4 := TRUE XOR (A = 3);\n"
      "  X := $81; Y := X SHL 1; Z := X SHR 7; ONE := 1; W := $8001 SHR 1 + ONE SHL 15;\n"
      "  C := CHR(ORD('a') + 25)\n"
      "END.\n");
  r.ExpectBytes({"F1", 1, "F2", 1, "F3", 0, "F4", 0});
  EXPECT_EQ(r.Byte("Y"), 0x02) << "BYTE SHL keeps the low byte";
  r.ExpectBytes({"Z", 1});
  r.ExpectWords({"W", 0x4000 + 0x8000});
  r.ExpectBytes({"C", 'z'});
}

TEST(LanguageRun, WithOnArrayElementsAndStringFields) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "TYPE E = RECORD NAME: STRING[8]; AGE: BYTE; PAY: LONGINT END;\n"
      "VAR STAFF: ARRAY[1..3] OF E; I: BYTE; TOTAL: LONGINT; LONGEST: BYTE; INITIALS: STRING[3];\n"
      "BEGIN\n"
      "  WITH STAFF[1] DO BEGIN NAME := 'ADA'; AGE := 36; PAY := 100000 END;\n"
      "  WITH STAFF[2] DO BEGIN NAME := 'GRACE'; AGE := 45; PAY := 120000 END;\n"
      "  WITH STAFF[3] DO BEGIN NAME := 'LINUS'; AGE := 28; PAY := 90000 END;\n"
      "  TOTAL := 0; LONGEST := 0; INITIALS := '';\n"
      "  FOR I := 1 TO 3 DO WITH STAFF[I] DO BEGIN\n"
      "    TOTAL := TOTAL + PAY; IF LENGTH(NAME) > LONGEST THEN LONGEST := LENGTH(NAME);\n"
      "    INITIALS := INITIALS + NAME[1]\n"
      "  END\n"
      "END.\n");
  r.ExpectLongs({"TOTAL", 310000u});
  r.ExpectBytes({"LONGEST", 5});
  ASSERT_EQ(r.Byte("INITIALS"), 3);
  EXPECT_EQ(r.Byte("INITIALS", 1), 'A');
  EXPECT_EQ(r.Byte("INITIALS", 2), 'G');
  EXPECT_EQ(r.Byte("INITIALS", 3), 'L');
}

TEST(LanguageRun, ValueStringParametersAreCopies) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "TYPE STR = STRING[10];\n"
                           "VAR S: STR; N: BYTE; R: STR;\n"
                           "FUNCTION SHOUT(X: STR): STR; BEGIN X := X + '!'; SHOUT := X END;\n"
                           "BEGIN S := 'HEY'; R := SHOUT(S); N := LENGTH(S) END.\n");
  EXPECT_EQ(r.Byte("N"), 3) << "the caller's string is untouched";
  r.ExpectBytes({"R", 4});
  EXPECT_EQ(r.Byte("R", 4), '!');
}

TEST(LanguageRun, CaseWithManyLabelsAndRanges) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR B: BYTE; SUM: WORD;\n"
      "BEGIN\n"
      "  SUM := 0;\n"
      "  FOR B := 0 TO 40 DO\n"
      "    CASE B OF\n"
      "      0: SUM := SUM + 1; 1: SUM := SUM + 2; 2: SUM := SUM + 4; 3: SUM := SUM + 8;\n"
      "      4, 5, 6: SUM := SUM + 16; 10..19: SUM := SUM + 100; 20..29, 35: SUM := SUM + 1000\n"
      "    ELSE SUM := SUM + 10000 END\n"
      "END.\n");
  // 0..3: 15; 4..6: 48; 10..19: 1000; 20..29 and 35: 11000; the other 13 values: 130000.
  r.ExpectWords({"SUM", static_cast<std::uint16_t>(15 + 48 + 1000 + 11000 + 130000)});
}

TEST(LanguageRun, CallsInsideExpressionsAndVarParametersPassedOn) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR A, B, N: WORD;\n"
                           "FUNCTION SQ(X: WORD): WORD; BEGIN SQ := X * X END;\n"
                           "FUNCTION ADD3(X, Y, Z: WORD): WORD; BEGIN ADD3 := X + Y + Z END;\n"
                           "PROCEDURE BUMP(VAR V: WORD); BEGIN V := V + 1 END;\n"
                           "PROCEDURE TWICE(VAR V: WORD); BEGIN BUMP(V); BUMP(V) END;\n"
                           "BEGIN\n"
                           "  A := SQ(3) + SQ(4) * SQ(2);\n"
                           "  B := ADD3(SQ(1), ADD3(1, 2, SQ(3)), 100) - SQ(2);\n"
                           "  N := 5; TWICE(N)\n"
                           "END.\n");
  r.ExpectWords({"A", 9 + 16 * 4, "B", 1 + 12 + 100 - 4, "N", 7});
}

TEST(LanguageRun, StringEdgesAndConversions) {
  const Ran r = RunProgram(
      "PROGRAM T;\n"
      "VAR S, E: STRING[255]; N, K: BYTE; C1, C2, C3, C4: BOOLEAN; L1, L2, L3: LONGINT; H: "
      "STRING[8];\n"
      "    A: ARRAY[1..3] OF STRING[4];\n"
      "BEGIN\n"
      "  S := ''; FOR K := 1 TO 30 DO S := S + '0123456789'; N := LENGTH(S);\n"
      "  E := ''; C1 := E = ''; C2 := 'ab' < 'abc'; C3 := 'ba' > 'abc'; C4 := 'abc' <> 'abc';\n"
      "  L1 := STRTOINT('-2147483648'); L2 := STRTOINTDEF('12x', -7); L3 := STRTOINT('65536');\n"
      "  H := INTTOHEX(48879, 4);\n"
      "  A[1] := 'ONE'; A[2] := A[1]; A[2][1] := 'T'; A[3] := COPY(A[2], 2, 10)\n"
      "END.\n");
  EXPECT_EQ(r.Byte("N"), 255) << "concatenation is cut at 255 characters";
  r.ExpectBytes({"C1", 1, "C2", 1, "C3", 1, "C4", 0});
  r.ExpectLongs({"L1", 0x80000000u, "L2", -7, "L3", 65536u});
  ASSERT_EQ(r.Byte("H"), 4);
  EXPECT_EQ(std::string({char(r.Byte("H", 1)), char(r.Byte("H", 2)), char(r.Byte("H", 3)),
                         char(r.Byte("H", 4))}),
            "BEEF");
  EXPECT_EQ(r.Byte("A", 5 + 1), 'T');
  EXPECT_EQ(r.Byte("A", 10), 2) << "A[3] is 'NE'";
  EXPECT_EQ(r.Byte("A", 11), 'N');
}

TEST(LanguageRun, PointerToArrayNestedWithAndSizeof) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "TYPE ARR = ARRAY[1..4] OF WORD; PA = ^ARR;\n"
                           "  INNER = RECORD V: BYTE END; OUTER = RECORD I: INNER; W: WORD END;\n"
                           "VAR P: PA; SUM, SZ: WORD; K: BYTE; O: OUTER;\n"
                           "BEGIN\n"
                           "  NEW(P); FOR K := 1 TO 4 DO P^[K] := K * 100; SUM := 0; FOR K := 1 TO "
                           "4 DO SUM := SUM + P^[K];\n"
                           "  WITH O DO WITH I DO BEGIN V := 9; W := V * 2 END;\n"
                           "  SZ := SIZEOF(ARR) + SIZEOF(OUTER)\n"
                           "END.\n");
  r.ExpectWords({"SUM", 1000});
  EXPECT_EQ(r.Byte("O", 0), 9);
  EXPECT_EQ(r.Byte("O", 1) | r.Byte("O", 2) << 8, 18);
  r.ExpectWords({"SZ", 8 + 3});
}

TEST(LanguageRun, LongComparisonsIncDecAndBooleanOrder) {
  const Ran r = RunProgram("PROGRAM T;\n"
                           "VAR A, B: LONGINT; C1, C2, C3, C4, C5: BOOLEAN; N: WORD;\n"
                           "BEGIN\n"
                           "  A := -1; B := 1;\n"
                           "  C1 := A < B; C2 := -2147483647 - 1 < A; C3 := 65536 > 65535; C4 := "
                           "FALSE < TRUE; C5 := 'A' < 'a';\n"
                           "  A := 65535; INC(A); B := 0; DEC(B);\n"
                           "  N := 0; WHILE A > 65530 DO BEGIN DEC(A); INC(N) END\n"
                           "END.\n");
  for (const char* name : {"C1", "C2", "C3", "C4", "C5"})
    EXPECT_EQ(r.Byte(name), 1) << name;
  r.ExpectLongs({"A", 65530u, "B", 0xFFFFFFFFu});
  r.ExpectWords({"N", 6});
}

} // namespace
} // namespace velkor
