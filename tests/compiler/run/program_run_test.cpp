// Programs a user would write, compiled as module T, linked behind a start-up
// that calls it and halts, and run on the simulated board; the variables
// they leave are read back through the symbol file and must hold the values
// Pascal says they compute.

#include <gtest/gtest.h>

#include <sstream>

#include "tests/compiler/compile_support.h"
#include "tests/rtl/library_board.h"

namespace velkor {
namespace {

using namespace testing_support;

// The compiled module behind the board's start-up: its code is called, its
// data section follows.
rtltest::BoardProgram BehindStartup(const CompiledProgram& p, int cpu) {
  rtltest::BoardProgram program;
  program.code = {"\tcall @T", "\thalt"};
  bool inside = false;
  for (const std::string& line : p.lines) {
    if (line == "\tEND") break;
    if (inside) program.code.push_back(line);
    if (line == "\tCODE") inside = true;
  }
  program.maxInstructions = 2'000'000;
  program.cpu = cpu;
  return program;
}

// Checks each "kind:NAME[+offset]=value" of `expected`: kind b, w or l reads
// a byte, word or long and compares it with the number taken to that width,
// c a byte against a character, s a string (length byte, then characters).
void ExpectValues(const rtltest::BoardRun& run, const std::string& expected) {
  std::istringstream items(expected);
  for (std::string item; items >> item;) {
    const char kind = item[0];
    const std::size_t equals = item.find('='), plus = item.find('+');
    const std::string name = item.substr(2, std::min(equals, plus) - 2);
    const std::string value = item.substr(equals + 1);
    const long at = run.Symbol("T_" + name);
    ASSERT_GE(at, 0) << name << " not in the symbol file";
    const auto address =
        static_cast<std::uint16_t>(at + (plus < equals ? std::stoi(item.substr(plus + 1)) : 0));
    if (kind == 's') {
      std::string got(run.Byte(address), '\0');
      for (std::size_t i = 0; i < got.size(); ++i)
        got[i] = static_cast<char>(run.Byte(static_cast<std::uint16_t>(address + 1 + i)));
      EXPECT_EQ(got, value) << item;
    } else {
      const int bytes = kind == 'w' ? 2 : kind == 'l' ? 4 : 1;
      std::uint64_t got = 0;
      for (int i = bytes - 1; i >= 0; --i)
        got = got << 8 | run.Byte(static_cast<std::uint16_t>(address + i));
      const std::uint64_t mask = (std::uint64_t{1} << (8 * bytes)) - 1;
      const auto want = kind == 'c' ? static_cast<std::uint8_t>(value[0]) : std::stoll(value);
      EXPECT_EQ(got, static_cast<std::uint64_t>(want) & mask) << item;
    }
  }
}

struct RunCase {
  const char* name;
  const char* source; // after "PROGRAM T;"
  const char* expected;
  int cpu = kCpuZ80;
};

void PrintTo(const RunCase& c, std::ostream* os) {
  *os << c.name;
}

class ProgramRun : public ::testing::TestWithParam<RunCase> {};

TEST_P(ProgramRun, LeavesTheExpectedValues) {
  CompileSettings settings;
  settings.Z180 = GetParam().cpu == kCpuZ180;
  const CompiledProgram p = Compile(std::string("PROGRAM T;\n") + GetParam().source, settings);
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  const rtltest::BoardRun run = rtltest::RunOnBoard(BehindStartup(p, GetParam().cpu));
  ASSERT_TRUE(run.built) << run.log << Joined(p.lines);
  ASSERT_TRUE(run.halted) << "the program did not end\n" << Joined(p.lines);
  ExpectValues(run, GetParam().expected);
}

// A statement that ends at column 255, 256 or 10,000 is compiled whole.
std::string LongLines() {
  std::string source = "VAR N: WORD;\nBEGIN\n  N := 0;\n";
  for (const std::size_t length : {255u, 256u, 10'000u})
    source += std::string(length - 7, ' ') + "INC(N);\n";
  return source + "END.\n";
}

// Two overlay areas, a part of the second calling both parts of the first.
std::string TwoOverlayAreas(const std::string& firstAt, const std::string& secondAt) {
  return "VAR N: WORD;\n{#O+}\n{#O " + firstAt +
         "}\n"
         "PROCEDURE B1; BEGIN N := N + 1 END;\nPROCEDURE B2; BEGIN N := N + 10 END;\n"
         "{#O-}\n{#O+}\n{#O " +
         secondAt + "}\nPROCEDURE A1; BEGIN B1; B2; B1 END;\n{#O-}\n" +
         "BEGIN INITOVERLAY; N := 0; A1 END.\n";
}

const std::string kLongLines = LongLines();
const std::string kOverlaysLow = TwoOverlayAreas("$6000", "$5000");
const std::string kOverlaysHigh = TwoOverlayAreas("$10000", "$6000");

INSTANTIATE_TEST_SUITE_P(
    Language, ProgramRun,
    ::testing::Values(
        RunCase{
            "ArithmeticComparisonsNestedRoutinesRepeatExitAndVarParametersOfEveryKind",
            "TYPE R = RECORD A: BYTE; W: WORD END; STR10 = STRING[10];\n"
            "VAR I, J, Q1, Q2, R1, R2, N, P, S, K, CI: INTEGER; W, CW: WORD; CB: BYTE;\n"
            "  A, B, LS, LD, LP, LQ, LM, LN, LH, CL, CA: LONGINT; C: ARRAY[1..13] OF BOOLEAN;\n"
            "  TOTAL, CZ, FOUND: WORD; VB: BYTE; VW, VN: WORD; L: LONGINT; VS: STR10; X: R;\n"
            "  VC: CHAR;\n"
            "PROCEDURE OUTER(N: WORD);\n"
            "VAR ACC: WORD;\n"
            "  PROCEDURE INNER(K: WORD);\n"
            "  BEGIN ACC := ACC + K * N END;\n"
            "BEGIN ACC := 0; INNER(1); INNER(2); INNER(3); TOTAL := TOTAL + ACC END;\n"
            "FUNCTION COLLATZ(N: WORD): WORD;\n"
            "VAR STEPS: WORD;\n"
            "BEGIN STEPS := 0;\n"
            "  REPEAT IF ODD(N) THEN N := 3 * N + 1 ELSE N := N DIV 2; INC(STEPS) UNTIL N = 1;\n"
            "  COLLATZ := STEPS END;\n"
            "FUNCTION FIRSTSQUARE(LIMIT: WORD): WORD;\n"
            "VAR K: WORD;\n"
            "BEGIN FIRSTSQUARE := 0;\n"
            "  FOR K := 1 TO 100 DO IF K * K > LIMIT THEN BEGIN FIRSTSQUARE := K; EXIT END END;\n"
            "PROCEDURE SETALL(VAR B: BYTE; VAR W: WORD; VAR L: LONGINT; VAR S: STR10;\n"
            "  VAR X: R; VAR C: CHAR);\n"
            "BEGIN B := B + 1; W := W * 2; L := L + 70000; S := S + '!'; X.W := X.A + 1000;\n"
            "  C := 'Z' END;\n"
            "PROCEDURE BUMP(VAR V: WORD); BEGIN V := V + 1 END;\n"
            "PROCEDURE TWICE(VAR V: WORD); BEGIN BUMP(V); BUMP(V) END;\n"
            "BEGIN\n"
            "  I := -17; J := 5;\n"
            "  Q1 := I DIV J; R1 := I MOD J; Q2 := 17 DIV (-J); R2 := 17 MOD (-J);\n"
            "  N := -I; P := I * J; S := ABS(I) + I SHL 1; W := 40000 DIV 3;\n"
            "  A := 123456789; B := -98765; K := -3;\n"
            "  LS := A + B; LD := B - A; LP := B * K; LQ := A DIV B; LM := A MOD B; LN := -A;\n"
            "  LH := A SHR 8 + (B AND $FFFF);\n"
            "  CI := -1; CW := 65535; CB := 200; CL := -100000; CA := -1;\n"
            "  C[1] := CI < CW; C[2] := CI < 1000; C[3] := CW > 1000; C[4] := CB > CI;\n"
            "  C[5] := CL < CI; C[6] := CI >= -32768; C[7] := CW = 65535;\n"
            "  C[8] := (CB <= 200) AND NOT (CI > 0); C[9] := CA < 1;\n"
            "  C[10] := -2147483647 - 1 < CA; C[11] := 65536 > 65535; C[12] := FALSE < TRUE;\n"
            "  C[13] := 'A' < 'a';\n"
            "  TOTAL := 0; OUTER(10); OUTER(100); CZ := COLLATZ(27); FOUND := FIRSTSQUARE(500);\n"
            "  VB := 9; VW := 21; L := 5; VS := 'HI'; X.A := 7; VC := 'A';\n"
            "  SETALL(VB, VW, L, VS, X, VC); VN := 5; TWICE(VN)\n"
            "END.\n",
            "w:Q1=-3 w:R1=-2 w:Q2=-3 w:R2=2 w:N=17 w:P=-85 w:S=-17 w:W=13333 l:LS=123358024 "
            "l:LD=-123555554 l:LP=296295 l:LQ=-1250 l:LM=539 l:LN=-123456789 l:LH=514560 "
            "l:C+0=16843009 l:C+4=16843009 l:C+8=16843009 b:C+12=1 w:TOTAL=660 w:CZ=111 "
            "w:FOUND=23 b:VB=10 w:VW=42 l:L=70005 s:VS=HI! w:X+1=1007 c:VC=Z w:VN=7"},
        // The arguments of a call are all evaluated before the callee's
        // parameters are written: a call among them would overwrite them.
        RunCase{"FunctionsOfEveryResultTypeCallsInArgumentsArraysOfRecordsAndLargeArrays",
                "TYPE P = RECORD X, Y: INTEGER; NAME: STRING[3] END;\n"
                "VAR L: LONGINT; C: CHAR; F: BOOLEAN; B: BYTE; NI: INTEGER; SA, B2, R1, R2: WORD;\n"
                "  PTS: ARRAY[1..5] OF P; GRID: ARRAY[0..3, 0..4] OF BYTE; I, J: BYTE;\n"
                "  SUM: INTEGER; DIAG: WORD; LAST: CHAR; A: ARRAY[10..20] OF INTEGER;\n"
                "  BIG: ARRAY[0..999] OF WORD; K: INTEGER; W: WORD; S1, S2: INTEGER; S3: LONGINT;\n"
                // WORD * WORD is a WORD; a LONGINT operand makes the product long.
                "FUNCTION LNG(X: WORD): LONGINT; VAR Y: LONGINT;\n"
                "BEGIN Y := X; LNG := Y * 1000 + X * 1000 END;\n"
                "FUNCTION NEXTC(X: CHAR): CHAR; BEGIN NEXTC := SUCC(X) END;\n"
                "FUNCTION ISODD(X: INTEGER): BOOLEAN; BEGIN ISODD := ODD(X) END;\n"
                "FUNCTION LOWB(X: WORD): BYTE; BEGIN LOWB := LO(X) END;\n"
                "FUNCTION NEG(X: INTEGER): INTEGER; BEGIN NEG := -X END;\n"
                "FUNCTION SQ(X: WORD): WORD; BEGIN SQ := X * X END;\n"
                "FUNCTION ADD3(X, Y, Z: WORD): WORD; BEGIN ADD3 := X + Y + Z END;\n"
                "FUNCTION MAX(A, B: WORD): WORD; BEGIN IF A > B THEN MAX := A ELSE MAX := B END;\n"
                "BEGIN\n"
                "  L := LNG(300); C := NEXTC('Q'); F := ISODD(-7); B := LOWB($1234);\n"
                "  NI := NEG(NEG(-5)) - 1; SA := SQ(3) + SQ(4) * SQ(2);\n"
                "  B2 := ADD3(SQ(1), ADD3(1, 2, SQ(3)), 100) - SQ(2);\n"
                "  R1 := MAX(5, MAX(2, 3)); R2 := MAX(MAX(1, 9), 4);\n"
                "  FOR I := 1 TO 5 DO BEGIN\n"
                "    PTS[I].X := I; PTS[I].Y := -I * 2; PTS[I].NAME := CHR(64 + I)\n"
                "  END;\n"
                "  SUM := 0; FOR I := 1 TO 5 DO SUM := SUM + PTS[I].X * PTS[I].Y;\n"
                "  FOR I := 0 TO 3 DO FOR J := 0 TO 4 DO GRID[I, J] := I * 10 + J;\n"
                "  DIAG := 0; FOR I := 0 TO 3 DO DIAG := DIAG + GRID[I, I];\n"
                "  LAST := PTS[5].NAME[1];\n"
                "  FOR K := 10 TO 20 DO A[K] := (K - 15) * 3;\n"
                "  S1 := A[10] + A[20] * 2 + A[15];\n"
                "  FOR W := 0 TO 999 DO BIG[W] := W;\n"
                "  S3 := 0; FOR W := 0 TO 999 DO S3 := S3 + BIG[W];\n"
                "  K := 2; S2 := A[15 - K] - A[15 + K]\n"
                "END.\n",
                "l:L=337856 c:C=R b:F=1 b:B=52 w:NI=-6 w:SA=73 w:B2=109 w:R1=5 w:R2=9 w:SUM=-110 "
                "w:DIAG=66 b:GRID+19=34 c:LAST=E w:S1=15 l:S3=499500 w:S2=-12"},
        RunCase{
            "StringsBooleansShiftsCharArithmeticIncDecMoveAndPredefinedFunctions",
            "TYPE STR20 = STRING[20];\n"
            "VAR S, U, R: STR20; P, N, M, LN, K: BYTE; EQ, LT: BOOLEAN; C: CHAR;\n"
            "  LS, E: STRING[255]; CS: ARRAY[1..4] OF BOOLEAN; L1, L2, L3: LONGINT;\n"
            "  H: STRING[8]; A: ARRAY[1..3] OF STRING[4];\n"
            "  IA, IB, I: INTEGER; F1, F2, F3, F4: BOOLEAN; X, Y, Z, B, HB, O: BYTE;\n"
            "  CP, CZ: CHAR; W, WS, ONE, HW: WORD; L: LONGINT; AM, D: ARRAY[0..3] OF BYTE;\n"
            "FUNCTION TWICE(X: STR20): STR20; BEGIN TWICE := X + X END;\n"
            "FUNCTION SHOUT(X: STR20): STR20; BEGIN X := X + '!'; SHOUT := X END;\n"
            "BEGIN\n"
            "  S := 'abc'; U := TWICE(S) + 'XYZ';\n"
            "  P := POS('cXY', U); N := LENGTH(U);\n"
            "  DELETE(U, 2, 3); INSERT('--', U, 1);\n"
            "  EQ := COPY(U, 3, 2) = 'ab'; LT := 'abc' < 'abd'; C := UPCASE(S[2]);\n"
            "  R := SHOUT(S); M := LENGTH(S);\n"
            "  LS := ''; FOR K := 1 TO 30 DO LS := LS + '0123456789'; LN := LENGTH(LS);\n"
            "  E := ''; CS[1] := E = ''; CS[2] := 'ab' < 'abc'; CS[3] := 'ba' > 'abc';\n"
            "  CS[4] := 'abc' <> 'abc';\n"
            "  L1 := STRTOINT('-2147483648'); L2 := STRTOINTDEF('12x', -7);\n"
            "  L3 := STRTOINT('65536'); H := INTTOHEX(48879, 4);\n"
            "  A[1] := 'ONE'; A[2] := A[1]; A[2][1] := 'T'; A[3] := COPY(A[2], 2, 10);\n"
            "  IA := 3; IB := -4;\n"
            "  F1 := (IA > 1) OR (IB > 0) AND (IA = 0); F2 := NOT (IA < IB) AND (IB <> 0);\n"
            "  F3 := (IA > 5) OR (IB > 5); F4 := TRUE XOR (IA = 3);\n"
            "  X := $81; Y := X SHL 1; Z := X SHR 7; ONE := 1; WS := $8001 SHR 1 + ONE SHL 15;\n"
            "  CZ := CHR(ORD('a') + 25);\n"
            "  B := 255; INC(B); W := 1; DEC(W); DEC(W); I := 0; DEC(I); L := 65535; INC(L);\n"
            "  AM[0] := 1; AM[1] := 2; AM[2] := 3; AM[3] := 4; MOVE(AM, D, 4);\n"
            "  HB := HI($ABCD); O := ORD('A') + 1; CP := PRED('B'); HW := HIWORD(L)\n"
            "END.\n",
            "b:P=6 b:N=9 s:U=--abcXYZ b:EQ=1 b:LT=1 c:C=B s:R=abc! b:M=3 b:LN=255 l:CS=65793 "
            "l:L1=2147483648 l:L2=-7 l:L3=65536 s:H=BEEF s:A+5=TNE s:A+10=NE b:F1=1 b:F2=1 "
            "b:F3=0 b:F4=0 b:Y=2 b:Z=1 w:WS=49152 c:CZ=z b:B=0 w:W=65535 w:I=-1 l:L=65536 "
            "l:D=67305985 b:HB=171 b:O=66 c:CP=A w:HW=1"},
        // Consecutive labels dispatch through a table, the others through a
        // search; a WORD selector whose high byte is set matches no byte label.
        RunCase{
            "SetsCaseByTableAndSearchLoopsToTheTypeLimitsSignedBreakAndContinue",
            "VAR B, VOWELS, DIGITS, OTHERS: BYTE; W, SUM, SUM2, OTHER, SI, J, PAIRS: WORD;\n"
            "  C: CHAR; S: STRING[20]; I: INTEGER; N1, N2, N3, N4, N5, N6, N7: WORD;\n"
            "  EVEN, WHILES, REPEATS: WORD;\n"
            "BEGIN\n"
            "  S := 'Hello 2026 World'; VOWELS := 0; DIGITS := 0; OTHERS := 0;\n"
            "  FOR SI := 1 TO LENGTH(S) DO BEGIN\n"
            "    C := S[SI];\n"
            "    IF UPCASE(C) IN ['A', 'E', 'I', 'O', 'U'] THEN INC(VOWELS)\n"
            "    ELSE CASE C OF '0'..'9': INC(DIGITS) ELSE INC(OTHERS) END\n"
            "  END;\n"
            "  PAIRS := 0;\n"
            "  FOR SI := 1 TO 10 DO FOR J := 1 TO 10 DO BEGIN IF J > SI THEN BREAK; INC(PAIRS) "
            "END;\n"
            "  SUM := 0; SUM2 := 0; OTHER := 0;\n"
            "  FOR B := 0 TO 40 DO\n"
            "    CASE B OF\n"
            "      0: SUM := SUM + 1; 1: SUM := SUM + 2; 2: SUM := SUM + 4; 3: SUM := SUM + 8;\n"
            "      4, 5, 6: SUM := SUM + 16; 10..19: SUM := SUM + 100;\n"
            "      20..29, 35: SUM := SUM + 1000\n"
            "    ELSE SUM := SUM + 10000 END;\n"
            "  FOR B := 0 TO 9 DO\n"
            "    CASE B OF 3: SUM2 := SUM2 + 1; 4: SUM2 := SUM2 + 10; 5: SUM2 := SUM2 + 100\n"
            "    ELSE INC(OTHER) END;\n"
            "  C := 'Q'; CASE C OF 'A'..'M': SUM2 := SUM2 + 1000; 'N'..'Z': SUM2 := SUM2 + 2000 "
            "END;\n"
            "  W := 259; CASE W OF 3: SUM2 := SUM2 + 5000 ELSE INC(OTHER) END;\n"
            "  EVEN := 0; FOR B := 1 TO 10 DO BEGIN IF B AND 1 = 1 THEN CONTINUE; INC(EVEN) END;\n"
            "  W := 0; WHILES := 0;\n"
            "  WHILE W < 100 DO BEGIN INC(W); IF W = 7 THEN BREAK; INC(WHILES) END;\n"
            "  REPEATS := 0; W := 0;\n"
            "  REPEAT INC(W); IF W < 5 THEN CONTINUE; INC(REPEATS) UNTIL W = 8;\n"
            "  N1 := 0; FOR B := 5 DOWNTO 0 DO INC(N1);\n"
            "  N2 := 0; FOR B := 250 TO 255 DO INC(N2);\n"
            "  N3 := 0; FOR W := 65533 TO 65535 DO INC(N3);\n"
            "  N4 := 0; FOR I := -5 TO 5 DO INC(N4);\n"
            "  N5 := 0; FOR I := 5 TO 4 DO INC(N5);\n"
            "  N6 := 0; FOR W := 4 TO 4 DO INC(N6);\n"
            "  N7 := 0; FOR I := 3 DOWNTO -32768 DO INC(N7)\n"
            "END.\n",
            "b:VOWELS=3 b:DIGITS=4 b:OTHERS=9 w:PAIRS=55 w:SUM=142063 w:SUM2=2111 w:OTHER=8 "
            "w:N1=6 w:N2=6 w:N3=3 w:N4=11 w:N5=0 w:N6=1 w:N7=32772 b:B=255 w:I=-32768 "
            "w:EVEN=5 w:WHILES=6 w:REPEATS=4"},
        RunCase{
            "StoresFillCharPointersOnTheHeapNestedWithSizeofWithOnArrayElementsAndTypedConstants",
            "TYPE PN = ^N; N = RECORD V: WORD; NEXT: PN END;\n"
            "  ARR = ARRAY[1..4] OF WORD; PA = ^ARR;\n"
            "  INNER = RECORD V: BYTE END; OUTER = RECORD I: INNER; W: WORD END;\n"
            "  E = RECORD NAME: STRING[8]; AGE: BYTE; PAY: LONGINT END;\n"
            "  R = RECORD A: BYTE; W: WORD END;\n"
            "CONST TABLE: ARRAY[0..3] OF WORD = (1, 20, 300, 4000); REC: R = (A: 5; W: 600);\n"
            "  ZED: STRING[8] = 'ZED';\n"
            "VAR HEAD, P: PN; J, SUM, COUNT, ASUM, SZ: WORD; Q: PA; K: BYTE; O: OUTER;\n"
            "  STAFF: ARRAY[1..3] OF E; IX: BYTE; TOTAL: LONGINT; LONGEST: BYTE;\n"
            "  INITIALS: STRING[3]; TSUM: WORD; X: R; ZN: BYTE;\n"
            "  L, L2: LONGINT; WS: WORD; IS: INTEGER; B: BYTE; S: STRING[5]; XS, YS: R;\n"
            "  AW: ARRAY[1..3] OF WORD; PW: ^WORD;\n"
            "  FA: ARRAY[0..7] OF BYTE; GUARD: BYTE; NF: WORD; VF: BYTE;\n"
            "PROCEDURE SWAP(VAR A, B: WORD); VAR T: WORD; BEGIN T := A; A := B; B := T END;\n"
            "BEGIN\n"
            "  IS := -2; L := IS; WS := 65535; L2 := WS; S := 'ABCDEFGH';\n"
            "  XS.A := 1; XS.W := 513; YS := XS;\n"
            "  AW[1] := 10; AW[3] := 30; SWAP(AW[1], AW[3]);\n"
            "  PW := @AW[2]; PW^ := 22; B := L;\n"
            "  GUARD := 77; FILLCHAR(FA, 8, 1); FILLCHAR(FA, 1, 2); FILLCHAR(FA, 0, 3);\n"
            "  NF := 0; FILLCHAR(FA, NF, 4);\n"
            "  NF := 3; VF := 9; FILLCHAR(FA[4], NF, VF);\n"
            "  NF := 0; FILLCHAR(FA[2], NF, VF);\n"
            "  HEAD := NIL;\n"
            "  FOR J := 1 TO 10 DO BEGIN NEW(P); P^.V := J * J; P^.NEXT := HEAD; HEAD := P END;\n"
            "  SUM := 0; COUNT := 0; P := HEAD;\n"
            "  WHILE P <> NIL DO BEGIN SUM := SUM + P^.V; INC(COUNT); P := P^.NEXT END;\n"
            "  NEW(Q); FOR K := 1 TO 4 DO Q^[K] := K * 100;\n"
            "  ASUM := 0; FOR K := 1 TO 4 DO ASUM := ASUM + Q^[K];\n"
            "  WITH O DO WITH I DO BEGIN V := 9; W := V * 2 END;\n"
            "  SZ := SIZEOF(ARR) + SIZEOF(OUTER);\n"
            "  WITH STAFF[1] DO BEGIN NAME := 'ADA'; AGE := 36; PAY := 100000 END;\n"
            "  WITH STAFF[2] DO BEGIN NAME := 'GRACE'; AGE := 45; PAY := 120000 END;\n"
            "  WITH STAFF[3] DO BEGIN NAME := 'LINUS'; AGE := 28; PAY := 90000 END;\n"
            "  TOTAL := 0; LONGEST := 0; INITIALS := '';\n"
            "  FOR IX := 1 TO 3 DO WITH STAFF[IX] DO BEGIN\n"
            "    TOTAL := TOTAL + PAY; IF LENGTH(NAME) > LONGEST THEN LONGEST := LENGTH(NAME);\n"
            "    INITIALS := INITIALS + NAME[1]\n"
            "  END;\n"
            "  TSUM := 0; FOR IX := 0 TO 3 DO TSUM := TSUM + TABLE[IX];\n"
            "  WITH X DO BEGIN A := REC.A; W := REC.W END;\n"
            "  ZN := LENGTH(ZED)\n"
            "END.\n",
            "l:L=-2 l:L2=65535 s:S=ABCDE b:YS=1 w:YS+1=513 w:AW=30 w:AW+2=22 w:AW+4=10 b:B=254 "
            "l:FA=16843010 l:FA+4=17369353 b:GUARD=77 w:SUM=385 w:COUNT=10 w:ASUM=1000 b:O=9 "
            "w:O+1=18 w:SZ=11 l:TOTAL=310000 b:LONGEST=5 s:INITIALS=AGL w:TSUM=4321 b:X=5 "
            "w:X+1=600 b:ZN=3"},
        RunCase{"StatementsPastColumn255AreCompiled", kLongLines.c_str(), "w:N=3"},
        // A Z80 runs overlay parts stored below 64K, a Z180 from anywhere.
        RunCase{"OverlayAreasOnAZ80", kOverlaysLow.c_str(), "w:N=12"},
        RunCase{"OverlayAreasAbove64KOnAZ180", kOverlaysHigh.c_str(), "w:N=12", kCpuZ180},
        // A part of the outer area calls both parts of the area nested in it.
        RunCase{"NestedOverlayAreas",
                "VAR N: WORD;\n{#O+}\n{#O $6000}\nPROCEDURE OUTER;\n{#O $5000}\n{#O+}\n"
                "PROCEDURE IN1; BEGIN N := N + 10 END;\nPROCEDURE IN2; BEGIN N := N + 100 END;\n"
                "{#O-}\nBEGIN N := N + 1; IN1; IN2; IN1 END;\n{#O-}\n"
                "BEGIN INITOVERLAY; N := 0; OUTER; OUTER END.\n",
                "w:N=242"}));

// A Z80 copies parts from the low 64K only: parts stored above it fail the
// link, naming the area and where it is stored, even when a later area lies
// lower.
TEST(ProgramLink, OverlayAreasAbove64KFailAZ80Link) {
  const CompiledProgram high = Compile("PROGRAM T;\n" + kOverlaysHigh);
  ASSERT_TRUE(high.ok) << Joined(high.messages);
  const rtltest::BoardRun refused = rtltest::RunOnBoard(BehindStartup(high, kCpuZ80));
  EXPECT_FALSE(refused.built);
  EXPECT_NE(refused.log.find("A Z80 cannot load overlay parts stored at or above 10000H: area 1, "
                             "load position 10000H"),
            std::string::npos)
      << refused.log;
}

} // namespace
} // namespace velkor
