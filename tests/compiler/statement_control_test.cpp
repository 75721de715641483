// Conditions, loops, CASE, jumps and ASM blocks.

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

CompiledProgram Program(const std::string& head, const std::string& statements) {
  return Compile(head + "BEGIN\n" + statements + "\nEND.\n");
}

const char* const kVars =
    "PROGRAM T;\nVAR B, B2: BYTE; W, W2: WORD; I: INTEGER; L: LONGINT; BO: BOOLEAN; C: CHAR;\n";

TEST(ConditionalJump, ByteComparisonsAreFused) {
  auto body = [](Lines compare) {
    for (const std::string& line : Code("ld hl,1|ld (T_W),hl|@@0:"))
      compare.push_back(line);
    return compare;
  };
  ExpectBodies(
      kVars,
      {
          {"IF B = B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jp nz,@@0"))},
          {"IF B <> B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jp z,@@0"))},
          {"IF B < B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jp z,@@0|jp c,@@0"))},
          {"IF B <= B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jp c,@@0"))},
          {"IF B > B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jp nc,@@0"))},
          {"IF B >= B2 THEN W := 1", body(Code("ld hl,(T_B)|ld a,(T_B2)|cp l|jr z,$+5|jp nc,@@0"))},
          {"IF B >= 10 THEN W := 1", body(Code("ld hl,(T_B)|ld a,10|cp l|jr z,$+5|jp nc,@@0"))},
          {"IF B = 0 THEN W := 1", body(Code("ld hl,(T_B)|ld a,0|cp l|jp nz,@@0"))},
          {"IF C = 'A' THEN W := 1", body(Code("ld hl,(T_C)|ld a,65|cp l|jp nz,@@0"))},
      });
}

TEST(ConditionalJump, OtherConditionsTestHL) {
  ExpectBodies(kVars,
               {
                   // A constant of 256 or more is not fused; the routine sets the zero flag.
                   {"IF B = 300 THEN W := 1", Code("ld hl,(T_B)|ld h,0|push hl|ld hl,300|call "
                                                   "__equ|jp z,@@0|ld hl,1|ld (T_W),hl|@@0:")},
                   {"IF BO THEN W := 1",
                    Code("ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@0|ld hl,1|ld (T_W),hl|@@0:")},
                   {"IF NOT BO THEN W := 1",
                    Code("ld hl,(T_BO)|ld h,0|call __notBool|jp z,@@0|ld hl,1|ld (T_W),hl|@@0:")},
                   {"IF BO THEN W := 1 ELSE W := 2",
                    Code("ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@0|ld hl,1|ld (T_W),hl|jp "
                         "@@1|@@0:|ld hl,2|ld (T_W),hl|@@1:")},
               });
}

TEST(Loops, WhileAndRepeat) {
  ExpectBodies(
      kVars,
      {
          {"WHILE B < 10 DO INC(B)",
           Code("@@0:|ld hl,(T_B)|ld a,10|cp l|jp z,@@1|jp c,@@1|ld hl,T_B|inc (hl)|jp @@0|@@1:")},
          {"REPEAT INC(B) UNTIL B = 10",
           Code("@@0:|ld hl,T_B|inc (hl)|ld hl,(T_B)|ld a,10|cp l|jp nz,@@0|@@1:")},
          {"WHILE BO DO BREAK",
           Code("@@0:|ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@1|jp @@1|jp @@0|@@1:")},
          {"WHILE BO DO CONTINUE",
           Code("@@0:|ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@1|jp @@0|jp @@0|@@1:")},
          // CONTINUE in REPEAT goes to the UNTIL test, BREAK behind it.
          {"REPEAT IF BO THEN CONTINUE; BREAK UNTIL BO",
           Code("@@0:|ld hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@2|jp @@3|@@2:|jp @@1|@@3:|ld "
                "hl,(T_BO)|ld h,0|ld a,h|or l|jp z,@@0|@@1:")},
      });
}

