#include "platform/process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

// A start does not wait for the program; a failed one says why.
TEST(StartProgram, RunsWithArgumentsWithoutWaitingOrSaysWhyNot) {
  kit_test::TestDir dir;
  const std::string marker = dir.Path() + "started";
  std::string error;
  ASSERT_TRUE(StartProgram(
      "/bin/sh", {"-c", "sleep 2; echo \"$0 $1\" > " + marker, "one", "two words"}, error))
      << error;
  EXPECT_FALSE(std::filesystem::exists(marker)) << "returned only after the program ended";
  // The bound only keeps a broken start from hanging the suite.
  for (int i = 0; i < 1000 && kit_test::TestDir::Read(marker).empty(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(kit_test::TestDir::Read(marker), "one two words\n");
  EXPECT_TRUE(StartProgram("true", {}, error)) << "a bare name is searched on PATH: " << error;
  const std::string script = dir.Write("script.sh", "#!/bin/sh\nexit 0\n");
  const std::pair<std::string, const char*> cases[] = {{"/nonexistent/kit/program", "No such file"},
                                                       {script, "Permission denied"},
                                                       {"", "without a name"}};
  for (const auto& [program, reason] : cases) {
    EXPECT_FALSE(StartProgram(program, {}, error)) << program;
    EXPECT_NE(error.find("Cannot start"), std::string::npos) << error;
    EXPECT_NE(error.find(reason), std::string::npos) << error;
  }
}

} // namespace
} // namespace platform
