#pragma once
// Watches a run's port traffic for kavrin-cli run: the --log-io lines, and
// the rule that recognises a program waiting for a key that cannot come,
// once standard input (not a terminal) has ended: kWaitingPollLimit reads in
// a row of the console's status port that find no key, with no other port
// access between them; or a processor halted through a whole chunk without
// any port access. The run is then stopped.

#include <cstdint>
#include <functional>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/session/terminal.h"

namespace kavrin::cli {

class PortWatch {
public:
  // idlePoll tells a status read that found no key; inputEnded whether no
  // key can come any more.
  PortWatch(Machine& machine, bool logAccesses,
            std::function<bool(std::uint8_t port, std::uint8_t value)> idlePoll,
            std::function<bool()> inputEnded);
  bool WaitingAtEnd() const { return waiting_; }
  // Before each instruction when logging: the address the log lines name.
  void InstructionAt(std::uint16_t pc) { pc_ = pc; }
  // Between chunks.
  void ChunkEnded();

private:
  void Seen(std::uint8_t port, bool write, std::uint8_t value);

  Machine& machine_;
  bool log_;
  std::function<bool(std::uint8_t, std::uint8_t)> idlePoll_;
  std::function<bool()> inputEnded_;
  std::uint16_t pc_ = 0;
  int polls_ = 0;
  bool accessed_ = false; // since the last chunk ended
  bool waiting_ = false;
};

// "in  81H 00H at 0003H" / "out 80H 41H at 0007H".
std::string PortAccessLine(std::uint8_t port, bool write, std::uint8_t value, std::uint16_t pc);

} // namespace kavrin::cli
