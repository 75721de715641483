// velkor-cli compile, run as a program.

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"
#include "tests/platform/run_program.h"

namespace velkor {
namespace {

using namespace testing_support;

kit_test::ProgramRun Cli(const fs::path& dir, const std::vector<std::string>& args) {
  return kit_test::RunProgram(dir.string(), "velkor-cli", args);
}

const char* kProgram = "PROGRAM Demo;\nVAR B, C: BYTE; W: WORD;\nBEGIN\n  W := B * C;\nEND.\n";

// Compiles with the summary and assembles; takes the CPU from a project;
// a missing source exits with 1, wrong use with 2 (the IDE's command-line
// tests run a failing compile).
TEST(CliCompile, CompilesWithTheProjectSettingsAndReportsErrors) {
  const Scratch scratch;
  const fs::path& dir = scratch.dir;
  WriteSource(dir / "Demo.Pas", kProgram);
  kit_test::ProgramRun r = Cli(dir, {"compile", "Demo.Pas"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  for (const char* line : {"\n        Compile: ", "Data size:      4 bytes\n",
                           "Procedures:     1\n", "Completed. No fatal errors..."})
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out; // the tab expanded
  EXPECT_TRUE(fs::exists(dir / "Demo.RRO"));
  EXPECT_EQ(ReadBytes(dir / "Demo.Mac").find("mlt"), std::string::npos);
  ASSERT_EQ(Cli(dir, {"new", "P.Prj", "--cpu", "Z180", "Demo.Pas"}).status, 0);
  r = Cli(dir, {"compile", "Demo.Pas", "--project", "P.Prj"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(ReadBytes(dir / "Demo.Mac").find("\tmlt hl\r\n"), std::string::npos);
  EXPECT_EQ(Cli(dir, {"compile", "Nope.Pas"}).status, 1);
  EXPECT_EQ(Cli(dir, {"compile"}).status, 2);
  EXPECT_EQ(Cli(dir, {"compile", "A.Mac"}).status, 2);
}

} // namespace
} // namespace velkor
