// velkor-cli run as a program: exit statuses, output streams, located
// diagnostics, -q, -D and --version; the projects and start-up modules new
// makes; the listing files asm --list and build --list write.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "ide/core/project_file.h"
#include "ide/core/run_time_library.h"
#include "ide/core/startup_module.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using Args = std::vector<std::string>;
using kit_test::TestDir;

inline kit_test::ProgramRun Velkor(const TestDir& dir, const Args& args) {
  return kit_test::RunProgram(dir.Path(), "velkor-cli", args);
}

inline kit_test::ProgramRun Kavrin(const TestDir& dir, const Args& args) {
  return kit_test::RunProgram(dir.Path(), "kavrin-cli", args);
}

// velkor-cli with `args` succeeded; if not, the failure shows what it said.
inline ::testing::AssertionResult Ok(const TestDir& dir, const Args& args) {
  const kit_test::ProgramRun run = Velkor(dir, args);
  if (run.status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "velkor-cli " << args.at(0) << " exited with " << run.status << "\n"
         << run.out << run.err;
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

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
      {{"new", "P.Prj", "--target", "512K", "A.Mac"}, 2, "unknown target 512K"},
      {{"new", "P.Prj", "--ram", "10000", "A.Mac"}, 2, "--ram needs a hexadecimal address"},
      {{"new", "P.Prj", "--main", "A.Mac", "A.Mac"}, 2, "must be of type \".PAS\""},
      {{"new", "P.txt", "A.Mac"}, 2, "must end in .Prj"},
      {{"new", "P.Prj", "A.Mac", "Gone.Mac"}, 1, "cannot find Gone.Mac"},
      {{"new", "P.Prj", "Empty.Pas"}, 1, "no program heading"},
      {{"new", "Bad.Prj", "A.Mac"}, 1, "already exists; give --force"},
      {{"show", "Bad.Prj"}, 1, "is not a project file"},
      {{"main"}, 2, "expected one project file"},
  };
  TestDir dir;
  dir.Write("A.Mac", "\tnop\r\n");
  dir.Write("Empty.Pas", "");
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
  dir.Write("AsmIncl.Pas", "program b;\r\nbegin\r\n{#I AsmInc.pas}\r\nend.\r\n");
  dir.Write("AsmInc.pas", "{ the block }\r\n  asm\r\n LD A,\r\n  end;\r\n");
  dir.Write("Good.Mac", " NOP\r\n");
  dir.Write("Bad.Mac", " NOP\r\n LD A,\r\n");
  dir.Write("Ext.Mac", " EXTERN MISSING\r\n JP MISSING\r\n");
  dir.Write("sub/Deep.Mac", " LD A,\r\n");
  dir.Write("Big.Mac", " ORG 900H\r\n NOP\r\n");
  for (const Args& args :
       {Args{"new", "Link.Prj", "Ext.Mac"}, {"new", "Big.Prj", "--target", "2K", "Big.Mac"}})
    ASSERT_TRUE(Ok(dir, args));
  struct Case {
    Args args;
    const char* stderrText;
    int status = 1;
  };
  const Case cases[] = {
      {{"compile", "Main.Pas"}, "Main.Pas:3:3: error: Undefined identifier\n"},
      {{"compile", "Incl.Pas"}, "Inc.pas:2:7: error: Cannot evaluate expression\n"},
      {{"compile", "AsmIncl.Pas"}, "AsmInc.pas:3:1: error: Syntax error\n"},
      {{"asm", "Bad.Mac"}, "Bad.Mac:2:1: error: Syntax error\n"},
      {{"asm", "sub/Deep.Mac"}, "sub/Deep.Mac:1:1: error: Syntax error\n"}, // as given
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
  // --quiet (or -q, above) keeps only the closing line on stdout.
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Good.Mac"}));
  EXPECT_EQ(Velkor(dir, {"build", "P.Prj", "--quiet"}).out, "Link complete. No Errors\n");
}

// -D NAME works like {#C DEFINE NAME} before the first line, for compile
// and the project's commands.
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
      {{"build", "-D", "FAST", "P.Prj"}, 0, "\tld hl,1234"},
      {{"compile", "Twice.Pas", "-D", "FAST"}, 1, nullptr},
      {{"compile", "D.Pas", "-D", "A-B"}, 2, nullptr},
      {{"link", "P.Prj", "-D", "FAST"}, 2, nullptr},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(dir.Path() + "D.Mac");
    const kit_test::ProgramRun r = Velkor(dir, c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1] << c.args[2] << r.out << r.err;
    if (c.code) EXPECT_TRUE(Contains(TestDir::Read(dir.Path() + "D.Mac"), c.code)) << c.args[2];
  }
}

// velkor-cli new: the run-time library and a start-up module first in a
// Pascal project whose main file has no LINK clause, so the program builds
// and runs on kavrin-cli as it is (the bundled examples' test builds and runs
// them so, as .COM too).

