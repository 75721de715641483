#pragma once
// Runs the kavrin-cli program as a user would, with stdin from a file or an
// open pipe, and collects stdout, stderr and the exit code.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace kavrin::testing {

struct CliResult {
  int exitCode = -1;
  std::string out;
  std::string err; // after timeoutSeconds the exit code is timeout's 124
};

// The test's own directory, for images as well as text.
class TempDir : public kit_test::TestDir {
public:
  std::string Image(const std::string& name, const std::vector<unsigned char>& bytes) const {
    return TestDir::Write(name, std::string(bytes.begin(), bytes.end()));
  }
};

// With keepStdinOpen the program's stdin is a pipe that stays open and empty
// until it ends, as an idle terminal would be: a FIFO the program itself
// also holds open for writing.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& input = "",
                        bool keepStdinOpen = false, int timeoutSeconds = 60) {
  static int counter = 0;
  const std::string capture =
      std::filesystem::temp_directory_path() /
      ("kavrin-cli-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::ofstream(capture + ".in", std::ios::binary) << input;
  std::string command = "timeout " + std::to_string(timeoutSeconds) + " " KIT_BIN_DIR "/kavrin-cli";
  for (const std::string& a : args)
    command += " " + kit_test::ShellQuoted(a);
  if (keepStdinOpen)
    command = "mkfifo " + capture + ".fifo && " + command + " 3<>" + capture + ".fifo <" + capture +
              ".fifo";
  else
    command += " <" + capture + ".in";
  const int status = std::system((command + " >" + capture + ".out 2>" + capture + ".err").c_str());
  CliResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                   kit_test::TestDir::Read(capture + ".out"),
                   kit_test::TestDir::Read(capture + ".err")};
  for (const char* file : {".in", ".fifo", ".out", ".err"})
    std::filesystem::remove(capture + file);
  return result;
}

} // namespace kavrin::testing
