// Assignments: the store sequence for every destination and type.

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

const char* const kDeclarations =
    "PROGRAM T;\n"
    "TYPE R = RECORD A: BYTE; W: WORD END; S10 = STRING[10];\n"
    "VAR B, B2: BYTE; C: CHAR; W, W2: WORD; I: INTEGER; L: LONGINT; BO: BOOLEAN;\n"
    "    S: STRING[10]; S2: STRING[20]; X, Y: R; P: ^WORD;\n"
    "    AB: ARRAY[0..9] OF BYTE; AL: ARRAY[0..3] OF LONGINT; AW: ARRAY[0..3] OF WORD;\n";

CompiledProgram CompileBody(const std::string& procedures, const std::string& statements) {
  return Compile(std::string(kDeclarations) + procedures + "BEGIN\n" + statements + "\nEND.\n");
}

struct StoreCase {
  const char* statement;
  Lines body;
};

void ExpectBodies(const std::vector<StoreCase>& cases) {
  for (const StoreCase& k : cases) {
    const CompiledProgram p = CompileBody("", k.statement);
    ASSERT_TRUE(p.ok) << k.statement << "\n" << Joined(p.messages);
    EXPECT_EQ(MainBody(p), k.body) << k.statement;
    EXPECT_EQ(AssemblyError(p.lines), "") << k.statement;
  }
}

TEST(StoreToVariable, ByteValuesGoThroughA) {
  ExpectBodies({
      {"B := B2", {"\tld a,(T_B2)", "\tld (T_B),a"}},
      {"B := 0", {"\txor a", "\tld (T_B),a"}},
      {"B := 7", {"\tld a,7", "\tld (T_B),a"}},
      {"C := 'A'", {"\tld a,65", "\tld (T_C),a"}},
      {"B := W", {"\tld a,(T_W)", "\tld (T_B),a"}},
      {"B := INP(5)", {"\tld bc,5", "\tin a,(c)", "\tld (T_B),a"}},
      {"B := B2 + 3",
       {"\tld hl,(T_B2)", "\tld h,0", "\tinc hl", "\tinc hl", "\tinc hl", "\tld a,l",
        "\tld (T_B),a"}},
      {"BO := TRUE", {"\tld a,1", "\tld (T_BO),a"}},
  });
}

TEST(StoreToVariable, WordValues) {
  ExpectBodies({
      {"W := W2", {"\tld hl,(T_W2)", "\tld (T_W),hl"}},
      {"W := 1000", {"\tld hl,1000", "\tld (T_W),hl"}},
      {"I := -5", {"\tld hl,0FFFBH", "\tld (T_I),hl"}},
      {"W := B", {"\tld hl,(T_B)", "\tld h,0", "\tld (T_W),hl"}},
      {"P := NIL", {"\tld hl,0", "\tld (T_P),hl"}},
      {"P := @W", {"\tld hl,T_W", "\tld (T_P),hl"}},
  });
}

TEST(StoreToVariable, LongValuesAndWidening) {
  ExpectBodies({
      {"L := L", {"\tld hl,T_L", "\tcall __Push32", "\tld hl,T_L", "\tcall __StoreLint"}},
      {"L := W", {"\tld hl,(T_W)", "\tld de,T_L", "\tcall __WordToLintStore"}},
      {"L := I", {"\tld hl,(T_I)", "\tld de,T_L", "\tcall __IntToLintStore"}},
      {"L := B", {"\tld hl,(T_B)", "\tld h,0", "\tld de,T_L", "\tcall __WordToLintStore"}},
      {"L := C", {"\tld hl,(T_C)", "\tld h,0", "\tld de,T_L", "\tcall __WordToLintStore"}},
  });
}

TEST(StoreToVariable, NarrowingKeepsTheLowWord) {
  ExpectBodies({
      {"W := L", {"\tld hl,T_L", "\tcall __Push32", "\tpop hl", "\tld (T_W),hl", "\tpop hl"}},
      {"B := L",
       {"\tld hl,T_L", "\tcall __Push32", "\tpop hl", "\tld a,l", "\tld (T_B),a", "\tpop hl"}},
  });
}