// The heading's comment names LINK, which must not count as the clause.
const char* kHello = "{ no LINK here } (* nor LINK here *)\r\n"
                     "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72); OUT($80, 105);\r\nEND.\r\n";

std::string Startup(const TestDir& dir) {
  return TestDir::Read(dir.Path() + kStartupFileName);
}

// The run-time library follows Pascal projects only, for the project's CPU;
// a program with its own LINK clause or --no-rtl gets no start-up. The
// start-up's LINK line: data at --ram (default 8000H); for CP/M right after
// the code unless --ram says otherwise. A file named twice is listed once;
// the project keeps the case of its name.
TEST(New, ProjectFilesSettingsAndStartup) {
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
  const std::vector<std::string> hello = withRtl({kStartupFileName, "Hello.Pas"}, kCpuZ80);
  const std::tuple<Args, std::vector<std::string>, bool, const char*> cases[] = {
      {{"Hello.Pas"}, hello, true, "\tLINK 0000H,08000H"},
      {{"--target", "CP/M", "Hello.Pas"}, hello, true, "\tLINK 0100H,CODEEND"},
      {{"--target", "CP/M", "--ram", "9000", "Hello.Pas"}, hello, true, "\tLINK 0100H,09000H"},
      {{"A.Mac", "B.Pas"}, withRtl({"A.Mac", "B.Pas"}, kCpuZ80), true, nullptr},
      {{"--no-rtl", "Hello.Pas"}, {"Hello.Pas"}, true, nullptr},
      {{"--no-sym", "A.Mac"}, {"A.Mac"}, false, nullptr},
      {{"--target", "32k", "--cpu", "Z180", "--main", "B.Pas", "A.Mac", "B.Pas", outside, "A.Mac"},
       withRtl({"A.Mac", "B.Pas", outside}, kCpuZ180),
       true,
       nullptr},
  };
  for (const auto& [files, expected, symbols, link] : cases) {
    std::filesystem::remove(dir.Path() + kStartupFileName);
    Args args = {"new", "demo.prj", "--force"};
    args.insert(args.end(), files.begin(), files.end());
    ASSERT_TRUE(Ok(dir, args));
    Project p;
    std::string error;
    ASSERT_TRUE(ReadProjectFile(dir.Path() + "demo.prj", p, error)) << error;
    EXPECT_EQ(p.Files(), expected);
    EXPECT_EQ(p.settings.WriteSym, symbols);
    EXPECT_EQ(std::filesystem::exists(dir.Path() + kStartupFileName), link != nullptr);
    if (link) EXPECT_TRUE(Contains(Startup(dir), link)) << Startup(dir);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "demo.Prj"));
  const kit_test::ProgramRun shown = Velkor(dir, {"show", "demo.prj"});
  EXPECT_TRUE(shown.out.starts_with(
      "demo\n" + dir.Path() + "\n32K target device\nZ180 CPU\nA.Mac\nB.Pas\n" + outside + "\n"))
      << shown.out;
  EXPECT_TRUE(
      Contains(TestDir::Read(dir.Path() + "demo.prj"), "MainFileName=" + dir.Path() + "B.Pas"));
}

