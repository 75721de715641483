// velkor-cli new: the run-time library and a start-up module first in a
// Pascal project whose main file has no LINK clause, so the program builds
// and runs on kavrin-cli as it is; a CP/M program's data right after its code.
#include <gtest/gtest.h>

#include <regex>

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

std::vector<std::string> FilesOf(const TestDir& dir, const std::string& prj) {
  Project p;
  std::string error;
  EXPECT_TRUE(ReadProjectFile(dir.Path() + prj, p, error)) << error;
  return p.Files();
}

std::string Startup(const TestDir& dir) {
  return TestDir::Read(dir.Path() + kStartupFileName);
}

TEST(New, ProgramWithoutLinkGetsTheStartupFirstAndRuns) {
  TestDir dir;
  dir.Write("Hello.Pas", kHello);
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Hello.Pas"}));
  std::vector<std::string> expected = {kStartupFileName, "Hello.Pas"};
  for (std::string_view object : RunTimeLibraryObjects(kCpuZ80))
    expected.emplace_back(object);
  EXPECT_EQ(FilesOf(dir, "P.Prj"), expected);
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
  EXPECT_EQ(Kavrin(dir, {"run", "P.ROM"}).out, "!");
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
  for (const char* bad : {"10000", "XYZ", ""})
    EXPECT_EQ(Velkor(dir, {"new", "Q.Prj", "--ram", bad, "Hello.Pas"}).status, 2) << bad;
}

// The run-time library follows Pascal projects only, for the project's CPU;
// a program with its own LINK clause or --no-rtl gets no start-up.
TEST(New, RunTimeLibraryAndStartupOnlyWhereNeeded) {
  TestDir dir;
  dir.Write("A.Mac", "");
  dir.Write("B.Pas", "{ comment first }\r\nLINK CODEADD = $0000 DATAADD = $8000\r\nPROGRAM "
                     "B;\r\nBEGIN\r\nEND.\r\n");
  dir.Write("Hello.Pas", kHello);
  const auto withRtl = [](std::vector<std::string> files, int cpu) {
    for (std::string_view object : RunTimeLibraryObjects(cpu))
      files.emplace_back(object);
    return files;
  };
  const std::pair<Args, std::vector<std::string>> cases[] = {
      {{"A.Mac", "B.Pas"}, withRtl({"A.Mac", "B.Pas"}, kCpuZ80)},
      {{"--cpu", "Z180", "B.Pas"}, withRtl({"B.Pas"}, kCpuZ180)},
      {{"--no-rtl", "A.Mac", "B.Pas"}, {"A.Mac", "B.Pas"}},
      {{"--no-rtl", "Hello.Pas"}, {"Hello.Pas"}},
      {{"A.Mac"}, {"A.Mac"}},
  };
  for (const auto& [files, expected] : cases) {
    Args args = {"new", "P.Prj", "--force"};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_TRUE(Ok(dir, args));
    EXPECT_EQ(FilesOf(dir, "P.Prj"), expected);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + kStartupFileName));
}

// A missing main file becomes a greeting. Another program's start-up is the
// user's file then: new refuses to replace it. --main chooses the program.
TEST(New, GreetingAndAnotherProgramsStartup) {
  TestDir dir;
  ASSERT_TRUE(Ok(dir, {"new", "Hi.Prj", "Hi.Pas"}));
  ASSERT_TRUE(Ok(dir, {"build", "Hi.Prj"}));
  EXPECT_EQ(Kavrin(dir, {"run", "Hi.ROM"}).out, "Hello, World!\r\n");
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

// The first area's start or end under a heading of the map file.
std::uint32_t FirstArea(const std::string& map, const std::string& heading, int part) {
  std::smatch m;
  if (!std::regex_search(map, m, std::regex(heading + R"(\n ([0-9A-F]+)H ([0-9A-F]+)H)"))) return 0;
  return static_cast<std::uint32_t>(std::stoul(m[part], nullptr, 16));
}

TEST(New, CpmDataFollowsTheCodeAndTheProgramStillRuns) {
  TestDir dir;
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--target", "CP/M", "Hello.Pas"}));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj", "--map"}));
  const auto comEnd = 0x100 + std::filesystem::file_size(dir.Path() + "P.COM");
  const std::string map = TestDir::Read(dir.Path() + "P.MAP");
  EXPECT_EQ(FirstArea(map, "Code areas \\(start, end\\):", 2), comEnd) << map;
  EXPECT_EQ(FirstArea(map, "Data areas \\(start, end\\):", 1), comEnd) << map;
  const auto ran = Kavrin(dir, {"run", "P.COM"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out, "Hello, World!\r\n");
}

// The data address waits for code placed after the module that asks for it.
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
