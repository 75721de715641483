// The Z180's additions to the Z80 set, case by case from its documentation:
// MLT, TST, TSTIO, IN0/OUT0, OTIM/OTDM and their repeats.

#include <string>
#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t S = kFlagS, Z = kFlagZ, H = kFlagH, P = kFlagP, C = kFlagC;

struct PortWrite {
  uint8_t port, value;
  bool operator==(const PortWrite&) const = default;
};

// Ports 8FH-94H read as the port number XOR A5H and record their writes.
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
  std::vector<PortWrite> written;
};

// Registers before and after one instruction at 0000H; every row starts with
// HL = 8000H, H and C set and N = 1; memory holds 11 82 33 at 8000H and EE at
// 7FFFH.
struct Before {
  uint8_t a, b, c;
};
struct After {
  uint8_t a, b, c;
  uint16_t hl;
  uint8_t flags, n; // S Z H P C and N
};
struct Z180Case {
  const char* what;
  std::vector<uint8_t> code;
  Before before;
  After after;
  std::vector<PortWrite> sent = {};
};

const Z180Case kCases[] = {
    // MLT multiplies the halves of the pair and keeps the flags.
    {"MLT BC", {0xED, 0x4C}, {0, 0x12, 0x34}, {0, 0x03, 0xA8, 0x8000, H | C, 1}},
    // TST: S Z P of A AND operand, H set, N and C cleared, A kept.
    {"TST B negative", {0xED, 0x04}, {0x81, 0xFF, 0}, {0x81, 0xFF, 0, 0x8000, S | H | P, 0}},
    {"TST (HL)", {0xED, 0x34}, {0xF0, 0, 0}, {0xF0, 0, 0, 0x8000, H, 0}},
    {"TSTIO (C)=34H", {0xED, 0x74, 0xFF}, {0, 0, 0x91}, {0, 0, 0x91, 0x8000, H, 0}},
    // IN0 reads on-chip and external ports, sets S Z P, clears H and N, keeps C.
    {"IN0 A,(ITC)", {0xED, 0x38, 0x34}, {0, 0, 0}, {0x39, 0, 0, 0x8000, P | C, 0}},
    {"IN0 L,(92H)", {0xED, 0x28, 0x92}, {0, 0, 0}, {0, 0, 0, 0x8037, C, 0}},
    {"OUT0 (94H)",
     {0xED, 0x39, 0x94},
     {0x5A, 0, 0},
     {0x5A, 0, 0, 0x8000, H | C, 1},
     {{0x94, 0x5A}}},
    // OTIM/OTDM send (HL) to port C and step HL and C; B counts down with the
    // flags of a decrement (borrow in C), N is bit 7 of the byte sent, and a
    // repeat finishes within one step.
    {"OTIM", {0xED, 0x83}, {0, 2, 0x90}, {0, 1, 0x91, 0x8001, 0, 0}, {{0x90, 0x11}}},
    {"OTDM", {0xED, 0x8B}, {0, 0x10, 0x90}, {0, 0x0F, 0x8F, 0x7FFF, H | P, 0}, {{0x90, 0x11}}},
    {"OTDMR",
     {0xED, 0x9B},
     {0, 2, 0x90},
     {0, 0, 0x8E, 0x7FFE, Z | P, 1},
     {{0x90, 0x11}, {0x8F, 0xEE}}},
};

TEST_F(Z180Test, EachInstructionLeavesTheRegistersOfItsRow) {
  for (const Z180Case& k : kCases) {
    SCOPED_TRACE(k.what);
    written.clear();
    c.PC = 0;
    Load(k.code);
    Load({0x11, 0x82, 0x33}, 0x8000);
    Load({0xEE}, 0x7FFF);
    c.A = k.before.a;
    c.B = k.before.b;
    c.C = k.before.c;
    c.SetHL(0x8000);
    c.F = H | C;
    c.SubtractFlag = 1;
    Step();
    EXPECT_EQ(c.A, k.after.a);
    EXPECT_EQ(c.B, k.after.b);
    EXPECT_EQ(c.C, k.after.c);
    EXPECT_EQ(c.HL(), k.after.hl);
    EXPECT_EQ(c.F & (S | Z | H | P | C), k.after.flags);
    EXPECT_EQ(c.SubtractFlag, k.after.n);
    EXPECT_EQ(written, k.sent);
    EXPECT_EQ(c.PC, k.code.size());
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
}

} // namespace
} // namespace kavrin
