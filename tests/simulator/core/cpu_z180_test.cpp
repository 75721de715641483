// The Z180's additions to the Z80 set, case by case from its documentation:
// MLT, TST, TSTIO, IN0/OUT0, OTIM/OTDM and their repeats, SLP, and the
// opcodes the chip does not have.

#include <string>
#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t S = kFlagS, Z = kFlagZ, H = kFlagH, P = kFlagP, C = kFlagC;

class Z180Test : public MachineTest {
protected:
  void SetUp() override {
    m->BuildPortMaps(0x80, {0x90, 0x91, 0x92, 0x93, 0x94}, {0x8F, 0x90, 0x91, 0x92, 0x94});
    for (int d = kIoPageFirst; d <= kIoPageLast; ++d) {
      m->SetPortReadHandler(static_cast<PortDevice>(d),
                            [](uint8_t port) { return static_cast<uint8_t>(port ^ 0xA5); });
      m->SetPortWriteHandler(static_cast<PortDevice>(d), [this](uint8_t port, uint8_t v) {
        written.push_back({port, v});
      });
    }
  }
  struct PortWrite {
    uint8_t port, value;
    bool operator==(const PortWrite&) const = default;
  };
  std::vector<PortWrite> written;
};

struct MultiplyCase {
  uint8_t opcode;
  uint16_t before, after;
};

TEST_F(Z180Test, MltMultipliesTheHalvesOfEachPairAndKeepsFlags) {
  const MultiplyCase cases[] = {
      {0x4C, 0x1234, 0x03A8}, {0x5C, 0xFFFF, 0xFE01}, {0x6C, 0x00FF, 0x0000},
      {0x7C, 0x1020, 0x0200}, {0x4C, 0x0101, 0x0001}, {0x6C, 0x8002, 0x0100},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.opcode);
    c.PC = 0;
    Load({0xED, k.opcode});
    c.F = S | Z | H | P | C;
    c.SubtractFlag = 1;
    const int p = (k.opcode >> 4) & 3;
    if (p == 0) c.SetBC(k.before);
    if (p == 1) c.SetDE(k.before);
    if (p == 2) c.SetHL(k.before);
    if (p == 3) c.SP = k.before;
    Step();
    const uint16_t got = p == 0 ? c.BC() : p == 1 ? c.DE() : p == 2 ? c.HL() : c.SP;
    EXPECT_EQ(got, k.after);
    EXPECT_EQ(c.F, S | Z | H | P | C);
    EXPECT_EQ(c.SubtractFlag, 1);
    EXPECT_EQ(c.PC, 2);
  }
}

struct TestCase {
  const char* what;
  std::vector<uint8_t> code;
  uint8_t a, operand; // operand goes to B, (HL), the immediate or the port per the code
  uint8_t flags;      // S Z H P C expected; N always 0
};

// TST: A AND operand; S, Z, P of that, H set, N and C cleared, A kept.
TEST_F(Z180Test, TstSetsFlagsOfTheAndAndKeepsA) {
  const TestCase cases[] = {
      {"TST B zero", {0xED, 0x04}, 0x0F, 0xF0, Z | H | P},
      {"TST B negative even", {0xED, 0x04}, 0x81, 0xFF, S | H | P},
      {"TST B odd", {0xED, 0x04}, 0x01, 0x03, H},
      {"TST A", {0xED, 0x3C}, 0x60, 0, H | P},
      {"TST (HL)", {0xED, 0x34}, 0xF0, 0x30, H | P},
      {"TST n odd negative", {0xED, 0x64, 0x80}, 0xFF, 0x80, S | H},
      {"TST n zero", {0xED, 0x64, 0x00}, 0xFF, 0x00, Z | H | P},
      {"TSTIO port 91H", {0xED, 0x74, 0xFF}, 0x00, 0, H},     // 34H: odd parity
      {"TSTIO masked", {0xED, 0x74, 0x30}, 0x00, 0, H | P},   // 30H: even
      {"TSTIO none", {0xED, 0x74, 0x08}, 0xFF, 0, Z | H | P}, // A plays no part
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    c.PC = 0;
    for (size_t i = 0; i < k.code.size(); ++i)
      m->WriteByte(static_cast<uint16_t>(i), k.code[i]);
    c.A = k.a;
    c.B = k.operand;
    c.C = 0x91;
    c.SetHL(0x4000);
    m->WriteByte(0x4000, k.operand);
    c.F = C;
    c.SubtractFlag = 1;
    Step();
    EXPECT_EQ(c.A, k.a);
    EXPECT_EQ(c.F & (S | Z | H | P | C), k.flags);
    EXPECT_EQ(c.SubtractFlag, 0);
    EXPECT_EQ(c.PC, k.code.size());
  }
}

