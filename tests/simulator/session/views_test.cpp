// What the windows show and take, without the windows: the terminal's screen
// and keys, the I/O page on the ports, the memory dump. The main window's
// tests drive the execution-point list and the register display and edits.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "simulator/session/io_panel.h"
#include "simulator/session/memory_dump.h"

namespace kavrin {
namespace {

// A reset machine with the terminal and the I/O page on their default ports.
class ViewsTest : public ::testing::Test {
protected:
  void SetUp() override {
    m->Reset();
    ConnectDevices(*m, terminal, panel, kDefaultTerminalPort);
  }
  void Write(const std::string& text) {
    for (char c : text)
      m->PortWrite(kDefaultTerminalPort, static_cast<std::uint8_t>(c));
  }
  std::unique_ptr<Machine> m = std::make_unique<Machine>();
  Terminal terminal;
  IoPanel panel;
};

// 40 columns wrap; CR overwrites; LF keeps the column, padding with blanks,
// and scrolls on the last line.
TEST_F(ViewsTest, TerminalScreen) {
  Write(std::string(45, 'x') + "\rbc\n\rHELLO\rJ\nde");
  EXPECT_EQ(terminal.Lines()[0], std::string(40, 'x'));
  EXPECT_EQ(terminal.Lines()[1], "bcxxx");
  EXPECT_EQ(terminal.Lines()[2], "JELLO");
  EXPECT_EQ(terminal.Lines()[3], " de");
  for (int i = 4; i < kTerminalLines + 1; ++i)
    Write("\n\r" + std::to_string(i));
  EXPECT_EQ(terminal.Line(), kTerminalLines - 1);
  EXPECT_EQ(terminal.Lines()[0], "bcxxx");
  EXPECT_EQ(terminal.Lines()[kTerminalLines - 1], std::to_string(kTerminalLines));
  terminal.Clear();
  EXPECT_EQ(terminal.Lines()[0], "");
  EXPECT_EQ(terminal.Line(), 0);
}

// A key is read once, Enter as CR then LF; a new key overwrites one unread.
TEST_F(ViewsTest, TerminalKeys) {
  const auto read = [&] {
    std::string got;
    while (got.size() < 4 && m->PortRead(kDefaultTerminalPort + 1) == 1) // a stuck status ends too
      got += static_cast<char>(m->PortRead(kDefaultTerminalPort));
    return got;
  };
  terminal.KeyPress('A');
  EXPECT_EQ(read(), "A");
  EXPECT_EQ(m->PortRead(kDefaultTerminalPort), 'A'); // the data byte stays
  terminal.KeyPress(0x0D);
  EXPECT_EQ(read(), "\r\n");
  terminal.KeyPress(0x0D);
  terminal.KeyPress('x');
  EXPECT_EQ(read(), "x");
  terminal.KeyPress('y');
  terminal.Clear();
  EXPECT_EQ(read(), "");
}

TEST_F(ViewsTest, IoPageRowsJoinedOrNot) {
  EXPECT_TRUE(panel.SetInputValue(4, 0x99, nullptr));
  m->PortWrite(0x8B, 0x11);
  EXPECT_EQ(m->PortRead(0x86), 0x99);
  panel.SetJoined(4, true); // joining copies the output over at once
  EXPECT_EQ(m->PortRead(0x86), 0x11);
  // An input port on the terminal's port takes its reads, not its writes.
  panel.Rows()[0].inputPort = kDefaultTerminalPort;
  panel.SetInputValue(0, 0x42, nullptr);
  ConnectDevices(*m, terminal, panel, kDefaultTerminalPort);
  terminal.KeyPress('z');
  EXPECT_EQ(m->PortRead(kDefaultTerminalPort), 0x42);
  Write("w");
  EXPECT_EQ(terminal.Lines()[0], "w");
}

TEST_F(ViewsTest, MemoryDumpRowsMovesAndCursor) {
  MemoryDump dump{*m};
  const char bytes[] = "Hello\x7F\x0D\xE0";
  std::copy(bytes, bytes + 8, m->PhysicalMemory.begin() + 0x12340);
  dump.SetSpace(AddressSpace::Physical);
  dump.GoTo(0x12340);
  EXPECT_EQ(dump.RowText(0), "12340 48 65 6C 6C 6F 7F 0D E0 Hello...");
  dump.GoTo(0x3FF80);
  dump.LineDown();
  EXPECT_EQ(dump.Start(), 0x3FF80u);    // the bank digit stays
  dump.SetSpace(AddressSpace::Logical); // the start keeps its 16 bits
  EXPECT_EQ(dump.RowText(0).substr(0, 6), "FF80  ");
  m->PhysicalMemory[0x21000] = 0xA5;
  m->WriteOnChipRegister(onchip::kCbar, 0xF1); // common area 1 from F000H
  m->WriteOnChipRegister(onchip::kCbr, 0x12);  // at 12000H + F000H = 21000H
  dump.GoTo(0xF000);
  EXPECT_EQ(dump.ByteAt(0, 0), 0xA5);
  const struct {
    std::uint32_t start;
    void (MemoryDump::*move)();
    std::uint32_t expected;
  } moves[] = {
      {0x0000, &MemoryDump::LineUp, 0x0000},   {0x0010, &MemoryDump::LineUp, 0x0008},
      {0xFF00, &MemoryDump::PageDown, 0xFF80}, {0xFF80, &MemoryDump::LineDown, 0xFF80},
      {0x0100, &MemoryDump::CursorUp, 0x00F8}, // the top row scrolls the page
  };
  for (const auto& k : moves) {
    dump.GoTo(k.start);
    (dump.*k.move)();
    EXPECT_EQ(dump.Start(), k.expected) << std::hex << k.start;
  }
  for (int i = 0; i < kDumpRows; ++i)
    dump.CursorDown(); // the bottom row scrolls too
  EXPECT_EQ(dump.Start(), 0x100u);
  EXPECT_EQ(dump.CursorRow(), kDumpRows - 1);
}

} // namespace
} // namespace kavrin
