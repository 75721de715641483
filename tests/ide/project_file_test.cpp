#include "ide/core/project_file.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;

TEST(ProjectFile, WritesTheLayoutExactly) {
  Project p = NewProject("/w/demo", "Demo");
  p.settings.WriteSym = true;
  p.settings.IncludePAS = false;
  p.settings.MainFileName = "/w/demo/Main.Pas";
  p.SetTarget(6);
  p.SetCpu(1);
  p.AddFile("/w/demo/Main.Pas");
  p.AddFile("/lib/Io.Mac");
  p.editors = {{"/w/demo/Main.Pas", 12, 3}, {"/lib/Io.Mac", 0, 0}};
  p.currentEditor = 1;
  EXPECT_EQ(ProjectFileText(p),
            "[General]\nTarget=6\nCPU=1\nIncludePAS=0\nWriteSym=1\nPasInSym=0\nAutoIndent=0\n"
            "MainFileName=/w/demo/Main.Pas\n\n"
            "[Sources]\nSource1=Main.Pas\nSource2=/lib/Io.Mac\nSource3=Undefined\n\n"
            "[Editor]\nSource1=/w/demo/Main.Pas\nPosY1=12\nPosX1=3\nSource2=/lib/"
            "Io.Mac\nPosY2=0\nPosX2=0\n"
            "Source3=Undefined\nCurrent=1\n");
}

TEST(ProjectFile, RoundTripThroughTheFile) {
  TestDir dir;
  Project p = NewProject(dir.Path(), "Round");
  p.settings = {9, 1, false, true, true, true, dir.Path() + "M.Pas"};
  p.RefreshDescriptions();
  for (const char* f : {"M.Pas", "Lib.Mac", "Obj.RRO"})
    p.AddFile(dir.Path() + f);
  p.AddFile("/abs/Other.Mac");
  p.editors = {{dir.Path() + "M.Pas", 5, 7}};
  std::string error;
  ASSERT_TRUE(WriteProjectFile(p, error)) << error;
  Project back;
  ASSERT_TRUE(ReadProjectFile(dir.Path() + "Round.Prj", back, error)) << error;
  EXPECT_EQ(back.ProjectItems, p.ProjectItems);
  EXPECT_EQ(back.ProjectItems[kItemTarget], "256K target device");
  // Every setting differs from its default: one not read back shows here.
  EXPECT_EQ(ProjectFileText(back), ProjectFileText(p));
}

// ListFiles, WriteMap, WriteHex: read as "1"/"0", absent = off; written only
// when on, and a key turned off leaves the file instead of being carried over.
TEST(ProjectFile, OutputKeysReadWrittenAndDropped) {
  TestDir dir;
  const std::string path = dir.Write("O.Prj", "[General]\nTarget=0\nWriteMap=1\nWriteHex=0\n");
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(path, p, error)) << error;
  EXPECT_FALSE(p.settings.ListFiles);
  EXPECT_TRUE(p.settings.WriteMap);
  EXPECT_FALSE(p.settings.WriteHex);

  p.settings.ListFiles = true;
  p.settings.WriteMap = false;
  ASSERT_TRUE(WriteProjectFile(p, error)) << error;
  const std::string text = TestDir::Read(path);
  EXPECT_NE(text.find("AutoIndent=0\nListFiles=1\nMainFileName="), std::string::npos) << text;
  EXPECT_EQ(text.find("WriteMap"), std::string::npos) << text;
  EXPECT_EQ(text.find("WriteHex"), std::string::npos) << text;
  Project back;
  ASSERT_TRUE(ReadProjectFile(path, back, error)) << error;
  EXPECT_TRUE(back.settings.ListFiles);
  EXPECT_FALSE(back.settings.WriteMap);
}