// IN0 reads a port numbered by the immediate (on-chip registers included) and
// sets S Z P like IN r,(C), with C kept; OUT0 changes no flag.
TEST_F(Z180Test, In0ReadsOnChipAndExternalPorts) {
  struct In0Case {
    uint8_t opcode, port, value, flags;
  };
  const In0Case cases[] = {
      {0x38, 0x34, 0x39, P | C},     // IN0 A,(ITC)
      {0x00, 0x3A, 0xF0, S | P | C}, // IN0 B,(CBAR)
      {0x08, 0x11, 0x00, Z | P | C}, // IN0 C,(reserved)
      {0x28, 0x92, 0x92 ^ 0xA5, C},  // IN0 L,(I/O page): 37H, odd parity
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.opcode);
    c.PC = 0;
    Load({0xED, k.opcode, k.port});
    c.F = C | H;
    c.SubtractFlag = 1;
    Step();
    uint8_t* regs[] = {&c.B, &c.C, &c.D, &c.E, &c.H, &c.L, nullptr, &c.A};
    EXPECT_EQ(*regs[k.opcode >> 3], k.value);
    EXPECT_EQ(c.F & (S | Z | H | P | C), k.flags);
    EXPECT_EQ(c.SubtractFlag, 0);
  }
}

TEST_F(Z180Test, Out0WritesOnChipRegistersWithTheirEffects) {
  Load({0xED, 0x01, 0x38,   // OUT0 (CBR),B
        0xED, 0x39, 0x94}); // OUT0 (94H),A
  c.B = 0x20;
  c.A = 0x5A;
  c.F = Z | C;
  Step(2);
  EXPECT_EQ(m->InternalRegisters[0x38], 0x20);
  EXPECT_EQ(m->TranslateAddress(0xF000), 0x20000u + 0xF000);
  ASSERT_EQ(written.size(), 1u);
  EXPECT_EQ(written[0], (PortWrite{0x94, 0x5A}));
  EXPECT_EQ(c.F, Z | C);
}

// OTIM/OTDM send (HL) to port C and step HL and C; B counts down with the
// flags of a decrement (borrow in C) and N is bit 7 of the byte sent.
TEST_F(Z180Test, OtimAndOtdmStepHlAndC) {
  struct BlockCase {
    const char* what;
    uint8_t opcode, b;
    std::vector<PortWrite> sent;
    uint16_t hl;
    uint8_t c, bAfter, flags, n;
  };
  const BlockCase cases[] = {
      {"OTIM", 0x83, 2, {{0x90, 0x11}}, 0x8001, 0x91, 1, 0, 0},
      {"OTIM last", 0x83, 1, {{0x90, 0x11}}, 0x8001, 0x91, 0, Z | P, 0},
      {"OTIM from 0", 0x83, 0, {{0x90, 0x11}}, 0x8001, 0x91, 0xFF, S | H | P | C, 0},
      {"OTDM", 0x8B, 0x10, {{0x90, 0x11}}, 0x7FFF, 0x8F, 0x0F, H | P, 0},
      {"OTIMR", 0x93, 3, {{0x90, 0x11}, {0x91, 0x82}, {0x92, 0x33}}, 0x8003, 0x93, 0, Z | P, 0},
      {"OTIMR negative last", 0x93, 2, {{0x90, 0x11}, {0x91, 0x82}}, 0x8002, 0x92, 0, Z | P, 1},
      {"OTDMR", 0x9B, 2, {{0x90, 0x11}, {0x8F, 0xEE}}, 0x7FFE, 0x8E, 0, Z | P, 1},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    written.clear();
    c.PC = 0;
    Load({0xED, k.opcode});
    Load({0x11, 0x82, 0x33}, 0x8000);
    Load({0xEE}, 0x7FFF);
    c.SetHL(0x8000);
    c.B = k.b;
    c.C = 0x90;
    c.F = 0;
    Step();
    EXPECT_EQ(written, k.sent);
    EXPECT_EQ(c.HL(), k.hl);
    EXPECT_EQ(c.C, k.c);
    EXPECT_EQ(c.B, k.bAfter);
    EXPECT_EQ(c.F & (S | Z | H | P | C), k.flags);
    EXPECT_EQ(c.SubtractFlag, k.n);
    EXPECT_EQ(c.PC, 2) << "a repeat finishes within one step";
  }
}

