#include "simulator/session/run_registers.h"

#include <gtest/gtest.h>

#include <memory>

namespace kavrin {
namespace {

TEST(RegisterEdit, PrefillsAndStoresHexOrSymbols) {
  auto m = std::make_unique<Machine>();
  m->Cpu.SetHL(0x1234);
  m->Cpu.A = 0x5;
  EXPECT_EQ(RegisterEditText(*m, RegisterField::HL), "1234");
  EXPECT_EQ(RegisterEditText(*m, RegisterField::A), "05");
  SymbolTable symbols;
  symbols.Add("0200", 0x0200, "MAIN");
  std::string message;
  ASSERT_TRUE(ApplyRegisterEdit(*m, RegisterField::PC, "main", symbols, &message));
  EXPECT_EQ(m->Cpu.PC, 0x0200);
  ASSERT_TRUE(ApplyRegisterEdit(*m, RegisterField::DE, "", symbols, &message));
  EXPECT_EQ(m->Cpu.DE(), 0);
  ASSERT_TRUE(ApplyRegisterEdit(*m, RegisterField::I, "1ff", symbols, &message));
  EXPECT_EQ(m->Cpu.I, 0xFF);
  ASSERT_TRUE(ApplyRegisterEdit(*m, RegisterField::AltBC, "beef", symbols, &message));
  EXPECT_EQ(m->Cpu.AltBC, 0xBEEF);
  EXPECT_FALSE(ApplyRegisterEdit(*m, RegisterField::SP, "12G4", symbols, &message));
  EXPECT_EQ(message, "Cannot resolve 12G4");
  EXPECT_EQ(m->Cpu.SP, 0);
}

TEST(RegisterEdit, FlagClicksToggleTheFlagUnderThem) {
  struct Case {
    int x;
    std::uint8_t flags;
    std::uint8_t subtract;
  } cases[] = {
      {0, kFlagS, 0},  {14, kFlagS, 0}, {15, kFlagZ, 0}, {32, kFlagZ, 0},
      {33, kFlagP, 0}, {48, kFlagP, 0}, {49, 0, 1},      {64, 0, 1},
      {65, kFlagC, 0}, {80, kFlagC, 0}, {81, 0, 0},      {-1, 0, 0},
  };
  for (const Case& c : cases) {
    std::uint8_t f = 0, n = 0;
    ToggleFlagAt(f, n, c.x);
    EXPECT_EQ(f, c.flags) << c.x;
    EXPECT_EQ(n, c.subtract) << c.x;
    ToggleFlagAt(f, n, c.x);
    EXPECT_EQ(f, 0) << c.x;
    EXPECT_EQ(n, 0) << c.x;
  }
}

} // namespace
} // namespace kavrin
