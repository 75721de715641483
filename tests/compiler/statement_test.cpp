// Statements, expressions and declarations: a few golden code bodies for
// each family (the run tests execute the code of them all), the storage the
// module tail gives, and the errors of the statement, expression, type and
// declaration parsers reached from a source.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

const std::string kHead =
    "PROGRAM T;\n"
    "TYPE R = RECORD A: BYTE; W: WORD END; S10 = STRING[10];\n"
    "VAR B, B2: BYTE; C: CHAR; W, W2: WORD; I: INTEGER; L: LONGINT; BO: BOOLEAN;\n"
    "  S: STRING[10]; S2: STRING[20]; X, Y: R; P: ^WORD; AB: ARRAY[0..9] OF BYTE;\n"
    "  AW: ARRAY[0..3] OF WORD; A16: ARRAY[0..3, 0..15] OF BYTE;\n"
    "LABEL L1, L2;\n";

// Statements and the main body they give in the head's program; or, with
// `from`, a program after "PROGRAM T;" and its lines after `from` up to `to`.
struct BodyCase {
  const char* source;
  const char* body; // as Code() reads it
  const char* from = nullptr;
  const char* to = "\tret";
};

void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.source;
}

class StatementCode : public ::testing::TestWithParam<BodyCase> {};

TEST_P(StatementCode, IsExactly) {
  const BodyCase& c = GetParam();
  const CompiledProgram p = Ok(c.from ? "PROGRAM T;\n" + std::string(c.source)
                                      : kHead + "BEGIN\n" + c.source + "\nEND.\n");
  EXPECT_EQ(Joined(Slice(p.lines, c.from ? c.from : "@T:", c.to)),
            Joined(*c.body ? Code(c.body) : Lines{}))
      << c.source;
}

const char* const kTypedConstants =
    "TYPE R = RECORD A: BYTE; W: WORD END;\nVAR X: BYTE;\nPROCEDURE P; BEGIN END;\n"
    "CONST TB: BYTE = 200; TW: WORD = 513; TI: INTEGER = -2; TL: LONGINT = -1; TC: CHAR = 'A';\n"
    "  TBO: BOOLEAN = TRUE; TS: STRING[5] = 'It''s'; TA: ARRAY[1..3] OF BYTE = (1, 2, 3);\n"
    "  TR: R = (A: 7; W: $1234); PX: WORD = @X; PP: WORD = ADDR(P);\n"
    "BEGIN X := TB END.\n";

INSTANTIATE_TEST_SUITE_P(
    Declarations, StatementCode,
    ::testing::Values(
        BodyCase{"VAR A: BYTE; CONST K = 2; VAR B: ARRAY[0..K] OF BYTE;\n"
                 "TYPE COLOR = (RED, GREEN, BLUE); VAR X: COLOR; CONST N = -1; M = K;\n"
                 "BEGIN X := BLUE; B[M] := GREEN; A := N END.\n",
                 "ld a,2|ld (T_X),a|ld hl,T_B+2|push hl|ld hl,1|ex de,hl|pop hl|ld (hl),e|ld "
                 "a,255|ld (T_A),a",
                 "@T:"},
        // A pointer declared before its target gets the target's size.
        BodyCase{"TYPE P = ^Q; Q = RECORD A, B: LONGINT END;\n"
                 "  NODE = RECORD NEXT: ^NODE; V: WORD END;\n"
                 "VAR X: P; N: NODE;\nBEGIN NEW(X); NEW(N.NEXT) END.\n",
                 "ld hl,8|call __malloc|ld (T_X),hl|ld hl,T_N|push hl|ld hl,4|call __malloc|ex "
                 "de,hl|pop hl|ld (hl),e|inc hl|ld (hl),d",
                 "@T:"},
        BodyCase{"TYPE R = RECORD A: BYTE; B: WORD; C: LONGINT END;\n"
                 "VAR B: BYTE; W: WORD; L: LONGINT; S: STRING[20]; X: R; P: ^R; BO: BOOLEAN;\n"
                 "FUNCTION F(VAR V: R; N: INTEGER): LONGINT; BEGIN F := N END;\nBEGIN END.\n",
                 "|T_B:\tDS 1|T_W:\tDS 2|T_L:\tDS 4|T_S:\tDS 21|T_X:\tDS 7|T_P:\tDS 2|T_BO:\tDS "
                 "1|T_F:\tDS 4|T_F_V:\tDS 2|T_F_N:\tDS 2|",
                 "\tDATA", "\tEND"},
        // Variables after a selector lie inside it.
        BodyCase{"VAR BUF: ARRAY[0..9] OF BYTE;\n{#S BUF}\nVAR A: BYTE; B: WORD; C: BYTE;\n{#S-}\n"
                 "VAR D: BYTE;\nBEGIN END.\n",
                 "|T_BUF:\tDS 10|T_A\tEQU T_BUF+0|T_B\tEQU T_BUF+1|T_C\tEQU T_BUF+3|T_D:\tDS 1|",
                 "\tDATA", "\tEND"},
        // Typed constants have their storage in the code; the data section leaves them out.
        BodyCase{kTypedConstants,
                 "ret||T_TB:|DB 200|T_TW:|DW 513|T_TI:|DW 65534|T_TL:|DW 65535|DW 65535|T_TC:|DB "
                 "65|T_TBO:|DB 1|T_TS:|DB 4|DB 'It'|DB 27H|DB 's'|DS 1|T_TA:|DB 1|DB 2|DB "
                 "3|T_TR:|DB 7|DW 4660|T_PX:|DW T_X|T_PP:|DW @T_P",
                 "@T_P:", "@T:"},
        BodyCase{kTypedConstants, "|T_X:\tDS 1|", "\tDATA", "\tEND"},
        // The nearest declaration of a name wins.
        BodyCase{"VAR X: WORD;\nPROCEDURE P;\n  VAR X: BYTE;\n"
                 "  PROCEDURE Q; BEGIN X := 1 END;\nBEGIN Q END;\nBEGIN X := 2; P END.\n",
                 "ld a,1|ld (T_P_X),a", "@T_P_Q:", "\tret"},
        BodyCase{"VAR B: BYTE;\nPROCEDURE INC(VAR X: BYTE); BEGIN END;\nBEGIN INC(B) END.\n",
                 "ld hl,T_B|ld (T_INC_X),hl|call @T_INC", "@T:"}));

