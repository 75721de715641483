// The compile driver: the output frame, the LINK clause, the EXTERN and
// GLOBAL blocks, the six-line error report, table overflows, the calls into
// the windows.

#include <gtest/gtest.h>

#include <regex>

#include "compiler/driver.h"
#include "compiler/types.h"
#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

TEST(Frame, LinkClauses) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "|CODE"},
      {"LINK CODEADD, DATAADD, $12345, Boot",
       "|Link CODEADD,DATAADD|CODE|ORG 0,012345H|LOADREF BOOT"},
      {"LINK 0, 255, LOADNEXT, Boot", "|Link 00000H,000FFH|CODE|ORG 0,LOADNEXT|LOADREF BOOT"},
  };
  for (const auto& [clause, afterGlobal] : cases)
    EXPECT_EQ(Slice(Ok(std::string(clause) + "\nPROGRAM Demo;\nBEGIN\nEND.\n").lines,
                    " GLOBAL @DEMO", "@DEMO:"),
              Code(afterGlobal));
}

TEST(Frame, NameBlocksBreakAfterEightNamesOr71Characters) {
  EXPECT_EQ(BuildNameBlock(" EXTERN ", {"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9"}),
            (Lines{" EXTERN A1,A2,A3,A4,A5,A6,A7,A8", " EXTERN A9", ""}));
  // 8 + 31 + 1 + 31 characters: the line is full at 71.
  const std::string n(30, 'N');
  EXPECT_EQ(BuildNameBlock(" EXTERN ", {n + "1", n + "2", n + "3", "X"}),
            (Lines{" EXTERN " + n + "1," + n + "2", " EXTERN " + n + "3,X", ""}));
}

// A missing source and a directory where a source is expected are named.
TEST(ErrorReport, MissingSourcesAndDirectories) {
  Scratch s;
  fs::create_directories(s.dir / "D.Pas");
  fs::create_directories(s.dir / "Sub.Pas");
  WriteSource(s.dir / "T.Pas", "PROGRAM P;\n{#I Sub.Pas}\nBEGIN END.\n");
  EXPECT_FALSE(CompileFile("/nonexistent/NOPE.Pas", {}, s.messages, s.ui).ok);
  EXPECT_EQ(s.messages.Lines(), (Lines{"Cannot find file : /nonexistent/NOPE.Pas"}));
  s.messages.Clear();
  const std::string main = (s.dir / "D.Pas").string();
  EXPECT_FALSE(s.Compile("D.Pas").ok);
  EXPECT_EQ(s.messages.Lines(),
            (Lines{"Cannot find file : " + main, main + " is a directory, not a file"}));
  s.messages.Clear();
  EXPECT_FALSE(s.Compile("T.Pas").ok);
  ASSERT_EQ(s.messages.Lines().size(), 7u) << Joined(s.messages.Lines());
  EXPECT_EQ(s.messages.Lines()[5], "Include file not found");
  EXPECT_EQ(s.messages.Lines()[6], (s.dir / "Sub.Pas").string() + " is a directory, not a file");
}

// The file, an empty line, the line before, the line, a "^" under the
// character after the fault, the message; the editor is moved there.
TEST(ErrorReport, SixLinesAndTheEditorPosition) {
  platform::HeadlessUiHost ui;
  const CompiledProgram r = Compile("PROGRAM Demo;\nBEGIN\n\n  X := 1;\nEND.\n", {}, {}, &ui);
  ASSERT_EQ(r.messages.size(), 6u);
  EXPECT_EQ(fs::path(r.messages[0]).filename(), "T.Pas");
  EXPECT_EQ(Lines(r.messages.begin() + 1, r.messages.end()),
            (Lines{"", "", "  X := 1;", "  ^", "Undefined identifier"}));
  ASSERT_TRUE(ui.LastEditorPosition());
  EXPECT_EQ(ui.LastEditorPosition()->line, 3); // the empty line counts
  EXPECT_EQ(ui.LastEditorPosition()->column, 3);

  std::string include;
  for (int i = 1; i < 12; ++i)
    include += "{ line " + std::to_string(i) + " }\n";
  const CompiledProgram inInclude = Compile("PROGRAM Demo;\n{#I Inc.Pas}\nBEGIN\nEND.\n", {},
                                            {{"Inc.Pas", include + "  ?\n"}}, &ui);
  EXPECT_EQ(inInclude.messages,
            (Lines{"Inc.Pas", "", "{ line 11 }", "  ?", " ^", "Illegal character"}));
  EXPECT_EQ(fs::path(ui.LastEditorPosition()->file).filename(), "Inc.Pas");
  EXPECT_TRUE(fs::path(ui.LastEditorPosition()->file).has_parent_path());
  EXPECT_EQ(ui.LastEditorPosition()->line, 11);
}

