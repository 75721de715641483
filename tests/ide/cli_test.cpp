// velkor-cli run as a program: exit statuses, output streams, new and show.
#include <gtest/gtest.h>

#include "ide/core/project_file.h"
#include "ide/core/run_time_library.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;

using CliRun = kit_test::ProgramRun;

CliRun Cli(const TestDir& dir, const std::vector<std::string>& args) {
  return kit_test::RunProgram(dir.Path(), "velkor-cli", args);
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

struct ErrorCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* errContains;
};

class CliErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliErrors, OneClearLineOnStderr) {
  TestDir dir;
  dir.Write("A.Mac", "\tnop\r\n");
  dir.Write("Bad.Prj", "\x01\x02 not an ini file");
  CliRun r = Cli(dir, GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.err;
  EXPECT_EQ(LineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find(GetParam().errContains), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty()) << r.out;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "P.Prj")) << "nothing written on an error";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliErrors,
    ::testing::Values(
        ErrorCase{"NoCommand", {}, 2, "no command"},
        ErrorCase{"UnknownCommand", {"frobnicate"}, 2, "unknown command frobnicate"},
        ErrorCase{"UnknownOption", {"new", "P.Prj", "--fast", "A.Mac"}, 2, "unknown option --fast"},
        ErrorCase{"OptionWithoutValue",
                  {"new", "P.Prj", "A.Mac", "--target"},
                  2,
                  "--target needs a value"},
        ErrorCase{
            "BadTarget", {"new", "P.Prj", "--target", "512K", "A.Mac"}, 2, "unknown target 512K"},
        ErrorCase{"BadCpu", {"new", "P.Prj", "--cpu", "6502", "A.Mac"}, 2, "unknown CPU 6502"},
        ErrorCase{"MainNotPascal",
                  {"new", "P.Prj", "--main", "A.Mac", "A.Mac"},
                  2,
                  "must be of type \".PAS\""},
        ErrorCase{"NotAPrjName", {"new", "P.txt", "A.Mac"}, 2, "must end in .Prj"},
        ErrorCase{"NoFiles", {"new", "P.Prj"}, 2, "no source files"},
        ErrorCase{"MissingFile", {"new", "P.Prj", "A.Mac", "Gone.Mac"}, 1, "cannot find Gone.Mac"},
        ErrorCase{"ShowMissing", {"show", "None.Prj"}, 1, "None.Prj"},
        ErrorCase{"ShowForeign", {"show", "Bad.Prj"}, 1, "is not a project file"},
        ErrorCase{"ShowTwoFiles", {"show", "a.Prj", "b.Prj"}, 2, "expected one project file"},
        ErrorCase{"ShowUnknownOption", {"show", "--all", "Bad.Prj"}, 2, "unknown option --all"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cli, HelpListsTheCommandsOnStdout) {
  TestDir dir;
  CliRun r = Cli(dir, {"--help"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("  new PROJECT.Prj"), std::string::npos);
  EXPECT_NE(r.out.find("  show PROJECT.Prj"), std::string::npos);
  EXPECT_TRUE(r.err.empty());
  CliRun one = Cli(dir, {"show", "--help"});
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.out.rfind("usage: velkor-cli show PROJECT.Prj\n", 0), 0u) << one.out;
}

TEST(Cli, NewThenShowListsTheItems) {
  TestDir dir;
  dir.Write("Main.Pas", "program x; begin end.\r\n");
  dir.Write("io.mac", "\tnop\r\n");
  std::string outside = dir.Write("other/Ext.RRO", "");
  CliRun made = Cli(dir, {"new", "Demo.Prj", "--target", "32k", "--cpu", "Z180", "--main",
                          "Main.Pas", "--no-rtl", "io.mac", "Main.Pas", outside, "io.mac"});
  ASSERT_EQ(made.status, 0) << made.err;
  EXPECT_TRUE(made.err.empty());
  CliRun shown = Cli(dir, {"show", "Demo.Prj"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_EQ(shown.out, "Demo\n" + dir.Path() + "\n32K target device\nZ180 CPU\nio.mac\nMain.Pas\n" +
                           outside + "\n");
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(dir.Path() + "Demo.Prj", p, error)) << error;
  EXPECT_TRUE(p.settings.WriteSym);
  EXPECT_EQ(p.settings.MainFileName, dir.Path() + "Main.Pas");
}

TEST(Cli, ProjectNameKeepsTheCaseTheUserGave) {
  TestDir dir;
  dir.Write("A.Mac", "");
  ASSERT_EQ(Cli(dir, {"new", "demo.prj", "A.Mac"}).status, 0);
  EXPECT_TRUE(std::filesystem::exists(dir.Path() + "demo.prj"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "demo.Prj"));
  CliRun shown = Cli(dir, {"show", "demo.prj"});
  EXPECT_EQ(shown.status, 0);
  EXPECT_EQ(shown.out.substr(0, 5), "demo\n");
}

TEST(Cli, SymbolFileOnUnlessNoSym) {
  TestDir dir;
  dir.Write("A.Mac", "");
  ASSERT_EQ(Cli(dir, {"new", "S.Prj", "--no-sym", "A.Mac"}).status, 0);
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(dir.Path() + "S.Prj", p, error));
  EXPECT_FALSE(p.settings.WriteSym);
  EXPECT_EQ(p.settings.Target, 0);
  EXPECT_EQ(p.settings.CPU, 0);
}

TEST(Cli, RunTimeLibraryFollowsPascalProjectsOnly) {
  TestDir dir;
  dir.Write("A.Mac", "");
  // Its own LINK clause: no start-up joins the list.
  dir.Write("B.Pas", "LINK CODEADD = $0000 DATAADD = $8000\r\nPROGRAM B;\r\nBEGIN\r\nEND.\r\n");
  std::string error;
  std::vector<std::string> withRtl = {"A.Mac", "B.Pas"};
  for (std::string_view object : RunTimeLibraryObjects(kCpuZ80))
    withRtl.emplace_back(object);
  std::vector<std::string> withZ180Rtl = {"B.Pas"};
  for (std::string_view object : RunTimeLibraryObjects(kCpuZ180))
    withZ180Rtl.emplace_back(object);

  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> files;
  };
  for (const Case& c :
       {Case{{"new", "P.Prj", "A.Mac", "B.Pas"}, withRtl},
        Case{{"new", "P.Prj", "--force", "--cpu", "Z180", "B.Pas"}, withZ180Rtl},
        Case{{"new", "P.Prj", "--force", "--no-rtl", "A.Mac", "B.Pas"}, {"A.Mac", "B.Pas"}},
        Case{{"new", "P.Prj", "--force", "A.Mac"}, {"A.Mac"}}}) {
    ASSERT_EQ(Cli(dir, c.args).status, 0);
    Project p;
    ASSERT_TRUE(ReadProjectFile(dir.Path() + "P.Prj", p, error));
    EXPECT_EQ(p.Files(), c.files);
  }
}

} // namespace
} // namespace velkor