INSTANTIATE_TEST_SUITE_P(
    Bodies, StatementCode,
    ::testing::Values(
        // Byte comparisons with a byte are fused into a compare and jumps.
        BodyCase{"IF B < B2 THEN W := 1",
                 "ld hl,(T_B)|ld a,(T_B2)|cp l|jp z,@@0|jp c,@@0|ld hl,1|ld (T_W),hl|@@0:"},
        BodyCase{"IF B >= 10 THEN W := 1",
                 "ld hl,(T_B)|ld a,10|cp l|jr z,$+5|jp nc,@@0|ld hl,1|ld (T_W),hl|@@0:"},
        // INTEGER loops compare signed: both values biased by 8000H. A negated
        // constant bound: the fold takes the start value, not the deleted load.
        BodyCase{"FOR I := 3 DOWNTO -5 DO INC(B)",
                 "ld hl,65531|ld bc,3|ld (T_I_&&&),hl ;\"to\" value|@@0:|ld (T_I),bc ;load loop "
                 "var|ld a,h|xor 80H|ld h,a|ld a,b|xor 80H|ld b,a|or a|sbc hl,bc|jr z,$+5|jp "
                 "nc,@@1|ld hl,T_B|inc (hl)|ld hl,(T_I_&&&)|ld bc,(T_I)|or a|sbc hl,bc|jp "
                 "z,@@1|add hl,bc|dec bc|jp @@0|@@1:"},
        BodyCase{"GOTO L1; B := 1; L1: B := 2; L2: END; BEGIN",
                 "jp @T_L1|ld a,1|ld (T_B),a|@T_L1:|ld a,2|ld (T_B),a|@T_L2:"},
        // The text after ASM on its line is dropped; the block's lines are kept as written.
        BodyCase{"ASM  this text is dropped\n\tnop\n\tld a,(T_B) ; kept\n  end;\n  B := 1",
                 "nop|ld a,(T_B) ; kept|ld a,1|ld (T_B),a"},
        // A BYTE port: B must be 0 for the Z180's on-chip registers.
        BodyCase{"OUT(B, 1)", "ld bc,(T_B)|ld b,0|ld a,1|out (c),a"},
        BodyCase{"L := 70000", "call __LintConst|dw 01170H,00001H|ld hl,T_L|call __StoreLint"},
        BodyCase{"B := A16[I, 2]",
                 "ld hl,T_A16|push hl|ld hl,(T_I)|ld b,4|call __shl16|pop de|add hl,de|push "
                 "hl|ld hl,2|pop de|add hl,de|ld a,(hl)|ld (T_B),a"},
        BodyCase{"W := W2 - 10", "ld de,10|ld hl,(T_W2)|or a|sbc hl,de|ld (T_W),hl"},
        // An address is not a number: the general fold, no inc hl.
        BodyCase{"W := W2 + ADDR(W)", "ld hl,T_W|ld de,(T_W2)|add hl,de|ld (T_W),hl"},
        BodyCase{"W := 300 - W2", "ld hl,(T_W2)|ld de,300|ex de,hl|or a|sbc hl,de|ld (T_W),hl"},
        BodyCase{"BO := B < B2",
                 "ld hl,(T_B)|ld h,0|push hl|ld hl,(T_B2)|ld h,0|call __less|ld a,l|ld (T_BO),a"},
        // A literal used twice is pooled once.
        BodyCase{"S2 := 'AB' + S + 'AB'",
                 "ld hl,@@0|call __pushString|ld hl,T_S|call __PushString|call __AddStrings|ld "
                 "hl,@@0|call __pushString|call __AddStrings|ld hl,T_S2|ld b,20|call "
                 "__popString"},
        // Under {#R+} an element address computed twice is computed once, in a
        // routine of its own.
        BodyCase{
            "{#R+} W := AB[I] + AB[I]",
            "call @@S0|ld l,(hl)|ld h,0|push hl|call @@S0|ld l,(hl)|ld h,0|pop de|add "
            "hl,de|ld (T_W),hl|ret|@@S0:|ld hl,T_AB|push hl|ld hl,(T_I)|pop de|add hl,de|ret||",
            nullptr, "\tDATA"}));

