// The compile driver: the output frame, the LINK clause, the EXTERN and
// GLOBAL blocks, the six-line error report, table overflows, the calls into the windows.

#include <gtest/gtest.h>

#include <regex>

#include "compiler/compile_error.h"
#include "compiler/driver.h"
#include "compiler/emit/output.h"
#include "front_support.h"

namespace velkor {
namespace {

using front_test::Code;
using front_test::Compiled;
using front_test::CompileText;
using front_test::Lines;

Lines Head(const Lines& lines, std::size_t n) {
  return Lines(lines.begin(), lines.begin() + std::min(n, lines.size()));
}

TEST(Frame, ProgramWithoutLinkClause) {
  const Compiled r = CompileText("PROGRAM Demo;\nBEGIN\nEND.\n");
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  EXPECT_EQ(Head(r.lines, 5), (Lines{" EXTERN HeapPtr", "", " GLOBAL @DEMO", "", "\tCODE"}));
  EXPECT_EQ(r.lines.back(), "");
  EXPECT_EQ(r.lines[r.lines.size() - 2], "\tEND");
  EXPECT_EQ(front_test::AssemblyError(r.lines), "");
  EXPECT_EQ(std::filesystem::path(r.outputFile).filename(), "T.Mac");
}

struct LinkCase {
  const char* clause;
  Lines afterGlobal; // the lines after the GLOBAL block
};

class LinkClause : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkClause, GivesTheseLines) {
  const Compiled r = CompileText(std::string(GetParam().clause) + "\nPROGRAM Demo;\nBEGIN\nEND.\n");
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  const Lines after(r.lines.begin() + 4,
                    r.lines.begin() + 4 +
                        static_cast<std::ptrdiff_t>(GetParam().afterGlobal.size()));
  EXPECT_EQ(after, GetParam().afterGlobal);
  EXPECT_EQ(front_test::AssemblyError(r.lines), "");
}

INSTANTIATE_TEST_SUITE_P(
    Frame, LinkClause,
    ::testing::Values(LinkCase{"LINK CODEADD, DATAADD", Code("Link CODEADD,DATAADD|CODE")},
                      LinkCase{"LINK $C000, $8000", Code("Link 0C000H,08000H|CODE")},
                      LinkCase{"LINK 0, 255", Code("Link 00000H,000FFH|CODE")},
                      LinkCase{"LINK $C000, $8000, $8000, Boot",
                               Code("Link 0C000H,08000H|CODE|ORG 0,008000H|LOADREF BOOT")},
                      LinkCase{"LINK CODEADD, DATAADD, $12345, Boot",
                               Code("Link CODEADD,DATAADD|CODE|ORG 0,012345H|LOADREF BOOT")},
                      LinkCase{"LINK CODEADD, DATAADD, LOADNEXT, Boot",
                               Code("Link CODEADD,DATAADD|CODE|ORG 0,LOADNEXT|LOADREF BOOT")}));

TEST(Frame, NameBlocksBreakAfterEightNamesOr71Characters) {
  const std::vector<std::string> nine = {"A1", "A2", "A3", "A4", "A5", "A6", "A7", "A8", "A9"};
  EXPECT_EQ(BuildNameBlock(" EXTERN ", nine),
            (Lines{" EXTERN A1,A2,A3,A4,A5,A6,A7,A8", " EXTERN A9", ""}));
  EXPECT_EQ(BuildNameBlock(" GLOBAL ", {}), Lines{});
  const std::string longName(30, 'N');
  const Lines lines =
      BuildNameBlock(" EXTERN ", {longName + "1", longName + "2", longName + "3", "X"});
  ASSERT_EQ(lines.size(), 3u);
  // 8 + 31 + 1 + 31 characters: the line is full at 71.
  EXPECT_EQ(lines[0], " EXTERN " + longName + "1," + longName + "2");
  EXPECT_EQ(lines[1], " EXTERN " + longName + "3,X");
}

TEST(Frame, ExternalRoutinesJoinTheExternBlock) {
  std::string source = "PROGRAM Demo;\n";
  for (int i = 1; i <= 9; ++i)
    source += "PROCEDURE E" + std::to_string(i) + "; EXTERNAL;\n";
  source += "BEGIN\nEND.\n";
  const Compiled r = CompileText(source);
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  EXPECT_EQ(Head(r.lines, 3),
            (Lines{" EXTERN HeapPtr,@E1,@E2,@E3,@E4,@E5,@E6,@E7", " EXTERN @E8,@E9", ""}))
      << front_test::Joined(r.lines);
}

TEST(Frame, AnErrorLeavesTheOldOutputAlone) {
  const auto dir = front_test::ScratchDirectory();
  front_test::WriteBytes(dir / "T.Mac", "old output");
  front_test::WriteSource(dir / "T.Pas", "PROGRAM Demo;\nBEGIN\n  X := 1;\nEND.\n");
  MessageList messages;
  platform::HeadlessUiHost ui;
  const CompileResult r = CompileFile((dir / "T.Pas").string(), {}, messages, ui);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.outputFile, "");
  EXPECT_EQ(front_test::ReadBytes(dir / "T.Mac"), "old output");
  std::filesystem::remove_all(dir);
}

