#include "simulator/session/settings.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavrin {
namespace {

TEST(KavrinSettings, DefaultsWhenTheFileSaysNothing) {
  platform::IniFile ini;
  const KavrinSettings s = ReadSettings(ini);
  EXPECT_EQ(s.terminalPort, 0x80);
  for (int i = 0; i < kIoPortCount; ++i)
    EXPECT_EQ(s.ioPorts[static_cast<std::size_t>(i)], 0x82 + i);
  for (bool j : s.join)
    EXPECT_FALSE(j);
  EXPECT_TRUE(ReadLoadHistory(ini).Entries().empty());
}

// Every value differs from its default, so one read wrongly shows when the
// settings read back are written again.
TEST(KavrinSettings, RoundTripThroughTheIniText) {
  IoPanel panel;
  panel.Rows()[1].inputPort = 0x10;
  panel.Rows()[4].outputPort = 0xF0;
  panel.SetJoined(2, true);
  KavrinSettings s = CaptureSettings(0x40, panel);
  s.board = {.enabled = true,
             .romSizeK = 32,
             .clockKHz = 6144,
             .memoryWaitStates = 2,
             .ioWaitStates = 1,
             .console = ConsoleKind::Asci1};
  s.cpmMode = true;
  platform::IniFile ini;
  WriteSettings(s, ini);
  LoadHistory history;
  history.Add("/x/one.rom", 0);
  history.Add("/x/two.rom", 0x12345);
  WriteLoadHistory(history, ini);

  platform::IniFile again;
  again.Parse(ini.ToText());
  platform::IniFile rewritten;
  WriteSettings(ReadSettings(again), rewritten);
  WriteLoadHistory(ReadLoadHistory(again), rewritten);
  EXPECT_EQ(rewritten.ToText(), ini.ToText());
  for (const char* line : {"Join2=1\n", "Item2=NoHistory\n", "Console=asci1\n"})
    EXPECT_NE(ini.ToText().find(line), std::string::npos) << line << ini.ToText();
  IoPanel restored;
  ApplySettings(ReadSettings(again), restored);
  EXPECT_EQ(restored.Rows()[1].inputPort, 0x10);
  EXPECT_EQ(restored.Rows()[4].outputPort, 0xF0);
  EXPECT_TRUE(restored.Rows()[2].joined);
  auto machine = std::make_unique<Machine>();
  ApplyBoardSettings(s.board, *machine);
  EXPECT_TRUE(machine->Board().enabled);
  EXPECT_EQ(machine->Board().romSize, 32u * 1024);
  EXPECT_EQ(machine->MemoryWaitStates(), 2);
}

TEST(KavrinSettings, BadValuesKeepDefaults) {
  platform::IniFile ini;
  ini.Parse("[Emulation]\nTerminalPort=999\nIOPort=1,x,,300,5\nJoin1=1\n[LoadHistory]\nItem0="
            "\nItem1=/a.rom\n");
  const KavrinSettings s = ReadSettings(ini);
  EXPECT_EQ(s.terminalPort, 0x80);
  EXPECT_EQ(s.ioPorts[0], 1);
  EXPECT_EQ(s.ioPorts[1], 0x83);
  EXPECT_EQ(s.ioPorts[2], 0x84);
  EXPECT_EQ(s.ioPorts[3], 0x85);
  EXPECT_EQ(s.ioPorts[4], 5);
  EXPECT_EQ(s.ioPorts[9], 0x8B);
  EXPECT_TRUE(s.join[1]);
  const LoadHistory h = ReadLoadHistory(ini);
  ASSERT_EQ(h.Entries().size(), 1u);
  EXPECT_EQ(h.Entries()[0].path, "/a.rom");
}

TEST(KavrinSettings, BoardSectionIsOffWhenAbsentAndKeepsDefaultsForBadValues) {
  platform::IniFile empty;
  const BoardSettings absent = ReadSettings(empty).board;
  EXPECT_FALSE(absent.enabled);
  EXPECT_EQ(absent.romSizeK, 0);
  EXPECT_EQ(absent.clockKHz, 18432);
  EXPECT_EQ(absent.console, ConsoleKind::Port);
  EXPECT_FALSE(ReadSettings(empty).cpmMode);

  platform::IniFile bad;
  bad.Parse("[Board]\nEnabled=1\nRomSize=4096\nClockKHz=0\nMemoryWaitStates=9\nConsole=tty\n");
  const BoardSettings kept = ReadSettings(bad).board;
  EXPECT_TRUE(kept.enabled);
  EXPECT_EQ(kept.romSizeK, 0);
  EXPECT_EQ(kept.clockKHz, 18432);
  EXPECT_EQ(kept.memoryWaitStates, 0);
  EXPECT_EQ(kept.console, ConsoleKind::Port);
}

} // namespace
} // namespace kavrin
