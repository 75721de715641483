// velkor-cli new: the run-time library and a start-up module first in a
// Pascal project whose main file has no LINK clause, so the program builds
// and runs on kavrin-cli as it is (the bundled examples run as .COM too).
#include <gtest/gtest.h>

#include "ide/core/project_file.h"
#include "ide/core/run_time_library.h"
#include "ide/core/startup_module.h"
#include "tests/ide/cli_support.h"

namespace velkor {
namespace {

using namespace velkor_test;

// The heading's comment names LINK, which must not count as the clause.
const char* kHello = "{ no LINK here } (* nor LINK here *)\r\n"
                     "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72); OUT($80, 105);\r\nEND.\r\n";

std::string Startup(const TestDir& dir) {
  return TestDir::Read(dir.Path() + kStartupFileName);
}

TEST(New, ProgramWithoutLinkGetsTheStartupFirstAndRuns) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Hello.Pas"}));
  EXPECT_TRUE(
      Contains(TestDir::Read(dir.Path() + "P.Prj"), "Source1=Startup.Mac\nSource2=Hello.Pas\n"));
  EXPECT_TRUE(Contains(Startup(dir), "@HELLO")) << Startup(dir);
  // The terminal unit comes beside the project.
  EXPECT_EQ(TestDir::Read(dir.Path() + kTerminalUnitFileName),
            TestDir::Read(std::string(KIT_BIN_DIR) + "/Default/" + kTerminalUnitFileName));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj"}));
  const auto ran = Kavrin(dir, {"run", "P.ROM", "--max-steps", "100000"});
  EXPECT_EQ(ran.status, 0) << ran.err; // it halts
  EXPECT_EQ(ran.out, "Hi");

  // Renamed, new --force rewrites the start-up for the new name; a user's
  // own terminal unit, in any case, is kept.
  dir.Write("Hello.Pas", "PROGRAM Renamed;\r\nBEGIN\r\n  OUT($80, 33);\r\nEND.\r\n");
  std::filesystem::remove(dir.Path() + kTerminalUnitFileName);
  dir.Write("TERMINAL.PAS", "{ mine }");
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--force", "Hello.Pas"}));
  EXPECT_TRUE(Contains(Startup(dir), "@RENAMED"));
  EXPECT_EQ(TestDir::Read(dir.Path() + "TERMINAL.PAS"), "{ mine }");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + kTerminalUnitFileName));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj"}));
  EXPECT_EQ(Kavrin(dir, {"run", "P.ROM", "--max-steps", "100000"}).out, "!");
}

// The start-up's LINK line: data at --ram (default 8000H); for CP/M right
// after the code unless --ram says otherwise.
TEST(New, StartupPlacesTheData) {
  const std::pair<Args, const char*> cases[] = {
      {{}, "\tLINK 0000H,08000H"},
      {{"--ram", "9000"}, "\tLINK 0000H,09000H"},
      {{"--target", "CP/M"}, "\tLINK 0100H,CODEEND"},
      {{"--target", "CP/M", "--ram", "9000"}, "\tLINK 0100H,09000H"},
  };
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  for (const auto& [options, link] : cases) {
    Args args = {"new", "P.Prj", "--force", "Hello.Pas"};
    args.insert(args.begin() + 2, options.begin(), options.end());
    ASSERT_TRUE(Ok(dir, args)) << link;
    EXPECT_TRUE(Contains(Startup(dir), link)) << Startup(dir);
  }
  EXPECT_EQ(Velkor(dir, {"new", "Q.Prj", "--ram", "10000", "Hello.Pas"}).status, 2);
}

