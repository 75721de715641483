// Declarations: sections, typed constants, routines and their calls, and the
// storage the module tail gives them.

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

bool Contains(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(DeclarationSections, RepeatAndInterleave) {
  const CompiledProgram p =
      Ok("PROGRAM T;\nVAR A: BYTE; CONST K = 2; VAR B: ARRAY[0..K] OF BYTE;\n"
         "TYPE COLOR = (RED, GREEN, BLUE); VAR X: COLOR; CONST N = -1; M = K;\n"
         "BEGIN X := BLUE; B[M] := GREEN; A := N END.\n");
  EXPECT_EQ(MainBody(p), (Code("ld a,2|ld (T_X),a|ld hl,T_B+2|push hl|ld hl,1|ex de,hl|pop hl|ld "
                               "(hl),e|ld a,255|ld (T_A),a")));
  EXPECT_TRUE(Contains(p.lines, "T_B:\tDS 3"));
}

TEST(DeclarationSections, PointersDeclaredBeforeTheirTargetGetItsSize) {
  const CompiledProgram p = Ok("PROGRAM T;\nTYPE P = ^Q; Q = RECORD A, B: LONGINT END;\n"
                               "  NODE = RECORD NEXT: ^NODE; V: WORD END;\n"
                               "VAR X: P; N: NODE;\nBEGIN NEW(X); NEW(N.NEXT) END.\n");
  EXPECT_EQ(MainBody(p), (Code("ld hl,8|call __malloc|ld (T_X),hl|ld hl,T_N|push hl|ld hl,4|call "
                               "__malloc|ex de,hl|pop hl|ld (hl),e|inc hl|ld (hl),d")));
}

TEST(ModuleTail, StorageOrderSizesAndEnd) {
  const CompiledProgram p =
      Ok("PROGRAM T;\nTYPE R = RECORD A: BYTE; B: WORD; C: LONGINT END;\n"
         "VAR B: BYTE; W: WORD; L: LONGINT; S: STRING[20]; X: R; P: ^R; BO: BOOLEAN;\n"
         "FUNCTION F(VAR V: R; N: INTEGER): LONGINT; BEGIN F := N END;\n"
         "BEGIN END.\n");
  const Lines tail = Slice(p.lines, "\tDATA", "\tEND");
  EXPECT_EQ(tail,
            (Lines{"", "T_B:\tDS 1", "T_W:\tDS 2", "T_L:\tDS 4", "T_S:\tDS 21", "T_X:\tDS 7",
                   "T_P:\tDS 2", "T_BO:\tDS 1", "T_F:\tDS 4", "T_F_V:\tDS 2", "T_F_N:\tDS 2", ""}));
  ASSERT_GE(p.lines.size(), 3u);
  EXPECT_EQ(Lines(p.lines.end() - 3, p.lines.end()), (Lines{"", "\tEND", ""}));
  EXPECT_EQ(p.dataSize, 1u + 2 + 4 + 21 + 7 + 2 + 1 + 4 + 2 + 2);
}

TEST(ModuleTail, NoDataLineAfterDirectiveAndFixedPlaces) {
  const CompiledProgram p =
      Ok("PROGRAM T;\n{#D-}\nVAR PORT: BYTE ABSOLUTE $C000; W: WORD; WL: BYTE ABSOLUTE W;\n"
         "PROCEDURE ROM; ABSOLUTE $1234;\nBEGIN ROM END.\n");
  EXPECT_FALSE(Contains(p.lines, "\tDATA"));
  EXPECT_TRUE(Contains(p.lines, "T_PORT\tEQU C000H"));
  EXPECT_TRUE(Contains(p.lines, "T_WL\tEQU T_W"));
  EXPECT_TRUE(Contains(p.lines, "@T_ROM\tEQU 1234H"));
  EXPECT_EQ(MainBody(p), (Lines{"\tcall @T_ROM"}));
  EXPECT_EQ(p.dataSize, 2u);
}

TEST(ModuleTail, SelectorVariablesLieInsideTheirSelector) {
  const CompiledProgram p = Ok(
      "PROGRAM T;\nVAR BUF: ARRAY[0..9] OF BYTE;\n{#S BUF}\nVAR A: BYTE; B: WORD; C: BYTE;\n{#S-}\n"
      "VAR D: BYTE;\nBEGIN END.\n");
  const Lines tail = Slice(p.lines, "\tDATA", "\tEND");
  EXPECT_EQ(tail, (Lines{"", "T_BUF:\tDS 10", "T_A\tEQU T_BUF+0", "T_B\tEQU T_BUF+1",
                         "T_C\tEQU T_BUF+3", "T_D:\tDS 1", ""}));
}

TEST(TypedConstants, DataLinesInTheCodeArea) {
  const CompiledProgram p = Ok(
      "PROGRAM T;\nTYPE R = RECORD A: BYTE; W: WORD END;\nVAR X: BYTE;\n"
      "PROCEDURE P; BEGIN END;\n"
      "CONST TB: BYTE = 200; TW: WORD = 513; TI: INTEGER = -2; TL: LONGINT = -1; TC: CHAR = 'A';\n"
      "  TBO: BOOLEAN = TRUE; TS: STRING[5] = 'It''s'; TA: ARRAY[1..3] OF BYTE = (1, 2, 3);\n"
      "  TR: R = (A: 7; W: $1234); PX: WORD = @X; PP: WORD = ADDR(P);\n"
      "BEGIN X := TB END.\n");
  EXPECT_EQ(Slice(p.lines, "@T_P:", "@T:"),
            (Lines{"\tret",    "",           "T_TB:",  "\tDB 200",   "T_TW:",      "\tDW 513",
                   "T_TI:",    "\tDW 65534", "T_TL:",  "\tDW 65535", "\tDW 65535", "T_TC:",
                   "\tDB 65",  "T_TBO:",     "\tDB 1", "T_TS:",      "\tDB 4",     "\tDB 'It'",
                   "\tDB 27H", "\tDB 's'",   "\tDS 1", "T_TA:",      "\tDB 1",     "\tDB 2",
                   "\tDB 3",   "T_TR:",      "\tDB 7", "\tDW 4660",  "T_PX:",      "\tDW T_X",
                   "T_PP:",    "\tDW @T_P"}));
  EXPECT_EQ(MainBody(p), (Code("ld a,(T_TB)|ld (T_X),a")));
  // Typed constants have their storage in the code; the data section leaves them out.
  EXPECT_EQ(Slice(p.lines, "\tDATA", "\tEND"), (Lines{"", "T_X:\tDS 1", ""}));
}

TEST(TypedConstants, OneValuePerElementAndStringsThatFit) {
  struct Case {
    const char* constant;
    const char* error;
  };
  const Case cases[] = {
      {"A: ARRAY[1..3] OF BYTE = (1, 2)", "Expected a comma \",\""},
      {"A: ARRAY[1..3] OF BYTE = (1, 2, 3, 4)", "Expected closing parenthesis \")\""},
      {"S: STRING[3] = 'ABCD'", "Constant out of range"},
      {"B: BOOLEAN = 1", "Expected TRUE or FALSE"},
      {"P: ^BYTE = 0", "Typed constant cannot be pointer"},
      {"B: BYTE = @Q", "Word or Integer required to store pointe"},
      {"S: STRING[3] = 5", "String type expected"},
      {"B: BYTE = 300", "Constant out of range"},
      {"W: WORD = Q", "Illegal constant or constant identifier"},
  };
  for (const Case& k : cases) {
    const CompiledProgram p =
        Compile(std::string("PROGRAM T;\nTYPE R = RECORD A: BYTE; W: WORD END;\n"
                            "VAR Q: BYTE;\nCONST ") +
                k.constant + ";\nBEGIN END.\n");
    EXPECT_FALSE(p.ok) << k.constant;
    EXPECT_EQ(p.Error(), k.error) << k.constant;
  }
}

TEST(Routines, ProcedureAndFunctionFrames) {
  const CompiledProgram p = Ok("PROGRAM T;\nVAR B: BYTE;\nPROCEDURE P; BEGIN B := 1 END;\n"
                               "FUNCTION F: BYTE; BEGIN F := B END;\n"
                               "BEGIN P; B := F; F END.\n");
  EXPECT_EQ(Slice(p.lines, "@T_P:", "@T:"),
            (Lines{"\tld a,1", "\tld (T_B),a", "\tret", "", "@T_F:", "\tld a,(T_B)", "\tld (T_F),a",
                   "@@0:", "\tpop iy", "\tld hl,(T_F)", "\tld h,0", "\tpush hl", "\tjp (iy)"}));
  EXPECT_EQ(MainBody(p), (Code("call @T_P|call @T_F|pop hl|ld a,l|ld (T_B),a|call @T_F|pop hl")));
}

TEST(Routines, NestedRoutinesAndScopes) {
  const CompiledProgram p =
      Ok("PROGRAM T;\nVAR X: WORD;\n"
         "PROCEDURE P;\n  VAR X: BYTE;\n  PROCEDURE Q; BEGIN X := 1 END;\nBEGIN Q END;\n"
         "BEGIN X := 2; P END.\n");
  EXPECT_EQ(Slice(p.lines, "@T_P_Q:", "\tret"), (Code("ld a,1|ld (T_P_X),a")));
  EXPECT_EQ(Slice(p.lines, "@T_P:", "\tret"), (Lines{"\tcall @T_P_Q"}));
  EXPECT_EQ(MainBody(p), (Code("ld hl,2|ld (T_X),hl|call @T_P")));
}

TEST(Routines, ForwardExternalAndGlobal) {
  const CompiledProgram p = Ok("PROGRAM T;\n"
                               "PROCEDURE P(N: WORD); FORWARD;\n"
                               "PROCEDURE Q; BEGIN P(1) END;\n"
                               "PROCEDURE P; BEGIN END;\n"
                               "PROCEDURE E(X: BYTE); EXTERNAL;\n"
                               "PROCEDURE G(Y: WORD); GLOBAL; BEGIN E(Y) END;\n"
                               "BEGIN Q END.\n");
  EXPECT_EQ(Slice(p.lines, "@T_Q:", "\tret"), (Code("ld hl,1|ld (T_P_N),hl|call @T_P")));
  EXPECT_EQ(Slice(p.lines, "@G:", "\tret"), (Code("ld a,(G_Y)|ld (E_X),a|call @E")));
  EXPECT_EQ(p.lines.at(0), " EXTERN HeapPtr,@E,E_X");
  EXPECT_EQ(p.lines.at(2), " GLOBAL @T,@G,G_Y");
  EXPECT_TRUE(Contains(p.lines, "G_Y:\tDS 2"));
  EXPECT_FALSE(Contains(p.lines, "E_X:\tDS 1"));
}

TEST(Routines, AProgramMayDeclareItsOwnInc) {
  const CompiledProgram p = Ok("PROGRAM T;\nVAR B: BYTE;\nPROCEDURE INC(VAR X: BYTE); BEGIN END;\n"
                               "BEGIN INC(B) END.\n");
  EXPECT_EQ(MainBody(p), (Code("ld hl,T_B|ld (T_INC_X),hl|call @T_INC")));
}

TEST(Routines, ForwardLimitsAndMissingBodies) {
  std::string source = "PROGRAM T;\n";
  for (int i = 0; i < 251; ++i)
    source += "PROCEDURE P" + std::to_string(i) + "; FORWARD;\n";
  source += "BEGIN END.\n";
  const CompiledProgram many = Compile(source);
  EXPECT_FALSE(many.ok);
  EXPECT_EQ(many.Error(), "To many forward declarations");

  const CompiledProgram missing = Compile("PROGRAM T;\nPROCEDURE P; FORWARD;\nBEGIN END.\n");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.Error(), "Undefined identifier");
}

