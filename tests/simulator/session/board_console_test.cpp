// The terminal on an ASCI channel when the board says so.
#include <gtest/gtest.h>

#include <vector>

#include "simulator/session/run_session.h"

namespace kavrin {
namespace {

// Transmits 'K' on ASCI0, then echoes what it receives: CNTLA0 = 64H (RE,
// TE, 8 bits), CNTLB0 = 0.
const std::vector<std::uint8_t> kAsciEcho = {
    0x3E, 0x64, 0xED, 0x39, 0x00, // LD A,64H / OUT0 (CNTLA0),A
    0x3E, 'K',  0xED, 0x39, 0x06, // LD A,'K' / OUT0 (TDR0),A
    0xED, 0x38, 0x04,             // WAIT: IN0 A,(STAT0)
    0xE6, 0x80, 0x28, 0xF9,       // AND 80H / JR Z,WAIT
    0xED, 0x38, 0x08,             // IN0 A,(RDR0)
    0xED, 0x39, 0x06, 0x18, 0xF1, // OUT0 (TDR0),A / JR WAIT
};

std::string ScreenAfter(ConsoleKind console, bool board) {
  Session session;
  std::copy(kAsciEcho.begin(), kAsciEcho.end(), session.machine().PhysicalMemory.begin());
  session.UseBoard({.enabled = board, .console = console});
  constexpr std::uint64_t kEnoughForAFewCharacters = 20000;
  session.machine().Run({.instructionLimit = kEnoughForAFewCharacters});
  session.terminal.KeyPress('z');
  session.machine().Run({.instructionLimit = kEnoughForAFewCharacters});
  return session.terminal.Lines()[0] + (session.terminal.ByteWaiting() ? "+key" : "");
}

TEST(BoardConsole, TheTerminalMovesToTheChosenChannelWithTheBoardOn) {
  EXPECT_EQ(ScreenAfter(ConsoleKind::Asci0, true), "Kz");
  EXPECT_EQ(ScreenAfter(ConsoleKind::Asci1, true), "+key");
  EXPECT_EQ(ScreenAfter(ConsoleKind::Port, true), "+key");
  EXPECT_EQ(ScreenAfter(ConsoleKind::Asci0, false), "+key");
}

} // namespace
} // namespace kavrin