// A missing main file becomes a greeting; the terminal unit comes beside the
// project. Another program's start-up is the user's file then: new refuses
// to replace it, unless --force. --main chooses the program. A user's own
// terminal unit, in any case, is kept.
TEST(New, GreetingAndAnotherProgramsStartup) {
  TestDir dir;
  ASSERT_TRUE(Ok(dir, {"new", "Hi.Prj", "Hi.Pas"}));
  EXPECT_EQ(TestDir::Read(dir.Path() + kTerminalUnitFileName),
            TestDir::Read(std::string(KIT_BIN_DIR) + "/Default/" + kTerminalUnitFileName));
  ASSERT_TRUE(Ok(dir, {"build", "Hi.Prj"}));
  EXPECT_EQ(Kavrin(dir, {"run", "Hi.ROM", "--max-steps", "100000"}).out, "Hello, World!\r\n");
  dir.Write("Hello.Pas", kHello);
  const auto refused = Velkor(dir, {"new", "Q.Prj", "Hello.Pas"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Contains(refused.err, "already exists")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Q.Prj"));
  EXPECT_TRUE(Contains(Startup(dir), "@Hi"));
  std::filesystem::remove(dir.Path() + kTerminalUnitFileName);
  dir.Write("TERMINAL.PAS", "{ mine }");
  dir.Write("Other.Pas", "PROGRAM Other;\r\nBEGIN\r\nEND.\r\n");
  ASSERT_TRUE(
      Ok(dir, {"new", "O.Prj", "--force", "--main", "Other.Pas", "Hello.Pas", "Other.Pas"}));
  EXPECT_TRUE(Contains(Startup(dir), "@OTHER"));
  EXPECT_EQ(TestDir::Read(dir.Path() + "TERMINAL.PAS"), "{ mine }");
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + kTerminalUnitFileName));
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

// Listing files (NAME.LST) as velkor-cli asm --list and build --list write them.

// An include file, a macro, an external call and words that
// the linker relocates by the code (') and by the data start (").
const char* kMain = " EXTERN PRINT\r\n"
                    " GLOBAL START\r\n"
                    " INCLUDE DEFS.INC\r\n"
                    "TWICE MACRO X\r\n"
                    " LD A,X\r\n"
                    " ADD A,X\r\n"
                    " MACEND\r\n"
                    "START: LD SP,0FFFFH\r\n"
                    " CALL PRINT\r\n"
                    " TWICE 5\r\n"
                    " LD HL,MSG\r\n"
                    " DATA\r\n"
                    "COUNT: DS 2\r\n"
                    " CODE\r\n"
                    "MSG: DB 'HI',0\r\n"
                    " LD (COUNT),HL\r\n"
                    " END\r\n";
const char* kDefs = " NOP\r\n";
// Its code and data starts differ, so a byte relocated by the wrong one shows.
const char* kPrint = " GLOBAL PRINT\r\n"
                     " DATA\r\n"
                     "BUF: DS 4\r\n"
                     " CODE\r\n"
                     "PRINT: LD A,(HL)\r\n"
                     " LD (BUF+1),A\r\n"
                     " LD (BUF),A\r\n"
                     " RET\r\n"
                     " END\r\n";

TEST(Listing, ShowsLinesBytesIncludesMacrosAndLabels) {
  TestDir dir;
  dir.Write("MAIN.Mac", kMain);
  dir.Write("DEFS.INC", kDefs);
  dir.Write("PRINT.Mac", kPrint);
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--no-rtl", "MAIN.Mac", "PRINT.Mac"}));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj", "--list"}));
  const std::string listing = TestDir::Read(dir.Path() + "MAIN.LST");
  // Encodings checked by hand against the Z80 tables.
  for (const char* expected : {
           "    3 C 0000                     INCLUDE DEFS.INC\r\n"
           "; INCLUDE DEFS.INC\r\n"
           "    1 C 0000  00              =  NOP\r\n"
           "; END DEFS.INC\r\n",
           "    9 C 0004  CD  ??  ??         CALL PRINT\r\n"
           "   10 C 0007                     TWICE 5\r\n"
           "   10 C 0007  3E  05          +  LD A,5\r\n"
           "   10 C 0009  C6  05          +  ADD A,5\r\n"
           "   11 C 000B  21  0E' 00'        LD HL,MSG\r\n",
           "   16 C 0011  22  00\" 00\"        LD (COUNT),HL\r\n",
           "; Labels\r\n"
           "COUNT            D 0000\r\n"
           "MSG              C 000E\r\n"
           "PRINT            extern\r\n"
           "START            C 0001  global\r\n",
       }) {
    EXPECT_NE(listing.find(expected), std::string::npos) << expected << "\nin\n" << listing;
  }
  // velkor-cli asm writes the same listing, only when asked.
  const std::string fromBuild = TestDir::Read(dir.Path() + "PRINT.LST");
  std::filesystem::remove(dir.Path() + "PRINT.LST");
  ASSERT_TRUE(Ok(dir, {"asm", "PRINT.Mac"}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "PRINT.LST"));
  ASSERT_TRUE(Ok(dir, {"asm", "PRINT.Mac", "--list"}));
  EXPECT_EQ(TestDir::Read(dir.Path() + "PRINT.LST"), fromBuild);
}

// The .Mac of a listed build carries the Pascal lines, even where the
// project leaves them out.
TEST(Listing, PascalLinesStandBesideTheirCode) {
  TestDir dir;
  dir.Write("Hello.Pas", "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72);\r\nEND.\r\n");
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Hello.Pas"}));
  dir.Write("P.Prj", std::regex_replace(TestDir::Read(dir.Path() + "P.Prj"),
                                        std::regex("IncludePAS=1"), "IncludePAS=0"));

  ASSERT_TRUE(Ok(dir, {"build", "P.Prj"}));
  EXPECT_EQ(TestDir::Read(dir.Path() + "Hello.Mac").find("OUT($80, 72)"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Hello.LST"));

  ASSERT_TRUE(Ok(dir, {"build", "P.Prj", "--list"}));
  const std::string listing = TestDir::Read(dir.Path() + "Hello.LST");
  // The statement's code, then its Pascal line.
  const std::size_t code = listing.find("C 0003  3E  48            \tld a,72\r\n");
  ASSERT_NE(code, std::string::npos) << listing;
  EXPECT_NE(listing.find("C 0007                    ;  OUT($80, 72);\r\n", code), std::string::npos)
      << listing;
}

} // namespace
} // namespace velkor
