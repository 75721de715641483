#include "simulator/session/terminal.h"

#include <gtest/gtest.h>

#include <string>

namespace kavrin {
namespace {

void Write(Terminal& t, const std::string& text) {
  for (char c : text)
    t.Output(static_cast<std::uint8_t>(c));
}

TEST(TerminalScreen, WrapsAtFortyColumns) {
  Terminal t;
  Write(t, std::string(45, 'x'));
  EXPECT_EQ(t.Lines()[0], std::string(40, 'x'));
  EXPECT_EQ(t.Lines()[1], std::string(5, 'x'));
  EXPECT_EQ(t.Line(), 1);
  EXPECT_EQ(t.Column(), 5);
}

TEST(TerminalScreen, CarriageReturnOverwritesInsteadOfGrowing) {
  Terminal t;
  Write(t, std::string(40, 'a') + "\rbc");
  EXPECT_EQ(t.Lines()[0], "bc" + std::string(38, 'a'));
  EXPECT_EQ(t.Lines()[1], "");
  Write(t, "\n\rHELLO\rJ");
  EXPECT_EQ(t.Lines()[1], "JELLO");
}

TEST(TerminalScreen, LineFeedKeepsColumnAndPadsWithBlanks) {
  Terminal t;
  Write(t, "abc\nde");
  EXPECT_EQ(t.Lines()[0], "abc");
  EXPECT_EQ(t.Lines()[1], "   de");
}

TEST(TerminalScreen, LineFeedOnLastLineScrolls) {
  Terminal t;
  for (int i = 0; i < kTerminalLines; ++i)
    Write(t, "\r" + std::to_string(i) + (i + 1 < kTerminalLines ? "\n" : ""));
  EXPECT_EQ(t.Line(), 13);
  EXPECT_EQ(t.Lines()[0], "0");
  Write(t, "\n\rnew");
  EXPECT_EQ(t.Lines()[0], "1");
  EXPECT_EQ(t.Lines()[12], "13");
  EXPECT_EQ(t.Lines()[13], "new");
  t.Clear();
  EXPECT_EQ(t.Lines()[13], "");
  EXPECT_EQ(t.Line(), 0);
}

TEST(TerminalInput, KeyIsReadOnceThenStatusDrops) {
  Terminal t;
  EXPECT_EQ(t.ReadStatus(), 0);
  t.KeyPress('A');
  EXPECT_EQ(t.ReadStatus(), 1);
  EXPECT_EQ(t.ReadData(), 'A');
  EXPECT_EQ(t.ReadStatus(), 0);
  EXPECT_EQ(t.ReadData(), 'A'); // the data byte stays
}

TEST(TerminalInput, EnterGivesCarriageReturnThenLineFeed) {
  Terminal t;
  t.KeyPress(0x0D);
  EXPECT_EQ(t.ReadStatus(), 1);
  EXPECT_EQ(t.ReadData(), 0x0D);
  EXPECT_EQ(t.ReadStatus(), 1);
  EXPECT_EQ(t.ReadData(), 0x0A);
  EXPECT_EQ(t.ReadStatus(), 0);
}

TEST(TerminalInput, NewKeyOverwritesUnreadOneAndClearClearsWaiting) {
  Terminal t;
  t.KeyPress(0x0D);
  t.KeyPress('x');
  EXPECT_EQ(t.ReadData(), 'x');
  EXPECT_EQ(t.ReadStatus(), 0);
  t.KeyPress('y');
  t.Clear();
  EXPECT_EQ(t.ReadStatus(), 0);
}

TEST(TerminalPorts, CaptionNamesDataAndStatusPort) {
  EXPECT_EQ(TerminalPortsCaption(0x80), "Ports: 80H, 81H");
  EXPECT_EQ(TerminalPortsCaption(0xFE), "Ports: FEH, FFH");
  EXPECT_EQ(TerminalPortsCaption(0x0F), "Ports: 0FH, 10H");
}

} // namespace
} // namespace kavrin
