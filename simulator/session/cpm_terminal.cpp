#include "simulator/session/cpm_terminal.h"

namespace kavrin {
namespace {
constexpr std::uint8_t kEnter = 0x0D;
} // namespace

// The terminal queues LF after the CR of Enter for port programs; CP/M
// takes Enter as the CR alone.
std::optional<std::uint8_t> TerminalCpmConsole::ReadKey() {
  while (!terminal_.ByteWaiting()) {
    if (stopped_()) return std::nullopt;
    wait_();
  }
  const std::uint8_t key = terminal_.ReadData();
  if (key == kEnter && terminal_.ByteWaiting()) terminal_.ReadData();
  return key;
}

} // namespace kavrin
