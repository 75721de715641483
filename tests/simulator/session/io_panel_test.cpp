#include "simulator/session/io_panel.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavrin {
namespace {

struct Board {
  std::unique_ptr<Machine> machine = std::make_unique<Machine>();
  Terminal terminal;
  IoPanel panel;
  Board() {
    machine->Reset();
    ConnectDevices(*machine, terminal, panel, kDefaultTerminalPort);
  }
};

TEST(IoPanel, DefaultPortsAndValues) {
  IoPanel p;
  EXPECT_EQ(p.InputPorts(), (std::array<std::uint8_t, 5>{0x82, 0x83, 0x84, 0x85, 0x86}));
  EXPECT_EQ(p.OutputPorts(), (std::array<std::uint8_t, 5>{0x87, 0x88, 0x89, 0x8A, 0x8B}));
  for (const IoPageRow& r : p.Rows()) {
    EXPECT_EQ(r.inputValue, 0);
    EXPECT_FALSE(r.joined);
  }
}

TEST(IoPanel, JoinedRowFollowsTheOutputAndRefusesTyping) {
  Board b;
  b.panel.SetJoined(0, true);
  b.machine->PortWrite(0x87, 0x5A);
  EXPECT_EQ(b.panel.Rows()[0].outputValue, 0x5A);
  EXPECT_EQ(b.panel.Rows()[0].inputValue, 0x5A);
  EXPECT_EQ(b.machine->PortRead(0x82), 0x5A);
  std::string message;
  EXPECT_FALSE(b.panel.SetInputValue(0, 7, &message));
  EXPECT_EQ(message, "Value cannot be changed with joined ports...");
  EXPECT_EQ(b.machine->PortRead(0x82), 0x5A);
}

TEST(IoPanel, UnjoinedRowsKeepTheirOwnInputs) {
  Board b;
  EXPECT_TRUE(b.panel.SetInputValue(4, 0x99, nullptr));
  b.machine->PortWrite(0x8B, 0x11);
  EXPECT_EQ(b.machine->PortRead(0x86), 0x99);
  EXPECT_EQ(b.panel.Rows()[4].outputValue, 0x11);
  // Joining later copies the output over at once.
  b.panel.SetJoined(4, true);
  EXPECT_EQ(b.machine->PortRead(0x86), 0x11);
}

TEST(IoPanel, TerminalPortsReachTheTerminal) {
  Board b;
  b.machine->PortWrite(0x80, 'H');
  b.machine->PortWrite(0x80, 'i');
  EXPECT_EQ(b.terminal.Lines()[0], "Hi");
  EXPECT_EQ(b.machine->PortRead(0x81), 0);
  b.terminal.KeyPress('k');
  EXPECT_EQ(b.machine->PortRead(0x81), 1);
  EXPECT_EQ(b.machine->PortRead(0x80), 'k');
  EXPECT_EQ(b.machine->PortRead(0x81), 0);
}

TEST(IoPanel, InputPortOnTheTerminalPortTakesItsReads) {
  Board b;
  b.panel.Rows()[0].inputPort = 0x80;
  b.panel.SetInputValue(0, 0x42, nullptr);
  ConnectDevices(*b.machine, b.terminal, b.panel, kDefaultTerminalPort);
  b.terminal.KeyPress('z');
  EXPECT_EQ(b.machine->PortRead(0x80), 0x42);
  b.machine->PortWrite(0x80, 'w');
  EXPECT_EQ(b.terminal.Lines()[0], "w");
}

TEST(IoPanel, TypedValues) {
  EXPECT_EQ(ParseDecimalValue("200"), 200);
  EXPECT_EQ(ParseDecimalValue("300"), 300 & 0xFF);
  EXPECT_EQ(ParseDecimalValue("2x"), 0);
  EXPECT_EQ(ParseDecimalValue(""), 0);
  EXPECT_EQ(ParseHexValue("fF"), 0xFF);
  EXPECT_EQ(ParseHexValue("G"), 0);
}

} // namespace
} // namespace kavrin
