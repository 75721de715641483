#include "common/file_search.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

class FileSearch : public ::testing::Test {
protected:
  void SetUp() override {
    project = dir.Path() + "project/";
    program = dir.Path() + "bin/";
    EnsureLibraryDirectories(program);
  }
  kit_test::TestDir dir;
  std::string project, program;
};

TEST_F(FileSearch, CreatesLibraryDirectories) {
  EXPECT_TRUE(std::filesystem::is_directory(program + "Lib"));
  EXPECT_TRUE(std::filesystem::is_directory(program + "Default"));
  EXPECT_EQ(LibraryDirectory(program), program + "Lib/");
  EXPECT_EQ(DefaultDirectory(dir.Path() + "bin"), program + "Default/");
}

TEST_F(FileSearch, OrderProjectProgramLibDefault) {
  dir.Write("bin/Default/X.RRO", "d");
  EXPECT_EQ(SearchProjectFile("X.RRO", project, program), program + "Default/X.RRO");
  dir.Write("bin/Lib/X.RRO", "l");
  EXPECT_EQ(SearchProjectFile("X.RRO", project, program), program + "Lib/X.RRO");
  dir.Write("bin/X.RRO", "p");
  EXPECT_EQ(SearchProjectFile("X.RRO", project, program), program + "X.RRO");
  dir.Write("project/X.RRO", "j");
  EXPECT_EQ(SearchProjectFile("X.RRO", project, program), project + "X.RRO");
}

TEST_F(FileSearch, IgnoresCase) {
  dir.Write("bin/Lib/heap.rro", "l");
  EXPECT_EQ(SearchProjectFile("HEAP.RRO", project, program), program + "Lib/heap.rro");
}

TEST_F(FileSearch, MissingEverywhereGivesTheLastCandidate) {
  EXPECT_EQ(SearchProjectFile("None.RRO", project, program), program + "Default/None.RRO");
}

TEST_F(FileSearch, EntryWithDirectoryIsTakenAsIs) {
  dir.Write("elsewhere/Y.Mac", "y");
  dir.Write("project/sub/Z.Mac", "z");
  EXPECT_EQ(SearchProjectFile(dir.Path() + "elsewhere/y.mac", project, program),
            dir.Path() + "elsewhere/Y.Mac");
  EXPECT_EQ(SearchProjectFile("sub\\Z.Mac", project, program), project + "sub/Z.Mac");
  EXPECT_EQ(SearchProjectFile("/nowhere/Q.Mac", project, program), "/nowhere/Q.Mac");
}

} // namespace
} // namespace velkor
