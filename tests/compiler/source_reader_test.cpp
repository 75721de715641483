// Reading sources: line ends, long lines, control characters, include files
// with their search and nesting, encoded sources and output, source lines as
// comments.

#include <gtest/gtest.h>

#include "common/encoded_lines.h"
#include "front_support.h"

namespace velkor {
namespace {

using front_test::Compiled;
using front_test::CompileText;
using front_test::Lines;
namespace fs = std::filesystem;

Lines ReadAllLines(const std::string& bytes) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui);
  SourceFile file;
  file.bytes = bytes;
  Lines lines;
  std::string line;
  while (ReadSourceLine(c, file, line))
    lines.push_back(line);
  return lines;
}

TEST(SourceLines, LineEnds) {
  EXPECT_EQ(ReadAllLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\rb\r"), (Lines{"a", "b"}));
  // A lone LF ends a line too: files written by a Linux editor compile.
  EXPECT_EQ(ReadAllLines("a\nb\n"), (Lines{"a", "b"}));
  EXPECT_EQ(ReadAllLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAllLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAllLines("last line without an end"), (Lines{"last line without an end"}));
  EXPECT_EQ(ReadAllLines(""), Lines{});
  EXPECT_EQ(ReadAllLines(std::string(300, 'x') + "\r\ny"), (Lines{std::string(300, 'x'), "y"}));
}

TEST(SourceLines, ProgramsWithEveryLineEndCompile) {
  const std::string program = "PROGRAM P;\nVAR W: WORD;\nBEGIN\n  W := 1;\nEND.\n";
  for (const std::string end : {"\r\n", "\r", "\n"}) {
    const auto dir = front_test::ScratchDirectory();
    std::string bytes;
    for (char ch : program)
      bytes += ch == '\n' ? end : std::string(1, ch);
    front_test::WriteBytes(dir / "P.Pas", bytes);
    MessageList messages;
    platform::HeadlessUiHost ui;
    EXPECT_TRUE(CompileFile((dir / "P.Pas").string(), {}, messages, ui).ok)
        << front_test::Joined(messages.Lines());
    fs::remove_all(dir);
  }
}

// A tab separates words like a blank.
TEST(SourceLines, ControlCharactersAreError60AndTabsBlanks) {
  const Compiled bad = CompileText("PROGRAM P;\nBEGIN\x01\nEND.\n");
  EXPECT_EQ(bad.Error(), "Invalid character in source ");
  const Compiled tabs = CompileText("PROGRAM\tP;\n\tBEGIN\n\tEND.\n");
  EXPECT_TRUE(tabs.ok) << front_test::Joined(tabs.messages);
}

TEST(SourceLines, CopiedAsCommentsOnRequest) {
  CompileSettings settings;
  settings.IncludeSourceAsComments = true;
  const Compiled r = CompileText("PROGRAM P;\n\nBEGIN\nEND.\n", {}, settings);
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  const std::string text = front_test::Joined(r.lines);
  EXPECT_NE(text.find(";PROGRAM P;\n"), std::string::npos) << text;
  EXPECT_NE(text.find(";BEGIN\n"), std::string::npos);
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), ";"), 0); // empty lines are not copied
  EXPECT_EQ(front_test::AssemblyError(r.lines), "");
}

// A name whose only dot begins it is a hidden file without an extension: it
// is read as plain text and its output name is appended, not substituted.
TEST(SourceNames, ExtensionsAndHiddenFiles) {
  for (const auto& [name, extension] :
       std::vector<std::pair<const char*, const char*>>{{"Main.Pas", ".PAS"},
                                                        {"/w/a.b.eps", ".EPS"},
                                                        {"Main.", "."},
                                                        {"/w/.eps", ""},
                                                        {"/w.x/Main", ""},
                                                        {"Main", ""}})
    EXPECT_EQ(SourceExtension(name), extension) << name;

  const auto dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / ".eps", "PROGRAM P;\nBEGIN END.\n");
  MessageList messages;
  platform::HeadlessUiHost ui;
  const CompileResult r = CompileFile((dir / ".eps").string(), {}, messages, ui);
  ASSERT_TRUE(r.ok) << front_test::Joined(messages.Lines());
  EXPECT_EQ(r.outputFile, (dir / ".eps.Mac").string());
  fs::remove_all(dir);
}

