// Conditions, loops, CASE, jumps and ASM blocks.

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

CompiledProgram Program(const std::string& declarations, const std::string& statements) {
  return Compile("PROGRAM T;\n" + declarations + "BEGIN\n" + statements + "\nEND.\n");
}

const char* const kVars =
    "VAR B, B2: BYTE; W, W2: WORD; I: INTEGER; L: LONGINT; BO: BOOLEAN; C: CHAR;\n";

struct BodyCase {
  const char* statements;
  Lines body;
};

void ExpectBodies(const std::string& declarations, const std::vector<BodyCase>& cases) {
  for (const BodyCase& k : cases) {
    const CompiledProgram p = Program(declarations, k.statements);
    ASSERT_TRUE(p.ok) << k.statements << "\n" << Joined(p.messages);
    EXPECT_EQ(MainBody(p), k.body) << k.statements;
    EXPECT_EQ(AssemblyError(p.lines), "") << k.statements;
  }
}

TEST(ConditionalJump, ByteComparisonsAreFused) {
  const Lines store{"\tld a,1", "\tld (T_W),a"};
  auto body = [](std::initializer_list<const char*> compare) {
    Lines out;
    for (const char* line : compare)
      out.push_back(line);
    for (const char* line : {"\tld hl,1", "\tld (T_W),hl", "@@0:"})
      out.push_back(line);
    return out;
  };
  ExpectBodies(
      kVars,
      {
          {"IF B = B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjp nz,@@0"})},
          {"IF B <> B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjp z,@@0"})},
          {"IF B < B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjp z,@@0", "\tjp c,@@0"})},
          {"IF B <= B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjp c,@@0"})},
          {"IF B > B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjp nc,@@0"})},
          {"IF B >= B2 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,(T_B2)", "\tcp l", "\tjr z,$+5", "\tjp nc,@@0"})},
          {"IF B >= 10 THEN W := 1",
           body({"\tld hl,(T_B)", "\tld a,10", "\tcp l", "\tjr z,$+5", "\tjp nc,@@0"})},
          {"IF B = 0 THEN W := 1", body({"\tld hl,(T_B)", "\tld a,0", "\tcp l", "\tjp nz,@@0"})},
          {"IF C = 'A' THEN W := 1", body({"\tld hl,(T_C)", "\tld a,65", "\tcp l", "\tjp nz,@@0"})},
      });
}

TEST(ConditionalJump, OtherConditionsTestHL) {
  ExpectBodies(kVars,
               {
                   // A constant of 256 or more is not fused; the routine sets the zero flag.
                   {"IF B = 300 THEN W := 1",
                    {"\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,300", "\tcall __equ",
                     "\tjp z,@@0", "\tld hl,1", "\tld (T_W),hl", "@@0:"}},
                   {"IF BO THEN W := 1",
                    {"\tld hl,(T_BO)", "\tld h,0", "\tld a,h", "\tor l", "\tjp z,@@0", "\tld hl,1",
                     "\tld (T_W),hl", "@@0:"}},
                   {"IF NOT BO THEN W := 1",
                    {"\tld hl,(T_BO)", "\tld h,0", "\tcall __notBool", "\tjp z,@@0", "\tld hl,1",
                     "\tld (T_W),hl", "@@0:"}},
                   {"IF BO THEN W := 1 ELSE W := 2",
                    {"\tld hl,(T_BO)", "\tld h,0", "\tld a,h", "\tor l", "\tjp z,@@0", "\tld hl,1",
                     "\tld (T_W),hl", "\tjp @@1", "@@0:", "\tld hl,2", "\tld (T_W),hl", "@@1:"}},
               });
}

