#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

// Waits for a detached program's sign of life; the bound only keeps a broken
// start from hanging the suite.
bool AppearsWithin(const std::string& file, int seconds) {
  for (int i = 0; i < seconds * 50; ++i) {
    if (std::filesystem::exists(file) && !kit_test::TestDir::Read(file).empty()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(StartProgram, RunsByPathWithArgumentsWithoutWaiting) {
  kit_test::TestDir dir;
  std::string marker = dir.Path() + "started";
  std::string error;
  ASSERT_TRUE(StartProgram(
      "/bin/sh", {"-c", "sleep 2; echo \"$0 $1\" > " + marker, "one", "two words"}, error))
      << error;
  EXPECT_FALSE(std::filesystem::exists(marker)) << "returned only after the program ended";
  ASSERT_TRUE(AppearsWithin(marker, 20));
  EXPECT_EQ(kit_test::TestDir::Read(marker), "one two words\n");
}

TEST(StartProgram, SearchesPathForABareName) {
  std::string error;
  EXPECT_TRUE(StartProgram("true", {}, error)) << error;
}

struct FailureCase {
  const char* name;
  std::string program;
  const char* reason;
};

class StartFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(StartFailure, IsReported) {
  kit_test::TestDir dir;
  std::string program = GetParam().program;
  if (program == "<not executable>") program = dir.Write("script.sh", "#!/bin/sh\nexit 0\n");
  std::string error;
  EXPECT_FALSE(StartProgram(program, {}, error));
  EXPECT_NE(error.find("Cannot start"), std::string::npos) << error;
  EXPECT_NE(error.find(GetParam().reason), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Programs, StartFailure,
    ::testing::Values(FailureCase{"Missing", "/nonexistent/kit/program", "No such file"},
                      FailureCase{"NotOnPath", "kit-no-such-program-here", "No such file"},
                      FailureCase{"NotExecutable", "<not executable>", "Permission denied"},
                      FailureCase{"Directory", "/tmp", "Permission denied"},
                      FailureCase{"Empty", "", "without a name"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace platform
