// Statements: a few golden code bodies for each family (the run tests
// execute the code of them all), and the errors of the statement, type and
// declaration parsers reached from a source.

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

const std::string kHead =
    "PROGRAM T;\n"
    "TYPE R = RECORD A: BYTE; W: WORD END; S10 = STRING[10];\n"
    "VAR B, B2: BYTE; C: CHAR; W, W2: WORD; I: INTEGER; L: LONGINT; BO: BOOLEAN;\n"
    "  S: STRING[10]; S2: STRING[20]; X, Y: R; P: ^WORD; AB: ARRAY[0..9] OF BYTE;\n"
    "  AW: ARRAY[0..3] OF WORD;\n"
    "LABEL L1, L2;\n";

struct BodyCase {
  const char* statements;
  const char* body; // as Code() reads it
};

void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.statements;
}

class StatementCode : public ::testing::TestWithParam<BodyCase> {};

TEST_P(StatementCode, IsExactly) {
  const CompiledProgram p = Ok(kHead + "BEGIN\n" + GetParam().statements + "\nEND.\n");
  EXPECT_EQ(Joined(MainBody(p)), Joined(*GetParam().body ? Code(GetParam().body) : Lines{}));
}

INSTANTIATE_TEST_SUITE_P(
    Conditions, StatementCode,
    ::testing::Values(
        // Byte comparisons with a byte are fused into a compare and jumps.
        BodyCase{"IF B < B2 THEN W := 1",
                 "ld hl,(T_B)|ld a,(T_B2)|cp l|jp z,@@0|jp c,@@0|ld hl,1|ld (T_W),hl|@@0:"},
        BodyCase{"IF B >= 10 THEN W := 1",
                 "ld hl,(T_B)|ld a,10|cp l|jr z,$+5|jp nc,@@0|ld hl,1|ld (T_W),hl|@@0:"},
        // A constant of 256 or more is not fused; the routine sets the zero flag.
        BodyCase{"IF B = 300 THEN W := 1",
                 "ld hl,(T_B)|ld h,0|push hl|ld hl,300|call __equ|jp z,@@0|ld hl,1|ld "
                 "(T_W),hl|@@0:"},
        BodyCase{"IF BO THEN W := 1 ELSE W := 2",
                 "ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@0|ld hl,1|ld (T_W),hl|jp @@1|@@0:|ld "
                 "hl,2|ld (T_W),hl|@@1:"}));

INSTANTIATE_TEST_SUITE_P(
    Loops, StatementCode,
    ::testing::Values(
        BodyCase{"WHILE B < 10 DO INC(B)",
                 "@@0:|ld hl,(T_B)|ld a,10|cp l|jp z,@@1|jp c,@@1|ld hl,T_B|inc (hl)|jp @@0|@@1:"},
        // CONTINUE in REPEAT goes to the UNTIL test, BREAK behind it.
        BodyCase{"REPEAT IF BO THEN CONTINUE; BREAK UNTIL BO",
                 "@@0:|ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@2|jp @@3|@@2:|jp @@1|@@3:|ld "
                 "hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@0|@@1:"},
        BodyCase{"FOR B := 1 TO 10 DO INC(W)",
                 "ld hl,10|ld bc,1|ld a,l|ld (T_B_&&&),a ;\"to\" value|@@0:|sub c|ld a,c|ld "
                 "(T_B),a ;load loop var|jp c,@@1|ld hl,(T_W)|inc hl|ld (T_W),hl|ld a,(T_B)|ld "
                 "c,a|ld a,(T_B_&&&)|cp c|jp z,@@1|inc c|jp @@0|@@1:"},
        // INTEGER loops compare signed: both values biased by 8000H. A negated
        // constant bound: the fold takes the start value, not the deleted load.
        BodyCase{"FOR I := 3 DOWNTO -5 DO INC(B)",
                 "ld hl,65531|ld bc,3|ld (T_I_&&&),hl ;\"to\" value|@@0:|ld (T_I),bc ;load loop "
                 "var|ld a,h|xor 80H|ld h,a|ld a,b|xor 80H|ld b,a|or a|sbc hl,bc|jr z,$+5|jp "
                 "nc,@@1|ld hl,T_B|inc (hl)|ld hl,(T_I_&&&)|ld bc,(T_I)|or a|sbc hl,bc|jp "
                 "z,@@1|add hl,bc|dec bc|jp @@0|@@1:"}));