TEST(Frame, AMissingSourceEndsTheBuild) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  EXPECT_FALSE(CompileFile("/nonexistent/NOPE.Pas", {}, messages, ui).ok);
  EXPECT_EQ(messages.Lines(), (Lines{"Cannot find file : /nonexistent/NOPE.Pas"}));
}

TEST(ErrorReport, SixLinesAndTheEditorPosition) {
  platform::HeadlessUiHost ui;
  const Compiled r = CompileText("PROGRAM Demo;\nBEGIN\n\n  X := 1;\nEND.\n", {}, {}, &ui);
  ASSERT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 6u);
  EXPECT_EQ(std::filesystem::path(r.messages[0]).filename(), "T.Pas");
  EXPECT_EQ(r.messages[1], "");
  EXPECT_EQ(r.messages[2], ""); // the empty line read before it
  EXPECT_EQ(r.messages[3], "  X := 1;");
  // The column is the character after the name; two less blanks, then "^".
  EXPECT_EQ(r.messages[4], std::string(2, ' ') + "^");
  EXPECT_EQ(r.messages[5], "Undefined identifier");
  ASSERT_TRUE(ui.LastEditorPosition());
  EXPECT_EQ(std::filesystem::path(ui.LastEditorPosition()->file).filename(), "T.Pas");
  EXPECT_EQ(ui.LastEditorPosition()->line, 3); // the empty line counts
  EXPECT_EQ(ui.LastEditorPosition()->column, 3);
}

TEST(ErrorReport, InAnIncludeFileNamesTheIncludeFile) {
  platform::HeadlessUiHost ui;
  std::string include;
  for (int i = 1; i < 12; ++i)
    include += "{ line " + std::to_string(i) + " }\n";
  include += "  ?\n";
  const Compiled r =
      CompileText("PROGRAM Demo;\n{#I Inc.Pas}\nBEGIN\nEND.\n", {{"Inc.Pas", include}}, {}, &ui);
  ASSERT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 6u);
  EXPECT_EQ(r.messages[0], "Inc.Pas");
  EXPECT_EQ(r.messages[2], "{ line 11 }");
  EXPECT_EQ(r.messages[3], "  ?");
  EXPECT_EQ(r.messages[4], " ^");
  EXPECT_EQ(r.messages[5], "Illegal character");
  ASSERT_TRUE(ui.LastEditorPosition());
  const std::filesystem::path shown = ui.LastEditorPosition()->file;
  EXPECT_EQ(shown.filename(), "Inc.Pas");
  EXPECT_TRUE(shown.has_parent_path());
  EXPECT_EQ(ui.LastEditorPosition()->line, 11);
  EXPECT_EQ(ui.LastEditorPosition()->column, 2);
}

// Where the source ends inside a comment, the report adds the line where the
// comment opened; an unclosed string is reported on its own line. The
// numbered text stays as it is, the detail follows on a line of its own.
TEST(ErrorReport, UnclosedCommentsAndStringsPointAtTheirStart) {
  struct Case {
    const char* source;
    const char* currentLine;
    int error;
    const char* detail;
  };
  const Case cases[] = {
      {"PROGRAM P;\nBEGIN\n{ open\nEND.\n", nullptr, kErrUnexpectedEnd,
       "The comment opened in line 3 of T.Pas is not closed"},
      {"PROGRAM P;\n(* open\nBEGIN END.\n", nullptr, kErrUnexpectedEnd,
       "The comment opened in line 2 of T.Pas is not closed"},
      {"PROGRAM P;\n{*} open {\nBEGIN END.\n", nullptr, kErrUnexpectedEnd,
       "The comment opened in line 2 of T.Pas is not closed"},
      {"PROGRAM P;\n{ closed }\nBEGIN\n", nullptr, kErrUnexpectedEnd, nullptr},
      {"PROGRAM P;\nVAR S: STRING[9];\nBEGIN\n  S := 'abc;\nEND.\n", "  S := 'abc;",
       kErrStringExceedsLine, nullptr},
      {"PROGRAM P;\nVAR S: STRING[9];\nBEGIN\n  S := 'it''\nEND.\n", "  S := 'it''",
       kErrStringExceedsLine, nullptr},
  };
  for (const Case& c : cases) {
    const Compiled r = CompileText(c.source);
    ASSERT_FALSE(r.ok) << c.source;
    ASSERT_EQ(r.messages.size(), c.detail ? 7u : 6u) << front_test::Joined(r.messages);
    if (c.currentLine) EXPECT_EQ(r.messages[3], c.currentLine);
    EXPECT_EQ(r.messages[5], CompilerErrorMessages[c.error]) << c.source;
    if (c.detail) EXPECT_EQ(r.messages[6], c.detail);
  }
}

