// Pascal entries of the build commands and velkor-cli main.

#include "ide/core/build_pascal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/encoded_lines.h"
#include "platform/ui_host.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using kit_test::TestDir;

const char* const kProgram = "PROGRAM PROG;\r\nVAR B: BYTE;\r\nBEGIN B := 1 END.\r\n";

class PascalBuild : public ::testing::Test {
protected:
  PascalBuild() : project(NewProject(dir.Path(), "PROJ")) {}

  void Write(const std::string& name, const std::string& text) { dir.Write(name, text); }
  std::string Read(const std::string& name) { return TestDir::Read(dir.Path() + name); }
  bool Exists(const std::string& name) const { return fs::exists(dir.Path() + name); }
  bool HasLine(const std::string& line) const {
    const Lines& lines = messages.Lines();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  bool HasLineContaining(const std::string& text) const {
    for (const std::string& line : messages.Lines())
      if (line.find(text) != std::string::npos) return true;
    return false;
  }
  BuildSession Session() { return BuildSession{project, messages, ui, dir.Path() + "prog/"}; }

  TestDir dir;
  Project project;
  MessageList messages;
  platform::HeadlessUiHost ui;
};

TEST_F(PascalBuild, AllFilesCompilesPascalAssemblesMacAndLeavesObjects) {
  Write("A.Mac", "\tCODE\r\n\tnop\r\n\tEND\r\n");
  Write("B.Pas", kProgram);
  project.AddFile("A.Mac");
  project.AddFile("B.Pas");
  project.AddFile("C.RRO");
  BuildSession session = Session();
  ASSERT_TRUE(session.BuildAllFiles()) << [&] {
    std::string s;
    for (const auto& l : messages.Lines())
      s += l + "\n";
    return s;
  }();
  EXPECT_TRUE(HasLine("Compile: B.Pas"));
  EXPECT_TRUE(HasLineContaining("Code size: "));
  EXPECT_TRUE(HasLineContaining("Data size: 1 bytes"));
  EXPECT_TRUE(HasLineContaining("B.Mac"));
  EXPECT_TRUE(Exists("A.RRO"));
  EXPECT_TRUE(Exists("B.Mac"));
  EXPECT_TRUE(Exists("B.RRO"));
}

TEST_F(PascalBuild, ACompileErrorStopsTheBuildAndKeepsTheOldOutput) {
  Write("B.Pas", "PROGRAM PROG;\r\nBEGIN X := 1 END.\r\n");
  Write("B.Mac", "old");
  Write("D.Mac", "\tCODE\r\n\tEND\r\n");
  project.AddFile("B.Pas");
  project.AddFile("D.Mac");
  BuildSession session = Session();
  EXPECT_FALSE(session.BuildAllFiles());
  EXPECT_TRUE(session.errorFlag);
  EXPECT_EQ(messages.Lines().back(), "Undefined identifier");
  EXPECT_EQ(Read("B.Mac"), "old");
  EXPECT_FALSE(Exists("D.RRO")) << "the build stops at the first error";
  ASSERT_TRUE(ui.LastEditorPosition().has_value());
  EXPECT_EQ(ui.LastEditorPosition()->line, 1);
}

// "Compile/Assemble file" decides by the extension, whatever its case.
TEST_F(PascalBuild, EditorFileByExtension) {
  Write("A.pas", kProgram);
  Write("B.mac", "\tCODE\r\n\tEND\r\n");
  Write("C.txt", "x");
  BuildSession session = Session();
  EXPECT_TRUE(BuildEditorFile(session, dir.Path() + "A.pas"));
  EXPECT_TRUE(HasLine("Procedures:     1"));
  EXPECT_TRUE(Exists("A.RRO"));
  EXPECT_TRUE(BuildEditorFile(session, dir.Path() + "B.mac"));
  EXPECT_TRUE(Exists("B.RRO"));
  EXPECT_FALSE(BuildEditorFile(session, dir.Path() + "C.txt"));
  ASSERT_EQ(ui.MessageBoxTexts().size(), 1u);
  EXPECT_EQ(ui.MessageBoxTexts()[0], kUnknownFileType);
}

TEST_F(PascalBuild, MainFileSummaryLines) {
  Write("Prog.Pas", kProgram);
  project.settings.MainFileName = "Prog.Pas";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  const Lines& lines = messages.Lines();
  ASSERT_GE(lines.size(), 10u);
  const Lines summary(lines.begin(), lines.begin() + 10);
  EXPECT_EQ(summary, (Lines{"", "        Compile: Prog.Pas", "Code size:      6 bytes",
                            "Data size:      1 bytes", "Identifiers:    49", "CodeBlocks:     1",
                            "Arrays/Strings: 0", "OverlayAreas:   0", "",
                            "Assemble: " + dir.Path() + "Prog.Mac"}));
  EXPECT_TRUE(Exists("Prog.RRO"));
}

TEST_F(PascalBuild, MainFileWithOverlaysListsItsBuffers) {
  Write("Prog.Pas", "PROGRAM PROG;\r\nVAR B: BYTE;\r\n{#O+}\r\nPROCEDURE P; BEGIN B := 1 "
                    "END;\r\nPROCEDURE Q; BEGIN END;\r\n"
                    "{#O-}\r\nBEGIN INITOVERLAY; P END.\r\n");
  project.settings.MainFileName = "Prog.Pas";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  EXPECT_TRUE(HasLine("OverlayAreas:   1"));
  EXPECT_TRUE(HasLine("Buffer 1 6 bytes"));
  EXPECT_TRUE(HasLine("OverlayAreaSize:6 bytes"));
  EXPECT_TRUE(HasLine("OverlaySaving  :1 bytes"));
}

TEST_F(PascalBuild, MissingPasIsReplacedByItsEpsAndTheEmsIsAssembled) {
  std::string error;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "Prog.EPS",
                               {"PROGRAM PROG;", "VAR B: BYTE;", "BEGIN B := 1 END."}, error))
      << error;
  Write("Prog.Mac", "this older file must not be assembled");
  project.settings.MainFileName = "Prog.Pas";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  EXPECT_TRUE(Exists("Prog.EMS"));
  EXPECT_TRUE(HasLine("Assemble: " + dir.Path() + "Prog.EMS"));
  EXPECT_FALSE(HasLineContaining("Prog.Mac"));
  EXPECT_TRUE(Exists("Prog.RRO"));
}