TEST(Overlays, TwoPartsInOneArea) {
  const CompiledProgram p = Ok(
      "PROGRAM T;\n{#O $8000}\n{#O+}\nPROCEDURE A; BEGIN END;\nPROCEDURE B; BEGIN A END;\n{#O-}\n"
      "BEGIN INITOVERLAY; B END.\n");
  EXPECT_EQ(Slice(p.lines, "\tCODE", "@T:"),
            (Lines{"\tSizeCounterZero 1",
                   "\tCount 1",
                   "\tLoadMark 1",
                   "\tOrgMark 1",
                   "\tOrg @@OVRB1,08000H",
                   "\tLoadRef @@OVRL_G1P1",
                   "@T_A:",
                   "@@OVRE_G1P1\tEQU $",
                   "\tret",
                   "",
                   "\tStorelarger 1",
                   "\tStoreSize 1,@@OVRS_G1P1",
                   "\tSizeCounterZero 1",
                   "\tCount 1",
                   "\tOrg @@OVRB1,LOADNEXT",
                   "\tLoadRef @@OVRL_G1P2",
                   "@T_B:",
                   "@@OVRE_G1P2\tEQU $",
                   "\tld hl,@@OVRI_G1P1",
                   "\tcall __OverlayHandler",
                   "\tret",
                   "",
                   "\tStorelarger 1",
                   "\tStoreSize 1,@@OVRS_G1P2",
                   "\tMemLoadError 010001H,'A Z80 cannot load "
                   "overlay parts stored at or above 10000H: area 1, "
                   "load position 08000H'",
                   "\tLoadMark 32",
                   "\tLoadResume 1",
                   "\tOrgResume 1"}));
  EXPECT_EQ(
      MainBody(p),
      (Code(
          "ld hl,@@OVRI_G1P1+6|call __InitializeOverlay|ld hl,@@OVRI_G1P2|call __OverlayHandler")));
  EXPECT_TRUE(Contains(p.lines, "@@OVRI_G1P2"));
  EXPECT_TRUE(Contains(p.lines, "@@OVRB1:\tDSSIZE 1"));
  EXPECT_EQ(p.overlayBuffers.size(), 1u);
}

} // namespace
} // namespace velkor
