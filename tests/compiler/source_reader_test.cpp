// Reading sources: line ends, control characters, include files with their
// search and nesting, encoded sources and output, source lines as comments.

#include <gtest/gtest.h>

#include "common/encoded_lines.h"
#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

Lines ReadAllLines(const std::string& bytes) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c(messages, ui);
  SourceFile file;
  file.bytes = bytes;
  Lines lines;
  for (std::string line; ReadSourceLine(c, file, line);)
    lines.push_back(line);
  return lines;
}

TEST(SourceLines, LineEnds) {
  EXPECT_EQ(ReadAllLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAllLines("a\rb\r"), (Lines{"a", "b"}));
  // A lone LF ends a line too: files written by a Linux editor compile.
  EXPECT_EQ(ReadAllLines("a\n\nb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(ReadAllLines(""), Lines{});
  EXPECT_EQ(ReadAllLines(std::string(300, 'x') + "\r\ny"), (Lines{std::string(300, 'x'), "y"}));
}

// A tab separates words like a blank; other control characters are refused.
TEST(SourceLines, ControlCharactersAreError60AndTabsBlanks) {
  EXPECT_EQ(Compile("PROGRAM P;\nBEGIN\x01\nEND.\n").Error(), "Invalid character in source ");
  Ok("PROGRAM\tT;\n\tBEGIN\n\tEND.\n");
}

// Copied source lines are comments only: the code is the same without them,
// also when a line is copied while a factored address is read; that copy
// once ended the routine, which then returned through the address.
TEST(SourceLines, CopiedAsCommentsOnRequest) {
  const std::string source = "PROGRAM P;\nVAR W: WORD; I: INTEGER; A: ARRAY[0..9] OF BYTE;\n\n"
                             "BEGIN\n  W := 5;\n  {#R+} W := A[I] + A[I]\nEND.\n";
  CompileSettings settings;
  settings.IncludeSourceAsComments = true;
  const CompiledProgram r = Compile(source, settings);
  ASSERT_TRUE(r.ok) << Joined(r.messages);
  Lines code = r.lines;
  std::erase_if(code, [](const std::string& line) { return line.starts_with(';'); });
  EXPECT_EQ(code, Compile(source).lines);
  EXPECT_NE(std::find(r.lines.begin(), r.lines.end(), ";  {#R+} W := A[I] + A[I]"), r.lines.end());
  EXPECT_EQ(std::count(r.lines.begin(), r.lines.end(), ";"), 0); // empty lines are not copied
}

// A name whose only dot begins it is a hidden file without an extension: it
// is read as plain text and its output name is appended, not substituted.
TEST(SourceNames, ExtensionsAndHiddenFiles) {
  EXPECT_EQ(SourceExtension("/w/a.b.eps"), ".EPS");
  Scratch s;
  WriteSource(s.dir / ".eps", "PROGRAM P;\nBEGIN END.\n");
  const CompileResult r = s.Compile(".eps");
  ASSERT_TRUE(r.ok) << Joined(s.messages.Lines());
  EXPECT_EQ(r.outputFile, (s.dir / ".eps.Mac").string());
}

// Includes are found without regard to case, with the other extension, and
// by name in the project directory when their path does not exist; many
// editors start a file with a UTF-8 byte-order mark, which is no source text.
TEST(Includes, FoundWhereverTheyCanBe) {
  const std::pair<const char*, const char*> cases[] = {
      {"{#I inc.pas}", "INC.PAS"},
      {"{#I Inc.Eps}", "Inc.Pas"},
      {"{#I sub\\Inc.Pas}", "Inc.Pas"},
  };
  for (const auto& [directive, file] : cases)
    EXPECT_TRUE(Compile("PROGRAM P;\n" + std::string(directive) + "\nBEGIN END.\n", {},
                        {{file, "VAR W: WORD;\n"}})
                    .ok)
        << directive;
  EXPECT_TRUE(Compile("\xEF\xBB\xBFPROGRAM P;\n{#I Inc.Pas}\nBEGIN\nEND.\n", {},
                      {{"Inc.Pas", "\xEF\xBB\xBFVAR W: WORD;\n"}})
                  .ok);
  Scratch s;
  WriteSource(s.dir / "P.Pas", "\xEF\xBB\xBFPROGRAM P;\nBEGIN\nEND.\n");
  EXPECT_EQ(ReadProgramHeading((s.dir / "P.Pas").string()).programName, "P");
}

TEST(Includes, ErrorsNestingAndTheEditorsSave) {
  EXPECT_EQ(Compile("PROGRAM P;\n{#I Nope.Pas}\nBEGIN END.\n").Error(), "Include file not found");
  EXPECT_EQ(Compile("PROGRAM P;\n{#I }\nBEGIN END.\n").Error(), "Invalid filename");
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 1; i <= 6; ++i)
    files.push_back(
        {"I" + std::to_string(i) + ".Pas", "{#I I" + std::to_string(i + 1) + ".Pas}\n"});
  files.push_back({"I7.Pas", "\n"});
  const CompiledProgram deep = Compile("PROGRAM P;\n{#I I1.Pas}\nBEGIN END.\n", {}, files);
  EXPECT_EQ(deep.Error(), "To many nested include files");
  EXPECT_EQ(deep.messages[0], "I5.Pas"); // the sixth is opened from the fifth
  files[4].second = "\n";                // five levels are fine
  TestUi ui;
  EXPECT_TRUE(Compile("PROGRAM P;\n{#I I1.Pas}\nBEGIN END.\n", {}, files, &ui).ok);
  ASSERT_EQ(ui.saved.size(), 5u);
  EXPECT_EQ(fs::path(ui.saved[0]).filename(), "I1.Pas");
}

// Plain and encoded, the same program gives the same lines; the encoded
// file leaves out the empty ones.
TEST(EncodedSources, AnEpsMainFileOrIncludeMakesTheOutputEncoded) {
  const Lines program = {"PROGRAM T;", "", "VAR W: WORD;", "BEGIN", "  W := 2;", "END."};
  const CompiledProgram plain = Ok(Joined(program));
  Lines nonEmpty = plain.lines;
  std::erase(nonEmpty, "");

  Scratch s;
  WriteBytes(s.dir / "T.EPS", EncodeLines(program));
  WriteBytes(s.dir / "LIB.EPS", EncodeLines({"VAR W: WORD;"}));
  WriteSource(s.dir / "U.Pas", "PROGRAM T;\n{#I Lib.Pas}\nBEGIN\n  W := 2;\nEND.\n");
  for (const char* source : {"T.EPS", "U.Pas"}) {
    const CompileResult r = s.Compile(source);
    ASSERT_TRUE(r.ok) << source << "\n" << Joined(s.messages.Lines());
    EXPECT_EQ(fs::path(r.outputFile).extension(), ".EMS") << source;
    std::vector<std::string> decoded;
    ASSERT_TRUE(DecodeLines(ReadBytes(r.outputFile), decoded)) << source;
    if (std::string(source) == "T.EPS") EXPECT_EQ(decoded, nonEmpty);
    EXPECT_EQ(AssemblyError(decoded), "") << source;
    EXPECT_FALSE(fs::exists((s.dir / source).replace_extension(".Mac"))) << source;
  }
}

// A source line copied as a comment must fit an encoded record (255
// characters with its ";"): a longer one stops the compile at that line.
// Errors are reported without moving the editor; a damaged file is named.
TEST(EncodedSources, LongLinesErrorsAndDamage) {
  Scratch s;
  CompileSettings settings;
  settings.IncludeSourceAsComments = true;
  for (const std::size_t length : {254u, 255u}) {
    WriteBytes(s.dir / "L.EPS",
               EncodeLines({"PROGRAM L;", "BEGIN" + std::string(length - 5, ' '), "END."}));
    EXPECT_EQ(s.Compile("L.EPS", settings).ok, length == 254u);
  }
  EXPECT_EQ(s.messages.Lines().back(),
            (s.dir / "L.EPS").string() +
                ", line 2: the line is too long for encoded output (at most 255 characters)");

  WriteBytes(s.dir / "E.EPS", EncodeLines({"PROGRAM E;", "BEGIN", "  X := 2;", "END."}));
  s.messages.Clear();
  EXPECT_FALSE(s.Compile("E.EPS").ok);
  ASSERT_EQ(s.messages.Lines().size(), 6u);
  EXPECT_EQ(s.messages.Lines()[3], "  X := 2;");
  EXPECT_FALSE(s.ui.LastEditorPosition());

  // A record that promises 40 bytes: after the final period it is not read.
  WriteBytes(s.dir / "D.EPS", EncodeLines({"PROGRAM E;", "BEGIN END."}) + "\x28" + "abc");
  EXPECT_TRUE(s.Compile("D.EPS").ok);
  WriteBytes(s.dir / "F.EPS", EncodeLines({"PROGRAM E;"}) + "\x28" + "abc");
  EXPECT_FALSE(s.Compile("F.EPS").ok);
  EXPECT_NE(s.messages.Lines().back().find(kEncodedFileDamaged), std::string::npos);
}

} // namespace
} // namespace velkor
