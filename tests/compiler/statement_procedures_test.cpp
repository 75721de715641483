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

struct BodyCase {
  const char* statements;
  Lines body;
};

void ExpectBodies(const std::vector<BodyCase>& cases) {
  for (const BodyCase& k : cases) {
    const CompiledProgram p =
        Compile(std::string(kDeclarations) + "BEGIN\n" + k.statements + "\nEND.\n");
    ASSERT_TRUE(p.ok) << k.statements << "\n" << Joined(p.messages);
    EXPECT_EQ(MainBody(p), k.body) << k.statements;
    EXPECT_EQ(AssemblyError(p.lines), "") << k.statements;
  }
}

TEST(IncDec, EveryDestination) {
  ExpectBodies({
      {"INC(B)", {"\tld hl,T_B", "\tinc (hl)"}},
      {"DEC(W)", {"\tld hl,(T_W)", "\tdec hl", "\tld (T_W),hl"}},
      {"INC(L)", {"\tld hl,T_L", "\tcall __inc32hl"}},
      {"DEC(L)", {"\tld hl,T_L", "\tcall __dec32hl"}},
      {"INC(AB[2])", {"\tld hl,T_AB+2", "\tinc (hl)"}},
      {"DEC(AW[1])", {"\tld hl,T_AW+2", "\tcall __dec16hl"}},
      {"INC(X.W)", {"\tld hl,T_X+1", "\tcall __inc16hl"}},
  });
  const CompiledProgram p = Compile(std::string(kDeclarations) +
                                    "PROCEDURE Q(VAR V: WORD; VAR VB: BYTE; VAR VL: LONGINT);\n"
                                    "BEGIN INC(VB); INC(V); DEC(VL) END;\nBEGIN END.\n");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  EXPECT_EQ(Slice(p.lines, "@T_Q:", "\tret"),
            (Lines{"\tld hl,(T_Q_VB)", "\tinc (hl)", "\tld hl,(T_Q_V)", "\tcall __inc16hl",
                   "\tld hl,(T_Q_VL)", "\tcall __dec32hl"}));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(FillChar, DirectOperands) {
  ExpectBodies({
      {"FILLCHAR(AB, 10, 0)",
       {"\tld hl,T_AB", "\tld de,T_AB+1", "\tld bc,9", "\tld (hl),0", "\tldir"}},
      {"FILLCHAR(AB, 10, W)",
       {"\tld hl,T_AB", "\tld de,T_AB+1", "\tld bc,9", "\tld a,(T_W)", "\tld (hl),a", "\tldir"}},
      {"FILLCHAR(AB, W, 5)",
       {"\tld bc,(T_W)", "\tld a,b", "\tor c", "\tjr z,@@0", "\tld hl,T_AB", "\tld de,T_AB+1",
        "\tld (hl),5", "\tdec bc", "\tld a,b", "\tor c", "\tjr z,@@0", "\tldir", "@@0:"}},
  });
}

TEST(FillChar, CountsOfZeroAndOneNeverCopy64K) {
  ExpectBodies({
      {"FILLCHAR(AB, 0, 5)", {}},
      {"FILLCHAR(AB, 1, 5)", {"\tld hl,T_AB", "\tld (hl),5"}},
      {"FILLCHAR(AB, 1, W)", {"\tld hl,T_AB", "\tld a,(T_W)", "\tld (hl),a"}},
  });
}

TEST(FillChar, GeneralFormKeepsTheValueOutOfA) {
  ExpectBodies({
      {"FILLCHAR(AB, B, B2)",
       {"\tld hl,T_AB", "\tpush hl",   "\tld hl,(T_B)", "\tld h,0", "\tpush hl", "\tld hl,(T_B2)",
        "\tld h,0",     "\tpop bc",    "\tpop de",      "\tld a,b", "\tor c",    "\tjr z,@@0",
        "\tex de,hl",   "\tld (hl),e", "\tld d,h",      "\tld e,l", "\tinc de",  "\tdec bc",
        "\tld a,b",     "\tor c",      "\tjr z,@@0",    "\tldir",   "@@0:"}},
  });
}

TEST(Out, FoldedAndGeneralForms) {
  ExpectBodies({
      {"OUT(5, 7)", {"\tld bc,5", "\tld a,7", "\tout (c),a"}},
      {"OUT(W, B)", {"\tld bc,(T_W)", "\tld a,(T_B)", "\tout (c),a"}},
      // A BYTE port: B must be 0 for the Z180's on-chip registers.
      {"OUT(B, 1)", {"\tld bc,(T_B)", "\tld b,0", "\tld a,1", "\tout (c),a"}},
      {"OUT(B + 1, 0)",
       {"\tld hl,(T_B)", "\tld h,0", "\tinc hl", "\tpush hl", "\tld hl,0", "\tpop bc",
        "\tout (c),l"}},
  });
}

TEST(StringAndHeapProcedures, CallSites) {
  ExpectBodies({
      {"MOVE(X, Y, 3)",
       {"\tld hl,T_X", "\tpush hl", "\tld hl,T_Y", "\tpush hl", "\tld hl,3", "\tcall __Move"}},
      {"INSERT('AB', S, 2)",
       {"\tld hl,@@0", "\tcall __pushString", "\tld hl,T_S", "\tpush hl", "\tld hl,2", "\tpush hl",
        "\tld b,10", "\tcall __Insert"}},
      {"DELETE(S, 1, 2)",
       {"\tld hl,T_S", "\tpush hl", "\tld hl,1", "\tpush hl", "\tld hl,2", "\tpush hl",
        "\tcall __Delete"}},
      {"NEW(P)", {"\tld hl,2", "\tcall __malloc", "\tld (T_P),hl"}},
      {"MARK(P)", {"\tcall __GetHeapPtr", "\tld (T_P),hl"}},
      {"RELEASE(P)", {"\tld hl,(T_P)", "\tcall __SetHeapPtr"}},
      {"GETMEM(P, 100)", {"\tld hl,100", "\tcall __malloc", "\tld (T_P),hl"}},
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
