#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat s {};
  EXPECT_EQ(::stat(path.c_str(), &s), 0) << path;
  return s.st_mode & 07777;
}

// A replaced file keeps its mode (an executable stays one); a new file gets
// the mode any other new file of the user would get, not mkstemp's 0600.
TEST(AtomicFile, ReplacedFilesKeepTheirModeAndNewOnesFollowTheUmask) {
  kit_test::TestDir dir;
  const std::string tool = dir.Write("tool.sh", "old");
  ASSERT_EQ(::chmod(tool.c_str(), 0750), 0);
  std::string error;
  ASSERT_TRUE(WriteFileAtomically(tool, std::string_view("new"), error)) << error;
  EXPECT_EQ(kit_test::TestDir::Read(tool), "new");
  EXPECT_EQ(ModeOf(tool), 0750u);

  const mode_t mask = ::umask(022);
  ASSERT_TRUE(WriteFileAtomically(dir.Path() + "fresh", std::string_view("x"), error)) << error;
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir.Path() + "fresh"), 0644u);
}

} // namespace
} // namespace platform
