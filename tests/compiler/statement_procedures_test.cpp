// The predefined procedures and the argument checks of their calls.

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

const char* const kDeclarations =
    "PROGRAM T;\n"
    "TYPE R = RECORD A: BYTE; W: WORD END;\n"
    "VAR B, B2: BYTE; W: WORD; L: LONGINT; BO: BOOLEAN; S: STRING[10]; X, Y: R; P: ^WORD;\n"
    "    AB: ARRAY[0..9] OF BYTE; AW: ARRAY[0..3] OF WORD;\n";

TEST(IncDec, EveryDestination) {
  ExpectBodies(kDeclarations, {
                                  {"INC(B)", Code("ld hl,T_B|inc (hl)")},
                                  {"DEC(W)", Code("ld hl,(T_W)|dec hl|ld (T_W),hl")},
                                  {"INC(L)", Code("ld hl,T_L|call __inc32hl")},
                                  {"DEC(L)", Code("ld hl,T_L|call __dec32hl")},
                                  {"INC(AB[2])", Code("ld hl,T_AB+2|inc (hl)")},
                                  {"DEC(AW[1])", Code("ld hl,T_AW+2|call __dec16hl")},
                                  {"INC(X.W)", Code("ld hl,T_X+1|call __inc16hl")},
                              });
  const CompiledProgram p = Compile(std::string(kDeclarations) +
                                    "PROCEDURE Q(VAR V: WORD; VAR VB: BYTE; VAR VL: LONGINT);\n"
                                    "BEGIN INC(VB); INC(V); DEC(VL) END;\nBEGIN END.\n");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  EXPECT_EQ(
      Slice(p.lines, "@T_Q:", "\tret"),
      (Code("ld hl,(T_Q_VB)|inc (hl)|ld hl,(T_Q_V)|call __inc16hl|ld hl,(T_Q_VL)|call __dec32hl")));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(FillChar, DirectOperands) {
  ExpectBodies(
      kDeclarations,
      {
          {"FILLCHAR(AB, 10, 0)", Code("ld hl,T_AB|ld de,T_AB+1|ld bc,9|ld (hl),0|ldir")},
          {"FILLCHAR(AB, 10, W)",
           Code("ld hl,T_AB|ld de,T_AB+1|ld bc,9|ld a,(T_W)|ld (hl),a|ldir")},
          {"FILLCHAR(AB, W, 5)", Code("ld bc,(T_W)|ld a,b|or c|jr z,@@0|ld hl,T_AB|ld de,T_AB+1|ld "
                                      "(hl),5|dec bc|ld a,b|or c|jr z,@@0|ldir|@@0:")},
      });
}

TEST(FillChar, CountsOfZeroAndOneNeverCopy64K) {
  ExpectBodies(kDeclarations, {
                                  {"FILLCHAR(AB, 0, 5)", {}},
                                  {"FILLCHAR(AB, 1, 5)", Code("ld hl,T_AB|ld (hl),5")},
                                  {"FILLCHAR(AB, 1, W)", Code("ld hl,T_AB|ld a,(T_W)|ld (hl),a")},
                              });
}

TEST(FillChar, GeneralFormKeepsTheValueOutOfA) {
  ExpectBodies(kDeclarations,
               {
                   {"FILLCHAR(AB, B, B2)",
                    Code("ld hl,T_AB|push hl|ld hl,(T_B)|ld h,0|push hl|ld hl,(T_B2)|ld "
                         "h,0|pop bc|pop de|ld a,b|or c|jr z,@@0|ex de,hl|ld (hl),e|ld "
                         "d,h|ld e,l|inc de|dec bc|ld a,b|or c|jr z,@@0|ldir|@@0:")},
               });
}

TEST(Out, FoldedAndGeneralForms) {
  ExpectBodies(
      kDeclarations,
      {
          {"OUT(5, 7)", Code("ld bc,5|ld a,7|out (c),a")},
          {"OUT(W, B)", Code("ld bc,(T_W)|ld a,(T_B)|out (c),a")},
          // A BYTE port: B must be 0 for the Z180's on-chip registers.
          {"OUT(B, 1)", Code("ld bc,(T_B)|ld b,0|ld a,1|out (c),a")},
          {"OUT(B + 1, 0)", Code("ld hl,(T_B)|ld h,0|inc hl|push hl|ld hl,0|pop bc|out (c),l")},
      });
}

TEST(StringAndHeapProcedures, CallSites) {
  ExpectBodies(
      kDeclarations,
      {
          {"MOVE(X, Y, 3)", Code("ld hl,T_X|push hl|ld hl,T_Y|push hl|ld hl,3|call __Move")},
          {"INSERT('AB', S, 2)", Code("ld hl,@@0|call __pushString|ld hl,T_S|push hl|ld hl,2|push "
                                      "hl|ld b,10|call __Insert")},
          {"DELETE(S, 1, 2)",
           Code("ld hl,T_S|push hl|ld hl,1|push hl|ld hl,2|push hl|call __Delete")},
          {"NEW(P)", Code("ld hl,2|call __malloc|ld (T_P),hl")},
          {"MARK(P)", Code("call __GetHeapPtr|ld (T_P),hl")},
          {"RELEASE(P)", Code("ld hl,(T_P)|call __SetHeapPtr")},
          {"GETMEM(P, 100)", Code("ld hl,100|call __malloc|ld (T_P),hl")},
      });
}

TEST(PredefinedProcedures, ArgumentErrors) {
  struct Case {
    const char* statement;
    int error;
    const char* text;
  };
  const Case cases[] = {
      {"INC(BO)", 82, "Invalid target for inc/dec"},
      {"INC(S)", 82, "Invalid target for inc/dec"},
      {"INC(5)", 2, "Expected an identifier"},
      {"INC(Q)", 0, "Undefined identifier"},
      {"INC(TRUE)", 37, "Expected a variable"},
      {"INC B", 9, "Expected an opening paranthesis \"(\""},
      {"INC(B", 4, "Expected closing parenthesis \")\""},
      {"MOVE(X, Y 3)", 78, "Expected a comma \",\""},
      {"FILLCHAR(AB, L, 0)", 85, "Longint not permitted here"},
      {"FILLCHAR(AB, S, 0)", 84, "Illegal type in expession"},
      {"FILLCHAR(AB, 1, L)", 85, "Longint not permitted here"},
      {"OUT(S, 1)", 84, "Illegal type in expession"},
      {"NEW(W)", 72, "Expected a pointer variable"},
      {"GETMEM(P, S)", 83, "Numeric constant or variable expected"},
      {"GETMEM(P, L)", 85, "Longint not permitted here"},
      {"INSERT(5, S, 1)", 38, "String type expected"},
      {"DELETE(W, 1, 1)", 38, "String type expected"},
  };
  for (const Case& k : cases) {
    const CompiledProgram p =
        Compile(std::string(kDeclarations) + "BEGIN\n" + k.statement + "\nEND.\n");
    EXPECT_FALSE(p.ok) << k.statement;
    EXPECT_EQ(p.Error(), k.text) << k.statement << " (error " << k.error << ")";
    EXPECT_EQ(p.messages.size(), 6u) << k.statement;
  }
}

} // namespace
} // namespace velkor