TEST(ProjectFile, ReadsItemsAndSettings) {
  struct Case {
    const char* text;
    std::vector<std::string> files;
    bool includePas;
    int target;
    const char* targetDescription;
  };
  const char* const kNone = "No target device";
  const Case cases[] = {
      {"[General]\nTarget=2\n", {}, true, 2, "2K target device"}, // IncludePAS absent: on
      {"[General]\nIncludePAS=0\n", {}, false, 0, kNone},
      // The list ends at "Undefined" or at a gap; a file of that name cannot be stored.
      {"[Sources]\nSource1=A.Mac\nSource2=Undefined\nSource3=B.Mac\n", {"A.Mac"}, true, 0, kNone},
      {"[Sources]\nSource1=Undefined\nSource2=A.Mac\n", {}, true, 0, kNone},
      {"[Sources]\nSource1=A.Mac\nSource2=B.Pas\nSource4=C.Mac\n",
       {"A.Mac", "B.Pas"},
       true,
       0,
       kNone},
      {"[Sources]\nSource1=sub\\A.Mac\nSource2=C:\\X\\B.RRO\nSource3=Undefined\n",
       {"sub/A.Mac", "C:/X/B.RRO"},
       true,
       0,
       kNone},
      {"[general]\r\ntarget=9\r\n[SOURCES]\r\nsource1=A.Mac\r\n",
       {"A.Mac"},
       true,
       9,
       "256K target device"},
      {"[General]\nTarget=12\n", {}, true, 12, "Invalid device"},
      {"[General]\nTarget=big\nCPU=x\n", {}, true, 0, kNone},
  };
  for (const Case& c : cases) {
    Project p;
    std::string error;
    ASSERT_TRUE(ParseProjectText(c.text, "/w/demo/Demo.Prj", p, error)) << error;
    std::vector<std::string> expected = {"Demo", "/w/demo/", c.targetDescription, "Z80 CPU"};
    expected.insert(expected.end(), c.files.begin(), c.files.end());
    EXPECT_EQ(p.ProjectItems, expected) << c.text;
    EXPECT_EQ(p.settings.IncludePAS, c.includePas) << c.text;
    EXPECT_EQ(p.settings.Target, c.target) << c.text;
  }
}

TEST(ProjectFile, ForeignFileIsRefusedAndProjectKept) {
  for (std::string text : {std::string(""), std::string("hello world\n"),
                           std::string("\x7f"
                                       "ELF\x01\x02\0\0",
                                       8),
                           std::string("[Other]\nX=1\n")}) {
    Project p = NewProject("/w", "Keep");
    p.AddFile("/w/A.Mac");
    auto before = p.ProjectItems;
    std::string error;
    EXPECT_FALSE(ParseProjectText(text, "/w/x.Prj", p, error));
    EXPECT_EQ(error, "/w/x.Prj is not a project file");
    EXPECT_EQ(p.ProjectItems, before);
  }
}

TEST(ProjectFile, UnreadableFileIsAnError) {
  TestDir dir;
  Project p;
  std::string error;
  EXPECT_FALSE(ReadProjectFile(dir.Path() + "none.Prj", p, error));
  EXPECT_NE(error.find("none.Prj"), std::string::npos);
  EXPECT_FALSE(ReadProjectFile(dir.Path(), p, error)) << "a directory";
}

TEST(ProjectFile, ReadingLimitsEditorsToTheSlots) {
  std::string text = "[General]\n[Editor]\n";
  for (int k = 1; k <= 150; ++k)
    text += "Source" + std::to_string(k) + "=F" + std::to_string(k) + ".Pas\n";
  Project p;
  std::string error;
  ASSERT_TRUE(ParseProjectText(text, "/w/x.Prj", p, error));
  EXPECT_EQ(p.editors.size(), kEditorSlots);
}