TEST(Includes, CommentLinesAroundTheIncludedText) {
  const Compiled r =
      CompileText("PROGRAM P;\n{#I Inc.Pas} { the rest of this line is not read\nBEGIN\nEND.\n",
                  {{"Inc.Pas", "VAR W: WORD;\n"}});
  ASSERT_TRUE(r.ok) << front_test::Joined(r.messages);
  const std::string text = front_test::Joined(r.lines);
  const auto begin = text.find("; Include file ");
  const auto end = text.find("; End of include file Inc.Pas\n");
  ASSERT_NE(begin, std::string::npos) << text;
  ASSERT_NE(end, std::string::npos) << text;
  EXPECT_LT(begin, end);
  EXPECT_NE(text.find("Inc.Pas\n", begin), std::string::npos);
  EXPECT_NE(text.find("P_W:"), std::string::npos);
  EXPECT_EQ(front_test::AssemblyError(r.lines), "");
}

// Many editors start a file with a UTF-8 byte-order mark: it is not source text.
TEST(Includes, AByteOrderMarkIsSkippedInTheMainFileAndIncludes) {
  const auto dir = front_test::ScratchDirectory();
  front_test::WriteSource(dir / "P.Pas", "\xEF\xBB\xBFPROGRAM P;\n{#I Inc.Pas}\nBEGIN\nEND.\n");
  front_test::WriteSource(dir / "Inc.Pas", "\xEF\xBB\xBFVAR W: WORD;\n");
  MessageList messages;
  platform::HeadlessUiHost ui;
  EXPECT_TRUE(CompileFile((dir / "P.Pas").string(), {}, messages, ui).ok)
      << front_test::Joined(messages.Lines());
  const ProgramHeading heading = ReadProgramHeading((dir / "P.Pas").string());
  EXPECT_TRUE(heading.readable);
  EXPECT_EQ(heading.programName, "P");
  fs::remove_all(dir);
}

TEST(Includes, FoundWithoutRegardToCaseAndWithTheOtherExtension) {
  const Compiled r =
      CompileText("PROGRAM P;\n{#I inc.pas}\nBEGIN\nEND.\n", {{"INC.PAS", "VAR W: WORD;\n"}});
  EXPECT_TRUE(r.ok) << front_test::Joined(r.messages);
  const Compiled exchanged =
      CompileText("PROGRAM P;\n{#I Inc.Eps}\nBEGIN\nEND.\n", {{"Inc.Pas", "VAR W: WORD;\n"}});
  EXPECT_TRUE(exchanged.ok) << front_test::Joined(exchanged.messages);
  const Compiled windowsPath =
      CompileText("PROGRAM P;\n{#I sub\\Inc.Pas}\nBEGIN\nEND.\n", {{"Inc.Pas", "VAR W: WORD;\n"}});
  EXPECT_TRUE(windowsPath.ok) << front_test::Joined(
      windowsPath.messages); // found in the project directory
}

TEST(Includes, Errors) {
  EXPECT_EQ(CompileText("PROGRAM P;\n{#I Nope.Pas}\nBEGIN END.\n").Error(),
            "Include file not found");
  EXPECT_EQ(CompileText("PROGRAM P;\n{#I }\nBEGIN END.\n").Error(), "Invalid filename");
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i <= 6; ++i)
    files.push_back(
        {"I" + std::to_string(i) + ".Pas", "{#I I" + std::to_string(i + 1) + ".Pas}\n"});
  files.push_back({"I7.Pas", "\n"});
  const Compiled deep = CompileText("PROGRAM P;\n{#I I1.Pas}\nBEGIN END.\n", files);
  EXPECT_EQ(deep.Error(), "To many nested include files");
  EXPECT_EQ(deep.messages[0], "I5.Pas"); // the sixth is opened from the fifth
  files[4].second = "\n";                // five levels are fine
  EXPECT_TRUE(CompileText("PROGRAM P;\n{#I I1.Pas}\nBEGIN END.\n", files).ok);
}

TEST(Includes, EditorSavesAModifiedIncludeFirst) {
  front_test::TestUi ui;
  const Compiled r =
      CompileText("PROGRAM P;\n{#I Inc.Pas}\nBEGIN END.\n", {{"Inc.Pas", "\n"}}, {}, &ui);
  EXPECT_TRUE(r.ok);
  ASSERT_EQ(ui.saved.size(), 1u);
  EXPECT_EQ(fs::path(ui.saved[0]).filename(), "Inc.Pas");
}

// An encoded file image of the lines.
void WriteEncoded(const fs::path& path, const Lines& lines) {
  front_test::WriteBytes(path, EncodeLines(lines));
}

