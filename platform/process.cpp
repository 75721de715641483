#include "platform/process.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  std::string& error) {
  if (program.empty()) {
    error = "Cannot start a program without a name";
    return false;
  }
  // Everything the children need is prepared before fork: after it only
  // async-signal-safe calls are made.
  std::vector<std::string> storage;
  storage.push_back(program);
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : storage)
    argv.push_back(s.data());
  argv.push_back(nullptr);
  bool searchPath = program.find('/') == std::string::npos;

  // The grandchild reports a failed exec through this pipe; a successful exec
  // closes it (close-on-exec) without writing.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    error = std::string("Cannot start ") + program + ": " + std::strerror(errno);
    return false;
  }
  pid_t child = ::fork();
  if (child < 0) {
    int saved = errno;
    ::close(report[0]);
    ::close(report[1]);
    error = std::string("Cannot start ") + program + ": " + std::strerror(saved);
    return false;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    pid_t grandchild = ::fork();
    if (grandchild == 0) {
      if (searchPath)
        ::execvp(argv[0], argv.data());
      else
        ::execv(argv[0], argv.data());
      int code = errno;
      ssize_t ignored = ::write(report[1], &code, sizeof code);
      (void)ignored;
      ::_exit(127);
    }
    if (grandchild < 0) {
      int code = errno;
      ssize_t ignored = ::write(report[1], &code, sizeof code);
      (void)ignored;
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int code = 0;
  ssize_t got;
  while ((got = ::read(report[0], &code, sizeof code)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got == static_cast<ssize_t>(sizeof code)) {
    error = std::string("Cannot start ") + program + ": " + std::strerror(code);
    return false;
  }
  return true;
}

} // namespace platform
