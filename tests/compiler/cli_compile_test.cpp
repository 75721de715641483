// velkor-cli compile, run as a program.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char ch : s)
    q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return q + "'";
}

CliRun Cli(const fs::path& dir, const std::vector<std::string>& args) {
  std::string command =
      "cd " + Quote(dir.string()) + " && " + Quote(std::string(KIT_BIN_DIR) + "/velkor-cli");
  for (const auto& a : args)
    command += " " + Quote(a);
  const fs::path out = dir / "cli.out", err = dir / "cli.err";
  command += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
  const int raw = std::system(command.c_str());
  return CliRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadBytes(out), ReadBytes(err)};
}

const char* kProgram = "PROGRAM Demo;\nVAR B, C: BYTE; W: WORD;\nBEGIN\n  W := B * C;\nEND.\n";

// Compiles with the summary and assembles; takes the CPU from a project;
// a missing source exits with 1, wrong use with 2 (the IDE's command-line
// tests run a failing compile).
TEST(CliCompile, CompilesWithTheProjectSettingsAndReportsErrors) {
  const Scratch scratch;
  const fs::path& dir = scratch.dir;
  WriteSource(dir / "Demo.Pas", kProgram);
  CliRun r = Cli(dir, {"compile", "Demo.Pas"});
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
