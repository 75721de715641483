#include "simulator/cli/raw_terminal.h"

#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>

namespace kavrin::cli {
namespace {

// The one saved mode; a signal handler may only reach plain globals.
int g_fd = -1;
termios g_saved{};
volatile sig_atomic_t g_raw = 0;

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

void Restore() {
  if (!g_raw) return;
  ::tcsetattr(g_fd, TCSANOW, &g_saved);
  g_raw = 0;
}

void RestoreAndRaise(int signal) {
  Restore();
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

} // namespace

RawTerminal::RawTerminal(int fd) {
  if (!::isatty(fd) || ::tcgetattr(fd, &g_saved) != 0) return;
  g_fd = fd;
  termios raw = g_saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO)); // ISIG stays: Ctrl+C still signals
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  for (int s : kRestoringSignals)
    ::signal(s, RestoreAndRaise);
  static const bool registered = std::atexit(Restore) == 0;
  (void)registered;
  if (::tcsetattr(fd, TCSANOW, &raw) != 0) return;
  g_raw = 1;
  active_ = true;
}

RawTerminal::~RawTerminal() {
  if (!active_) return;
  Restore();
  for (int s : kRestoringSignals)
    ::signal(s, SIG_DFL);
}

} // namespace kavrin::cli
