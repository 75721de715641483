#include "simulator/cli/console.h"

#include <cstdio>

namespace kavrin::cli {
namespace {

constexpr std::uint8_t kAsciStat[] = {0x04, 0x05};
constexpr std::uint8_t kReceiveFull = 0x80; // RDRF

} // namespace

Console::Console(Session& session, ConsoleKind kind, StdinKeys& keys)
    : session_(session), kind_(kind), keys_(keys) {
  session_.terminal.onOutput = [](std::uint8_t c) { std::fputc(c, stdout); };
  if (kind_ == ConsoleKind::Port) {
    session_.terminal.onDataRead = [this] { keys_.Offer(session_.terminal); };
    keys_.Offer(session_.terminal);
    return;
  }
  session_.machine().ConnectAsci(
      kind_ == ConsoleKind::Asci0 ? 0 : 1, [this] { return keys_.NextByte(); },
      [](std::uint8_t c) { std::fputc(c, stdout); });
  keys_.Refill();
}

void Console::Pump() {
  std::fflush(stdout);
  if (kind_ == ConsoleKind::Port)
    keys_.Offer(session_.terminal);
  else
    keys_.Refill();
}

bool Console::InputEnded() const {
  return keys_.AtEnd() && (kind_ != ConsoleKind::Port || !session_.terminal.ByteWaiting());
}

bool Console::IdlePoll(std::uint8_t port, std::uint8_t value) const {
  if (kind_ == ConsoleKind::Port)
    return port == static_cast<std::uint8_t>(session_.TerminalPort() + 1) && value == 0;
  const int channel = kind_ == ConsoleKind::Asci0 ? 0 : 1;
  return static_cast<std::uint8_t>(port - session_.machine().IoBase()) == kAsciStat[channel] &&
         !(value & kReceiveFull);
}

} // namespace kavrin::cli
