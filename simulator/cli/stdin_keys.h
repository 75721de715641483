#pragma once
// Offers the bytes of a file descriptor as terminal key presses, one at a
// time and never blocking: the next only once the program has read the
// previous one. A line end becomes the Enter key.

#include <cstdint>
#include <string>

#include "simulator/session/terminal.h"

namespace kavrin::cli {

class StdinKeys {
public:
  explicit StdinKeys(int fd) : fd_(fd) {}
  // Presses the next key when the terminal has none waiting and one is at hand.
  void Offer(Terminal& terminal);
  // For a serial console: the next byte already read (a line end as CR), or
  // -1; never reads the descriptor itself, Refill() does (between chunks).
  int NextByte();
  void Refill();
  bool AtEnd() const { return atEnd_ && next_ >= buffer_.size(); }

private:
  bool Fill();
  // The next byte with CR, LF and CR LF each as one kEnter, or -1.
  int Take();

  int fd_;
  bool atEnd_ = false;
  bool lastWasCarriageReturn_ = false;
  std::string buffer_;
  std::size_t next_ = 0;
};

} // namespace kavrin::cli
