// Errors located for editors on stderr, one per tool and place; stdout keeps
// the message list, or only its last line with -q.
#include <gtest/gtest.h>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;

TEST(CliDiagnostics, OneLocatedLineOnStderr) {
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
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"new", "Two.Prj", "Good.Mac", "Bad.Mac"},
        {"new", "Link.Prj", "Ext.Mac"},
        {"new", "Big.Prj", "--target", "2K", "Big.Mac"}})
    ASSERT_EQ(kit_test::RunProgram(dir.Path(), "velkor-cli", args).status, 0);
  struct Case {
    std::vector<std::string> args;
    const char* stderrText;
    int status = 1;
  };
  const Case cases[] = {
      {{"compile", "Main.Pas"}, "Main.Pas:3:3: error: Undefined identifier\n"},
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
    const kit_test::ProgramRun r = kit_test::RunProgram(dir.Path(), "velkor-cli", c.args);
    EXPECT_EQ(r.status, c.status) << c.args[1];
    EXPECT_EQ(r.err, c.stderrText) << c.args[1];
  }
}

TEST(CliQuiet, OnlyTheClosingLineBeforeOrAfterTheFile) {
  TestDir dir;
  dir.Write("A.Mac", " NOP\r\n");
  ASSERT_EQ(kit_test::RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "A.Mac"}).status, 0);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"build", "-q", "P.Prj"}, {"build", "P.Prj", "--quiet"}}) {
    const kit_test::ProgramRun r = kit_test::RunProgram(dir.Path(), "velkor-cli", args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Link complete. No Errors\n");
    EXPECT_TRUE(r.err.empty()) << r.err;
  }
}

} // namespace
} // namespace velkor
