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

TEST(StoreToVariable, ByteValuesGoThroughA) {
  ExpectBodies(
      kDeclarations,
      {
          {"B := B2", Code("ld a,(T_B2)|ld (T_B),a")},
          {"B := 0", Code("xor a|ld (T_B),a")},
          {"B := 7", Code("ld a,7|ld (T_B),a")},
          {"C := 'A'", Code("ld a,65|ld (T_C),a")},
          {"B := W", Code("ld a,(T_W)|ld (T_B),a")},
          {"B := INP(5)", Code("ld bc,5|in a,(c)|ld (T_B),a")},
          {"B := B2 + 3", Code("ld hl,(T_B2)|ld h,0|inc hl|inc hl|inc hl|ld a,l|ld (T_B),a")},
          {"BO := TRUE", Code("ld a,1|ld (T_BO),a")},
      });
}

TEST(StoreToVariable, WordValues) {
  ExpectBodies(kDeclarations, {
                                  {"W := W2", Code("ld hl,(T_W2)|ld (T_W),hl")},
                                  {"W := 1000", Code("ld hl,1000|ld (T_W),hl")},
                                  {"I := -5", Code("ld hl,0FFFBH|ld (T_I),hl")},
                                  {"W := B", Code("ld hl,(T_B)|ld h,0|ld (T_W),hl")},
                                  {"P := NIL", Code("ld hl,0|ld (T_P),hl")},
                                  {"P := @W", Code("ld hl,T_W|ld (T_P),hl")},
                              });
}

TEST(StoreToVariable, LongValuesAndWidening) {
  ExpectBodies(kDeclarations,
               {
                   {"L := L", Code("ld hl,T_L|call __Push32|ld hl,T_L|call __StoreLint")},
                   {"L := W", Code("ld hl,(T_W)|ld de,T_L|call __WordToLintStore")},
                   {"L := I", Code("ld hl,(T_I)|ld de,T_L|call __IntToLintStore")},
                   {"L := B", Code("ld hl,(T_B)|ld h,0|ld de,T_L|call __WordToLintStore")},
                   {"L := C", Code("ld hl,(T_C)|ld h,0|ld de,T_L|call __WordToLintStore")},
               });
}

TEST(StoreToVariable, NarrowingKeepsTheLowWord) {
  ExpectBodies(kDeclarations,
               {
                   {"W := L", Code("ld hl,T_L|call __Push32|pop hl|ld (T_W),hl|pop hl")},
                   {"B := L", Code("ld hl,T_L|call __Push32|pop hl|ld a,l|ld (T_B),a|pop hl")},
               });
}

TEST(StoreToVariable, StringsCopyDirectlyFromAPlainSource) {
  ExpectBodies(
      kDeclarations,
      {
          {"S := 'HI'", Code("ld hl,@@0|ld de,T_S|ld b,10|call __moveString")},
          {"S := S2", Code("ld hl,T_S2|ld de,T_S|ld b,10|call __moveString")},
          {"S := S + S2", Code("ld hl,T_S|call __PushString|ld hl,T_S2|call __PushString|call "
                               "__AddStrings|ld hl,T_S|ld b,10|call __popString")},
      });
}

TEST(StoreToVariable, StructuredValuesAreCopiedByAddress) {
  ExpectBodies(kDeclarations, {
                                  {"X := Y", Code("ld hl,T_Y|ld de,T_X|ld bc,3|ldir")},
                              });
}

TEST(StoreToStackAddress, ElementsFieldsAndPointers) {
  ExpectBodies(
      kDeclarations,
      {
          {"P^ := 7",
           Code("ld hl,(T_P)|push hl|ld hl,7|ex de,hl|pop hl|ld (hl),e|inc hl|ld (hl),d")},
          {"X.W := 9",
           Code("ld hl,T_X+1|push hl|ld hl,9|ex de,hl|pop hl|ld (hl),e|inc hl|ld (hl),d")},
          {"X.A := B", Code("ld hl,T_X|push hl|ld hl,(T_B)|ld h,0|ex de,hl|pop hl|ld (hl),e")},
          {"X.W := L", Code("ld hl,T_X+1|push hl|ld hl,T_L|call __Push32|pop de|pop bc|pop hl|ld "
                            "(hl),e|inc hl|ld (hl),d")},
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
  EXPECT_EQ(
      Slice(p.lines, "@T_Q:", "\tret"),
      (Code(
          "ld hl,5|ex de,hl|ld hl,(T_Q_V)|ld (hl),e|inc hl|ld (hl),d|ld hl,(T_B)|ld h,0|ex "
          "de,hl|ld hl,(T_Q_VB)|ld (hl),e|ld hl,T_L|call __Push32|ld hl,(T_Q_VL)|call __store32|ld "
          "hl,(T_W)|ld de,(T_Q_VL)|call __WordToLintStore|ld hl,T_L|call __Push32|pop de|pop bc|ld "
          "hl,(T_Q_V)|ld (hl),e|inc hl|ld (hl),d|ld hl,@@0|ld de,(T_Q_VS)|ld b,10|call "
          "__moveString|ld hl,T_L|call __Push32|pop de|pop bc|ld hl,(T_Q_VB)|ld (hl),e")));
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
