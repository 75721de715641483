// kavrin-cli on a terminal: keys reach the program as typed (no line
// buffering, no echo) and the terminal's mode is back after the run, also
// when Ctrl+C ends it.

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "cli_runner.h"

namespace kavrin {
namespace {

using testing::TempDir;

struct PtyRun {
  int master = -1;
  int slave = -1; // kept open by the test to read the mode
  pid_t child = -1;
};

PtyRun Start(const std::string& image) {
  PtyRun run;
  EXPECT_EQ(::openpty(&run.master, &run.slave, nullptr, nullptr, nullptr), 0);
  run.child = ::fork();
  if (run.child == 0) {
    ::setsid();
    ::ioctl(run.slave, TIOCSCTTY, 0);
    ::dup2(run.slave, 0);
    ::dup2(run.slave, 1);
    ::dup2(run.slave, 2);
    const std::string program = std::string(KIT_BIN_DIR) + "/kavrin-cli";
    ::execl(program.c_str(), program.c_str(), "run", image.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  return run;
}

bool Canonical(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}

// Waits until the child has set the terminal raw (or gives up).
bool BecomesRaw(int fd) {
  for (int i = 0; i < 200; ++i) {
    if (!Canonical(fd)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int WaitFor(pid_t child) {
  int status = 0;
  for (int i = 0; i < 500 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return status;
}

TEST(KavrinCliTerminal, KeysGoThroughRawAndTheModeComesBack) {
  TempDir dir;
  // WAIT: IN A,(81H) / OR A / JR Z,WAIT / IN A,(80H) / OUT (80H),A / CP '.' / JR NZ,WAIT / HALT
  const std::string echo = dir.Write("echo.rom", {0xDB, 0x81, 0xB7, 0x28, 0xFB, 0xDB, 0x80, 0xD3,
                                                  0x80, 0xFE, 0x2E, 0x20, 0xF3, 0x76});
  PtyRun run = Start(echo);
  ASSERT_TRUE(BecomesRaw(run.slave));
  // No Enter: a line-buffered terminal would hold these back.
  ASSERT_EQ(::write(run.master, "ok.", 3), 3);
  const int status = WaitFor(run.child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(Canonical(run.slave));
  char out[16] = {};
  const ssize_t got = ::read(run.master, out, sizeof out);
  EXPECT_EQ(std::string(out, got > 0 ? static_cast<std::size_t>(got) : 0), "ok.");
  ::close(run.master);
  ::close(run.slave);
}

TEST(KavrinCliTerminal, CtrlCRestoresTheMode) {
  TempDir dir;
  const std::string loop = dir.Write("loop.rom", {0x18, 0xFE}); // JR $
  PtyRun run = Start(loop);
  ASSERT_TRUE(BecomesRaw(run.slave));
  ASSERT_EQ(::write(run.master, "\x03", 1), 1);
  const int status = WaitFor(run.child);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_TRUE(Canonical(run.slave));
  ::close(run.master);
  ::close(run.slave);
}

} // namespace
} // namespace kavrin
