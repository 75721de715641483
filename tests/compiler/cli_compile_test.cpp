// velkor-cli compile, run as a program.

#include <sys/wait.h>

#include <gtest/gtest.h>

#include "front_support.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

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
  return CliRun{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, front_test::ReadBytes(out),
                front_test::ReadBytes(err)};
}

const char* kProgram = "PROGRAM Demo;\nVAR B, C: BYTE; W: WORD;\nBEGIN\n  W := B * C;\nEND.\n";

TEST(CliCompile, CompilesPrintsTheSummaryAndAssembles) {
  const fs::path dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / "Demo.Pas", kProgram);
  const CliRun r = Cli(dir, {"compile", "Demo.Pas"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("\n        Compile: "), std::string::npos) << r.out; // the tab expanded
  EXPECT_NE(r.out.find("Data size:      4 bytes\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Procedures:     1\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Arrays/Strings: 0\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Completed. No fatal errors..."), std::string::npos) << r.out;
  EXPECT_TRUE(fs::exists(dir / "Demo.Mac"));
  EXPECT_TRUE(fs::exists(dir / "Demo.RRO"));
  EXPECT_EQ(front_test::ReadBytes(dir / "Demo.Mac").find("mlt"), std::string::npos);
  fs::remove_all(dir);
}

TEST(CliCompile, TakesTheProjectSettings) {
  const fs::path dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / "Demo.Pas", kProgram);
  ASSERT_EQ(Cli(dir, {"new", "P.Prj", "--cpu", "Z180", "Demo.Pas"}).status, 0);
  const CliRun r = Cli(dir, {"compile", "Demo.Pas", "--project", "P.Prj"});
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(front_test::ReadBytes(dir / "Demo.Mac").find("\tmlt hl\r\n"), std::string::npos);
  fs::remove_all(dir);
}

TEST(CliCompile, ErrorsExitWithOne) {
  const fs::path dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / "Bad.Pas", "PROGRAM Bad;\nBEGIN\n  X := 1\nEND.\n");
  const CliRun bad = Cli(dir, {"compile", "Bad.Pas"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.out.find("  X := 1\n"), std::string::npos) << bad.out;
  EXPECT_NE(bad.out.find("Undefined identifier\n"), std::string::npos) << bad.out;
  EXPECT_FALSE(fs::exists(dir / "Bad.Mac"));
  const CliRun missing = Cli(dir, {"compile", "Nope.Pas"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("Cannot find file : "), std::string::npos) << missing.out;
  EXPECT_EQ(Cli(dir, {"compile"}).status, 2);
  EXPECT_EQ(Cli(dir, {"compile", "A.Mac"}).status, 2);
  EXPECT_EQ(Cli(dir, {"compile", "Bad.Pas", "--project", "Nope.Prj"}).status, 1);
  fs::remove_all(dir);
}

} // namespace
} // namespace velkor
