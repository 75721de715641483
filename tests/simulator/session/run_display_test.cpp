// The main window's texts after a run: the execution-point list and the
// register display.

#include "simulator/session/run_display.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "simulator/core/run_control.h"

namespace kavrin {
namespace {

class RunDisplayTest : public ::testing::Test {
protected:
  void Place(std::uint16_t at, const std::vector<std::uint8_t>& bytes) {
    std::copy(bytes.begin(), bytes.end(), m->PhysicalMemory.begin() + at);
  }
  void SetUp() override { m->Reset(); }
  std::unique_ptr<Machine> m = std::make_unique<Machine>();
  SymbolTable symbols;
};

TEST_F(RunDisplayTest, ExecutionPointListMovesTheMarkerOrStartsAgain) {
  Place(0x0000, {0x00, 0x3E, 0x05, 0xC3, 0x00, 0x10});
  ExecutionPointList list;
  list.Rebuild(*m, symbols);
  ASSERT_EQ(list.Lines().size(), 23u);
  EXPECT_EQ(list.Lines()[0], ">0000H 00        NOP");
  EXPECT_EQ(list.Lines()[1], " 0001H 3E05      LD A,05H");
  EXPECT_EQ(list.Lines()[2], " 0003H C30010    JP 1000H");
  EXPECT_EQ(list.Lines()[2].find("JP"), 17u); // the mnemonic starts at character 18
  StepOne(*m, {});
  list.Update(*m, symbols);
  EXPECT_EQ(list.Addresses()[0], 0x0000);
  EXPECT_EQ(list.Lines()[0][0], ' ');
  EXPECT_EQ(list.Lines()[1][0], '>');
  StepOne(*m, {});
  StepOne(*m, {});
  list.Update(*m, symbols);
  EXPECT_EQ(list.Addresses()[0], 0x1000);
  EXPECT_EQ(list.Lines()[0][0], '>');
}

TEST_F(RunDisplayTest, RegisterDisplayShowsFlagsAndMapping) {
  m->Cpu.F = kFlagS | kFlagC;
  m->Cpu.SubtractFlag = 1;
  m->Cpu.A = 0xA5;
  m->Cpu.PC = 0x1234;
  EXPECT_EQ(FlagField(m->Cpu.F, m->Cpu.SubtractFlag), "1 0 0 1 1");
  const auto lines = RegisterDisplay(*m);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].substr(0, 4), "A=A5");
  EXPECT_NE(lines[2].find("PC=1234"), std::string::npos);
  EXPECT_EQ(lines[4], "Bank=00000H/0000H Common=0F000H/F000H");
  m->PortWrite(0x3A, 0x84); // CBAR: bank from 4000H, common from 8000H
  m->PortWrite(0x39, 0x10);
  m->PortWrite(0x38, 0x20);
  EXPECT_EQ(RegisterDisplay(*m)[4], "Bank=14000H/4000H Common=28000H/8000H");
}

} // namespace
} // namespace kavrin
