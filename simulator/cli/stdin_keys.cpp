#include "simulator/cli/stdin_keys.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace kavrin::cli {
namespace {
constexpr std::size_t kReadSize = 4096;
constexpr std::uint8_t kEnter = 0x0D;
} // namespace

bool StdinKeys::Fill() {
  if (atEnd_) return false;
  pollfd p{fd_, POLLIN, 0};
  const int ready = ::poll(&p, 1, 0);
  if (ready < 0 && errno == EINTR) return false;
  if (ready < 0 || (p.revents & POLLNVAL)) {
    atEnd_ = true;
    return false;
  }
  if (ready == 0) return false;
  char chunk[kReadSize];
  const ssize_t got = ::read(fd_, chunk, sizeof chunk);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return false;
  if (got <= 0) {
    atEnd_ = true;
    return false;
  }
  buffer_.assign(chunk, static_cast<std::size_t>(got));
  next_ = 0;
  return true;
}

void StdinKeys::Offer(Terminal& terminal) {
  while (!terminal.ByteWaiting()) {
    if (next_ >= buffer_.size() && !Fill()) return;
    const auto c = static_cast<std::uint8_t>(buffer_[next_++]);
    // CR, LF and CR LF are each one Enter.
    if (c == '\n' && lastWasCarriageReturn_) {
      lastWasCarriageReturn_ = false;
      continue;
    }
    lastWasCarriageReturn_ = c == '\r';
    terminal.KeyPress(c == '\n' ? kEnter : c);
    return;
  }
}

} // namespace kavrin::cli