TEST_F(PascalBuild, AnEpsMainFileGivesEncodedOutput) {
  std::string error;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "Prog.EPS",
                               {"PROGRAM PROG;", "VAR B: BYTE;", "BEGIN B := 1 END."}, error));
  project.settings.MainFileName = "Prog.EPS";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  EXPECT_TRUE(Exists("Prog.EMS"));
  EXPECT_FALSE(Exists("Prog.Mac"));
}

TEST_F(PascalBuild, APlainCompileAfterAnEncodedOneWritesMacAgain) {
  std::string error;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "Prog.EPS", {"PROGRAM PROG;", "BEGIN END."}, error));
  project.settings.MainFileName = "Prog.Pas";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  Write("Prog.Pas", kProgram);
  ASSERT_TRUE(CompileMainFile(session));
  EXPECT_TRUE(Exists("Prog.Mac"));
  EXPECT_TRUE(HasLine("Assemble: " + dir.Path() + "Prog.Mac"));
}

// "Prog.Pasx" counts as a .PAS main file; missing, it is replaced by Prog.EPS.
TEST_F(PascalBuild, TheExtensionsFirstFourCharactersDecide) {
  std::string error;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "Prog.EPS", {"PROGRAM PROG;", "BEGIN END."}, error));
  project.settings.MainFileName = "Prog.Pasx";
  BuildSession session = Session();
  ASSERT_TRUE(CompileMainFile(session));
  EXPECT_TRUE(Exists("Prog.EMS"));
}

TEST_F(PascalBuild, NoPascalMainFileDoesNothing) {
  project.settings.MainFileName = "Prog.Mac";
  messages.AddMessageLine("kept");
  BuildSession session = Session();
  EXPECT_TRUE(CompileMainFile(session));
  EXPECT_EQ(messages.Lines(), (Lines{"kept"}));
}

kit_test::ProgramRun Cli(const TestDir& dir, const std::vector<std::string>& args) {
  return kit_test::RunProgram(dir.Path(), "velkor-cli", args);
}

TEST_F(PascalBuild, CliMainExitCodes) {
  Write("Prog.Pas", kProgram);
  project.settings.MainFileName = "Prog.Pas";
  project.AddFile("Prog.Pas");
  ASSERT_EQ(Cli(dir, {"new", "PROJ.Prj", "--main", "Prog.Pas", "--no-rtl", "Prog.Pas"}).status, 0);
  const kit_test::ProgramRun ok = Cli(dir, {"main", "PROJ.Prj"});
  EXPECT_EQ(ok.status, 0) << ok.out;
  EXPECT_NE(ok.out.find("CodeBlocks:     1"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("Completed. No fatal errors..."), std::string::npos) << ok.out;
  EXPECT_TRUE(Exists("Prog.RRO"));
  EXPECT_EQ(ok.out.find("Linker"), std::string::npos) << "main does not link";

  Write("Prog.Pas", "PROGRAM PROG;\r\nBEGIN X := 1 END.\r\n");
  const kit_test::ProgramRun failed = Cli(dir, {"main", "PROJ.Prj"});
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find("Undefined identifier"), std::string::npos) << failed.out;

  EXPECT_EQ(Cli(dir, {"main"}).status, 2);
  const kit_test::ProgramRun help = Cli(dir, {"--help"});
  EXPECT_NE(help.out.find("main"), std::string::npos) << help.out;
}

} // namespace
} // namespace velkor
