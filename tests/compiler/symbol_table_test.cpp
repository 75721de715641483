// The symbol table: types and their sizes, scopes, redeclaration, forward
// pointers and assembler names.

#include <gtest/gtest.h>

#include "compiler/emit/output.h"
#include "front_support.h"

namespace velkor {
namespace {

using front_test::Compiled;
using front_test::CompileText;
using front_test::Harness;

struct Parsed {
  TypeInfo type;
  std::string error;
};

Parsed Type(const std::string& text) {
  Harness h(text + " ;");
  h.Const("K", kTypeByte, 3);
  Parsed p;
  if (h.Fails([&] {
        NextSymbol(h.c);
        p.type = ParseType(h.c);
        if (h.c.Symbol != SymbolKind::Semicolon) ReportCompileError(h.c, kErrSyntax);
      }))
    p.error = h.LastMessage();
  return p;
}

TEST(Types, Sizes) {
  EXPECT_EQ(Type("ARRAY[1..10] OF WORD").type.size, 20u);
  EXPECT_EQ(Type("STRING[20]").type.size, 21u);
  EXPECT_EQ(Type("ARRAY[0..K] OF LONGINT").type.size, 16u);
  EXPECT_EQ(Type("ARRAY[0..1, 0..2] OF WORD").type.size, 12u);
  EXPECT_EQ(Type("ARRAY['A'..'Z'] OF BYTE").type.size, 26u);
  EXPECT_EQ(Type("^ARRAY[0..99] OF BYTE").type.size, 2u);
  EXPECT_EQ(Type("INTEGER").type.size, 2u);
  EXPECT_EQ(Type("STRING[255]").type.size, 256u);
}

TEST(Types, RecordFieldsFollowEachOther) {
  Harness h("RECORD A: BYTE; B: WORD; C: LONGINT END ;");
  NextSymbol(h.c);
  const TypeInfo t = ParseType(h.c);
  EXPECT_EQ(t.type, kTypeRecord);
  EXPECT_EQ(t.size, 7u);
  const int expectedOffsets[] = {0, 1, 3};
  const char* names[] = {"A", "B", "C"};
  for (int i = 0; i < 3; ++i) {
    const int f = LookupField(h.c, t.reference, names[i]);
    ASSERT_NE(f, 0) << names[i];
    EXPECT_EQ(h.c.Identifiers[static_cast<std::size_t>(f)].offset, expectedOffsets[i]);
    EXPECT_TRUE(h.c.Identifiers[static_cast<std::size_t>(f)].field);
  }
  // Fields are not found by their bare names.
  EXPECT_EQ(LookupIdentifier(h.c, "B"), 0);
  EXPECT_EQ(h.c.CurrentLevel, 1);
}

TEST(Types, ArraysOfArraysHaveADescriptorEach) {
  Harness h("ARRAY[0..1, 1..3] OF WORD ;");
  NextSymbol(h.c);
  const TypeInfo t = ParseType(h.c);
  const ArrayDescriptor outer = h.c.Arrays[t.reference];
  EXPECT_EQ(outer.low, 0);
  EXPECT_EQ(outer.high, 1);
  EXPECT_EQ(outer.elementType, kTypeArray);
  EXPECT_EQ(outer.elementSize, 6);
  const ArrayDescriptor inner = h.c.Arrays[outer.elementReference];
  EXPECT_EQ(inner.low, 1);
  EXPECT_EQ(inner.elementType, kTypeWord);
  EXPECT_EQ(inner.totalSize, 6);
}

struct TypeError {
  const char* text;
  int error;
};
class TypeErrors : public ::testing::TestWithParam<TypeError> {};

TEST_P(TypeErrors, Report) {
  EXPECT_EQ(Type(GetParam().text).error, CompilerErrorMessages[GetParam().error]);
}

INSTANTIATE_TEST_SUITE_P(
    Types, TypeErrors,
    ::testing::Values(TypeError{"ARRAY[5..4] OF BYTE", kErrIllegalBounds},
                      TypeError{"ARRAY[-1..4] OF BYTE", kErrIllegalBounds},
                      // Larger than 64 KB would wrap and overlap other variables.
                      TypeError{"ARRAY[0..40000] OF WORD", kErrIllegalBounds},
                      TypeError{"RECORD A: ARRAY[0..40000] OF BYTE; B: ARRAY[0..40000] OF BYTE END",
                                kErrIllegalBounds},
                      // Element 0 holds the length.
                      TypeError{"STRING[256]", kErrConstantOutOfRange},
                      TypeError{"STRING 5", kErrExpectedOpenBracket},
                      TypeError{"STRING[5", kErrExpectedCloseBracket},
                      TypeError{"ARRAY 1..2 OF BYTE", kErrExpectedOpenBracket},
                      TypeError{"ARRAY[1:2] OF BYTE", kErrExpectedRange},
                      TypeError{"ARRAY[1..2 OF BYTE", kErrExpectedCloseBracket},
                      TypeError{"ARRAY[1..2] BYTE", kErrExpectedOf},
                      TypeError{"ARRAY[X..2] OF BYTE", kErrUndefinedIdentifier},
                      TypeError{"ARRAY[1..2] OF TRUE", kErrExpectedTypeIdentifier},
                      TypeError{"NOPE", kErrUndefinedIdentifier},
                      TypeError{"5", kErrExpectedIdArrayRecord},
                      TypeError{"RECORD A BYTE END", kErrExpectedColon},
                      TypeError{"RECORD A: BYTE B: WORD END", kErrExpectedSemicolon},
                      TypeError{"RECORD 5: BYTE END", kErrExpectedIdentifier},
                      TypeError{"RECORD A: BYTE; A: WORD END", kErrMultipleDefinition}));

TEST(Types, ForwardPointer) {
  Harness h("^Q ;");
  NextSymbol(h.c);
  const TypeInfo t = ParseType(h.c);
  EXPECT_TRUE(t.pointer);
  EXPECT_EQ(t.size, 2u);
  EXPECT_EQ(t.reference, kPendingPointerTarget);
  ASSERT_EQ(h.c.PendingPointerTargets.size(), 1u);
  EXPECT_EQ(h.c.PendingPointerTargets[0].targetName, "Q");
  const Compiled r =
      CompileText("PROGRAM D;\nTYPE P = ^Q; Q = RECORD A, B: WORD END;\nVAR X: P;\nBEGIN END.\n");
  EXPECT_TRUE(r.ok) << front_test::Joined(r.messages);
  EXPECT_EQ(r.dataSize, 2);
}

TEST(Scopes, InnerNamesHideOuterOnes) {
  const Compiled r = CompileText("PROGRAM D;\nVAR X: WORD;\nPROCEDURE P;\nVAR X: BYTE;\nBEGIN\n  X "
                                 ":= 1\nEND;\nBEGIN\n  X := 2\nEND.\n");
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  const std::string text = front_test::Joined(r.lines);
  EXPECT_NE(text.find("\tld (D_P_X),a\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\tld (D_X),hl\n"), std::string::npos) << text;
  EXPECT_EQ(front_test::AssemblyError(r.lines), "");
}

TEST(Scopes, Redeclaration) {
  EXPECT_EQ(CompileText("PROGRAM D;\nVAR X: WORD; X: BYTE;\nBEGIN END.\n").Error(),
            "Multiple definition of this identifier");
  EXPECT_TRUE(
      CompileText("PROGRAM D;\nVAR X: WORD;\nPROCEDURE P; VAR X: BYTE; BEGIN END;\nBEGIN END.\n")
          .ok);
  // Predefined names may be declared again.
  const Compiled r =
      CompileText("PROGRAM D;\nVAR INC, WORD2: WORD; LENGTH: BYTE;\nBEGIN\n  INC := 1\nEND.\n");
  EXPECT_TRUE(r.ok) << front_test::Joined(r.messages);
}

TEST(Scopes, LookupAtLevelZeroFindsNothing) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui);
  EXPECT_EQ(LookupIdentifier(c, "X"), 0);
  EnterPredefined(c, "", kKindVariable, kTypeNone, 0, 0);
  EnterPredefined(c, "TRUE", kKindConstant, kTypeBoolean, 0, 1);
  EXPECT_EQ(LookupIdentifier(c, "TRUE"), 0);
  c.Display[0] = 1;
  OpenLevel(c, 1);
  EXPECT_EQ(LookupIdentifier(c, "TRUE"), 1);
  EXPECT_EQ(c.IdentifierCount, 1);
}

