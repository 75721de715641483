// Where the lines of ASM blocks end up in the output: for a whole program
// each recorded output line holds exactly the source line it names, also
// when a nested overlay part's lines were held back and appended later.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "compiler/compiler.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(AsmLineSources, EachOutputLineHoldsTheSourceLineItNames) {
  kit_test::TestDir dir;
  dir.Write("Blk.pas", "PROCEDURE Inc;\r\nBEGIN\r\n  ASM\r\n\tNOP ; from the include\r\n  END;\r\n"
                       "END;\r\n");
  dir.Write("T.Pas",
            "PROGRAM T;\r\n{#I Blk.pas}\r\n{#O+}\r\nPROCEDURE Outer;\r\n{#O+}\r\n"
            "PROCEDURE Inner;\r\nBEGIN\r\n  ASM\r\n\tLD A,1 ; inner part\r\n"
            "\tLD B,2 ; inner part\r\n  END;\r\nEND;\r\n{#O-}\r\nBEGIN\r\n  ASM\r\n"
            "\tLD C,3 ; outer part\r\n  END;\r\n  Inner;\r\nEND;\r\n{#O-}\r\nBEGIN\r\n"
            "  INITOVERLAY;\r\n  ASM\r\n\tLD D,4 ; main\r\n  END;\r\n  Inc;\r\n  Outer;\r\n"
            "END.\r\n");
  MessageList messages;
  platform::HeadlessUiHost ui;
  CompileSettings settings;
  settings.ProjectDirectory = dir.Path();
  const CompileResult r = CompileFile(dir.Path() + "T.Pas", settings, messages, ui);
  ASSERT_TRUE(r.ok) << (messages.Lines().empty() ? "" : messages.Lines().back());
  const std::vector<std::string> output = FileLines(r.outputFile);
  ASSERT_EQ(r.asmLines.size(), 5u);
  std::vector<std::string> seen;
  for (const OutputLineSource& line : r.asmLines) {
    ASSERT_LE(line.outputLine, output.size());
    const std::vector<std::string> source = FileLines(line.source.file);
    ASSERT_LE(line.source.line, source.size());
    EXPECT_EQ(output[line.outputLine - 1], source[line.source.line - 1]);
    EXPECT_EQ(AsmLineSource(r, line.outputLine), &line.source);
    seen.push_back(std::filesystem::path(line.source.file).filename().string() + ":" +
                   std::to_string(line.source.line));
  }
  // Every block line once; their order is the compiler's placement of the parts.
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen,
            (std::vector<std::string>{"Blk.pas:4", "T.Pas:10", "T.Pas:16", "T.Pas:24", "T.Pas:9"}));
  EXPECT_EQ(AsmLineSource(r, 1), nullptr);
}

} // namespace
} // namespace velkor
