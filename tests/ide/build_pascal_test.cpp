// Pascal entries of the build commands.

#include "ide/core/build_pascal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "common/encoded_lines.h"
#include "platform/ui_host.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using Lines = std::vector<std::string>;
using kit_test::TestDir;
using ::testing::Contains;
using ::testing::Not;

const char* const kProgram = "PROGRAM PROG;\r\nVAR B: BYTE;\r\nBEGIN B := 1 END.\r\n";

class PascalBuild : public ::testing::Test {
protected:
  PascalBuild() : project(NewProject(dir.Path(), "PROJ")) {}

  bool Exists(const std::string& name) const { return std::filesystem::exists(dir.Path() + name); }

  TestDir dir;
  Project project;
  MessageList messages;
  platform::HeadlessUiHost ui;
  BuildSession session{project, messages, ui, dir.Path() + "prog/"};
};

TEST_F(PascalBuild, ACompileErrorStopsTheBuildAndKeepsTheOldOutput) {
  dir.Write("B.Pas", "PROGRAM PROG;\r\nBEGIN X := 1 END.\r\n");
  dir.Write("B.Mac", "old");
  dir.Write("D.Mac", "\tCODE\r\n\tEND\r\n");
  project.AddFile("B.Pas");
  project.AddFile("D.Mac");
  EXPECT_FALSE(session.BuildAllFiles());
  EXPECT_EQ(messages.Lines().back(), "Undefined identifier");
  EXPECT_EQ(TestDir::Read(dir.Path() + "B.Mac"), "old");
  EXPECT_FALSE(Exists("D.RRO")) << "the build stops at the first error";
  ASSERT_TRUE(ui.LastEditorPosition().has_value());
  EXPECT_EQ(ui.LastEditorPosition()->line, 1);
}

TEST_F(PascalBuild, MainFileSummaryLines) {
  dir.Write("Prog.Pas", kProgram);
  project.settings.MainFileName = "Prog.Pas";
  ASSERT_TRUE(CompileMainFile(session));
  ASSERT_GE(messages.Lines().size(), 10u);
  EXPECT_EQ(
      Lines(messages.Lines().begin(), messages.Lines().begin() + 10),
      (Lines{"", "        Compile: Prog.Pas", "Code size:      6 bytes", "Data size:      1 bytes",
             "Identifiers:    49", "CodeBlocks:     1", "Arrays/Strings: 0", "OverlayAreas:   0",
             "", "Assemble: " + dir.Path() + "Prog.Mac"}));
  EXPECT_TRUE(Exists("Prog.RRO"));
  // With overlays, the buffers follow.
  dir.Write("Prog.Pas",
            "PROGRAM PROG;\r\nVAR B: BYTE;\r\n{#O+}\r\nPROCEDURE P; BEGIN B := 1 "
            "END;\r\nPROCEDURE Q; BEGIN END;\r\n{#O-}\r\nBEGIN INITOVERLAY; P END.\r\n");
  ASSERT_TRUE(CompileMainFile(session));
  for (const char* line : {"OverlayAreas:   1", "Buffer 1 6 bytes", "OverlayAreaSize:6 bytes",
                           "OverlaySaving  :1 bytes"})
    EXPECT_THAT(messages.Lines(), Contains(line));
}

// A main file that is not Pascal does nothing. A missing .PAS main file ("Prog.Pasx" counts: the
// extension's first four characters decide) is replaced by its .EPS, whose .EMS is assembled, never
// an older .Mac; a plain compile in the same session afterwards writes and
// assembles the .Mac again.
TEST_F(PascalBuild, EncodedMainFiles) {
  std::string error;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "Prog.EPS",
                               {"PROGRAM PROG;", "VAR B: BYTE;", "BEGIN B := 1 END."}, error))
      << error;
  dir.Write("Prog.Mac", "this older file must not be assembled");
  project.settings.MainFileName = "Prog.Mac";
  EXPECT_TRUE(CompileMainFile(session));
  EXPECT_THAT(messages.Lines(), ::testing::IsEmpty());
  for (const auto& [mainFile, pasThere] :
       {std::pair{"Prog.EPS", false}, {"Prog.Pasx", false}, {"Prog.Pas", true}}) {
    SCOPED_TRACE(mainFile);
    if (pasThere) dir.Write("Prog.Pas", kProgram);
    messages.Clear();
    project.settings.MainFileName = mainFile;
    ASSERT_TRUE(CompileMainFile(session)) << ::testing::PrintToString(messages.Lines());
    const std::string assembled = pasThere ? "Prog.Mac" : "Prog.EMS";
    const std::string other = pasThere ? "Prog.EMS" : "Prog.Mac";
    EXPECT_THAT(messages.Lines(), Contains("Assemble: " + dir.Path() + assembled));
    EXPECT_THAT(messages.Lines(), Not(Contains("Assemble: " + dir.Path() + other)));
    EXPECT_EQ(TestDir::Read(dir.Path() + "Prog.Mac").starts_with("this older"), !pasThere);
  }
  EXPECT_TRUE(Exists("Prog.EMS") && Exists("Prog.RRO"));
}

} // namespace
} // namespace velkor