TEST(AssemblerNames, PrefixOwnerAndGlobalMark) {
  Harness h("END");
  h.c.ProgramName = "DEMO";
  const int x = h.Var("X", kTypeWord, 2);
  const int p = EnterIdentifier(h.c, "P", kKindProcedure, 1);
  h.c.CurrentRoutine = static_cast<std::uint16_t>(p);
  const int y = h.Var("Y", kTypeWord, 2);
  EXPECT_EQ(AssemblerName(h.c, x), "DEMO_X");
  EXPECT_EQ(AssemblerName(h.c, p), "DEMO_P");
  EXPECT_EQ(AssemblerName(h.c, y), "DEMO_P_Y");
  h.c.ProgramPrefix = false;
  EXPECT_EQ(AssemblerName(h.c, x), "X");
  EXPECT_EQ(AssemblerName(h.c, y), "P_Y");
  h.c.Identifiers[static_cast<std::size_t>(y)].globalMark = true;
  h.c.Identifiers[static_cast<std::size_t>(p)].globalMark = true;
  h.c.ProgramPrefix = true;
  EXPECT_EQ(AssemblerName(h.c, y), "P_Y");
  EXPECT_EQ(AssemblerName(h.c, p), "P");
  const int longName = h.Var(std::string(250, 'L'), kTypeWord, 2);
  EXPECT_EQ(AssemblerName(h.c, longName).size(), 255u);
}

TEST(Emitter, PushElisionSkipsCommentsButNotLabels) {
  Harness h("END");
  h.c.OutputLines = {"\tCODE"};
  Emit(h.c, Op::LoadConstant, "5", 5);
  Emit(h.c, Op::PushOperand);
  h.c.PendingPush = 1;
  EmitRawLine(h.c, ";a source line");
  PopHL(h.c);
  EXPECT_EQ(h.c.OutputLines.Lines(), (front_test::Lines{"\tCODE", "\tld hl,5", ";a source line"}));
  EXPECT_EQ(h.c.History.Tag(0), HistoryTag::Constant);
  EXPECT_EQ(h.c.PendingPush, 0);
  PopHL(h.c); // nothing pending: a real pop
  EXPECT_EQ(h.c.OutputLines.back(), "\tpop hl");
  // Deleting never takes the first line nor comment lines.
  DeleteNewestInstructions(h.c, 10);
  EXPECT_EQ(h.c.OutputLines.Lines(), (front_test::Lines{"\tCODE", ";a source line"}));
}

} // namespace
} // namespace velkor