TEST(StatementCode, CompatibleStoresAreAccepted) {
  Ok(kHead + "BEGIN\nB := C; C := B; I := C; C := I; C := L; W := I; I := W; S := C\nEND.\n");
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
        ErrorCase{108, "", "AB[1, 2] := 1"}, ErrorCase{113, "", "C := UPCASE(B)"},
        // In expressions.
        ErrorCase{33, "", "W := B + S"}, ErrorCase{34, "", "W := BO DIV BO"},
        ErrorCase{80, "", "BO := B = C"}, ErrorCase{0, "", "W := NOPE"},
        ErrorCase{59, "", "W := )"}, ErrorCase{44, "", "W := INC"}, ErrorCase{28, "", "W := W2[1]"},
        ErrorCase{2, "", "W := X."}, ErrorCase{79, "", "W := X.Z"}, ErrorCase{72, "", "W := B^"},
        ErrorCase{107, "", "B := BYTE(S)"}, ErrorCase{37, "", "W := ADDR(TRUE)"},
        ErrorCase{61, "", "BO := B IN [300]"}));

INSTANTIATE_TEST_SUITE_P(
    Declarations, ParserErrors,
    ::testing::Values(ErrorCase{1, "VAR X: BYTE;\n", ""}, ErrorCase{2, "VAR A, 5: BYTE;\n", ""},
                      ErrorCase{4, "TYPE COLOR = (RED, GREEN;\n", ""},
                      ErrorCase{9, "CONST TA: ARRAY[1..2] OF BYTE = 1, 2;\n", ""},
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

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(ModuleTail, NoDataLineAfterDirectiveAndFixedPlaces) {
  const CompiledProgram p =
      Ok("PROGRAM T;\n{#D-}\nVAR PORT: BYTE ABSOLUTE $C000; W: WORD; WL: BYTE ABSOLUTE W;\n"
         "PROCEDURE ROM; ABSOLUTE $1234;\nBEGIN ROM END.\n");
  EXPECT_FALSE(Contains(p.lines, "\tDATA"));
  for (const char* line : {"T_PORT\tEQU C000H", "T_WL\tEQU T_W", "@T_ROM\tEQU 1234H"})
    EXPECT_TRUE(Contains(p.lines, line)) << line;
  EXPECT_EQ(p.dataSize, 2u);
}

TEST(Routines, ForwardExternalAndGlobal) {
  const CompiledProgram p = Ok("PROGRAM T;\nPROCEDURE P(N: WORD); FORWARD;\n"
                               "PROCEDURE Q; BEGIN P(1) END;\nPROCEDURE P; BEGIN END;\n"
                               "PROCEDURE E(X: BYTE); EXTERNAL;\n"
                               "PROCEDURE G(Y: WORD); GLOBAL; BEGIN E(Y) END;\nBEGIN Q END.\n");
  EXPECT_EQ(Slice(p.lines, "@T_Q:", "\tret"), (Code("ld hl,1|ld (T_P_N),hl|call @T_P")));
  EXPECT_EQ(Slice(p.lines, "@G:", "\tret"), (Code("ld a,(G_Y)|ld (E_X),a|call @E")));
  EXPECT_EQ(Lines(p.lines.begin(), p.lines.begin() + 3),
            (Lines{" EXTERN HeapPtr,@E,E_X", "", " GLOBAL @T,@G,G_Y"}));
  EXPECT_TRUE(Contains(p.lines, "G_Y:\tDS 2"));
  EXPECT_FALSE(Contains(p.lines, "E_X:\tDS 1"));
}

TEST(Routines, ForwardLimitsAndMissingBodies) {
  std::string source = "PROGRAM T;\n";
  for (int i = 0; i < 251; ++i)
    source += "PROCEDURE P" + std::to_string(i) + "; FORWARD;\n";
  EXPECT_EQ(Compile(source + "BEGIN END.\n").Error(), "To many forward declarations");
  EXPECT_EQ(Compile("PROGRAM T;\nPROCEDURE P; FORWARD;\nBEGIN END.\n").Error(),
            "Undefined identifier");
}

} // namespace
} // namespace velkor
