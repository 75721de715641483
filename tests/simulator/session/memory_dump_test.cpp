#include "simulator/session/memory_dump.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavrin {
namespace {

class MemoryDumpTest : public ::testing::Test {
protected:
  std::unique_ptr<Machine> machine = std::make_unique<Machine>();
  MemoryDump dump{*machine};
  void SetUp() override { machine->Reset(); }
};

TEST_F(MemoryDumpTest, PhysicalRowCarriesTheBankDigitAndReadsPhysicalMemory) {
  const char bytes[] = "Hello\x7F\x0D\xE0";
  std::copy(bytes, bytes + 8, machine->PhysicalMemory.begin() + 0x12340);
  dump.SetSpace(AddressSpace::Physical);
  dump.GoTo(0x12340);
  EXPECT_EQ(dump.RowText(0), "12340 48 65 6C 6C 6F 7F 0D E0 Hello...");
  EXPECT_EQ(dump.RowText(1).substr(0, 6), "12348 ");
  dump.SetSpace(AddressSpace::Logical); // the start keeps its 16 bits
  EXPECT_EQ(dump.RowText(0).substr(0, 6), "2340  ");
}

TEST_F(MemoryDumpTest, VirtualRowsGoThroughTheMmu) {
  machine->PhysicalMemory[0x21000] = 0xA5;
  machine->WriteOnChipRegister(onchip::kCbar, 0xF1); // common area 1 from F000H
  machine->WriteOnChipRegister(onchip::kCbr, 0x12);  // at 12000H + F000H = 21000H
  dump.GoTo(0xF000);
  EXPECT_EQ(dump.ByteAt(0, 0), 0xA5);
}

TEST_F(MemoryDumpTest, MovesStayWithinTheSixteenBitRange) {
  struct Case {
    std::uint32_t start;
    void (MemoryDump::*move)();
    std::uint32_t expected;
  } cases[] = {
      {0x0000, &MemoryDump::LineUp, 0x0000},   {0x0010, &MemoryDump::LineUp, 0x0008},
      {0x0080, &MemoryDump::PageUp, 0x0000},   {0x0081, &MemoryDump::PageUp, 0x0001},
      {0xFF00, &MemoryDump::PageDown, 0xFF80}, {0xFF80, &MemoryDump::LineDown, 0xFF80},
      {0x1000, &MemoryDump::PageDown, 0x1080},
  };
  for (const Case& c : cases) {
    dump.GoTo(c.start);
    (dump.*c.move)();
    EXPECT_EQ(dump.Start(), c.expected) << std::hex << c.start;
  }
  dump.SetSpace(AddressSpace::Physical);
  dump.GoTo(0x3FF80);
  dump.LineDown();
  EXPECT_EQ(dump.Start(), 0x3FF80u); // the bank digit stays
}

TEST_F(MemoryDumpTest, CursorScrollsAtTheEdges) {
  dump.GoTo(0x100);
  dump.CursorUp(); // top row: the page scrolls
  EXPECT_EQ(dump.Start(), 0xF8u);
  EXPECT_EQ(dump.CursorRow(), 0);
  for (int i = 0; i < kDumpRows - 1; ++i)
    dump.CursorDown();
  EXPECT_EQ(dump.CursorRow(), kDumpRows - 1);
  dump.CursorDown();
  EXPECT_EQ(dump.Start(), 0x100u);
  for (int i = 0; i < 10; ++i)
    dump.CursorRight();
  EXPECT_EQ(dump.CursorColumn(), kDumpRowBytes - 1);
  dump.CursorLeft();
  EXPECT_EQ(dump.CursorColumn(), kDumpRowBytes - 2);
}

TEST(ByteShade, ByValue) {
  EXPECT_EQ(ShadeOf(0x9F), ByteShade::Low);
  EXPECT_EQ(ShadeOf(0xA0), ByteShade::High);
  EXPECT_EQ(ShadeOf(0xDF), ByteShade::High);
  EXPECT_EQ(ShadeOf(0xE0), ByteShade::Top);
}

} // namespace
} // namespace kavrin
