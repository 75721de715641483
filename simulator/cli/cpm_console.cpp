#include "simulator/cli/cpm_console.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace kavrin::cli {
namespace {
constexpr std::size_t kReadSize = 4096;
constexpr std::uint8_t kEnter = 0x0D;
} // namespace

void StdinConsole::Fill(bool wait) {
  while (!atEnd_ && next_ >= buffer_.size()) {
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, wait ? -1 : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0 || (p.revents & POLLNVAL)) {
      atEnd_ = true;
      return;
    }
    if (ready == 0) return;
    char chunk[kReadSize];
    const ssize_t got = ::read(fd_, chunk, sizeof chunk);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got <= 0) {
      atEnd_ = true;
      return;
    }
    buffer_.assign(chunk, static_cast<std::size_t>(got));
    next_ = 0;
  }
}

// The LF of a CR LF pair is dropped here, so that a line end is one key.
std::optional<std::uint8_t> StdinConsole::NextKey() {
  for (;;) {
    if (next_ >= buffer_.size()) return std::nullopt;
    const auto c = static_cast<std::uint8_t>(buffer_[next_]);
    if (c == '\n' && lastWasCarriageReturn_) {
      lastWasCarriageReturn_ = false;
      ++next_;
      continue;
    }
    return c == '\n' ? kEnter : c;
  }
}

// A buffer that held only the LF of a CR LF pair is empty after NextKey, so
// it is filled once more.
bool StdinConsole::KeyWaiting() {
  Fill(false);
  if (!NextKey()) Fill(false);
  return NextKey().has_value();
}

std::optional<std::uint8_t> StdinConsole::ReadKey() {
  std::optional<std::uint8_t> key;
  while (!(key = NextKey()) && !atEnd_) {
    std::fflush(stdout); // the prompt before the wait
    Fill(true);
  }
  if (!key) return std::nullopt;
  lastWasCarriageReturn_ = static_cast<std::uint8_t>(buffer_[next_]) == '\r';
  ++next_;
  return key;
}

bool StdinConsole::InputEnded() {
  Fill(false);
  return atEnd_ && !NextKey();
}

void StdinConsole::Write(std::uint8_t c) {
  std::fputc(c, stdout);
}

} // namespace kavrin::cli