TEST(Loops, ForOnByteWordAndInteger) {
  ExpectBodies(
      kVars,
      {
          {"FOR B := 1 TO 10 DO INC(W)",
           Code("ld hl,10|ld bc,1|ld a,l|ld (T_B_&&&),a ;\"to\" value|@@0:|sub c|ld a,c|ld (T_B),a "
                ";load loop var|jp c,@@1|ld hl,(T_W)|inc hl|ld (T_W),hl|ld a,(T_B)|ld c,a|ld "
                "a,(T_B_&&&)|cp c|jp z,@@1|inc c|jp @@0|@@1:")},
          {"FOR W := 0 TO W2 DO INC(B)",
           Code("ld hl,(T_W2)|ld bc,0|ld (T_W_&&&),hl ;\"to\" value|@@0:|or a|sbc hl,bc|ld "
                "(T_W),bc ;load loop var|jp c,@@1|ld hl,T_B|inc (hl)|ld hl,(T_W_&&&)|ld "
                "bc,(T_W)|or a|sbc hl,bc|jp z,@@1|add hl,bc|inc bc|jp @@0|@@1:")},
          {"FOR W := W2 DOWNTO 1 DO INC(B)",
           Code("ld hl,1|ld bc,(T_W2)|ld (T_W_&&&),hl ;\"to\" value|@@0:|or a|sbc hl,bc|ld "
                "(T_W),bc ;load loop var|jr z,$+5|jp nc,@@1|ld hl,T_B|inc (hl)|ld hl,(T_W_&&&)|ld "
                "bc,(T_W)|or a|sbc hl,bc|jp z,@@1|add hl,bc|dec bc|jp @@0|@@1:")},
          // INTEGER loops compare signed: both values biased by 8000H.
          {"FOR I := -5 TO 5 DO INC(B)",
           Code("ld hl,5|ld bc,65531|ld (T_I_&&&),hl ;\"to\" value|@@0:|ld (T_I),bc ;load loop "
                "var|ld a,h|xor 80H|ld h,a|ld a,b|xor 80H|ld b,a|or a|sbc hl,bc|jp c,@@1|ld "
                "hl,T_B|inc (hl)|ld hl,(T_I_&&&)|ld bc,(T_I)|or a|sbc hl,bc|jp z,@@1|add hl,bc|inc "
                "bc|jp @@0|@@1:")},
          // A negated constant bound: the fold takes the start value, not the deleted load.
          {"FOR I := 3 DOWNTO -5 DO INC(B)",
           Code("ld hl,65531|ld bc,3|ld (T_I_&&&),hl ;\"to\" value|@@0:|ld (T_I),bc ;load loop "
                "var|ld a,h|xor 80H|ld h,a|ld a,b|xor 80H|ld b,a|or a|sbc hl,bc|jr z,$+5|jp "
                "nc,@@1|ld hl,T_B|inc (hl)|ld hl,(T_I_&&&)|ld bc,(T_I)|or a|sbc hl,bc|jp z,@@1|add "
                "hl,bc|dec bc|jp @@0|@@1:")},
      });
}

