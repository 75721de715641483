// velkor-cli new puts a start-up first in a Pascal project whose main file
// has no LINK clause, so the program builds and runs on kavrin-cli as it is.
#include <gtest/gtest.h>

#include "ide/core/project_file.h"
#include "ide/core/run_time_library.h"
#include "ide/core/startup_module.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::RunProgram;
using kit_test::TestDir;

// The heading's comment names LINK, which must not count as the clause.
const char* kHello = "{ no LINK here } (* nor LINK here *)\r\n"
                     "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72); OUT($80, 105);\r\nEND.\r\n";

std::vector<std::string> FilesOf(const TestDir& dir, const std::string& prj) {
  Project p;
  std::string error;
  EXPECT_TRUE(ReadProjectFile(dir.Path() + prj, p, error)) << error;
  return p.Files();
}

TEST(NewStartup, ProgramWithoutLinkGetsTheStartupFirstAndRuns) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  const auto created = RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "Hello.Pas"});
  ASSERT_EQ(created.status, 0) << created.err;
  const std::vector<std::string> files = FilesOf(dir, "P.Prj");
  ASSERT_GE(files.size(), 2u);
  EXPECT_EQ(files[0], kStartupFileName);
  EXPECT_EQ(files[1], "Hello.Pas");
  const std::string startup = TestDir::Read(dir.Path() + kStartupFileName);
  EXPECT_NE(startup.find("@HELLO"), std::string::npos) << startup;
  EXPECT_NE(startup.find("LINK 0000H,08000H"), std::string::npos) << startup;

  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const auto ran = RunProgram(dir.Path(), "kavrin-cli", {"run", "P.ROM", "--max-steps", "100000"});
  EXPECT_EQ(ran.status, 0) << ran.err; // it halts
  EXPECT_EQ(ran.out, "Hi");
}

TEST(NewStartup, RamOptionPlacesTheData) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  ASSERT_EQ(
      RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "--ram", "9000", "Hello.Pas"}).status,
      0);
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("LINK 0000H,09000H"),
            std::string::npos);
  for (const char* bad : {"10000", "XYZ", ""}) {
    EXPECT_EQ(
        RunProgram(dir.Path(), "velkor-cli", {"new", "Q.Prj", "--ram", bad, "Hello.Pas"}).status, 2)
        << bad;
  }
}

TEST(NewStartup, OwnLinkClauseOrNoRtlGetsNone) {
  TestDir dir;
  dir.Write("Own.Pas", "{ comment first }\r\nLINK CODEADD = $0000 DATAADD = $8000\r\nPROGRAM "
                       "Own;\r\nBEGIN\r\nEND.\r\n");
  dir.Write("Hello.Pas", kHello);
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "Own.Pas"}).status, 0);
  std::vector<std::string> expected = {"Own.Pas"};
  for (std::string_view object : RunTimeLibraryObjects(kCpuZ80))
    expected.emplace_back(object);
  EXPECT_EQ(FilesOf(dir, "P.Prj"), expected);
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "Q.Prj", "--no-rtl", "Hello.Pas"}).status,
            0);
  EXPECT_EQ(FilesOf(dir, "Q.Prj"), std::vector<std::string>{"Hello.Pas"});
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + kStartupFileName));
}

TEST(NewStartup, MainOptionChoosesTheProgramAndAUsersFileIsKept) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  dir.Write("Other.Pas", "PROGRAM Other;\r\nBEGIN\r\nEND.\r\n");
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli",
                       {"new", "P.Prj", "--main", "Other.Pas", "Hello.Pas", "Other.Pas"})
                .status,
            0);
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("@OTHER"), std::string::npos);

  // Another program's start-up is the user's file now: new refuses to replace it.
  const auto refused = RunProgram(dir.Path(), "velkor-cli", {"new", "Q.Prj", "Hello.Pas"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find("already exists"), std::string::npos) << refused.err;
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("@OTHER"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Q.Prj"));
}

TEST(NewStartup, TerminalUnitComesBesideTheProjectUnlessTheUserHasOne) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "Hello.Pas"}).status, 0);
  EXPECT_EQ(TestDir::Read(dir.Path() + kTerminalUnitFileName),
            TestDir::Read(std::string(KIT_BIN_DIR) + "/Default/" + kTerminalUnitFileName));

  const std::string own = dir.Path() + "own/";
  dir.Write("own/Hello.Pas", kHello);
  dir.Write("own/TERMINAL.PAS", "{ mine }");
  ASSERT_EQ(RunProgram(own, "velkor-cli", {"new", "P.Prj", "Hello.Pas"}).status, 0);
  EXPECT_EQ(TestDir::Read(own + "TERMINAL.PAS"), "{ mine }");
  EXPECT_FALSE(std::filesystem::exists(own + kTerminalUnitFileName));
}

// A missing main file becomes a greeting; an unreadable heading or an existing
// project stops new before it writes anything.
TEST(NewStartup, MissingMainFileUnreadableHeadingAndExistingProject) {
  TestDir dir;
  const auto greeted = RunProgram(dir.Path(), "velkor-cli", {"new", "Hi.Prj", "Hi.Pas"});
  ASSERT_EQ(greeted.status, 0) << greeted.err;
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"build", "Hi.Prj"}).status, 0);
  EXPECT_EQ(RunProgram(dir.Path(), "kavrin-cli", {"run", "Hi.ROM"}).out, "Hello, World!\r\n");

  struct Refused {
    const char* mainText; // nullptr: the file does not exist
    std::vector<std::string> args;
    const char* message;
  };
  const Refused refused[] = {
      {"", {"new", "E.Prj", "E.Pas"}, "no program heading"},
      {"BEGIN END.", {"new", "E.Prj", "E.Pas"}, "no program heading"},
      {nullptr, {"new", "E.Prj", "9Lives.Pas"}, "no Pascal program name"},
      {nullptr, {"new", "E.Prj", "Gone.Mac"}, "cannot find Gone.Mac"},
      {nullptr, {"new", "Hi.Prj", "Hi.Pas"}, "already exists; give --force"},
  };
  for (const Refused& r : refused) {
    SCOPED_TRACE(r.args[2]);
    if (r.mainText) dir.Write(r.args[2], r.mainText);
    const std::string before = TestDir::Read(dir.Path() + "Hi.Prj");
    const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
    const auto run = RunProgram(dir.Path(), "velkor-cli", r.args);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(r.message), std::string::npos) << run.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), files);
    EXPECT_EQ(TestDir::Read(dir.Path() + "Hi.Prj"), before);
    if (r.mainText) std::filesystem::remove(dir.Path() + r.args[2]);
  }
}

// Renaming the program and running new --force again relinks: the start-up
// is rewritten for the new name.
TEST(NewStartup, ForceRewritesTheStartupForARenamedProgram) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "Hello.Pas"}).status, 0);
  dir.Write("Hello.Pas", "PROGRAM Renamed;\r\nBEGIN\r\n  OUT($80, 33);\r\nEND.\r\n");
  const auto forced =
      RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "--force", "Hello.Pas"});
  ASSERT_EQ(forced.status, 0) << forced.err;
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("@RENAMED"), std::string::npos);
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj"});
  ASSERT_EQ(built.status, 0) << built.out;
  EXPECT_EQ(RunProgram(dir.Path(), "kavrin-cli", {"run", "P.ROM"}).out, "!");
}

} // namespace
} // namespace velkor
