#include "ide/core/project_commands.h"
#include "ide/core/project_file.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;
using platform::Answer;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// (That text read back gives the same project: the fuzz target checks it for any text.)
TEST(ProjectFile, WritesTheLayoutExactly) {
  Project p = NewProject("/w/demo", "Demo");
  p.settings = {6, 1, false, true, true, true, "/w/demo/Main.Pas"};
  p.RefreshDescriptions();
  p.AddFile("/w/demo/Main.Pas");
  p.AddFile("/lib/Io.Mac");
  p.editors = {{"/w/demo/Main.Pas", 12, 3}, {"/lib/Io.Mac", 0, 0}};
  p.currentEditor = 1;
  EXPECT_EQ(ProjectFileText(p),
            "[General]\nTarget=6\nCPU=1\nIncludePAS=0\nWriteSym=1\nPasInSym=1\n"
            "AutoIndent=1\nMainFileName=/w/demo/Main.Pas\n\n"
            "[Sources]\nSource1=Main.Pas\nSource2=/lib/Io.Mac\nSource3=Undefined\n\n"
            "[Editor]\nSource1=/w/demo/Main.Pas\nPosY1=12\nPosX1=3\n"
            "Source2=/lib/Io.Mac\nPosY2=0\nPosX2=0\nSource3=Undefined\nCurrent=1\n");
}

Project Parsed(const std::string& text) {
  Project p;
  std::string error;
  EXPECT_TRUE(ParseProjectText(text, "/w/demo/Demo.Prj", p, error)) << error;
  return p;
}

// The items after the name and directory: target, CPU and files.
TEST(ProjectFile, ReadsItemsAndSettings) {
  const std::pair<const char*, std::string> cases[] = {
      {"[General]\nTarget=2\n", "2K target device,Z80 CPU"},
      // The list ends at "Undefined" or at a gap; a file of that name cannot be stored.
      {"[Sources]\nSource1=A.Mac\nSource2=Undefined\nSource3=B.Mac\n",
       "No target device,Z80 CPU,A.Mac"},
      {"[Sources]\nSource1=A.Mac\nSource2=B.Pas\nSource4=C.Mac\n",
       "No target device,Z80 CPU,A.Mac,B.Pas"},
      {"[Sources]\nSource1=sub\\A.Mac\nSource2=C:\\X\\B.RRO\n",
       "No target device,Z80 CPU,sub/A.Mac,C:/X/B.RRO"},
      {"[general]\r\ntarget=9\r\ncpu=1\r\n[SOURCES]\r\nsource1=A.Mac\r\n",
       "256K target device,Z180 CPU,A.Mac"},
      {"[General]\nTarget=12\n", "Invalid device,Z80 CPU"},
  };
  for (const auto& [text, items] : cases) {
    const Project p = Parsed(text);
    std::string seen;
    for (std::size_t k = 2; k < p.ProjectItems.size(); ++k)
      seen += (k > 2 ? "," : "") + p.ProjectItems[k];
    EXPECT_EQ(seen, items) << text;
    EXPECT_EQ(p.ProjectItems[0] + p.ProjectItems[1], "Demo/w/demo/");
  }
  EXPECT_TRUE(Parsed("[General]\n").settings.IncludePAS); // absent: on
  // Editor entries past the slots are dropped.
  std::string editors = "[General]\n[Editor]\n";
  for (int k = 1; k <= 150; ++k)
    editors += "Source" + std::to_string(k) + "=F" + std::to_string(k) + ".Pas\n";
  EXPECT_EQ(Parsed(editors).editors.size(), kEditorSlots);
}

// (A missing or foreign file named on velkor-cli's command line is its tests'.)
TEST(ProjectFile, ForeignTextIsRefusedAndProjectKept) {
  for (const std::string text : {"", "hello world\n", "[Other]\nX=1\n"}) {
    Project p = NewProject("/w", "Keep");
    p.AddFile("/w/A.Mac");
    const auto before = p.ProjectItems;
    std::string error;
    EXPECT_FALSE(ParseProjectText(text, "/w/x.Prj", p, error));
    EXPECT_EQ(error, "/w/x.Prj is not a project file");
    EXPECT_EQ(p.ProjectItems, before);
  }
  std::string error;
  EXPECT_FALSE(WriteProjectFile(NewProject("/nonexistent/gone/", "X"), error));
  EXPECT_FALSE(error.empty());
}

