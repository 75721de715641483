#pragma once
// The CP/M console on a file descriptor pair: keys from stdin, as the
// terminal takes them (CR, LF and CR LF are each one Enter, a carriage
// return), and characters to stdout unchanged.

#include <cstdint>
#include <optional>
#include <string>

#include "simulator/session/cpm_system.h"

namespace kavrin::cli {

class StdinConsole : public CpmConsole {
public:
  explicit StdinConsole(int fd) : fd_(fd) {}
  bool KeyWaiting() override;
  std::optional<std::uint8_t> ReadKey() override;
  bool InputEnded() override;
  void Write(std::uint8_t c) override;

private:
  // Reads what is there; waits for it only when `wait`.
  void Fill(bool wait);
  std::optional<std::uint8_t> NextKey();

  int fd_;
  bool atEnd_ = false;
  bool lastWasCarriageReturn_ = false;
  std::string buffer_;
  std::size_t next_ = 0;
};

} // namespace kavrin::cli