TEST(ProjectFile, SavingKeepsForeignContentAndDropsStaleEntries) {
  TestDir dir;
  std::string path = dir.Write(
      "Keep.Prj", "[General]\nTarget=1\nColour=blue\n[Sources]\nSource1=A.Mac\nSource2=B.Mac\n"
                  "Source3=C.Mac\nSource4=Undefined\n[Editor]\nSource1=A.Mac\nPosY1=1\nPosX1=1\n"
                  "Source2=Undefined\nFont=Mono\n[Tools]\nPath=/opt/x\n");
  Project p;
  std::string error;
  ASSERT_TRUE(ReadProjectFile(path, p, error)) << error;
  p.RemoveFile(1);
  p.RemoveFile(1);
  p.editors.clear();
  ASSERT_TRUE(WriteProjectFile(p, error)) << error;
  std::string text = TestDir::Read(path);
  EXPECT_NE(text.find("Colour=blue"), std::string::npos) << text;
  EXPECT_NE(text.find("Font=Mono"), std::string::npos) << text;
  EXPECT_NE(text.find("[Tools]\nPath=/opt/x"), std::string::npos) << text;
  EXPECT_EQ(text.find("C.Mac"), std::string::npos) << text;
  EXPECT_EQ(text.find("PosY1"), std::string::npos) << text;
  Project back;
  ASSERT_TRUE(ReadProjectFile(path, back, error));
  EXPECT_EQ(back.Files(), (std::vector<std::string>{"A.Mac"}));
}

TEST(ProjectFile, FailedWriteLeavesTheOldFile) {
  TestDir dir;
  Project p = NewProject(dir.Path() + "gone/", "X");
  std::string error;
  EXPECT_FALSE(WriteProjectFile(p, error));
  EXPECT_FALSE(error.empty());
}

TEST(VelkorIni, MissingFileGivesDefaults) {
  TestDir dir;
  IdeSettings s;
  s.LastProject = "stale";
  std::string error;
  ASSERT_TRUE(ReadVelkorIni(dir.Path() + "Velkor.ini", "/opt/velkor/", s, error));
  EXPECT_EQ(s.LastProject, "Project1");
  EXPECT_EQ(s.LastPath, "/opt/velkor/");
  EXPECT_EQ(s.EditorWidth, 600);
  EXPECT_EQ(s.EditorHeight, 440);
  EXPECT_FALSE(s.MainTop);
  EXPECT_TRUE(s.sources.empty());
}

TEST(VelkorIni, RoundTripWithItsKeys) {
  TestDir dir;
  std::string path = dir.Path() + "cfg/velkor/Velkor.ini";
  IdeSettings s;
  s.LastProject = "Demo";
  s.LastPath = "/w/demo/";
  s.settings.Target = 7;
  s.settings.WriteSym = true;
  s.EditorWidth = 800;
  s.EditorHeight = 500;
  s.MainTop = 10;
  s.MainLeft = -4;
  s.sources = {"A.Mac", "/x/B.Pas"};
  s.editors = {{"/w/demo/A.Mac", 3, 4}};
  std::string error;
  ASSERT_TRUE(WriteVelkorIni(path, s, error)) << error;
  std::string text = TestDir::Read(path);
  for (const char* line :
       {"[General]\nLastProject=Demo\nLastPath=/w/demo/\nTarget=7\n", "WriteSym=1",
        "[Editor]\nWidth=800\nHeight=500\nSource1=/w/demo/A.Mac\n", "[Main]\nTop=10\nLeft=-4\n",
        "[Sources]\nSource1=A.Mac\nSource2=/x/B.Pas\nSource3=Undefined\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\nin\n" << text;
  }
  EXPECT_EQ(text.find("MainFileName"), std::string::npos);
  // Read back and written again, the file is the same.
  IdeSettings back;
  ASSERT_TRUE(ReadVelkorIni(path, "/opt/", back, error)) << error;
  ASSERT_TRUE(WriteVelkorIni(dir.Path() + "again.ini", back, error)) << error;
  EXPECT_EQ(TestDir::Read(dir.Path() + "again.ini"), text);
}

TEST(VelkorIni, WindowsPathGetsSlashes) {
  IdeSettings s;
  ParseVelkorIniText("[General]\nLastPath=C:\\Work\\Demo\n", "/opt/", s);
  EXPECT_EQ(s.LastPath, "C:/Work/Demo/");
}

} // namespace
} // namespace velkor
