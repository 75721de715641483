#pragma once
// Runs the kavrin-cli program as a user would, with stdin from a file or an
// open pipe, and collects stdout, stderr and the exit code; builds the
// programs it runs with velkor-cli.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace kavrin::testing {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err;
  bool timedOut = false;
};

// The test's own directory, for images as well as text.
class TempDir : public kit_test::TestDir {
public:
  std::string Image(const std::string& name, const std::vector<unsigned char>& bytes) const {
    return TestDir::Write(name, std::string(bytes.begin(), bytes.end()));
  }
  // Builds NAME.Mac for the Z180 with velkor-cli and gives the image's path.
  std::string BuildZ180(const std::string& name, const std::string& source) const {
    Write(name + ".Mac", source);
    const auto created = kit_test::RunProgram(
        Path(), "velkor-cli", {"new", name + ".Prj", "--cpu", "Z180", name + ".Mac"});
    EXPECT_EQ(created.status, 0) << created.err;
    const auto built = kit_test::RunProgram(Path(), "velkor-cli", {"build", name + ".Prj"});
    EXPECT_EQ(built.status, 0) << built.out << built.err;
    return Path() + name + ".ROM";
  }
};

// With keepStdinOpen the program's stdin is a pipe that stays open and empty
// until it ends, as an idle terminal would be.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                        bool keepStdinOpen = false, int timeoutSeconds = 60) {
  static int counter = 0;
  const std::string capture =
      std::filesystem::temp_directory_path() /
      ("kavrin-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  const std::string outPath = capture + ".out", errPath = capture + ".err",
                    inPath = capture + ".in";
  std::ofstream(inPath, std::ios::binary) << input;
  int pipeFds[2] = {-1, -1};
  if (keepStdinOpen && ::pipe(pipeFds) != 0) return {};
  const std::string program = std::string(KIT_BIN_DIR) + "/kavrin-cli";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(keepStdinOpen ? pipeFds[0] : ::open(inPath.c_str(), O_RDONLY), 0);
    ::dup2(::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    if (keepStdinOpen) ::close(pipeFds[1]);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  if (keepStdinOpen) ::close(pipeFds[0]);
  CliResult result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  while (::waitpid(pid, &status, WNOHANG) != pid) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (keepStdinOpen) ::close(pipeFds[1]);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = kit_test::TestDir::Read(outPath);
  result.err = kit_test::TestDir::Read(errPath);
  for (const std::string& file : {outPath, errPath, inPath})
    std::filesystem::remove(file);
  return result;
}

} // namespace kavrin::testing
