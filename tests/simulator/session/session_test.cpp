// A session over its files: images loaded at 0 or at an address, the symbol
// file beside them, the load history, Kavrin.ini read, written and applied,
// and the terminal moved to a port or to a serial channel.

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "simulator/session/run_session.h"
#include "tests/platform/test_dir.h"

namespace kavrin {
namespace {

class SessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_.Write("prog.rom", "\x3E\x41\xD3\x80\x76"); // LD A,'A' / OUT (80H),A / HALT
    dir_.Write("PROG.Sym", "0000 BEGIN\n");         // found whatever its case
  }
  std::string Path(const std::string& name) const { return dir_.Path() + name; }
  kit_test::TestDir dir_;
  Session s;
};

TEST_F(SessionTest, LoadAtZeroReadsSymbolsResetsAndRunsOnTheTerminal) {
  s.machine().Cpu.PC = 0x4444;
  std::string symbolMessage;
  const LoadResult r = s.LoadAndReset(Path("prog.rom"), 0, true, &symbolMessage);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(symbolMessage, "");
  EXPECT_EQ(s.machine().Cpu.PC, 0);
  EXPECT_EQ(s.symbols.FindName("begin"), 0);
  EXPECT_EQ(s.machine().Run({}), StopReason::Halt);
  EXPECT_EQ(s.terminal.Lines()[0], "A");
  // A bad symbol file is reported and the symbols read before stay.
  dir_.Write("PROG.Sym", "0000 OK\nxyz\n");
  ASSERT_TRUE(s.LoadAndReset(Path("prog.rom"), 0, true, &symbolMessage).ok);
  EXPECT_EQ(symbolMessage, "Bad symbol file PROG.Sym, line 2: line too short");
  EXPECT_EQ(s.symbols.FindName("BEGIN"), 0);
}

// Every value differs from its default, so a value read under the wrong key
// or not written shows when the file is read again.
TEST_F(SessionTest, SettingsFileKeepsPortsJoinBoardAndHistory) {
  const std::string ini = Path("Kavrin.ini");
  s.OpenSettings(ini); // missing: defaults
  EXPECT_EQ(s.TerminalPort(), 0x80);
  EXPECT_FALSE(s.machine().Board().enabled);
  s.SetTerminalPort(0x90);
  s.panel.Rows()[1].inputPort = 0x10;
  s.panel.Rows()[4].outputPort = 0xF0;
  s.panel.SetJoined(2, true);
  s.UseBoard({.enabled = true,
              .romSizeK = 16,
              .clockKHz = 6144,
              .memoryWaitStates = 1,
              .ioWaitStates = 2,
              .console = ConsoleKind::Asci1});
  ASSERT_TRUE(s.LoadAndReset(Path("prog.rom"), 0, true, nullptr).ok);
  platform::IniFile written; // the history is on disk right after the load
  std::string error;
  ASSERT_TRUE(written.Load(ini, error)) << error;
  EXPECT_EQ(written.ReadString("LoadHistory", "Item0", ""), Path("prog.rom"));
  ASSERT_TRUE(s.SaveSettings(error)) << error;

  Session again;
  again.OpenSettings(ini);
  EXPECT_EQ(again.TerminalPort(), 0x90);
  EXPECT_EQ(again.panel.Rows()[1].inputPort, 0x10);
  EXPECT_EQ(again.panel.Rows()[4].outputPort, 0xF0);
  EXPECT_TRUE(again.panel.Rows()[2].joined);
  EXPECT_EQ(again.history.Entries().size(), 1u);
  EXPECT_EQ(again.board.clockKHz, 6144);
  EXPECT_EQ(again.board.console, ConsoleKind::Asci1);
  EXPECT_TRUE(again.machine().Board().enabled);
  EXPECT_EQ(again.machine().Board().romSize, 16u * 1024);
  EXPECT_EQ(again.machine().MemoryWaitStates(), 1);
  EXPECT_EQ(again.machine().IoWaitStates(), 2);
  again.machine().PortWrite(0x90, 'q'); // the port maps follow the settings read
  again.machine().PortWrite(0x80, 'y');
  EXPECT_EQ(again.terminal.Lines()[0], "q");
}