// A directory where a source is expected is named as one.
TEST(ErrorReport, ADirectoryGivenForASourceSaysSo) {
  const auto dir = front_test::ScratchDirectory();
  std::filesystem::create_directories(dir / "D.Pas");
  std::filesystem::create_directories(dir / "Sub.Pas");
  front_test::WriteSource(dir / "T.Pas", "PROGRAM P;\n{#I Sub.Pas}\nBEGIN END.\n");
  MessageList messages;
  platform::HeadlessUiHost ui;
  const std::string main = (dir / "D.Pas").string();
  EXPECT_FALSE(CompileFile(main, {}, messages, ui).ok);
  EXPECT_EQ(messages.Lines(),
            (Lines{"Cannot find file : " + main, main + " is a directory, not a file"}));
  messages.Clear();
  EXPECT_FALSE(CompileFile((dir / "T.Pas").string(), {}, messages, ui).ok);
  ASSERT_EQ(messages.Lines().size(), 7u) << front_test::Joined(messages.Lines());
  EXPECT_EQ(messages.Lines()[5], "Include file not found");
  EXPECT_EQ(messages.Lines()[6], (dir / "Sub.Pas").string() + " is a directory, not a file");
  std::filesystem::remove_all(dir);
}

struct FrameError {
  const char* source;
  int error;
};

class FrameErrors : public ::testing::TestWithParam<FrameError> {};

TEST_P(FrameErrors, Report) {
  const Compiled r = CompileText(GetParam().source);
  ASSERT_FALSE(r.ok);
  ASSERT_EQ(r.messages.size(), 6u) << front_test::Joined(r.messages);
  EXPECT_EQ(r.messages[5], CompilerErrorMessages[GetParam().error]);
}

INSTANTIATE_TEST_SUITE_P(
    Heading, FrameErrors,
    ::testing::Values(FrameError{"LINK X, 0 PROGRAM P; BEGIN END.", kErrExpectedCodeAdd},
                      FrameError{"LINK 0 0 PROGRAM P; BEGIN END.", kErrExpectedComma},
                      FrameError{"LINK 0, X PROGRAM P; BEGIN END.", kErrExpectedDataAdd},
                      FrameError{"LINK 0, 0, -1, R PROGRAM P; BEGIN END.", kErrExpectedLoadNext},
                      FrameError{"LINK 0, 0, 5 R PROGRAM P; BEGIN END.", kErrExpectedComma},
                      FrameError{"LINK 0, 0, 5, 7 PROGRAM P; BEGIN END.", kErrExpectedIdentifier},
                      FrameError{"BEGIN END.", kErrProcedureOrProgramExpected},
                      FrameError{"PROGRAM ; BEGIN END.", kErrExpectedIdentifier},
                      FrameError{"PROGRAM P BEGIN END.", kErrExpectedSemicolon},
                      FrameError{"PROGRAM P; BEGIN END X", kErrExpectedPeriodOrSemicolon},
                      FrameError{"PROGRAM P; BEGIN", kErrUnexpectedEnd}));

TEST(Frame, TextAfterTheFinalPeriodIsNotRead) {
  const Compiled r = CompileText("PROGRAM P; BEGIN END. ? anything \"\n");
  EXPECT_TRUE(r.ok) << front_test::Joined(r.messages);
}

std::string Overflow(const Compiled& r) {
  if (r.messages.size() < 2) return "no report";
  return r.messages[r.messages.size() - 2] + "|" + r.messages.back();
}

