// kavrin-cli on a terminal: keys reach the program as typed (no line
// buffering, no echo) and the terminal's mode is back after the run, also
// when Ctrl+C ends it.

#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <csignal>
#include <cstring>
#include <thread>

#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kavrin {
namespace {

bool Canonical(int fd) {
  termios t{};
  ::tcgetattr(fd, &t);
  return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
}

struct TerminalCase {
  std::vector<unsigned char> image;
  const char* keys;
  int waitStatus; // 0: the program's HALT; SIGINT: ended by the signal
  const char* output;
};

TEST(KavrinCliTerminal, KeysGoThroughRawAndTheModeComesBack) {
  const TerminalCase cases[] = {
      // WAIT: IN A,(81H) / OR A / JR Z,WAIT / IN A,(80H) / OUT (80H),A /
      // CP '.' / JR NZ,WAIT / HALT; no Enter: a line-buffered terminal
      // would hold the keys back.
      {{0xDB, 0x81, 0xB7, 0x28, 0xFB, 0xDB, 0x80, 0xD3, 0x80, 0xFE, 0x2E, 0x20, 0xF3, 0x76},
       "ok.",
       0,
       "ok."},
      {{0x18, 0xFE}, "\x03", SIGINT, ""}, // JR $, ended by Ctrl+C
  };
  for (const TerminalCase& c : cases) {
    testing::TempDir dir;
    const std::string image = dir.Image("t.rom", c.image);
    int master = -1, slave = -1; // the test keeps the slave open to read the mode
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::setsid();
      ::ioctl(slave, TIOCSCTTY, 0);
      for (int fd : {0, 1, 2})
        ::dup2(slave, fd);
      const std::string program = std::string(KIT_BIN_DIR) + "/kavrin-cli";
      ::execl(program.c_str(), program.c_str(), "run", image.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 200 && Canonical(slave); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(Canonical(slave)) << "the terminal never became raw";
    const auto length = static_cast<ssize_t>(std::strlen(c.keys));
    ASSERT_EQ(::write(master, c.keys, static_cast<std::size_t>(length)), length);
    int status = 0;
    for (int i = 0; i < 500 && ::waitpid(child, &status, WNOHANG) == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(status, c.waitStatus); // as waitpid reports an exit code 0 or a signal
    EXPECT_TRUE(Canonical(slave));
    char out[16] = {};
    const ssize_t got = *c.output ? ::read(master, out, sizeof out) : 0;
    EXPECT_EQ(std::string(out, got > 0 ? static_cast<std::size_t>(got) : 0), c.output);
    ::close(master);
    ::close(slave);
  }
}

} // namespace
} // namespace kavrin