INSTANTIATE_TEST_SUITE_P(
    CaseAndJumps, StatementCode,
    ::testing::Values(
        BodyCase{"CASE B OF 3: W := 1; 4: W := 2 END",
                 "ld hl,(T_B)|ld h,0|jp @@1|@@2:|ld hl,1|ld (T_W),hl|jp @@0|@@3:|ld hl,2|ld "
                 "(T_W),hl|jp @@0|@@1:|call __jpTable|DB 2,3|DW @@2|DW @@3|@@0:"},
        BodyCase{"CASE C OF 'A'..'Z', '_': W := 1; ELSE W := 3 END",
                 "ld hl,(T_C)|ld h,0|jp @@1|@@2:|ld hl,1|ld (T_W),hl|jp @@0|@@1:|call "
                 "__switchbyte|DB 2|DB 90,65|DW @@2|DB 95,95|DW @@2|ld hl,3|ld (T_W),hl|@@0:"},
        BodyCase{"GOTO L1; B := 1; L1: B := 2; L2: END; BEGIN",
                 "jp @T_L1|ld a,1|ld (T_B),a|@T_L1:|ld a,2|ld (T_B),a|@T_L2:"},
        // The text after ASM on its line is dropped; the block's lines are kept as written.
        BodyCase{"ASM  this text is dropped\n\tnop\n\tld a,(T_B) ; kept\n  end;\n  B := 1",
                 "nop|ld a,(T_B) ; kept|ld a,1|ld (T_B),a"}));

INSTANTIATE_TEST_SUITE_P(
    Stores, StatementCode,
    ::testing::Values(BodyCase{"B := 0", "xor a|ld (T_B),a"},
                      BodyCase{"I := -5", "ld hl,0FFFBH|ld (T_I),hl"},
                      BodyCase{"L := I", "ld hl,(T_I)|ld de,T_L|call __IntToLintStore"},
                      BodyCase{"B := L", "ld hl,T_L|call __Push32|pop hl|ld a,l|ld (T_B),a|pop hl"},
                      BodyCase{"X := Y", "ld hl,T_Y|ld de,T_X|ld bc,3|ldir"}));

INSTANTIATE_TEST_SUITE_P(
    PredefinedProcedures, StatementCode,
    ::testing::Values(
        BodyCase{"INC(B); DEC(W); INC(L)",
                 "ld hl,T_B|inc (hl)|ld hl,(T_W)|dec hl|ld (T_W),hl|ld hl,T_L|call __inc32hl"},
        // Counts of 0 and 1 never copy 64K.
        BodyCase{"FILLCHAR(AB, 0, 5); FILLCHAR(AB, 1, W)", "ld hl,T_AB|ld a,(T_W)|ld (hl),a"},
        BodyCase{"FILLCHAR(AB, W, 5)", "ld bc,(T_W)|ld a,b|or c|jr z,@@0|ld hl,T_AB|ld "
                                       "de,T_AB+1|ld (hl),5|dec bc|ld a,b|or c|jr z,@@0|ldir|@@0:"},
        // A BYTE port: B must be 0 for the Z180's on-chip registers.
        BodyCase{"OUT(B, 1)", "ld bc,(T_B)|ld b,0|ld a,1|out (c),a"}));

TEST(StatementCode, CompatibleStoresAreAccepted) {
  for (const char* statement :
       {"B := C", "C := B", "I := C", "C := I", "C := L", "W := I", "I := W", "S := C"})
    Ok(kHead + "BEGIN\n" + statement + "\nEND.\n");
}

struct ErrorCase {
  int number;
  const char* declarations; // after the head and these: CONST K = 3; Q(N: BYTE); V(VAR N: BYTE)
  const char* statements;
};

class ParserErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParserErrors, AreReportedInSixLines) {
  const std::string source = kHead +
                             "CONST K = 3;\nPROCEDURE Q(N: BYTE); BEGIN END;\n"
                             "PROCEDURE V(VAR N: BYTE); BEGIN END;\n" +
                             GetParam().declarations + "BEGIN\n" + GetParam().statements +
                             "\nEND.\n";
  const CompiledProgram p = Compile(source);
  ASSERT_FALSE(p.ok) << source;
  EXPECT_EQ(p.messages.size(), 6u) << source << Joined(p.messages);
  EXPECT_EQ(p.Error(),
            CompilerErrorMessages[static_cast<std::size_t>(GetParam().number)].substr(0, 40))
      << source;
}

INSTANTIATE_TEST_SUITE_P(
    Statements, ParserErrors,
    ::testing::Values(
        ErrorCase{0, "", "Z := 1"}, ErrorCase{2, "", "INC(5)"}, ErrorCase{4, "", "INC(B"},
        ErrorCase{5, "", "L1 B := 1"}, ErrorCase{8, "", "CASE B 1: B := 1 END"},
        ErrorCase{9, "", "INC B"}, ErrorCase{14, "", "B := 1 W := 2"},
        ErrorCase{17, "", "WHILE W DO B := 1"}, ErrorCase{19, "", "FOR B := 1 TO S DO"},
        ErrorCase{20, "", "L := 1.5E+"}, ErrorCase{23, "", "CASE L OF 1: B := 1 END"},
        ErrorCase{26, "", "AB[BO] := 1"}, ErrorCase{31, "", "B.A := 1"},
        ErrorCase{30, "TYPE PU = ^UNDECLARED;\nVAR PV: PU;\n", "PV^ := 1"},
        ErrorCase{36, "", "V(W)"}, ErrorCase{37, "", "FOR K := 1 TO 2 DO B := 1"},
        // The loop stores its variable by name; a var-parameter holds only an address.
        ErrorCase{37, "PROCEDURE V2(VAR N: BYTE); BEGIN FOR N := 1 TO 2 DO END;\n", ""},
        ErrorCase{38, "", "DELETE(W, 1, 1)"}, ErrorCase{39, "", "Q(1, 2)"},
        ErrorCase{43, "", "W := LO(S)"}, ErrorCase{44, "", "S := INTTOSTR(S)"},
        ErrorCase{45, "", "K := 1"}, ErrorCase{46, "", "W := C"}, ErrorCase{48, "", "W := ABS(S)"},
        ErrorCase{51, "", "B = 1"}, ErrorCase{52, "", "IF BO B := 1"},
        ErrorCase{54, "", "WITH X B := 1"}, ErrorCase{55, "", "FOR B := 1 UPTO 2 DO B := 1"},
        ErrorCase{57, "", "CASE B OF 1: B := 1 )"}, ErrorCase{62, "", "CASE W OF 300: B := 1 END"},
        ErrorCase{63, "", "CASE C OF 'A'..5: B := 1 END"},
        ErrorCase{68, "PROCEDURE G; BEGIN GOTO L1 END;\n", ""}, ErrorCase{72, "", "NEW(W)"},
        ErrorCase{78, "", "MOVE(X, Y 3)"}, ErrorCase{82, "", "INC(S)"},
        ErrorCase{83, "", "GETMEM(P, S)"}, ErrorCase{84, "", "OUT(S, 1)"},
        ErrorCase{85, "", "FILLCHAR(AB, 1, L)"}, ErrorCase{90, "", "CONTINUE"},
        ErrorCase{91, "", "WHILE BO DO B := 1; BREAK"}, ErrorCase{104, "", "W := LOWORD(W)"},
        ErrorCase{105, "", "WITH B DO B := 1"}, ErrorCase{106, "", "WORD(B) := 1"},
        ErrorCase{108, "", "AB[1, 2] := 1"}, ErrorCase{113, "", "C := UPCASE(B)"}));

