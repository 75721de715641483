// Every bundled example built as a new user builds it (velkor-cli new, then
// build) and run on kavrin-cli until it halts; the terminal output must match
// exactly, for both processors' library variants.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace {

namespace fs = std::filesystem;
using kit_test::RunProgram;
using kit_test::TestDir;

struct Example {
  const char* directory; // under examples/
  const char* file;      // without .Pas
  const char* output;
};

const Example kExamples[] = {
    {"hello", "Hello", "Hello, World!\r\n"},
    {"sieve", "Sieve", "Primes below 1000: 168\r\n983 991 997 \r\n"},
    {"strings", "Strings",
     "Hello, World!\r\nWorld\r\n8\r\nHello, big World!\r\nbig World!\r\nbig World! and a "
     "str\r\n20\r\n"
     "Hello < World\r\nequal\r\n-24690\r\n-12345 FFFFCFC7\r\nQ\r\n"},
    {"longs", "Longs",
     "1 2 6 24 120 720 5040 40320 362880 3628800 39916800 479001600 \r\n2147483647 -2147483648\r\n"
     "76923077 6\r\n-142857 -1\r\nFFF0BDC0\r\n1000000\r\n"},
    {"heap", "Heap", "5=five 10=ten 20=twenty 30=thirty \r\nreleased\r\n"},
    {"recursion", "Recursion",
     "1 1 2 6 24 120 720 5040 40320 362880 3628800 \r\n21 1162261467\r\n"},
    {"overlays", "Overlays", "first part\r\nsecond part\r\nfirst part\r\n3\r\n"},
};

class BundledExample : public ::testing::TestWithParam<std::tuple<Example, const char*>> {};

// Builds the example with `new` and the extra options, runs the image and
// checks the text; the run must end by itself.
void BuildAndRun(const Example& example, std::vector<std::string> newOptions,
                 const char* imageExtension) {
  TestDir dir;
  const std::string source = std::string(example.file) + ".Pas";
  fs::copy_file(fs::path(KIT_SOURCE_DIR) / "examples" / example.directory / source,
                dir.Path() + source);
  const std::string project = std::string(example.file) + ".Prj";

  newOptions.insert(newOptions.begin(), {"new", project, source});
  const auto created = RunProgram(dir.Path(), "velkor-cli", newOptions);
  ASSERT_EQ(created.status, 0) << created.err;
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", project});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const auto ran =
      RunProgram(dir.Path(), "kavrin-cli",
                 {"run", std::string(example.file) + imageExtension, "--max-steps", "50000000"});
  EXPECT_EQ(ran.status, 0) << "it must end: " << ran.err;
  EXPECT_EQ(ran.out, example.output);
}

TEST_P(BundledExample, BuildsRunsPrintsItsOutputAndHalts) {
  const auto& [example, cpu] = GetParam();
  BuildAndRun(example, {"--cpu", cpu}, ".ROM");
}

// The same program as a CP/M .COM, whose terminal unit calls the BDOS,
// prints the same text in kavrin-cli's CP/M mode and returns to CP/M.
TEST_P(BundledExample, BuildsForCpmAndPrintsTheSameUnderCpm) {
  const auto& [example, cpu] = GetParam();
  BuildAndRun(example, {"--cpu", cpu, "--target", "CP/M"}, ".COM");
}

INSTANTIATE_TEST_SUITE_P(Examples, BundledExample,
                         ::testing::Combine(::testing::ValuesIn(kExamples),
                                            ::testing::Values("Z80", "Z180")),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).file) +
                                  std::get<1>(info.param);
                         });

