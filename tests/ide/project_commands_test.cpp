// Where the main window may write a project (how entries follow a move is
// the main window test's project saved into another folder).

#include "ide/core/project_commands.h"

#include <gtest/gtest.h>

#include "ide/core/project_file.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;
using platform::Answer;

// Asked only before another file is replaced; No keeps it.
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