// Where the source ends inside a comment, the report adds the line where the
// comment opened; an unclosed string is reported on its own line.
TEST(ErrorReport, UnclosedCommentsAndStringsPointAtTheirStart) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"PROGRAM P;\nBEGIN\n{ open\nEND.\n", kErrUnexpectedEnd,
       "The comment opened in line 3 of T.Pas is not closed"},
      {"PROGRAM P;\n{*} open {\nBEGIN END.\n", kErrUnexpectedEnd,
       "The comment opened in line 2 of T.Pas is not closed"},
      {"PROGRAM P;\n{ closed }\nBEGIN\n", kErrUnexpectedEnd, nullptr},
      {"PROGRAM P;\nVAR S: STRING[9];\nBEGIN\n  S := 'it''\nEND.\n", kErrStringExceedsLine,
       nullptr},
  };
  for (const auto& [source, error, detail] : cases) {
    const CompiledProgram r = Compile(source);
    ASSERT_EQ(r.messages.size(), detail ? 7u : 6u) << Joined(r.messages);
    EXPECT_EQ(r.messages[5], CompilerErrorMessages[error]) << source;
    if (detail) EXPECT_EQ(r.messages[6], detail);
  }
}

TEST(ErrorReport, Heading) {
  const std::pair<const char*, int> cases[] = {
      {"LINK X, 0 PROGRAM P; BEGIN END.", kErrExpectedCodeAdd},
      {"LINK 0, 0, -1, R PROGRAM P; BEGIN END.", kErrExpectedLoadNext},
      {"LINK 0, 0, 5 R PROGRAM P; BEGIN END.", kErrExpectedComma},
      {"BEGIN END.", kErrProcedureOrProgramExpected},
      {"PROGRAM P; BEGIN END X", kErrExpectedPeriodOrSemicolon},
      {"PROGRAM T(INPUT, OUTPUT);\nBEGIN END.\n", kErrMainWithParameters},
  };
  for (const auto& [source, error] : cases)
    EXPECT_EQ(Compile(source).Error(), CompilerErrorMessages[error]) << source;
  EXPECT_TRUE(Compile("PROGRAM P; BEGIN END. ? anything \"\n").ok) << "text after the period";
}

// Each table, filled one past its size, ends the compile naming the table.
TEST(TableOverflow, EachTableNamesItself) {
  const auto repeated = [](int count, const std::string& head, const std::string& line,
                           const std::string& tail = "BEGIN END.\n") {
    std::string source = "PROGRAM P;\n" + head;
    for (int i = 0; i < count; ++i)
      source += std::regex_replace(line, std::regex("@"), std::to_string(i));
    return source + tail;
  };
  const std::pair<std::string, const char*> cases[] = {
      {repeated(5000, "VAR\n", " V@: BYTE;\n"), "IDENTIFIER"},
      {repeated(500, "TYPE\n", " S@ = STRING[2];\n"), "ARRAYS"},
      {repeated(500, "", "PROCEDURE Q@; BEGIN END;\n"), "PROCEDURES"},
      {repeated(7, "", "PROCEDURE P@;\n", repeated(7, "", "BEGIN END;\n").substr(11)), "LEVELS"},
      {repeated(100, "VAR B: BYTE;\nBEGIN CASE B OF 200", ",\n@", ": B := 1 END END.\n"), "CODE"},
      {repeated(kMaxOverlayAreas + 1, "", "{#O+}\nPROCEDURE Q@; BEGIN END;\n{#O-}\n"),
       "OVERLAY AREAS"},
  };
  for (const auto& [source, table] : cases) {
    const CompiledProgram r = Compile(source);
    ASSERT_GE(r.messages.size(), 2u) << table;
    EXPECT_EQ(Lines(r.messages.end() - 2, r.messages.end()),
              (Lines{"Compiler table for " + std::string(table) + " overflowed",
                     " Fatal termination of Orvalen"}));
  }
  // One less fits.
  Ok(repeated(499, "", "PROCEDURE Q@; BEGIN END;\n"));
  Ok(repeated(99, "VAR B: BYTE;\nBEGIN CASE B OF 200", ",\n@", ": B := 1 END END.\n"));
}

