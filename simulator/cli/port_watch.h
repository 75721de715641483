#pragma once
// Watches a run's port traffic for kavrin-cli run: the --log-io lines, and
// the rule that recognises a program waiting for a key that cannot come:
// kInputWaitPolls reads in a row of the terminal status port that find no
// key, with no other port access between them, after standard input (not a
// terminal) has ended. The run is then stopped.

#include <cstdint>
#include <functional>
#include <string>

#include "simulator/core/machine.h"

namespace kavrin::cli {

inline constexpr int kInputWaitPolls = 1000;
inline constexpr const char* kWaitingAtEndMessage = "Waiting for input at end of standard input";

class PortWatch {
public:
  // inputEnded tells whether no key can come any more.
  PortWatch(Machine& machine, bool logAccesses, std::uint8_t statusPort,
            std::function<bool()> inputEnded);
  bool WaitingAtEnd() const { return waiting_; }

private:
  void Seen(std::uint8_t port, bool write, std::uint8_t value);

  Machine& machine_;
  bool log_;
  std::uint8_t statusPort_;
  std::function<bool()> inputEnded_;
  int polls_ = 0;
  bool waiting_ = false;
};

// "in  81H 00H at 0003H" / "out 80H 41H at 0007H".
std::string PortAccessLine(std::uint8_t port, bool write, std::uint8_t value, std::uint16_t pc);

} // namespace kavrin::cli