// Plain and encoded, the same program gives the same lines; the encoded
// file leaves out the empty ones.
TEST(EncodedSources, AnEpsMainFileOrIncludeMakesTheOutputEncoded) {
  const Lines program = {"PROGRAM T;", "", "VAR W: WORD;", "BEGIN", "  W := 2;", "END."};
  std::string plainText;
  for (const std::string& line : program)
    plainText += line + "\n";
  const Compiled plain = CompileText(plainText);
  ASSERT_TRUE(plain.ok) << front_test::Joined(plain.messages);
  Lines nonEmpty;
  for (const std::string& line : plain.lines)
    if (!line.empty()) nonEmpty.push_back(line);

  const auto dir = front_test::ScratchDirectory();
  WriteEncoded(dir / "T.EPS", program);
  WriteEncoded(dir / "LIB.EPS", {"VAR W: WORD;"});
  front_test::WriteSource(dir / "U.Pas", "PROGRAM T;\n{#I Lib.Pas}\nBEGIN\n  W := 2;\nEND.\n");
  for (const char* source : {"T.EPS", "U.Pas"}) {
    MessageList messages;
    platform::HeadlessUiHost ui;
    const CompileResult r = CompileFile((dir / source).string(), {}, messages, ui);
    ASSERT_TRUE(r.ok) << source << "\n" << front_test::Joined(messages.Lines());
    EXPECT_EQ(fs::path(r.outputFile).extension(), ".EMS") << source;
    EXPECT_EQ(r.dataSize, 2u);
    std::vector<std::string> decoded;
    ASSERT_TRUE(DecodeLines(front_test::ReadBytes(r.outputFile), decoded)) << source;
    if (std::string(source) == "T.EPS") EXPECT_EQ(decoded, nonEmpty);
    EXPECT_EQ(front_test::AssemblyError(decoded), "") << source;
  }
  EXPECT_FALSE(fs::exists(dir / "T.Mac"));
  EXPECT_FALSE(fs::exists(dir / "U.Mac"));
  fs::remove_all(dir);
}

// A source line copied as a comment must fit an encoded record (255
// characters with its ";"): a longer one stops the compile at that line.
TEST(EncodedSources, ACopiedLineTooLongForTheRecordIsAnErrorAtThatLine) {
  CompileSettings settings;
  settings.IncludeSourceAsComments = true;
  for (const std::size_t length : {254u, 255u}) {
    const auto dir = front_test::ScratchDirectory();
    const std::string padded = "BEGIN" + std::string(length - 5, ' ');
    WriteEncoded(dir / "L.EPS", {"PROGRAM L;", padded, "END."});
    MessageList messages;
    platform::HeadlessUiHost ui;
    const CompileResult r = CompileFile((dir / "L.EPS").string(), settings, messages, ui);
    EXPECT_EQ(r.ok, length == 254u) << front_test::Joined(messages.Lines());
    if (length == 255u) {
      EXPECT_EQ(messages.Lines().back(),
                (dir / "L.EPS").string() +
                    ", line 2: the line is too long for encoded output (at most 255 characters)");
      EXPECT_FALSE(fs::exists(dir / "L.EMS"));
    }
    fs::remove_all(dir);
  }
}

TEST(EncodedSources, ErrorsAreReportedWithoutMovingTheEditor) {
  const auto dir = front_test::ScratchDirectory();
  WriteEncoded(dir / "E.EPS", {"PROGRAM E;", "BEGIN", "  X := 2;", "END."});
  MessageList messages;
  platform::HeadlessUiHost ui;
  EXPECT_FALSE(CompileFile((dir / "E.EPS").string(), {}, messages, ui).ok);
  ASSERT_EQ(messages.Lines().size(), 6u);
  EXPECT_EQ(messages.Lines()[3], "  X := 2;");
  EXPECT_EQ(messages.Lines()[5], "Undefined identifier");
  EXPECT_FALSE(ui.LastEditorPosition()); // the editor is not moved
  fs::remove_all(dir);
}

TEST(EncodedSources, ADamagedFileIsReported) {
  const auto dir = front_test::ScratchDirectory();
  std::string bytes = EncodeLines({"PROGRAM E;", "BEGIN END."});
  bytes.push_back(static_cast<char>(40)); // a record that promises 40 bytes
  bytes += "abc";
  front_test::WriteBytes(dir / "E.EPS", bytes);
  MessageList messages;
  platform::HeadlessUiHost ui;
  // The program is complete before the damage: text after the period is not read.
  EXPECT_TRUE(CompileFile((dir / "E.EPS").string(), {}, messages, ui).ok);
  front_test::WriteBytes(dir / "F.EPS",
                         EncodeLines({"PROGRAM E;"}) + std::string(1, '\x28') + "abc");
  EXPECT_FALSE(CompileFile((dir / "F.EPS").string(), {}, messages, ui).ok);
  EXPECT_NE(messages.Lines().back().find(kEncodedFileDamaged), std::string::npos);
  fs::remove_all(dir);
}

} // namespace
} // namespace velkor
