#pragma once
// Runs the kavrin-cli program as a user would, with stdin from a file or an
// open pipe, and collects stdout, stderr and the exit code.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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
  std::filesystem::path path() const { return Path(); }
  std::string Write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    return TestDir::Write(name, std::string(bytes.begin(), bytes.end()));
  }
  std::string WriteText(const std::string& name, const std::string& text) const {
    return TestDir::Write(name, text);
  }
};

inline std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

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
    const int in = keepStdinOpen ? pipeFds[0] : ::open(inPath.c_str(), O_RDONLY);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (keepStdinOpen) ::close(pipeFds[1]);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
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
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
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
  result.out = ReadAll(outPath);
  result.err = ReadAll(errPath);
  for (const std::string& file : {outPath, errPath, inPath})
    std::filesystem::remove(file);
  return result;
}

} // namespace kavrin::testing
