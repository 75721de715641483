#include "simulator/session/disasm_view.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavrin {
namespace {

TEST(DisassemblyView, ListsTwentyLinesAndGrowsAtTheEnd) {
  auto m = std::make_unique<Machine>();
  m->Reset();
  SymbolTable symbols;
  DisassemblyView view(*m, symbols);
  ASSERT_EQ(view.Lines().size(), 20u);
  EXPECT_EQ(view.Lines()[0], "0000H  00        NOP");
  EXPECT_EQ(view.Lines()[19], "0013H  00        NOP");
  for (int i = 0; i < 19; ++i)
    view.LineDown();
  EXPECT_EQ(view.Cursor(), 19);
  EXPECT_EQ(view.Lines().size(), 20u);
  view.LineDown();
  EXPECT_EQ(view.Lines().size(), 21u);
  view.PageDown();
  EXPECT_EQ(view.Cursor(), 25);
  EXPECT_EQ(view.Lines().size(), 41u);
  view.PageUp();
  view.LineUp();
  EXPECT_EQ(view.Cursor(), 19);
  for (int i = 0; i < 10; ++i)
    view.PageUp();
  EXPECT_EQ(view.Cursor(), 0);
}

TEST(DisassemblyView, GoToAndPhysicalView) {
  auto m = std::make_unique<Machine>();
  m->Reset();
  m->PhysicalMemory[0x12340] = 0x3E;
  m->PhysicalMemory[0x12341] = 0x07;
  m->PhysicalMemory[0x2340] = 0xC9;
  SymbolTable symbols;
  DisassemblyView view(*m, symbols);
  view.GoTo(0x12340); // logical: the address wraps into 64K
  EXPECT_EQ(view.Lines()[0], "2340H  C9        RET");
  view.SetSpace(AddressSpace::Physical);
  EXPECT_EQ(view.Lines()[0], "02340H C9        RET");
  view.GoTo(0x12340);
  EXPECT_EQ(view.Lines()[0], "12340H 3E07      LD A,07H");
  EXPECT_EQ(view.Lines()[1], "12342H 00        NOP");
  EXPECT_EQ(view.Cursor(), 0);
}

} // namespace
} // namespace kavrin