TEST(Loops, WhileAndRepeat) {
  ExpectBodies(kVars, {
                          {"WHILE B < 10 DO INC(B)",
                           {"@@0:", "\tld hl,(T_B)", "\tld a,10", "\tcp l", "\tjp z,@@1",
                            "\tjp c,@@1", "\tld hl,T_B", "\tinc (hl)", "\tjp @@0", "@@1:"}},
                          {"REPEAT INC(B) UNTIL B = 10",
                           {"@@0:", "\tld hl,T_B", "\tinc (hl)", "\tld hl,(T_B)", "\tld a,10",
                            "\tcp l", "\tjp nz,@@0", "@@1:"}},
                          {"WHILE BO DO BREAK",
                           {"@@0:", "\tld hl,(T_BO)", "\tld h,0", "\tld a,h", "\tor l",
                            "\tjp z,@@1", "\tjp @@1", "\tjp @@0", "@@1:"}},
                          {"WHILE BO DO CONTINUE",
                           {"@@0:", "\tld hl,(T_BO)", "\tld h,0", "\tld a,h", "\tor l",
                            "\tjp z,@@1", "\tjp @@0", "\tjp @@0", "@@1:"}},
                          // CONTINUE in REPEAT goes to the UNTIL test, BREAK behind it.
                          {"REPEAT IF BO THEN CONTINUE; BREAK UNTIL BO",
                           {"@@0:", "\tld hl,(T_BO)", "\tld h,0", "\tld a,h", "\tor l",
                            "\tjp z,@@2", "\tjp @@3", "@@2:", "\tjp @@1", "@@3:", "\tld hl,(T_BO)",
                            "\tld h,0", "\tld a,h", "\tor l", "\tjp z,@@0", "@@1:"}},
                      });
}

TEST(Loops, ForOnByteWordAndInteger) {
  ExpectBodies(
      kVars,
      {
          {"FOR B := 1 TO 10 DO INC(W)",
           {"\tld hl,10",   "\tld bc,1",     "\tld a,l",         "\tld (T_B_&&&),a ;\"to\" value",
            "@@0:",         "\tsub c",       "\tld a,c",         "\tld (T_B),a ;load loop var",
            "\tjp c,@@1",   "\tld hl,(T_W)", "\tinc hl",         "\tld (T_W),hl",
            "\tld a,(T_B)", "\tld c,a",      "\tld a,(T_B_&&&)", "\tcp c",
            "\tjp z,@@1",   "\tinc c",       "\tjp @@0",         "@@1:"}},
          {"FOR W := 0 TO W2 DO INC(B)",
           {"\tld hl,(T_W2)", "\tld bc,0", "\tld (T_W_&&&),hl ;\"to\" value", "@@0:", "\tor a",
            "\tsbc hl,bc", "\tld (T_W),bc ;load loop var", "\tjp c,@@1", "\tld hl,T_B",
            "\tinc (hl)", "\tld hl,(T_W_&&&)", "\tld bc,(T_W)", "\tor a", "\tsbc hl,bc",
            "\tjp z,@@1", "\tadd hl,bc", "\tinc bc", "\tjp @@0", "@@1:"}},
          {"FOR W := W2 DOWNTO 1 DO INC(B)",
           {"\tld hl,1",
            "\tld bc,(T_W2)",
            "\tld (T_W_&&&),hl ;\"to\" value",
            "@@0:",
            "\tor a",
            "\tsbc hl,bc",
            "\tld (T_W),bc ;load loop var",
            "\tjr z,$+5",
            "\tjp nc,@@1",
            "\tld hl,T_B",
            "\tinc (hl)",
            "\tld hl,(T_W_&&&)",
            "\tld bc,(T_W)",
            "\tor a",
            "\tsbc hl,bc",
            "\tjp z,@@1",
            "\tadd hl,bc",
            "\tdec bc",
            "\tjp @@0",
            "@@1:"}},
          // INTEGER loops compare signed: both values biased by 8000H.
          {"FOR I := -5 TO 5 DO INC(B)",
           {"\tld hl,5",
            "\tld bc,65531",
            "\tld (T_I_&&&),hl ;\"to\" value",
            "@@0:",
            "\tld (T_I),bc ;load loop var",
            "\tld a,h",
            "\txor 80H",
            "\tld h,a",
            "\tld a,b",
            "\txor 80H",
            "\tld b,a",
            "\tor a",
            "\tsbc hl,bc",
            "\tjp c,@@1",
            "\tld hl,T_B",
            "\tinc (hl)",
            "\tld hl,(T_I_&&&)",
            "\tld bc,(T_I)",
            "\tor a",
            "\tsbc hl,bc",
            "\tjp z,@@1",
            "\tadd hl,bc",
            "\tinc bc",
            "\tjp @@0",
            "@@1:"}},
          // A negated constant bound: the fold takes the start value, not the deleted load.
          {"FOR I := 3 DOWNTO -5 DO INC(B)",
           {"\tld hl,65531",
            "\tld bc,3",
            "\tld (T_I_&&&),hl ;\"to\" value",
            "@@0:",
            "\tld (T_I),bc ;load loop var",
            "\tld a,h",
            "\txor 80H",
            "\tld h,a",
            "\tld a,b",
            "\txor 80H",
            "\tld b,a",
            "\tor a",
            "\tsbc hl,bc",
            "\tjr z,$+5",
            "\tjp nc,@@1",
            "\tld hl,T_B",
            "\tinc (hl)",
            "\tld hl,(T_I_&&&)",
            "\tld bc,(T_I)",
            "\tor a",
            "\tsbc hl,bc",
            "\tjp z,@@1",
            "\tadd hl,bc",
            "\tdec bc",
            "\tjp @@0",
            "@@1:"}},
      });
}

