#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

namespace velkor {
namespace {

using namespace testing_support;

TEST(StatementSmoke, WholeProgram) {
  const CompiledProgram p = Compile("PROGRAM T;\n"
                                    "VAR A, B: BYTE; W: WORD;\n"
                                    "BEGIN\n"
                                    "  A := B;\n"
                                    "  W := W + 1;\n"
                                    "  IF A = B THEN W := 0;\n"
                                    "END.\n");
  ASSERT_TRUE(p.ok) << Joined(p.messages);
  std::cout << Joined(p.lines);
  EXPECT_EQ(AssemblyError(p.lines), "");
}

} // namespace
} // namespace velkor
