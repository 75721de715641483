#pragma once
// Where kavrin-cli run's standard input and output meet the program: the
// terminal's port pair (always printed), or with the board ASCI channel 0
// or 1 (then stdin goes there instead of to the terminal).

#include <cstdint>

#include "simulator/cli/stdin_keys.h"
#include "simulator/session/run_session.h"

namespace kavrin::cli {

class Console {
public:
  Console(Session& session, ConsoleKind kind, StdinKeys& keys);
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
  // Between chunks: output flushed, input read.
  void Pump();
  // Standard input has ended and every byte of it has been handed over.
  bool InputEnded() const;
  // A read of the console's status that found no key.
  bool IdlePoll(std::uint8_t port, std::uint8_t value) const;

private:
  Session& session_;
  ConsoleKind kind_;
  StdinKeys& keys_;
};

} // namespace kavrin::cli
