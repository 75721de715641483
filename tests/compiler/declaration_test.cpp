// Declarations: sections, typed constants, routines and their calls,
// overlay parts, and the storage the module tail gives them.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

struct Section {
  const char* source; // after "PROGRAM T;"
  const char* from;   // the output between these lines
  const char* to;
  const char* code; // as Code() reads it
};

class Declarations : public ::testing::TestWithParam<Section> {};

TEST_P(Declarations, GiveTheseLines) {
  const CompiledProgram p = Ok(std::string("PROGRAM T;\n") + GetParam().source);
  EXPECT_EQ(Joined(Slice(p.lines, GetParam().from, GetParam().to)), Joined(Code(GetParam().code)))
      << GetParam().source;
}

const char* const kTypedConstants =
    "TYPE R = RECORD A: BYTE; W: WORD END;\nVAR X: BYTE;\nPROCEDURE P; BEGIN END;\n"
    "CONST TB: BYTE = 200; TW: WORD = 513; TI: INTEGER = -2; TL: LONGINT = -1; TC: CHAR = 'A';\n"
    "  TBO: BOOLEAN = TRUE; TS: STRING[5] = 'It''s'; TA: ARRAY[1..3] OF BYTE = (1, 2, 3);\n"
    "  TR: R = (A: 7; W: $1234); PX: WORD = @X; PP: WORD = ADDR(P);\n"
    "BEGIN X := TB END.\n";
const char* const kFrames = "VAR B: BYTE;\nPROCEDURE P; BEGIN B := 1 END;\n"
                            "FUNCTION F: BYTE; BEGIN F := B END;\nBEGIN P; B := F; F END.\n";
const char* const kScopes =
    "VAR X: WORD;\nPROCEDURE P;\n  VAR X: BYTE;\n"
    "  PROCEDURE Q; BEGIN X := 1 END;\nBEGIN Q END;\nBEGIN X := 2; P END.\n";
const char* const kOverlay = "{#O $8000}\n{#O+}\nPROCEDURE A; BEGIN END;\n"
                             "PROCEDURE B; BEGIN A END;\n{#O-}\nBEGIN INITOVERLAY; B END.\n";

INSTANTIATE_TEST_SUITE_P(
    Programs, Declarations,
    ::testing::Values(
        Section{"VAR A: BYTE; CONST K = 2; VAR B: ARRAY[0..K] OF BYTE;\n"
                "TYPE COLOR = (RED, GREEN, BLUE); VAR X: COLOR; CONST N = -1; M = K;\n"
                "BEGIN X := BLUE; B[M] := GREEN; A := N END.\n",
                "@T:", "\tret",
                "ld a,2|ld (T_X),a|ld hl,T_B+2|push hl|ld hl,1|ex de,hl|pop hl|ld (hl),e|ld "
                "a,255|ld (T_A),a"},
        // A pointer declared before its target gets the target's size.
        Section{"TYPE P = ^Q; Q = RECORD A, B: LONGINT END;\n"
                "  NODE = RECORD NEXT: ^NODE; V: WORD END;\n"
                "VAR X: P; N: NODE;\nBEGIN NEW(X); NEW(N.NEXT) END.\n",
                "@T:", "\tret",
                "ld hl,8|call __malloc|ld (T_X),hl|ld hl,T_N|push hl|ld hl,4|call __malloc|ex "
                "de,hl|pop hl|ld (hl),e|inc hl|ld (hl),d"},
        Section{"TYPE R = RECORD A: BYTE; B: WORD; C: LONGINT END;\n"
                "VAR B: BYTE; W: WORD; L: LONGINT; S: STRING[20]; X: R; P: ^R; BO: BOOLEAN;\n"
                "FUNCTION F(VAR V: R; N: INTEGER): LONGINT; BEGIN F := N END;\nBEGIN END.\n",
                "\tDATA", "\tEND",
                "|T_B:\tDS 1|T_W:\tDS 2|T_L:\tDS 4|T_S:\tDS 21|T_X:\tDS 7|T_P:\tDS 2|T_BO:\tDS "
                "1|T_F:\tDS 4|T_F_V:\tDS 2|T_F_N:\tDS 2|"},
        // Variables after a selector lie inside it.
        Section{"VAR BUF: ARRAY[0..9] OF BYTE;\n{#S BUF}\nVAR A: BYTE; B: WORD; C: BYTE;\n{#S-}\n"
                "VAR D: BYTE;\nBEGIN END.\n",
                "\tDATA", "\tEND",
                "|T_BUF:\tDS 10|T_A\tEQU T_BUF+0|T_B\tEQU T_BUF+1|T_C\tEQU T_BUF+3|T_D:\tDS 1|"},
        // Typed constants have their storage in the code; the data section leaves them out.
        Section{kTypedConstants, "@T_P:", "@T:",
                "ret||T_TB:|DB 200|T_TW:|DW 513|T_TI:|DW 65534|T_TL:|DW 65535|DW 65535|T_TC:|DB "
                "65|T_TBO:|DB 1|T_TS:|DB 4|DB 'It'|DB 27H|DB 's'|DS 1|T_TA:|DB 1|DB 2|DB "
                "3|T_TR:|DB 7|DW 4660|T_PX:|DW T_X|T_PP:|DW @T_P"},
        Section{kTypedConstants, "\tDATA", "\tEND", "|T_X:\tDS 1|"},
        Section{kFrames, "@T_P:", "@T:",
                "ld a,1|ld (T_B),a|ret||@T_F:|ld a,(T_B)|ld (T_F),a|@@0:|pop iy|ld hl,(T_F)|ld "
                "h,0|push hl|jp (iy)"},
        Section{kFrames, "@T:", "\tret",
                "call @T_P|call @T_F|pop hl|ld a,l|ld (T_B),a|call @T_F|pop hl"},
        Section{kScopes, "@T_P_Q:", "\tret", "ld a,1|ld (T_P_X),a"},
        Section{kScopes, "@T:", "\tret", "ld hl,2|ld (T_X),hl|call @T_P"},
        Section{"VAR B: BYTE;\nPROCEDURE INC(VAR X: BYTE); BEGIN END;\nBEGIN INC(B) END.\n",
                "@T:", "\tret", "ld hl,T_B|ld (T_INC_X),hl|call @T_INC"},
        Section{kOverlay, "\tCODE", "@T:",
                "SizeCounterZero 1|Count 1|LoadMark 1|OrgMark 1|Org @@OVRB1,08000H|LoadRef "
                "@@OVRL_G1P1|@T_A:|@@OVRE_G1P1\tEQU $|ret||Storelarger 1|StoreSize "
                "1,@@OVRS_G1P1|SizeCounterZero 1|Count 1|Org @@OVRB1,LOADNEXT|LoadRef "
                "@@OVRL_G1P2|@T_B:|@@OVRE_G1P2\tEQU $|ld hl,@@OVRI_G1P1|call "
                "__OverlayHandler|ret||Storelarger 1|StoreSize 1,@@OVRS_G1P2|MemLoadError "
                "010001H,'A Z80 cannot load overlay parts stored at or above 10000H: area 1, "
                "load position 08000H'|LoadMark 32|LoadResume 1|OrgResume 1"},
        Section{kOverlay, "@T:", "\tret",
                "ld hl,@@OVRI_G1P1+6|call __InitializeOverlay|ld hl,@@OVRI_G1P2|call "
                "__OverlayHandler"}));

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