TEST_F(SessionTest, BadSettingsKeepTheirDefaults) {
  dir_.Write("Kavrin.ini", "[Emulation]\nTerminalPort=999\nIOPort=1,x,,300,5\nJoin1=1\n"
                           "[Board]\nEnabled=1\nRomSize=4096\nClockKHz=0\nMemoryWaitStates=9\n"
                           "Console=tty\n");
  s.OpenSettings(Path("Kavrin.ini"));
  EXPECT_EQ(s.TerminalPort(), 0x80);
  EXPECT_EQ(s.panel.InputPorts(), (std::array<std::uint8_t, 5>{1, 0x83, 0x84, 0x85, 5}));
  EXPECT_EQ(s.panel.OutputPorts(), (std::array<std::uint8_t, 5>{0x87, 0x88, 0x89, 0x8A, 0x8B}));
  EXPECT_TRUE(s.panel.Rows()[1].joined);
  EXPECT_TRUE(s.board.enabled);
  EXPECT_EQ(s.board.romSizeK, 0);
  EXPECT_EQ(s.board.clockKHz, 18432);
  EXPECT_EQ(s.board.memoryWaitStates, 0);
  EXPECT_EQ(s.board.console, ConsoleKind::Port);
}

// The load at zero above runs whole images; one at the top of memory keeps
// what fits.
TEST_F(SessionTest, ImagesLoadAsMuchAsFitsAndBadFilesChangeNothing) {
  std::vector<std::uint8_t> memory(0x100000, 0xEE);
  const LoadResult three = LoadImage(dir_.Write("three.rom", "\x01\x08\x0F"), 0xFFFFE, memory);
  EXPECT_TRUE(three.ok);
  EXPECT_EQ(three.stored, 2u);
  EXPECT_EQ(three.message, "Only 2 of the 3 bytes of three.rom fit below 100000H");
  EXPECT_EQ(memory[0xFFFFE], 1);
  EXPECT_EQ(memory[0xFFFFF], 8);
  EXPECT_EQ(memory[0], 0xEE);
  EXPECT_FALSE(LoadImage(dir_.Path(), 0, memory).ok);
  EXPECT_EQ(memory[0], 0xEE);
}

TEST(LoadHistory, NewestFirstCaseInsensitiveAndAtMostFour) {
  LoadHistory h;
  for (const char* path : {"/p/a.rom", "/p/b.rom", "/P/A.ROM", "/p/c.rom", "/p/d.rom", "/p/e.rom"})
    h.Add(path, 0);
  EXPECT_EQ(h.Entries().size(), 4u);
  EXPECT_EQ(h.Entries()[3].path, "/P/A.ROM"); // b.rom, the oldest, dropped off
}

// Transmits 'K' on ASCI0, then echoes what it receives: CNTLA0 = 64H (RE,
// TE, 8 bits), CNTLB0 = 0. The terminal sits on the channel only when the
// board is on and says so.
TEST(BoardConsole, TheTerminalMovesToTheChosenChannelWithTheBoardOn) {
  const std::vector<std::uint8_t> echo = {
      0x3E, 0x64, 0xED, 0x39, 0x00, // LD A,64H / OUT0 (CNTLA0),A
      0x3E, 'K',  0xED, 0x39, 0x06, // LD A,'K' / OUT0 (TDR0),A
      0xED, 0x38, 0x04,             // WAIT: IN0 A,(STAT0)
      0xE6, 0x80, 0x28, 0xF9,       // AND 80H / JR Z,WAIT
      0xED, 0x38, 0x08,             // IN0 A,(RDR0)
      0xED, 0x39, 0x06, 0x18, 0xF1, // OUT0 (TDR0),A / JR WAIT
  };
  const auto screen = [&](ConsoleKind console, bool board) {
    Session session;
    std::copy(echo.begin(), echo.end(), session.machine().PhysicalMemory.begin());
    session.UseBoard({.enabled = board, .console = console});
    session.machine().Run({.instructionLimit = 20000});
    session.terminal.KeyPress('z');
    session.machine().Run({.instructionLimit = 20000});
    return session.terminal.Lines()[0] + (session.terminal.ByteWaiting() ? "+key" : "");
  };
  EXPECT_EQ(screen(ConsoleKind::Asci0, true), "Kz");
  EXPECT_EQ(screen(ConsoleKind::Asci0, false), "+key");
}

} // namespace
} // namespace kavrin
