// Where the lines of ASM blocks end up in the output: for a whole program
// each recorded output line holds exactly the source line it names, also
// when a nested overlay part's lines were held back and appended later.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using namespace testing_support;

TEST(AsmLineSources, EachOutputLineHoldsTheSourceLineItNames) {
  Scratch s;
  WriteSource(s.dir / "Blk.pas",
              "PROCEDURE Inc;\nBEGIN\n  ASM\n\tNOP ; from the include\n  END;\nEND;\n");
  WriteSource(s.dir / "T.Pas",
              "PROGRAM T;\n{#I Blk.pas}\n{#O+}\nPROCEDURE Outer;\n{#O+}\nPROCEDURE Inner;\nBEGIN\n"
              "  ASM\n\tLD A,1 ; inner part\n\tLD B,2 ; inner part\n  END;\nEND;\n{#O-}\nBEGIN\n"
              "  ASM\n\tLD C,3 ; outer part\n  END;\n  Inner;\nEND;\n{#O-}\nBEGIN\n"
              "  INITOVERLAY;\n  ASM\n\tLD D,4 ; main\n  END;\n  Inc;\n  Outer;\nEND.\n");
  CompileSettings settings;
  settings.ProjectDirectory = s.dir.string() + "/";
  const CompileResult r = s.Compile("T.Pas", settings);
  ASSERT_TRUE(r.ok) << Joined(s.messages.Lines());
  const Lines output = ReadLines(r.outputFile);
  ASSERT_EQ(r.asmLines.size(), 5u);
  std::vector<std::string> seen;
  for (const OutputLineSource& line : r.asmLines) {
    ASSERT_LE(line.outputLine, output.size());
    const Lines source = ReadLines(line.source.file);
    ASSERT_LE(line.source.line, source.size());
    EXPECT_EQ(output[line.outputLine - 1], source[line.source.line - 1]);
    EXPECT_EQ(AsmLineSource(r, line.outputLine), &line.source);
    seen.push_back(fs::path(line.source.file).filename().string() + ":" +
                   std::to_string(line.source.line));
  }
  // Every block line once; their order is the compiler's placement of the parts.
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(seen, (Lines{"Blk.pas:4", "T.Pas:10", "T.Pas:16", "T.Pas:24", "T.Pas:9"}));
  EXPECT_EQ(AsmLineSource(r, 1), nullptr);
}

} // namespace
} // namespace velkor
