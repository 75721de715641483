#pragma once
// Runs one of our programs as a user would from a shell in a directory, and
// collects its exit status, stdout and stderr.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kit_test {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ShellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text)
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// `program` is a file name under the build's program directory; `input` is
// all its stdin, so that no run waits on the terminal ctest was started from.
inline ProgramRun RunProgram(const std::string& directory, const std::string& program,
                             const std::vector<std::string>& args, const std::string& input = "") {
  static int counter = 0;
  const std::filesystem::path capture =
      std::filesystem::temp_directory_path() /
      ("kit-run-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  const std::string in = capture.string() + ".in", out = capture.string() + ".out",
                    err = capture.string() + ".err";
  std::ofstream(in, std::ios::binary) << input;
  std::string command = "cd " + ShellQuoted(directory) + " && " +
                        ShellQuoted(std::string(KIT_BIN_DIR) + "/" + program);
  for (const std::string& a : args)
    command += " " + ShellQuoted(a);
  command += " <" + ShellQuoted(in) + " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err);
  const int raw = std::system(command.c_str());
  auto read = [](const std::string& file) {
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
  };
  ProgramRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, read(out), read(err)};
  for (const std::string& file : {in, out, err})
    std::filesystem::remove(file);
  return run;
}

// velkor-cli with the blank-separated words of `args`.
inline ProgramRun VelkorCli(const std::string& directory, const std::string& args) {
  std::vector<std::string> words;
  std::istringstream in(args);
  for (std::string word; in >> word;)
    words.push_back(word);
  return RunProgram(directory, "velkor-cli", words);
}

} // namespace kit_test
