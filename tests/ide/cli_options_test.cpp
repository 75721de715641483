// velkor-cli's and kavrin-cli's options that users of other Z80 toolchains
// reach for first: --version and -D.
#include <gtest/gtest.h>

#include <regex>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;

TEST(CliVersion, OneLineWithTheProgramAndItsVersion) {
  TestDir dir;
  for (const std::string program : {"velkor-cli", "kavrin-cli"}) {
    const kit_test::ProgramRun r = kit_test::RunProgram(dir.Path(), program, {"--version"});
    EXPECT_EQ(r.status, 0) << program;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(std::regex_match(
        r.out, std::regex(program + R"( \d+\.\d+\.\d+( \(commit [0-9a-f]{7,40}\))?\n)")))
        << r.out;
  }
}

// {#C IFDEFINED FAST} picks one of two constants; which one shows in the .Mac.
constexpr const char* kChoice = "program d;\r\nvar x: integer;\r\nbegin\r\n"
                                "{#C IFDEFINED FAST} x := 1234; {#C ELSE} x := 4321; {#C ENDIF}\r\n"
                                "end.\r\n";

struct DefineCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* codeLine; // expected in D.Mac; nullptr: no output
};

class CliDefines : public ::testing::TestWithParam<DefineCase> {};

TEST_P(CliDefines, DefineLikeTheDirectiveBeforeTheFirstLine) {
  TestDir dir;
  dir.Write("D.Pas", kChoice);
  dir.Write("Twice.Pas", std::string("{#C DEFINE FAST}") + kChoice);
  const kit_test::ProgramRun r = kit_test::RunProgram(dir.Path(), "velkor-cli", GetParam().args);
  EXPECT_EQ(r.status, GetParam().status) << r.out << r.err;
  if (GetParam().codeLine != nullptr) {
    EXPECT_NE(TestDir::Read(dir.Path() + "D.Mac").find(GetParam().codeLine), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliDefines,
    ::testing::Values(
        DefineCase{"NotGiven", {"compile", "D.Pas"}, 0, "\tld hl,4321"},
        DefineCase{"Given", {"compile", "D.Pas", "-D", "FAST"}, 0, "\tld hl,1234"},
        DefineCase{"Joined", {"compile", "D.Pas", "-DFAST"}, 0, "\tld hl,1234"},
        DefineCase{"LowerCaseBeforeTheFile", {"compile", "-D", "fast", "D.Pas"}, 0, "\tld hl,1234"},
        DefineCase{
            "AnotherName", {"compile", "D.Pas", "-D", "SLOW", "-D", "FASTER"}, 0, "\tld hl,4321"},
        DefineCase{"AlsoDefinedInTheSource", {"compile", "Twice.Pas", "-D", "FAST"}, 1, nullptr},
        DefineCase{"NotAName", {"compile", "D.Pas", "-D", "A-B"}, 2, nullptr},
        DefineCase{"NoName", {"compile", "D.Pas", "-D"}, 2, nullptr},
        DefineCase{"NotForLink", {"link", "P.Prj", "-D", "FAST"}, 2, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliProjectDefines, MainAndBuildHandThemToTheCompiler) {
  TestDir dir;
  dir.Write("D.Pas", kChoice);
  for (const char* command : {"main", "build"}) {
    ASSERT_EQ(
        kit_test::RunProgram(dir.Path(), "velkor-cli",
                             {"new", "P.Prj", "--force", "--no-rtl", "--main", "D.Pas", "D.Pas"})
            .status,
        0);
    const kit_test::ProgramRun r =
        kit_test::RunProgram(dir.Path(), "velkor-cli", {command, "-D", "FAST", "P.Prj"});
    EXPECT_EQ(r.status, 0) << command << r.out << r.err;
    EXPECT_NE(TestDir::Read(dir.Path() + "D.Mac").find("\tld hl,1234"), std::string::npos)
        << command;
  }
}

} // namespace
} // namespace velkor
