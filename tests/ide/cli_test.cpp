// velkor-cli run as a program: exit statuses, output streams, located
// diagnostics, -q, -D and --version.
#include <gtest/gtest.h>

#include <regex>

#include "tests/ide/cli_support.h"

namespace velkor {
namespace {

using namespace velkor_test;

// A usage error, a missing or unreadable file or an existing project: one
// clear line on stderr, nothing written.
TEST(Cli, RefusalsAreOneLineOnStderr) {
  struct Case {
    Args args;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {{}, 2, "no command"},
      {{"new", "P.Prj", "--fast", "A.Mac"}, 2, "unknown option --fast"},
      {{"new", "P.Prj", "A.Mac", "--target"}, 2, "--target needs a value"},
      {{"new", "P.Prj", "--target", "512K", "A.Mac"}, 2, "unknown target 512K"},
      {{"new", "P.Prj", "--cpu", "6502", "A.Mac"}, 2, "unknown CPU 6502"},
      {{"new", "P.Prj", "--main", "A.Mac", "A.Mac"}, 2, "must be of type \".PAS\""},
      {{"new", "P.txt", "A.Mac"}, 2, "must end in .Prj"},
      {{"new", "P.Prj", "A.Mac", "Gone.Mac"}, 1, "cannot find Gone.Mac"},
      {{"new", "P.Prj", "Empty.Pas"}, 1, "no program heading"},
      {{"new", "P.Prj", "NoHeading.Pas"}, 1, "no program heading"},
      {{"new", "P.Prj", "9Lives.Pas"}, 1, "no Pascal program name"},
      {{"new", "Bad.Prj", "A.Mac"}, 1, "already exists; give --force"},
      {{"show", "None.Prj"}, 1, "None.Prj"},
      {{"show", "Bad.Prj"}, 1, "is not a project file"},
      {{"main"}, 2, "expected one project file"},
      {{"show", "--all", "Bad.Prj"}, 2, "unknown option --all"},
  };
  TestDir dir;
  dir.Write("A.Mac", "\tnop\r\n");
  dir.Write("Empty.Pas", "");
  dir.Write("NoHeading.Pas", "BEGIN END.");
  dir.Write("Bad.Prj", "\x01\x02 not an ini file");
  const auto files = std::distance(std::filesystem::directory_iterator(dir.Path()), {});
  for (const Case& c : cases) {
    const kit_test::ProgramRun r = Velkor(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_TRUE(Contains(r.err, c.err)) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), files);
  EXPECT_EQ(TestDir::Read(dir.Path() + "Bad.Prj"), "\x01\x02 not an ini file");
}

TEST(Cli, HelpAndVersionOnStdout) {
  TestDir dir;
  EXPECT_TRUE(
      Velkor(dir, {"show", "--help"}).out.starts_with("usage: velkor-cli show PROJECT.Prj\n"));
  for (const std::string program : {"velkor-cli", "kavrin-cli"}) {
    const kit_test::ProgramRun r = kit_test::RunProgram(dir.Path(), program, {"--version"});
    EXPECT_EQ(r.status, 0) << program;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(std::regex_match(
        r.out, std::regex(program + R"( \d+\.\d+\.\d+( \(commit [0-9a-f]{7,40}\))?\n)")))
        << r.out;
  }
}

// Errors located for editors on stderr, one per tool and place.
TEST(Cli, OneLocatedLineOnStderr) {
  TestDir dir;
  dir.Write("Main.Pas", "program f;\r\nbegin\r\n  y := 2;\r\nend.\r\n");
  dir.Write("Incl.Pas", "program e;\r\nvar x: integer;\r\nbegin\r\n{#I Inc.pas}\r\nend.\r\n");
  dir.Write("Inc.pas", "x := 1;\r\n  x := ;\r\n");
  dir.Write("Asm.Pas", "program a;\r\nbegin\r\n  asm\r\n NOP\r\n LD A,\r\n  end;\r\nend.\r\n");
  dir.Write("AsmIncl.Pas", "program b;\r\nbegin\r\n{#I AsmInc.pas}\r\nend.\r\n");
  dir.Write("AsmInc.pas", "{ the block }\r\n  asm\r\n LD A,\r\n  end;\r\n");
  dir.Write("Good.Mac", " NOP\r\n");
  dir.Write("Bad.Mac", " NOP\r\n LD A,\r\n");
  dir.Write("Ext.Mac", " EXTERN MISSING\r\n JP MISSING\r\n");
  dir.Write("sub/Deep.Mac", " LD A,\r\n");
  dir.Write("Big.Mac", " ORG 900H\r\n NOP\r\n");
  for (const Args& args : {Args{"new", "Two.Prj", "Good.Mac", "Bad.Mac"},
                           {"new", "Link.Prj", "Ext.Mac"},
                           {"new", "Main.Prj", "--no-rtl", "--main", "Main.Pas", "Main.Pas"},
                           {"new", "Big.Prj", "--target", "2K", "Big.Mac"}})
    ASSERT_TRUE(Ok(dir, args));
  struct Case {
    Args args;
    const char* stderrText;
    int status = 1;
  };
  const Case cases[] = {
      {{"compile", "Main.Pas"}, "Main.Pas:3:3: error: Undefined identifier\n"},
      {{"main", "Main.Prj"}, "Main.Pas:3:3: error: Undefined identifier\n"},
      {{"compile", "Incl.Pas"}, "Inc.pas:2:7: error: Cannot evaluate expression\n"},
      {{"compile", "Asm.Pas"}, "Asm.Pas:5:1: error: Syntax error\n"},
      {{"compile", "AsmIncl.Pas"}, "AsmInc.pas:3:1: error: Syntax error\n"},
      {{"asm", "Bad.Mac"}, "Bad.Mac:2:1: error: Syntax error\n"},
      {{"asm", "sub/Deep.Mac"}, "sub/Deep.Mac:1:1: error: Syntax error\n"}, // as given
      {{"build", "Two.Prj"}, "Bad.Mac:2:1: error: Syntax error\n"},
      {{"build", "-q", "Link.Prj"}, "Ext.RRO: error: External label :MISSING not found\n"},
      {{"build", "Big.Prj"},
       "Big.Prj: warning: Executable code does not fit into target device (Image size 2305 "
       "bytes, device size 2048 bytes)\n",
       0},
  };
  for (const Case& c : cases) {
    const kit_test::ProgramRun r = Velkor(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1];
    EXPECT_EQ(r.err, c.stderrText) << c.args[1];
  }
  // -q and --quiet keep only the closing line on stdout, before or after the file.
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Good.Mac"}));
  for (const Args& args : {Args{"build", "-q", "P.Prj"}, {"build", "P.Prj", "--quiet"}})
    EXPECT_EQ(Velkor(dir, args).out, "Link complete. No Errors\n") << args[2];
}

// -D NAME works like {#C DEFINE NAME} before the first line, for compile,
// main and build.
TEST(Cli, DefinesLikeTheDirective) {
  TestDir dir;
  const std::string choice = "program d;\r\nvar x: integer;\r\nbegin\r\n"
                             "{#C IFDEFINED FAST} x := 1234; {#C ELSE} x := 4321; {#C ENDIF}\r\n"
                             "end.\r\n";
  dir.Write("D.Pas", choice);
  dir.Write("Twice.Pas", "{#C DEFINE FAST}" + choice);
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--no-rtl", "--main", "D.Pas", "D.Pas"}));
  struct Case {
    Args args;
    int status;
    const char* code; // expected in D.Mac; nullptr: not looked at
  };
  const Case cases[] = {
      {{"compile", "D.Pas"}, 0, "\tld hl,4321"},
      {{"compile", "D.Pas", "-D", "FAST"}, 0, "\tld hl,1234"},
      {{"compile", "D.Pas", "-DFAST"}, 0, "\tld hl,1234"},
      {{"compile", "-D", "fast", "D.Pas"}, 0, "\tld hl,1234"},
      {{"compile", "D.Pas", "-D", "SLOW", "-D", "FASTER"}, 0, "\tld hl,4321"},
      {{"main", "-D", "FAST", "P.Prj"}, 0, "\tld hl,1234"},
      {{"build", "-D", "FAST", "P.Prj"}, 0, "\tld hl,1234"},
      {{"compile", "Twice.Pas", "-D", "FAST"}, 1, nullptr},
      {{"compile", "D.Pas", "-D", "A-B"}, 2, nullptr},
      {{"link", "P.Prj", "-D", "FAST"}, 2, nullptr},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.Path() + "D.Mac");
    const kit_test::ProgramRun r = Velkor(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << c.args[2] << r.out << r.err;
    if (c.args[0] == "main") EXPECT_FALSE(std::filesystem::exists(dir.Path() + "P.ROM"));
    if (c.code) EXPECT_TRUE(Contains(TestDir::Read(dir.Path() + "D.Mac"), c.code)) << c.args[2];
  }
}

} // namespace
} // namespace velkor