// ListFiles, WriteMap, WriteHex: read as "1"/"0", absent = off; written only
// when on. Keys the program does not know, in any section, survive a save;
// entries past the new lists go.
TEST(ProjectFile, SavingKeepsForeignContentAndDropsWhatIsOff) {
  TestDir dir;
  const std::string path = dir.Write(
      "Keep.Prj", "[General]\nTarget=1\nColour=blue\nWriteMap=1\nWriteHex=0\n"
                  "[Sources]\nSource1=A.Mac\nSource2=B.Mac\nSource3=C.Mac\nSource4=Undefined\n"
                  "[Editor]\nSource1=A.Mac\nPosY1=1\nPosX1=1\nSource2=Undefined\nFont=Mono\n"
                  "[Tools]\nPath=/opt/x\n");
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(path, p, error)) << error;
  EXPECT_FALSE(p.settings.ListFiles);
  EXPECT_TRUE(p.settings.WriteMap);
  EXPECT_FALSE(p.settings.WriteHex);
  p.settings.ListFiles = true;
  p.settings.WriteMap = false;
  p.RemoveFile(1);
  p.RemoveFile(1);
  p.editors.clear();
  ASSERT_TRUE(WriteProjectFile(p, error)) << error;
  const std::string text = TestDir::Read(path);
  for (const char* kept : {"Colour=blue", "Font=Mono", "[Tools]\nPath=/opt/x",
                           "AutoIndent=0\nListFiles=1\nMainFileName="})
    EXPECT_TRUE(Contains(text, kept)) << kept << "\nin\n" << text;
  for (const char* gone : {"C.Mac", "PosY1", "WriteMap", "WriteHex"})
    EXPECT_FALSE(Contains(text, gone)) << gone << "\nin\n" << text;
}

// Every key differs from its default: one not read back shows here.
TEST(VelkorIni, ReadsAndWritesEveryKey) {
  const std::string text = "[General]\nLastProject=Demo\nLastPath=/w/demo/\nTarget=7\nCPU=1\n"
                           "IncludePAS=0\nWriteSym=1\nPasInSym=1\nAutoIndent=1\nListFiles=1\n"
                           "WriteMap=1\nWriteHex=1\n\n[Editor]\nWidth=800\nHeight=500\n"
                           "Source1=/w/demo/A.Mac\nPosY1=3\nPosX1=4\nSource2=/x/B.Pas\nPosY2=0\n"
                           "PosX2=0\nSource3=Undefined\nCurrent=1\n\n[Main]\nTop=10\nLeft=-4\n\n"
                           "[Sources]\nSource1=A.Mac\nSource2=/x/B.Pas\nSource3=Undefined\n";
  IdeSettings s;
  ParseVelkorIniText(text, "/opt/", s);
  TestDir dir;
  std::string error;
  ASSERT_TRUE(WriteVelkorIni(dir.Path() + "cfg/velkor/Velkor.ini", s, error)) << error;
  EXPECT_EQ(TestDir::Read(dir.Path() + "cfg/velkor/Velkor.ini"), text);
  // A missing file gives the defaults; a Windows path gets slashes.
  ASSERT_TRUE(ReadVelkorIni(dir.Path() + "Velkor.ini", "/opt/velkor/", s, error));
  EXPECT_EQ(s.LastProject + " " + s.LastPath, "Project1 /opt/velkor/");
  EXPECT_EQ(s.EditorWidth, 600);
  EXPECT_TRUE(s.sources.empty() && s.editors.empty() && !s.MainTop);
  ParseVelkorIniText("[General]\nLastPath=C:\\Work\\Demo\n", "/opt/", s);
  EXPECT_EQ(s.LastPath, "C:/Work/Demo/");
}

// Where the main window may write a project (how entries follow a move is
// the main window test's project saved into another folder): asked only
// before another file is replaced; No keeps it.
TEST(ProjectCommands, OverwriteQuestion) {
  struct Case {
    bool fileThere, isTheReadFile;
    Answer answer;
    bool asked, written;
  };
  const Case cases[] = {{false, false, Answer::kYes, false, true},
                        {true, true, Answer::kNo, false, true},
                        {true, false, Answer::kYes, true, true},
                        {true, false, Answer::kNo, true, false}};
  TestDir dir;
  const std::string prj = dir.Path() + "Project1.Prj";
  for (const Case& c : cases) {
    std::filesystem::remove(prj);
    if (c.fileThere) dir.Write("Project1.Prj", "old");
    platform::HeadlessUiHost host;
    host.QueueAnswer(c.answer);
    std::string error;
    EXPECT_EQ(
        WriteProjectAsking(NewProject(dir.Path()), prj, c.isTheReadFile ? prj : "", host, error),
        c.written);
    EXPECT_EQ(host.MessageBoxTexts(),
              c.asked ? std::vector<std::string>{std::string(kProjectExistsOverwrite)}
                      : std::vector<std::string>{});
    EXPECT_EQ(TestDir::Read(prj) == "old", !c.written);
  }
}

} // namespace
} // namespace velkor