// 256 bytes: ports 00H-BFH reach the device, C0H-FFH the moved on-chip block.
TEST_F(Z180Test, OtimrWithBZeroSends256Bytes) {
  Load({0xED, 0x93});
  c.SetHL(0x8000);
  c.B = 0;
  c.C = 0x00;
  m->PortWrite(onchip::kIcr, 0xC0);
  m->WritePortMap.fill(kIoPageFirst);
  Step();
  ASSERT_EQ(written.size(), 0xC0u);
  EXPECT_EQ(written[0xBF].port, 0xBF);
  EXPECT_EQ(c.HL(), 0x8100);
  EXPECT_EQ(c.B, 0);
  EXPECT_EQ(c.C, 0x00);
}

TEST_F(Z180Test, SlpDoesNothingAndTheRunGoesOn) {
  Load({0xED, 0x76, 0x3C}); // SLP; INC A
  c.F = S | C;
  EXPECT_EQ(Step(2), StopReason::BudgetUsed);
  EXPECT_EQ(c.PC, 3);
  EXPECT_EQ(c.A, 1);
}

// Opcodes the chip traps on stop the run, naming the address after the
// offending byte; only PC has moved.
TEST_F(Z180Test, UndefinedOpcodesStopWithTheirAddress) {
  struct Undefined {
    std::vector<uint8_t> code;
    const char* message;
  };
  const Undefined cases[] = {
      {{0xCB, 0x30}, "Illegal opcode at 1002H"},             // SLL B
      {{0xCB, 0x36}, "Illegal opcode at 1002H"},             // SLL (HL)
      {{0xDD, 0xCB, 0x05, 0x36}, "Illegal opcode at 1004H"}, // SLL (IX+5)
      {{0xFD, 0xCB, 0x05, 0x31}, "Illegal opcode at 1004H"},
      {{0xED, 0x70}, "Illegal opcode at 1002H"}, // IN F,(C)
      {{0xED, 0x71}, "Illegal opcode at 1002H"},
      {{0xED, 0x30, 0x12}, "Illegal opcode at 1002H"},
      {{0xED, 0x54}, "Illegal opcode at 1002H"}, // a NEG mirror on the Z80
      {{0xED, 0x4E}, "Illegal opcode at 1002H"},
      {{0xED, 0x77}, "Illegal opcode at 1002H"},
      {{0xED, 0xA4}, "Illegal opcode at 1002H"},
      {{0xED, 0xFF}, "Illegal opcode at 1002H"},
      {{0xDD, 0xED, 0x54}, "Illegal opcode at 1003H"},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.message);
    for (size_t i = 0; i < k.code.size(); ++i)
      m->WriteByte(static_cast<uint16_t>(0x1000 + i), k.code[i]);
    c.PC = 0x1000;
    c.SetBC(0x1234);
    c.A = 0x56;
    c.F = S | P;
    c.SubtractFlag = 1;
    EXPECT_EQ(m->Run({}), StopReason::IllegalOpcode);
    EXPECT_EQ(m->StopMessage(), k.message);
    EXPECT_EQ(c.BC(), 0x1234);
    EXPECT_EQ(c.A, 0x56);
    EXPECT_EQ(c.F, S | P);
    EXPECT_EQ(c.SubtractFlag, 1);
  }
}

TEST_F(Z180Test, Im0StopsAtTheAddressOfItsSecondByte) {
  Load({0xED, 0x56, 0xED, 0x46, 0x00}, 0x0100); // IM 1; IM 0
  c.PC = 0x0100;
  EXPECT_EQ(m->Run({}), StopReason::UnsupportedIm0);
  EXPECT_EQ(m->StopMessage(), "IM 0 interrupt mode not supported at 0103H");
  EXPECT_EQ(c.PC, 0x0104);
  EXPECT_EQ(c.InterruptMode, 1);
}

} // namespace
} // namespace kavrin