INSTANTIATE_TEST_SUITE_P(
    Declarations, ParserErrors,
    ::testing::Values(ErrorCase{1, "VAR X: BYTE;\n", ""}, ErrorCase{2, "VAR A, 5: BYTE;\n", ""},
                      ErrorCase{4, "TYPE COLOR = (RED, GREEN;\n", ""},
                      ErrorCase{5, "PROCEDURE E(N BYTE); BEGIN END;\n", ""},
                      ErrorCase{9, "CONST TA: ARRAY[1..2] OF BYTE = 1, 2;\n", ""},
                      ErrorCase{14, "PROCEDURE E; BEGIN END\nPROCEDURE F; BEGIN END;\n", ""},
                      ErrorCase{25, "CONST TW: WORD = B;\n", ""},
                      ErrorCase{29, "FUNCTION F: B; BEGIN END;\n", ""},
                      ErrorCase{56, "PROCEDURE E; B := 1; END;\n", ""},
                      ErrorCase{61, "PROCEDURE E; ABSOLUTE 100000;\n", ""},
                      ErrorCase{66, "PROCEDURE E; GLOBAL; EXTERNAL;\n", ""},
                      ErrorCase{79, "CONST TR: R = (Z: 1);\n", ""},
                      ErrorCase{98, "{#O+}\nPROCEDURE E; BEGIN END;\n", ""},
                      ErrorCase{99, "{#O-}\n", ""},
                      ErrorCase{109, "{#O+}\nPROCEDURE E;\n{#O+}\n{#O+}\n", ""},
                      ErrorCase{78, "CONST TA: ARRAY[1..3] OF BYTE = (1, 2);\n", ""},
                      ErrorCase{4, "CONST TA: ARRAY[1..3] OF BYTE = (1, 2, 3, 4);\n", ""},
                      ErrorCase{61, "CONST TS: STRING[3] = 'ABCD';\n", ""},
                      ErrorCase{38, "CONST TS: STRING[3] = 5;\n", ""},
                      ErrorCase{76, "CONST TB: BOOLEAN = 1;\n", ""},
                      ErrorCase{75, "CONST TP: ^BYTE = 0;\n", ""},
                      ErrorCase{97, "CONST TB: BYTE = @B;\n", ""}));

INSTANTIATE_TEST_SUITE_P(
    Types, ParserErrors,
    ::testing::Values(
        ErrorCase{kErrIllegalBounds, "TYPE Z = ARRAY[5..4] OF BYTE;\n", ""},
        ErrorCase{kErrIllegalBounds, "TYPE Z = ARRAY[-1..4] OF BYTE;\n", ""},
        // Larger than 64 KB would wrap and overlap other variables.
        ErrorCase{kErrIllegalBounds, "TYPE Z = ARRAY[0..40000] OF WORD;\n", ""},
        ErrorCase{kErrIllegalBounds,
                  "TYPE Z = RECORD A: ARRAY[0..40000] OF BYTE; B: ARRAY[0..40000] OF BYTE END;\n",
                  ""},
        // Element 0 holds the length.
        ErrorCase{kErrConstantOutOfRange, "TYPE Z = STRING[256];\n", ""},
        ErrorCase{kErrExpectedOpenBracket, "TYPE Z = STRING 5;\n", ""},
        ErrorCase{kErrExpectedOf, "TYPE Z = ARRAY[1..2] BYTE;\n", ""},
        ErrorCase{kErrExpectedTypeIdentifier, "TYPE Z = ARRAY[1..2] OF TRUE;\n", ""},
        ErrorCase{kErrExpectedIdArrayRecord, "TYPE Z = 5;\n", ""},
        ErrorCase{kErrExpectedColon, "TYPE Z = RECORD A BYTE END;\n", ""},
        ErrorCase{kErrExpectedSemicolon, "TYPE Z = RECORD A: BYTE B: WORD END;\n", ""},
        ErrorCase{kErrMultipleDefinition, "TYPE Z = RECORD A: BYTE; A: WORD END;\n", ""}));

} // namespace
} // namespace velkor
