#include "common/file_search.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

// A bare name is looked for in the project, beside the program, in Lib and in
// Default, whatever its case; a name with a directory is taken as it stands.
TEST(FileSearch, OrderProjectProgramLibDefault) {
  kit_test::TestDir dir;
  const std::string project = dir.Path() + "project/", program = dir.Path() + "bin/";
  EnsureLibraryDirectories(program);
  EXPECT_TRUE(std::filesystem::is_directory(program + "Lib"));
  EXPECT_EQ(DefaultDirectory(dir.Path() + "bin"), program + "Default/");
  EXPECT_EQ(SearchProjectFile("X.RRO", project, program), program + "Default/X.RRO");
  const std::pair<const char*, std::string> places[] = {{"bin/Lib/x.rro", program + "Lib/x.rro"},
                                                        {"bin/X.RRO", program + "X.RRO"},
                                                        {"project/X.RRO", project + "X.RRO"}};
  for (const auto& [file, found] : places) {
    dir.Write(file, "x");
    EXPECT_EQ(SearchProjectFile("X.RRO", project, program), found);
  }
  dir.Write("elsewhere/Y.Mac", "y");
  dir.Write("project/sub/Z.Mac", "z");
  EXPECT_EQ(SearchProjectFile(dir.Path() + "elsewhere/y.mac", project, program),
            dir.Path() + "elsewhere/Y.Mac");
  EXPECT_EQ(SearchProjectFile("sub\\Z.Mac", project, program), project + "sub/Z.Mac");
  EXPECT_EQ(SearchProjectFile("/nowhere/Q.Mac", project, program), "/nowhere/Q.Mac");
}

} // namespace
} // namespace velkor