// The run-time library follows Pascal projects only, for the project's CPU;
// a program with its own LINK clause or --no-rtl gets no start-up. A file
// named twice is listed once; the project keeps the case of its name.
TEST(New, ProjectFilesAndSettings) {
  TestDir dir;
  dir.Write("A.Mac", "");
  dir.Write("B.Pas", "{ comment first }\r\nLINK CODEADD = $0000 DATAADD = $8000\r\nPROGRAM "
                     "B;\r\nBEGIN\r\nEND.\r\n");
  dir.Write("Hello.Pas", kHello);
  const std::string outside = dir.Write("other/Ext.RRO", "");
  const auto withRtl = [](std::vector<std::string> files, int cpu) {
    for (std::string_view object : RunTimeLibraryObjects(cpu))
      files.emplace_back(object);
    return files;
  };
  const std::tuple<Args, std::vector<std::string>, bool> cases[] = {
      {{"A.Mac", "B.Pas"}, withRtl({"A.Mac", "B.Pas"}, kCpuZ80), true},
      {{"--cpu", "Z180", "B.Pas"}, withRtl({"B.Pas"}, kCpuZ180), true},
      {{"--no-rtl", "A.Mac", "B.Pas"}, {"A.Mac", "B.Pas"}, true},
      {{"--no-rtl", "Hello.Pas"}, {"Hello.Pas"}, true},
      {{"--no-sym", "A.Mac"}, {"A.Mac"}, false},
      {{"--target", "32k", "--cpu", "Z180", "--main", "B.Pas", "A.Mac", "B.Pas", outside, "A.Mac"},
       withRtl({"A.Mac", "B.Pas", outside}, kCpuZ180),
       true},
  };
  for (const auto& [files, expected, symbols] : cases) {
    Args args = {"new", "demo.prj", "--force"};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_TRUE(Ok(dir, args));
    Project p;
    std::string error;
    ASSERT_TRUE(ReadProjectFile(dir.Path() + "demo.prj", p, error)) << error;
    EXPECT_EQ(p.Files(), expected);
    EXPECT_EQ(p.settings.WriteSym, symbols);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + kStartupFileName));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "demo.Prj"));
  const kit_test::ProgramRun shown = Velkor(dir, {"show", "demo.prj"});
  EXPECT_TRUE(shown.out.starts_with(
      "demo\n" + dir.Path() + "\n32K target device\nZ180 CPU\nA.Mac\nB.Pas\n" + outside + "\n"))
      << shown.out;
  EXPECT_TRUE(
      Contains(TestDir::Read(dir.Path() + "demo.prj"), "MainFileName=" + dir.Path() + "B.Pas"));
}

// A missing main file becomes a greeting. Another program's start-up is the
// user's file then: new refuses to replace it. --main chooses the program.
TEST(New, GreetingAndAnotherProgramsStartup) {
  TestDir dir;
  ASSERT_TRUE(Ok(dir, {"new", "Hi.Prj", "Hi.Pas"}));
  ASSERT_TRUE(Ok(dir, {"build", "Hi.Prj"}));
  EXPECT_EQ(Kavrin(dir, {"run", "Hi.ROM", "--max-steps", "100000"}).out, "Hello, World!\r\n");
  dir.Write("Hello.Pas", kHello);
  const auto refused = Velkor(dir, {"new", "Q.Prj", "Hello.Pas"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "already exists")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Q.Prj"));
  EXPECT_TRUE(Contains(Startup(dir), "@Hi"));
  std::filesystem::remove(dir.Path() + kStartupFileName);
  dir.Write("Other.Pas", "PROGRAM Other;\r\nBEGIN\r\nEND.\r\n");
  ASSERT_TRUE(Ok(dir, {"new", "O.Prj", "--main", "Other.Pas", "Hello.Pas", "Other.Pas"}));
  EXPECT_TRUE(Contains(Startup(dir), "@OTHER"));
}

// A CP/M program's data follows its code (LINK ...,CODEEND): the address
// waits for code placed after the module that asks for it.
TEST(New, CodeEndCountsEveryModule) {
  TestDir dir;
  dir.Write("A.Mac", " LINK 0100H,CODEEND\r\n GLOBAL COUNT\r\n LD HL,COUNT\r\n DATA\r\n"
                     "COUNT: DS 2\r\n END\r\n");
  dir.Write("B.Mac", " DS 300\r\n NOP\r\n END\r\n");
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--target", "CP/M", "--no-rtl", "A.Mac", "B.Mac"}));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj"}));
  // 3 bytes of A, 300 reserved and a NOP in B: the code ends at 0100H + 304.
  const std::string com = TestDir::Read(dir.Path() + "P.COM");
  ASSERT_EQ(com.size(), 304u);
  EXPECT_EQ(com.substr(0, 3), std::string("\x21\x30\x02", 3));
  EXPECT_TRUE(Contains(TestDir::Read(dir.Path() + "P.SYM"), "0230 COUNT"));
}

} // namespace
} // namespace velkor
