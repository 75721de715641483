#pragma once
// The CP/M console on the terminal device: keys typed into the terminal
// window, characters onto its screen. The keyboard never ends, so a wait for
// a key lasts until a key comes or the user stops the run.
//
//   TerminalCpmConsole console(session.terminal, [&] { app.processEvents(); },
//                              [&] { return stopPressed; });
//   CpmSystem cpm(session.machine(), console, folder);

#include <functional>

#include "simulator/session/cpm_system.h"
#include "simulator/session/terminal.h"

namespace kavrin {

class TerminalCpmConsole final : public CpmConsole {
public:
  // wait: lets the user type (one turn of the window's event loop);
  // stopped: the user ended the run.
  TerminalCpmConsole(Terminal& terminal, std::function<void()> wait, std::function<bool()> stopped)
      : terminal_(terminal), wait_(std::move(wait)), stopped_(std::move(stopped)) {}

  bool KeyWaiting() override { return terminal_.ByteWaiting(); }
  std::optional<std::uint8_t> ReadKey() override;
  bool InputEnded() override { return false; }
  void Write(std::uint8_t c) override { terminal_.Output(c); }

private:
  Terminal& terminal_;
  std::function<void()> wait_;
  std::function<bool()> stopped_;
};

} // namespace kavrin
