#include "simulator/session/run_session.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/platform/test_dir.h"

namespace kavrin {
namespace {

class SessionTest : public ::testing::Test {
protected:
  void SetUp() override {
    dir_.Write("prog.rom", "\x3E\x41\xD3\x80\x76");
    dir_.Write("prog.sym", "0000 BEGIN\n");
  }
  std::string Path(const std::string& name) const { return dir_.Path() + name; }
  kit_test::TestDir dir_;
};

TEST_F(SessionTest, LoadAtZeroReadsSymbolsResetsAndRemembers) {
  Session s;
  s.machine().Cpu.PC = 0x4444;
  std::string symbolMessage;
  const LoadResult r = s.LoadAndReset(Path("prog.rom"), 0, true, &symbolMessage);
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(symbolMessage, "");
  EXPECT_EQ(s.machine().Cpu.PC, 0);
  EXPECT_EQ(s.symbols.FindName("begin"), 0);
  ASSERT_EQ(s.history.Entries().size(), 1u);
  EXPECT_EQ(s.machine().PhysicalMemory[1], 0x41);
  // The terminal is wired: running the program prints on it.
  EXPECT_EQ(s.machine().Run({}), StopReason::Halt);
  EXPECT_EQ(s.terminal.Lines()[0], "A");
}

TEST_F(SessionTest, LoadAtAddressNeitherResetsNorReadsSymbols) {
  Session s;
  s.machine().Cpu.PC = 0x4444;
  const LoadResult r = s.LoadAt(Path("prog.rom"), 0x12340);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(s.machine().Cpu.PC, 0x4444);
  EXPECT_TRUE(s.symbols.Empty());
  EXPECT_EQ(s.machine().PhysicalMemory[0x12341], 0x41);
  EXPECT_EQ(s.history.MenuCaptions()[0], "&1 prog.rom at 12340H");
  // The history item loads again at its address, with symbols and reset.
  s.machine().PhysicalMemory[0x12341] = 0;
  ASSERT_TRUE(s.LoadHistoryItem(0, nullptr).ok);
  EXPECT_EQ(s.machine().PhysicalMemory[0x12341], 0x41);
  EXPECT_EQ(s.machine().Cpu.PC, 0);
  EXPECT_EQ(s.symbols.FindName("BEGIN"), 0);
  EXPECT_FALSE(s.LoadHistoryItem(3, nullptr).ok);
}

TEST_F(SessionTest, BadSymbolFileIsReportedAndOldSymbolsStay) {
  Session s;
  s.symbols.Add("0010", 0x10, "OLD");
  dir_.Write("prog.sym", "0000 OK\nxyz\n");
  std::string symbolMessage;
  ASSERT_TRUE(s.LoadAndReset(Path("prog.rom"), 0, true, &symbolMessage).ok);
  EXPECT_EQ(symbolMessage, "Bad symbol file prog.sym, line 2: line too short");
  EXPECT_EQ(s.symbols.FindName("OLD"), 0x10);
}

TEST_F(SessionTest, TerminalPortMovesTheTerminal) {
  Session s;
  s.SetTerminalPort(0x40);
  s.machine().PortWrite(0x40, 'x');
  s.machine().PortWrite(0x80, 'y');
  EXPECT_EQ(s.terminal.Lines()[0], "x");
}

TEST_F(SessionTest, SettingsFileKeepsPortsJoinAndHistory) {
  const std::string ini = Path("Kavrin.ini");
  {
    Session s;
    s.OpenSettings(ini); // missing: defaults
    EXPECT_EQ(s.TerminalPort(), 0x80);
    s.SetTerminalPort(0x90);
    s.panel.SetJoined(1, true);
    ASSERT_TRUE(s.LoadAndReset(Path("prog.rom"), 0, true, nullptr).ok);
    // The history is on disk right after the load.
    platform::IniFile written;
    std::string error;
    ASSERT_TRUE(written.Load(ini, error)) << error;
    EXPECT_EQ(written.ReadString("LoadHistory", "Item0", ""), Path("prog.rom"));
    ASSERT_TRUE(s.SaveSettings(error)) << error;
  }
  Session again;
  again.OpenSettings(ini);
  EXPECT_EQ(again.TerminalPort(), 0x90);
  EXPECT_TRUE(again.panel.Rows()[1].joined);
  ASSERT_EQ(again.history.Entries().size(), 1u);
  // The port maps follow the settings read.
  again.machine().PortWrite(0x90, 'q');
  EXPECT_EQ(again.terminal.Lines()[0], "q");
}

TEST_F(SessionTest, BoardSettingsReachTheMachineAndSurviveASave) {
  const std::string ini = Path("Kavrin.ini");
  {
    dir_.Write("Kavrin.ini", "[Board]\nEnabled=1\nRomSize=16\nMemoryWaitStates=1\n");
    Session s;
    s.OpenSettings(ini);
    EXPECT_TRUE(s.machine().Board().enabled);
    EXPECT_EQ(s.machine().Board().romSize, 16u * 1024);
    EXPECT_EQ(s.machine().MemoryWaitStates(), 1);
    std::string error;
    ASSERT_TRUE(s.SaveSettings(error)) << error;
  }
  Session again;
  again.OpenSettings(ini);
  EXPECT_TRUE(again.board.enabled);
  EXPECT_EQ(again.board.romSizeK, 16);
}

} // namespace
} // namespace kavrin