TEST(BundledExamples, AssemblerExampleBuildsFromItsOwnProject) {
  TestDir dir;
  for (const char* file : {"Hello.Prj", "Hello.Mac"})
    fs::copy_file(fs::path(KIT_SOURCE_DIR) / "examples/hello_asm" / file, dir.Path() + file);
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "Hello.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const auto ran =
      RunProgram(dir.Path(), "kavrin-cli", {"run", "Hello.ROM", "--max-steps", "10000"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out, "Hello from Kavrin!\r\n");
}

// The README's first-program commands, run as written in an empty directory,
// print the greeting: the path a new user takes first must work.
TEST(BundledExamples, ReadmeFirstProgramCommandsWorkAsWritten) {
  std::ifstream readme(fs::path(KIT_SOURCE_DIR) / "README.md");
  std::string line;
  while (std::getline(readme, line) && line != "### Your first Pascal program") {
  }
  while (std::getline(readme, line) && line != "```") {
  }
  std::vector<std::vector<std::string>> commands;
  while (std::getline(readme, line) && line != "```") {
    std::istringstream words(line.substr(0, line.find('#')));
    std::vector<std::string> command;
    for (std::string word; words >> word;)
      command.push_back(word);
    if (!command.empty()) commands.push_back(command);
  }
  ASSERT_EQ(commands.size(), 3u) << "the README's block was not found";
  TestDir dir;
  kit_test::ProgramRun last;
  for (const auto& command : commands) {
    ASSERT_TRUE(command[0] == "velkor-cli" || command[0] == "kavrin-cli") << command[0];
    last = RunProgram(dir.Path(), command[0], {command.begin() + 1, command.end()});
    ASSERT_EQ(last.status, 0) << command[0] << " " << command[1] << "\n" << last.out << last.err;
  }
  EXPECT_EQ(last.out, "Hello, World!\r\n");
}

// Two overlay areas stored from load position 10000H on, for the 128K
// target; a part of the second area calls both parts of the first, each
// time into the other area's buffer.
constexpr const char* kHighOverlays = R"(PROGRAM High;
{#I Terminal.pas}

{#O $10000}
{#O+}
PROCEDURE Red;
BEGIN
  PutStr('red');
  PutLn;
END;

PROCEDURE Green;
BEGIN
  PutStr('green, a longer part');
  PutLn;
END;
{#O-}

{#O+}
PROCEDURE Both;
BEGIN
  PutStr('both:');
  PutLn;
  Red;
  Green;
  Red;
END;

PROCEDURE Blue;
BEGIN
  PutStr('blue');
  PutLn;
END;
{#O-}

BEGIN
  INITOVERLAY;
  Blue;
  Both;
  Green;
  Blue;
END.
)";

TEST(OverlaysAbove64K, RunOnTheZ180AndFailTheZ80Link) {
  for (const char* cpu : {"Z180", "Z80"}) {
    SCOPED_TRACE(cpu);
    TestDir dir;
    std::ofstream(dir.Path() + "High.Pas") << kHighOverlays;
    const auto created =
        RunProgram(dir.Path(), "velkor-cli",
                   {"new", "High.Prj", "--cpu", cpu, "--target", "128K", "High.Pas"});
    ASSERT_EQ(created.status, 0) << created.err;
    const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "High.Prj"});
    if (std::string(cpu) == "Z80") {
      EXPECT_NE(built.status, 0);
      EXPECT_NE(built.out.find("A Z80 cannot load overlay parts stored at or above 10000H"),
                std::string::npos)
          << built.out << built.err;
      EXPECT_FALSE(fs::exists(dir.Path() + "High.ROM"));
      continue;
    }
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    const auto ran =
        RunProgram(dir.Path(), "kavrin-cli", {"run", "High.ROM", "--max-steps", "1000000"});
    EXPECT_EQ(ran.status, 0) << "it must halt: " << ran.err;
    EXPECT_EQ(ran.out, "blue\r\nboth:\r\nred\r\ngreen, a longer part\r\nred\r\n"
                       "green, a longer part\r\nblue\r\n");
  }
}

// The terminal unit's input routines, with keys from stdin: the board's unit
// and the CP/M unit read the same keys into the same text.
constexpr const char* kKeys = R"(PROGRAM Keys;
{#I Terminal.pas}
VAR
  Line: TermLine;
  Key: CHAR;
BEGIN
  Key := GetChar;
  PutChar(Key);
  PutLn;
  IF KeyPressed THEN PutStr('waiting') ELSE PutStr('none');
  PutLn;
  PutStr('Name? ');
  GetLine(Line);
  PutStr('Hello, ' + Line + '!');
  PutLn;
END.
)";

TEST(TerminalUnits, BoardAndCpmUnitsReadKeysAlike) {
  for (const auto& [target, image] : {std::pair{"None", "Keys.ROM"}, {"CP/M", "Keys.COM"}}) {
    SCOPED_TRACE(target);
    TestDir dir;
    std::ofstream(dir.Path() + "Keys.Pas") << kKeys;
    std::ofstream(dir.Path() + "keys.txt") << "xAnn\n";
    const auto created =
        RunProgram(dir.Path(), "velkor-cli", {"new", "Keys.Prj", "--target", target, "Keys.Pas"});
    ASSERT_EQ(created.status, 0) << created.err;
    const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "Keys.Prj"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    const std::string output = dir.Path() + "out.txt";
    const std::string command = "cd " + kit_test::ShellQuoted(dir.Path()) + " && " +
                                kit_test::ShellQuoted(std::string(KIT_BIN_DIR) + "/kavrin-cli") +
                                " run " + image + " --max-steps 10000000 <keys.txt >out.txt";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(TestDir::Read(output), "x\r\nwaiting\r\nName? Ann\r\nHello, Ann!\r\n");
  }
}

// A new example directory cannot slip in without its expected output above.
TEST(BundledExamples, EveryPascalExampleIsChecked) {
  std::set<std::string> listed;
  for (const Example& e : kExamples)
    listed.insert(std::string(e.directory) + "/" + e.file + ".Pas");
  std::set<std::string> found;
  for (const auto& entry :
       fs::recursive_directory_iterator(fs::path(KIT_SOURCE_DIR) / "examples")) {
    if (entry.path().extension() != ".Pas") continue;
    found.insert(entry.path().parent_path().filename().string() + "/" +
                 entry.path().filename().string());
  }
  EXPECT_EQ(found, listed);
}

} // namespace