// The progress window hears the file and the line count every ten lines, and
// a cancel asked there ends the compile with error 111 before ten more.
TEST(Host, ProgressAndCancelAtThePumpPoints) {
  class CancellingUi : public TestUi {
  public:
    void ShowCompileProgress(std::string_view file, std::uint32_t lines) override {
      shown.emplace_back(std::string(file), lines);
    }
    bool CancelRequested() override { return !shown.empty() && shown.back().second >= 20; }
    std::vector<std::pair<std::string, std::uint32_t>> shown;
  };
  std::string source = "PROGRAM P;\nVAR W: WORD;\nBEGIN\n";
  for (int i = 0; i < 40; ++i)
    source += "  W := W + 1;\n";
  CancellingUi ui;
  const CompiledProgram r = Compile(source + "END.\n", {}, {}, &ui);
  EXPECT_EQ(r.Error(), CompilerErrorMessages[kErrCancelled]);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[0].second, 10u);
  EXPECT_EQ(fs::path(ui.shown[1].first).filename(), "T.Pas");
  EXPECT_EQ(ui.shown[1].second, 20u);
}

// A compile started from a window message pumped in the middle of another
// one has a run of its own: neither disturbs the other.
TEST(Host, ANestedCompileLeavesTheRunningOneAlone) {
  std::string source = "PROGRAM P;\nVAR W: WORD;\nBEGIN\n";
  for (int i = 0; i < 12; ++i)
    source += "  W := W + 1;\n";
  source += "END.\n";
  const CompiledProgram alone = Ok(source);

  Scratch s;
  WriteSource(s.dir / "T.Pas", source);
  WriteSource(s.dir / "Q.Pas", "PROGRAM Q;\nVAR B: BYTE;\nBEGIN\n  B := 2;\nEND.\n");
  MessageList innerMessages;
  TestUi ui;
  CompileResult inner;
  ui.onPump = [&] {
    if (ui.PumpCount() == 2) inner = CompileFile((s.dir / "Q.Pas").string(), {}, innerMessages, ui);
  };
  const CompileResult outer = CompileFile((s.dir / "T.Pas").string(), {}, s.messages, ui);
  ASSERT_TRUE(outer.ok) << Joined(s.messages.Lines());
  EXPECT_EQ(ReadLines(s.dir / "T.Mac"), alone.lines);
  EXPECT_EQ(outer.dataSize, alone.dataSize);
  ASSERT_TRUE(inner.ok) << Joined(innerMessages.Lines());
  EXPECT_EQ(inner.dataSize, 1u);
  EXPECT_EQ(ReadLines(s.dir / "Q.Mac")[2], " GLOBAL @Q");
}

// A name is made once and kept; switching the program prefix in the middle
// of the source must still change the names written after the switch.
TEST(Frame, NamesFollowTheProgramPrefixSwitch) {
  const CompiledProgram r =
      Compile("PROGRAM Demo;\nVAR V: WORD;\nBEGIN\nV := V;\n{#L-}\nV := V;\n{#L+}\nV := V\nEND.\n");
  ASSERT_TRUE(r.ok) << Joined(r.messages);
  EXPECT_EQ(
      Slice(r.lines, "@DEMO:", "\tret"),
      Code("ld hl,(DEMO_V)|ld (DEMO_V),hl|ld hl,(V)|ld (V),hl|ld hl,(DEMO_V)|ld (DEMO_V),hl"));
}

} // namespace
} // namespace velkor
