// Where the main window may write a project, and how entries follow a move.

#include "ide/core/project_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ide/core/project_file.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

class ProjectCommands : public ::testing::Test {
protected:
  ProjectCommands() {
    std::filesystem::create_directories(Path("old"));
    std::filesystem::create_directories(Path("new"));
  }
  std::string Path(const std::string& name) const { return dir.Path() + name; }
  kit_test::TestDir dir;
};

struct OverwriteCase {
  const char* name;
  bool fileThere;
  bool isTheReadFile;
  platform::Answer answer;
  bool asked;
  bool written;
};

TEST_F(ProjectCommands, OverwriteQuestion) {
  const OverwriteCase cases[] = {
      {"new file", false, false, platform::Answer::kYes, false, true},
      {"the file it was read from", true, true, platform::Answer::kNo, false, true},
      {"another file, Yes", true, false, platform::Answer::kYes, true, true},
      {"another file, No", true, false, platform::Answer::kNo, true, false},
  };
  for (const OverwriteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string prj = Path("old/Project1.Prj");
    std::filesystem::remove(prj);
    if (c.fileThere) dir.Write("old/Project1.Prj", "[General]\nTarget=3\n");
    platform::HeadlessUiHost host;
    host.QueueAnswer(c.answer);
    Project project = NewProject(Path("old/"));
    std::string error;
    EXPECT_EQ(WriteProjectAsking(project, prj, c.isTheReadFile ? prj : "", host, error), c.written);
    EXPECT_EQ(error, "");
    EXPECT_EQ(host.MessageBoxTexts().size(), c.asked ? 1u : 0u);
    if (c.asked) EXPECT_EQ(host.MessageBoxTexts()[0], kProjectExistsOverwrite);
    EXPECT_EQ(kit_test::TestDir::Read(prj) == "[General]\nTarget=3\n", !c.written);
  }
}

TEST_F(ProjectCommands, MovingKeepsEveryFileReachable) {
  Project project = NewProject(Path("old/"), "Demo");
  project.AddFile(Path("old/Main.Pas"));
  project.AddFile(Path("new/Io.Mac"));
  project.AddFile("/lib/Rtl.RRO");
  const Project moved = ProjectMovedTo(project, Path("new"), "Copy");
  EXPECT_EQ(moved.Name(), "Copy");
  EXPECT_EQ(moved.Directory(), Path("new/"));
  EXPECT_EQ(moved.Files(),
            (std::vector<std::string>{Path("old/Main.Pas"), "Io.Mac", "/lib/Rtl.RRO"}));
  EXPECT_EQ(moved.ProjectItems[kItemTarget], project.ProjectItems[kItemTarget]);
  // The same directory changes nothing but the name.
  EXPECT_EQ(ProjectMovedTo(project, Path("old/"), "Demo").ProjectItems, project.ProjectItems);
}

} // namespace
} // namespace velkor