TEST(Loops, ForContinueGoesToTheStepAndLoopsShareTheirTemporary) {
  const CompiledProgram p =
      Program(kVars, "FOR B := 1 TO 3 DO CONTINUE; FOR B := 2 DOWNTO 0 DO BREAK");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  const Lines body = MainBody(p);
  const Lines firstLoop(body.begin() + 9, body.begin() + 12);
  EXPECT_EQ(firstLoop, (Code("jp @@2|@@2:|ld a,(T_B)")));
  int temps = 0;
  for (const std::string& line : p.lines)
    temps += line == "T_B_&&&\tDS 1";
  EXPECT_EQ(temps, 1);
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(CaseStatement, ConsecutiveLabelsUseTheJumpTable) {
  ExpectBodies(
      kVars,
      {
          {"CASE B OF 3: W := 1; 4: W := 2; 5: W := 3; 6: W := 4 END",
           Code("ld hl,(T_B)|ld h,0|jp @@1|@@2:|ld hl,1|ld (T_W),hl|jp @@0|@@3:|ld hl,2|ld "
                "(T_W),hl|jp @@0|@@4:|ld hl,3|ld (T_W),hl|jp @@0|@@5:|ld hl,4|ld (T_W),hl|jp "
                "@@0|@@1:|call __jpTable|DB 4,3|DW @@2|DW @@3|DW @@4|DW @@5|@@0:")},
      });
}

TEST(CaseStatement, RangesGapsAndElseUseTheSearch) {
  ExpectBodies(
      kVars, {
                 {"CASE C OF 'A'..'Z', '_': W := 1; '0': W := 2; ELSE W := 3 END",
                  Code("ld hl,(T_C)|ld h,0|jp @@1|@@2:|ld hl,1|ld (T_W),hl|jp @@0|@@3:|ld hl,2|ld "
                       "(T_W),hl|jp @@0|@@1:|call __switchbyte|DB 3|DB 90,65|DW @@2|DB 95,95|DW "
                       "@@2|DB 48,48|DW @@3|ld hl,3|ld (T_W),hl|@@0:")},
                 {"CASE W OF 3: B := 1; 5: B := 2; END",
                  Code("ld hl,(T_W)|jp @@1|@@2:|ld a,1|ld (T_B),a|jp @@0|@@3:|ld a,2|ld (T_B),a|jp "
                       "@@0|@@1:|call __switchbyte|DB 2|DB 3,3|DW @@2|DB 5,5|DW @@3|@@0:")},
             });
}

TEST(CaseStatement, HundredLabelsFitTheHundredAndFirstOverflows) {
  auto source = [](int labels) {
    std::string s = "CASE B OF ";
    for (int i = 0; i < labels; ++i)
      s += std::to_string(i) + (i + 1 < labels ? ",\n" : "");
    return s + ": W := 1 END";
  };
  const CompiledProgram full = Program(kVars, source(100));
  EXPECT_TRUE(full.ok) << Joined(full.messages);
  EXPECT_EQ(AssemblyError(full.lines), "");
  const CompiledProgram over = Program(kVars, source(101));
  ASSERT_FALSE(over.ok);
  ASSERT_GE(over.messages.size(), 2u);
  EXPECT_EQ(over.messages[over.messages.size() - 2], "Compiler table for CODE overflowed");
}

TEST(Jumps, GotoLabelsExitAndAsm) {
  ExpectBodies(std::string(kVars) + "LABEL L1, L2;\n",
               {
                   {"GOTO L1; B := 1; L1: B := 2; L2: END; BEGIN",
                    Code("jp @T_L1|ld a,1|ld (T_B),a|@T_L1:|ld a,2|ld (T_B),a|@T_L2:")},
               });
  const CompiledProgram exit =
      Compile("PROGRAM T;\nVAR B: BYTE;\nPROCEDURE P;\nBEGIN EXIT; B := 1 END;\nBEGIN END.\n");
  ASSERT_TRUE(exit.ok) << Joined(exit.messages);
  EXPECT_EQ(Slice(exit.lines, "@T_P:", "@T:"),
            (Lines{"\tret", "", "\tld a,1", "\tld (T_B),a", "\tret", ""}));
  const CompiledProgram p = Compile("PROGRAM T;\nVAR B: BYTE;\nBEGIN\n  ASM  this text is "
                                    "dropped\n\tnop\n\n  ld a,(T_B) ; kept as written\n"
                                    "  end;\n  B := 1\nEND.\n");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  EXPECT_EQ(MainBody(p),
            (Lines{"\tnop", "", "  ld a,(T_B) ; kept as written", "\tld a,1", "\tld (T_B),a"}));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(Jumps, ExitInAFunctionGoesToItsExitLabel) {
  const CompiledProgram p = Compile(
      "PROGRAM T;\nFUNCTION F(X: WORD): WORD;\nBEGIN\n  F := X; IF X = 0 THEN EXIT; F := 2\nEND;\n"
      "BEGIN\nEND.\n");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  EXPECT_EQ(Slice(p.lines, "@T_F:", "\tjp (iy)"),
            (Code("ld hl,(T_F_X)|ld (T_F),hl|ld hl,(T_F_X)|push hl|ld hl,0|call __equ|jp z,@@1|jp "
                  "@@0|@@1:|ld hl,2|ld (T_F),hl|@@0:|pop iy|ld hl,(T_F)|push hl")));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

} // namespace
} // namespace velkor
