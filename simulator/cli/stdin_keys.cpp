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

int StdinKeys::Take() {
  while (next_ < buffer_.size()) {
    const auto c = static_cast<std::uint8_t>(buffer_[next_++]);
    if (c == '\n' && lastWasCarriageReturn_) {
      lastWasCarriageReturn_ = false;
      continue;
    }
    lastWasCarriageReturn_ = c == '\r';
    return c == '\n' ? kEnter : c;
  }
  return -1;
}

void StdinKeys::Offer(Terminal& terminal) {
  if (terminal.ByteWaiting()) return;
  int key = Take();
  while (key < 0 && Fill())
    key = Take();
  if (key >= 0) terminal.KeyPress(static_cast<std::uint8_t>(key));
}

int StdinKeys::NextByte() {
  return Take();
}

void StdinKeys::Refill() {
  if (next_ >= buffer_.size()) Fill();
}

} // namespace kavrin::cli
