// Every bundled example built as a new user builds it (velkor-cli new, then
// build) and run on kavrin-cli until it halts; the terminal output must match
// exactly, for both processors' library variants, as a board ROM and as a
// CP/M .COM (whose terminal unit calls the BDOS).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using kit_test::RunProgram;
using kit_test::TestDir;

// examples/NAME/File.Pas -> what it prints.
const std::map<std::string, std::string> kOutputs = {
    {"hello/Hello.Pas", "Hello, World!\r\n"},
    {"sieve/Sieve.Pas", "Primes below 1000: 168\r\n983 991 997 \r\n"},
    {"strings/Strings.Pas",
     "Hello, World!\r\nWorld\r\n8\r\nHello, big World!\r\nbig World!\r\nbig World! and a str\r\n"
     "20\r\nHello < World\r\nequal\r\n-24690\r\n-12345 FFFFCFC7\r\nQ\r\n"},
    {"longs/Longs.Pas",
     "1 2 6 24 120 720 5040 40320 362880 3628800 39916800 479001600 \r\n2147483647 -2147483648\r\n"
     "76923077 6\r\n-142857 -1\r\nFFF0BDC0\r\n1000000\r\n"},
    {"heap/Heap.Pas", "5=five 10=ten 20=twenty 30=thirty \r\nreleased\r\n"},
    {"recursion/Recursion.Pas",
     "1 1 2 6 24 120 720 5040 40320 362880 3628800 \r\n21 1162261467\r\n"},
    {"overlays/Overlays.Pas", "first part\r\nsecond part\r\nfirst part\r\n3\r\n"},
};

// Makes a project of `source` (in `dir`) with `new` and `options`, builds
// it and runs its image with `input` on stdin; the run must end by itself.
kit_test::ProgramRun BuildAndRun(const TestDir& dir, const std::string& source, Args options,
                                 const std::string& input = "") {
  const std::string name = fs::path(source).stem().string();
  options.insert(options.begin(), {"new", name + ".Prj", source});
  const auto created = RunProgram(dir.Path(), "velkor-cli", options);
  EXPECT_EQ(created.status, 0) << created.err;
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", name + ".Prj"});
  if (built.status != 0) return built;
  const bool cpm = std::find(options.begin(), options.end(), "CP/M") != options.end();
  return RunProgram(dir.Path(), "kavrin-cli",
                    {"run", name + (cpm ? ".COM" : ".ROM"), "--max-steps", "50000000"}, input);
}

class BundledExample
    : public ::testing::TestWithParam<std::tuple<std::pair<const std::string, std::string>, Args>> {
};

TEST_P(BundledExample, BuildsRunsPrintsItsOutputAndHalts) {
  const auto& [example, options] = GetParam();
  TestDir dir;
  const std::string source = fs::path(example.first).filename().string();
  fs::copy_file(fs::path(KIT_SOURCE_DIR) / "examples" / example.first, dir.Path() + source);
  const kit_test::ProgramRun ran = BuildAndRun(dir, source, options);
  EXPECT_EQ(ran.status, 0) << "it must end: " << ran.out;
  EXPECT_EQ(ran.out, example.second);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, BundledExample,
    ::testing::Combine(::testing::ValuesIn(kOutputs),
                       ::testing::Values(Args{"--cpu", "Z80"}, Args{"--cpu", "Z180"},
                                         Args{"--cpu", "Z80", "--target", "CP/M"},
                                         Args{"--cpu", "Z180", "--target", "CP/M"})),
    [](const auto& info) {
      const Args& options = std::get<1>(info.param);
      return fs::path(std::get<0>(info.param).first).stem().string() + options[1] +
             (options.size() > 2 ? "Cpm" : "");
    });

// The assembler example builds from its own project file.
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

// Two overlay areas stored from load position 10000H on, for the 128K
// target; a part of the second area calls both parts of the first, each
// time into the other area's buffer.
constexpr const char* kHighOverlays = R"(PROGRAM High;
{#I Terminal.pas}
{#O $10000}
{#O+}
PROCEDURE Red;
BEGIN
  PutStr('red ');
END;
PROCEDURE Green;
BEGIN
  PutStr('green, a longer part ');
END;
{#O-}
{#O+}
PROCEDURE Both;
BEGIN
  Red;
  Green;
  Red;
END;
{#O-}
BEGIN
  INITOVERLAY;
  Both;
  Green;
  Both;
END.
)";

// (The Z80's refusal to link them is the run-time library tests'.)
TEST(OverlaysAbove64K, RunOnTheZ180) {
  TestDir dir;
  std::ofstream(dir.Path() + "High.Pas") << kHighOverlays;
  const auto ran = BuildAndRun(dir, "High.Pas", {"--cpu", "Z180", "--target", "128K"});
  EXPECT_EQ(ran.status, 0) << ran.out;
  EXPECT_EQ(ran.out,
            "red green, a longer part red green, a longer part red green, a longer part red ");
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
  IF KeyPressed THEN PutStr(' waiting') ELSE PutStr(' none');
  PutStr(' Name? ');
  GetLine(Line);
  PutStr('Hello, ' + Line + '!');
END.
)";

TEST(TerminalUnits, BoardAndCpmUnitsReadKeysAlike) {
  for (const char* target : {"None", "CP/M"}) {
    SCOPED_TRACE(target);
    TestDir dir;
    std::ofstream(dir.Path() + "Keys.Pas") << kKeys;
    const auto ran = BuildAndRun(dir, "Keys.Pas", {"--target", target}, "xAnn\n");
    EXPECT_EQ(ran.status, 0) << ran.out;
    EXPECT_EQ(ran.out, "x waiting Name? Ann\r\nHello, Ann!");
  }
}

} // namespace