TEST(Loops, ForContinueGoesToTheStepAndLoopsShareTheirTemporary) {
  const CompiledProgram p =
      Program(kVars, "FOR B := 1 TO 3 DO CONTINUE; FOR B := 2 DOWNTO 0 DO BREAK");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  const Lines body = MainBody(p);
  const Lines firstLoop(body.begin() + 9, body.begin() + 12);
  EXPECT_EQ(firstLoop, (Lines{"\tjp @@2", "@@2:", "\tld a,(T_B)"}));
  int temps = 0;
  for (const std::string& line : p.lines)
    temps += line == "T_B_&&&\tDS 1";
  EXPECT_EQ(temps, 1);
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(CaseStatement, ConsecutiveLabelsUseTheJumpTable) {
  ExpectBodies(kVars, {
                          {"CASE B OF 3: W := 1; 4: W := 2; 5: W := 3; 6: W := 4 END",
                           {"\tld hl,(T_B)",    "\tld h,0",      "\tjp @@1", "@@2:",
                            "\tld hl,1",        "\tld (T_W),hl", "\tjp @@0", "@@3:",
                            "\tld hl,2",        "\tld (T_W),hl", "\tjp @@0", "@@4:",
                            "\tld hl,3",        "\tld (T_W),hl", "\tjp @@0", "@@5:",
                            "\tld hl,4",        "\tld (T_W),hl", "\tjp @@0", "@@1:",
                            "\tcall __jpTable", "\tDB 4,3",      "\tDW @@2", "\tDW @@3",
                            "\tDW @@4",         "\tDW @@5",      "@@0:"}},
                      });
}

TEST(CaseStatement, RangesGapsAndElseUseTheSearch) {
  ExpectBodies(kVars,
               {
                   {"CASE C OF 'A'..'Z', '_': W := 1; '0': W := 2; ELSE W := 3 END",
                    {"\tld hl,(T_C)",       "\tld h,0",      "\tjp @@1",   "@@2:",
                     "\tld hl,1",           "\tld (T_W),hl", "\tjp @@0",   "@@3:",
                     "\tld hl,2",           "\tld (T_W),hl", "\tjp @@0",   "@@1:",
                     "\tcall __switchbyte", "\tDB 3",        "\tDB 90,65", "\tDW @@2",
                     "\tDB 95,95",          "\tDW @@2",      "\tDB 48,48", "\tDW @@3",
                     "\tld hl,3",           "\tld (T_W),hl", "@@0:"}},
                   {"CASE W OF 3: B := 1; 5: B := 2; END",
                    {"\tld hl,(T_W)", "\tjp @@1", "@@2:", "\tld a,1", "\tld (T_B),a", "\tjp @@0",
                     "@@3:", "\tld a,2", "\tld (T_B),a", "\tjp @@0", "@@1:", "\tcall __switchbyte",
                     "\tDB 2", "\tDB 3,3", "\tDW @@2", "\tDB 5,5", "\tDW @@3", "@@0:"}},
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
  ExpectBodies("LABEL L1, L2;\n" + std::string(kVars),
               {
                   {"GOTO L1; B := 1; L1: B := 2; L2: END; BEGIN",
                    {"\tjp @T_L1", "\tld a,1", "\tld (T_B),a", "@T_L1:", "\tld a,2", "\tld (T_B),a",
                     "@T_L2:"}},
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
            (Lines{"\tld hl,(T_F_X)", "\tld (T_F),hl", "\tld hl,(T_F_X)", "\tpush hl", "\tld hl,0",
                   "\tcall __equ", "\tjp z,@@1", "\tjp @@0", "@@1:", "\tld hl,2", "\tld (T_F),hl",
                   "@@0:", "\tpop iy", "\tld hl,(T_F)", "\tpush hl"}));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

} // namespace
} // namespace velkor
