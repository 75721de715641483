// Where the main window may write a project, and how entries follow a move.

#include "ide/core/project_commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ide/core/project_file.h"

namespace velkor {
namespace {

namespace fs = std::filesystem;

class ProjectCommands : public ::testing::Test {
protected:
  ProjectCommands() {
    dir = fs::temp_directory_path() /
          ("velkor_project_commands_" +
           std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir / "old");
    fs::create_directories(dir / "new");
  }
  ~ProjectCommands() override { fs::remove_all(dir); }
  std::string Path(const std::string& name) const { return (dir / name).string(); }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir;
  platform::HeadlessUiHost ui;
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
    fs::remove(prj);
    if (c.fileThere) std::ofstream(prj) << "[General]\nTarget=3\n";
    platform::HeadlessUiHost host;
    host.QueueAnswer(c.answer);
    Project project = NewProject(Path("old/"));
    std::string error;
    EXPECT_EQ(WriteProjectAsking(project, prj, c.isTheReadFile ? prj : "", host, error), c.written);
    EXPECT_EQ(error, "");
    EXPECT_EQ(host.MessageBoxTexts().size(), c.asked ? 1u : 0u);
    if (c.asked) EXPECT_EQ(host.MessageBoxTexts()[0], kProjectExistsOverwrite);
    EXPECT_EQ(Read("old/Project1.Prj") == "[General]\nTarget=3\n", !c.written);
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