TEST(StoreToVariable, StringsCopyDirectlyFromAPlainSource) {
  ExpectBodies({
      {"S := 'HI'", {"\tld hl,@@0", "\tld de,T_S", "\tld b,10", "\tcall __moveString"}},
      {"S := S2", {"\tld hl,T_S2", "\tld de,T_S", "\tld b,10", "\tcall __moveString"}},
      {"S := S + S2",
       {"\tld hl,T_S", "\tcall __PushString", "\tld hl,T_S2", "\tcall __PushString",
        "\tcall __AddStrings", "\tld hl,T_S", "\tld b,10", "\tcall __popString"}},
  });
}

TEST(StoreToVariable, StructuredValuesAreCopiedByAddress) {
  ExpectBodies({
      {"X := Y", {"\tld hl,T_Y", "\tld de,T_X", "\tld bc,3", "\tldir"}},
  });
}

TEST(StoreToStackAddress, ElementsFieldsAndPointers) {
  ExpectBodies({
      {"P^ := 7",
       {"\tld hl,(T_P)", "\tpush hl", "\tld hl,7", "\tex de,hl", "\tpop hl", "\tld (hl),e",
        "\tinc hl", "\tld (hl),d"}},
      {"X.W := 9",
       {"\tld hl,T_X+1", "\tpush hl", "\tld hl,9", "\tex de,hl", "\tpop hl", "\tld (hl),e",
        "\tinc hl", "\tld (hl),d"}},
      {"X.A := B",
       {"\tld hl,T_X", "\tpush hl", "\tld hl,(T_B)", "\tld h,0", "\tex de,hl", "\tpop hl",
        "\tld (hl),e"}},
      {"X.W := L",
       {"\tld hl,T_X+1", "\tpush hl", "\tld hl,T_L", "\tcall __Push32", "\tpop de", "\tpop bc",
        "\tpop hl", "\tld (hl),e", "\tinc hl", "\tld (hl),d"}},
  });
}

TEST(StoreThroughVarParameter, EveryClass) {
  const CompiledProgram p =
      CompileBody("PROCEDURE Q(VAR V: WORD; VAR VB: BYTE; VAR VL: LONGINT; VAR VS: S10);\n"
                  "BEGIN\n"
                  "  V := 5; VB := B; VL := L; VL := W; V := L; VS := 'AB'; VB := L\n"
                  "END;\n",
                  "");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  EXPECT_EQ(Slice(p.lines, "@T_Q:", "\tret"),
            (Lines{"\tld hl,5",        "\tex de,hl",       "\tld hl,(T_Q_V)",
                   "\tld (hl),e",      "\tinc hl",         "\tld (hl),d",
                   "\tld hl,(T_B)",    "\tld h,0",         "\tex de,hl",
                   "\tld hl,(T_Q_VB)", "\tld (hl),e",      "\tld hl,T_L",
                   "\tcall __Push32",  "\tld hl,(T_Q_VL)", "\tcall __store32",
                   "\tld hl,(T_W)",    "\tld de,(T_Q_VL)", "\tcall __WordToLintStore",
                   "\tld hl,T_L",      "\tcall __Push32",  "\tpop de",
                   "\tpop bc",         "\tld hl,(T_Q_V)",  "\tld (hl),e",
                   "\tinc hl",         "\tld (hl),d",      "\tld hl,@@0",
                   "\tld de,(T_Q_VS)", "\tld b,10",        "\tcall __moveString",
                   "\tld hl,T_L",      "\tcall __Push32",  "\tpop de",
                   "\tpop bc",         "\tld hl,(T_Q_VB)", "\tld (hl),e"}));
  EXPECT_EQ(AssemblyError(p.lines), "");
}

TEST(StoreRules, MismatchedTypesAreError46) {
  for (const char* statement :
       {"W := C", "C := W", "B := S", "X := 5", "BO := 1", "S := 5", "X := Y.A", "B := BO"}) {
    const CompiledProgram p = CompileBody("", statement);
    EXPECT_FALSE(p.ok) << statement;
    EXPECT_EQ(p.Error(), "Types must match in an assignment") << statement;
  }
}

TEST(StoreRules, CompatiblePairsAreAccepted) {
  for (const char* statement :
       {"B := C", "C := B", "I := C", "C := I", "C := L", "W := I", "I := W", "S := C"}) {
    const CompiledProgram p = CompileBody("", statement);
    EXPECT_TRUE(p.ok) << statement << "\n" << Joined(p.messages);
    EXPECT_EQ(AssemblyError(p.lines), "") << statement;
  }
}

} // namespace
} // namespace velkor
