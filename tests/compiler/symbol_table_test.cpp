// Types: their sizes and the errors of their declarations.

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

struct TypeCase {
  const char* text;
  std::uint32_t size; // 0: the text is refused with `error`
  int error = 0;
};

void PrintTo(const TypeCase& c, std::ostream* os) {
  *os << c.text;
}

class Types : public ::testing::TestWithParam<TypeCase> {};

TEST_P(Types, HaveTheirSizeOrAreRefused) {
  Harness h(std::string(GetParam().text) + " ;");
  h.Const("K", kTypeByte, 3);
  TypeInfo type;
  const std::string error = h.ErrorOf([&] {
    NextSymbol(h.c);
    type = ParseType(h.c);
    if (h.c.Symbol != SymbolKind::Semicolon) ReportCompileError(h.c, kErrSyntax);
  });
  if (GetParam().size) {
    EXPECT_EQ(error, "");
    EXPECT_EQ(type.size, GetParam().size);
  } else {
    EXPECT_EQ(error, CompilerErrorMessages[GetParam().error]);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Types,
                         ::testing::Values(TypeCase{"ARRAY[0..K] OF LONGINT", 16},
                                           TypeCase{"STRING[255]", 256},
                                           TypeCase{"ARRAY[0..1, 0..2] OF WORD", 12},
                                           TypeCase{"ARRAY['A'..'Z'] OF BYTE", 26},
                                           TypeCase{"RECORD A: BYTE; B: WORD; C: LONGINT END", 7},
                                           TypeCase{"^ARRAY[0..99] OF BYTE", 2}));

INSTANTIATE_TEST_SUITE_P(
    Errors, Types,
    ::testing::Values(TypeCase{"ARRAY[5..4] OF BYTE", 0, kErrIllegalBounds},
                      TypeCase{"ARRAY[-1..4] OF BYTE", 0, kErrIllegalBounds},
                      // Larger than 64 KB would wrap and overlap other variables.
                      TypeCase{"ARRAY[0..40000] OF WORD", 0, kErrIllegalBounds},
                      TypeCase{"RECORD A: ARRAY[0..40000] OF BYTE; B: ARRAY[0..40000] OF BYTE END",
                               0, kErrIllegalBounds},
                      // Element 0 holds the length.
                      TypeCase{"STRING[256]", 0, kErrConstantOutOfRange},
                      TypeCase{"STRING 5", 0, kErrExpectedOpenBracket},
                      TypeCase{"ARRAY[1:2] OF BYTE", 0, kErrExpectedRange},
                      TypeCase{"ARRAY[1..2] BYTE", 0, kErrExpectedOf},
                      TypeCase{"ARRAY[1..2] OF TRUE", 0, kErrExpectedTypeIdentifier},
                      TypeCase{"5", 0, kErrExpectedIdArrayRecord},
                      TypeCase{"RECORD A BYTE END", 0, kErrExpectedColon},
                      TypeCase{"RECORD A: BYTE B: WORD END", 0, kErrExpectedSemicolon},
                      TypeCase{"RECORD A: BYTE; A: WORD END", 0, kErrMultipleDefinition}));

} // namespace
} // namespace velkor