// Each table, filled one past its size, ends the compile naming the table.
TEST(TableOverflow, EachTableNamesItself) {
  const auto repeated = [](int count, const std::string& head, const std::string& line) {
    std::string source = "PROGRAM P;\n" + head;
    for (int i = 0; i < count; ++i)
      source += std::regex_replace(line, std::regex("#"), std::to_string(i));
    return source + "BEGIN END.\n";
  };
  std::string nested = "BYTE";
  for (int i = 0; i < 7; ++i)
    nested = "RECORD F: " + nested + " END";
  const std::pair<std::string, const char*> cases[] = {
      {repeated(5000, "VAR\n", " V#: BYTE;\n"), "IDENTIFIER"},
      {repeated(500, "TYPE\n", " S# = STRING[2];\n"), "ARRAYS"},
      {repeated(500, "", "PROCEDURE Q#; BEGIN END;\n"), "PROCEDURES"},
      {"PROGRAM P;\nTYPE R = " + nested + ";\nBEGIN END.\n", "LEVELS"},
  };
  for (const auto& [source, table] : cases) {
    const Compiled r = CompileText(source);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Overflow(r), "Compiler table for " + std::string(table) +
                               " overflowed| Fatal termination of Orvalen");
  }
}

TEST(Host, PumpsAtTheStartAndEveryTenLines) {
  std::string source = "PROGRAM P;\nBEGIN\n";
  for (int i = 0; i < 25; ++i)
    source += "\n";
  source += "END.\n"; // 28 lines
  front_test::TestUi counting;
  const Compiled r = CompileText(source, {}, {}, &counting);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(counting.PumpCount(), 3);
}

// The progress window hears the file and the line count at each pump, and a
// cancel asked there ends the compile with error 111 before ten more lines.
TEST(Host, ProgressAndCancelAtThePumpPoints) {
  class CancellingUi : public front_test::TestUi {
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
  source += "END.\n";
  CancellingUi ui;
  const Compiled r = CompileText(source, {}, {}, &ui);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Error(), CompilerErrorMessages[kErrCancelled]);
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[0].second, 10u);
  EXPECT_EQ(std::filesystem::path(ui.shown[1].first).filename(), "T.Pas");
  EXPECT_EQ(ui.shown[1].second, 20u);
}

// A compile started from a window message pumped in the middle of another
// one has a run of its own: neither disturbs the other.
TEST(Host, ANestedCompileLeavesTheRunningOneAlone) {
  std::string source = "PROGRAM P;\nVAR W: WORD;\nBEGIN\n";
  for (int i = 0; i < 12; ++i)
    source += "  W := W + 1;\n";
  source += "END.\n";
  const Compiled alone = CompileText(source);
  ASSERT_TRUE(alone.ok) << front_test::Joined(alone.messages);

  const auto dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / "T.Pas", source);
  front_test::WriteSource(dir / "Q.Pas", "PROGRAM Q;\nVAR B: BYTE;\nBEGIN\n  B := 2;\nEND.\n");
  MessageList messages, innerMessages;
  front_test::TestUi ui;
  CompileResult inner;
  ui.onPump = [&] {
    if (ui.PumpCount() == 2) inner = CompileFile((dir / "Q.Pas").string(), {}, innerMessages, ui);
  };
  const CompileResult outer = CompileFile((dir / "T.Pas").string(), {}, messages, ui);
  ASSERT_TRUE(outer.ok) << front_test::Joined(messages.Lines());
  EXPECT_EQ(front_test::ReadLines(dir / "T.Mac"), alone.lines);
  EXPECT_EQ(outer.dataSize, alone.dataSize);
  ASSERT_TRUE(inner.ok) << front_test::Joined(innerMessages.Lines());
  EXPECT_EQ(inner.dataSize, 1u);
  EXPECT_EQ(front_test::ReadLines(dir / "Q.Mac")[2], " GLOBAL @Q");
  std::filesystem::remove_all(dir);
}

TEST(Frame, CountersForTheSummary) {
  const Compiled r =
      CompileText("PROGRAM P;\nVAR S: STRING[10]; A: ARRAY[1..10] OF WORD;\nBEGIN END.\n");
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  EXPECT_EQ(r.arraysAndStrings, 2);
  EXPECT_EQ(r.dataSize, 31);
  EXPECT_GT(r.identifiers, 40);
}

// A name is made once and kept; switching the program prefix in the middle
// of the source must still change the names written after the switch.
TEST(Frame, NamesFollowTheProgramPrefixSwitch) {
  const Compiled r = CompileText(
      "PROGRAM Demo;\nVAR V: WORD;\nBEGIN\nV := V;\n{#L-}\nV := V;\n{#L+}\nV := V\nEND.\n");
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  Lines loads;
  for (const std::string& line : r.lines)
    if (line.rfind("\tld hl,(", 0) == 0) loads.push_back(line);
  EXPECT_EQ(loads, (Code("ld hl,(DEMO_V)|ld hl,(V)|ld hl,(DEMO_V)")));
}

} // namespace
} // namespace velkor
