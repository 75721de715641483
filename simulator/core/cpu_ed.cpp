// The ED page: the Z180's extended set. Every entry not listed here is an
// undefined opcode: it stops the run, or traps with the board on.

#include <utility>

#include "simulator/core/cpu_ops.h"
#include "simulator/core/cpu_pages.h"

namespace kavrin {

namespace {

using namespace cpu;

uint16_t Stepped(uint16_t value, int delta) {
  return static_cast<uint16_t>(value + delta);
}

// LDI/LDD: P/V tells whether BC is still non-zero. Returns that.
template <int Delta> bool BlockLoad(Machine& m) {
  CpuState& c = m.Cpu;
  m.WriteByte(c.DE(), m.ReadByte(c.HL()));
  c.SetHL(Stepped(c.HL(), Delta));
  c.SetDE(Stepped(c.DE(), Delta));
  c.SetBC(Stepped(c.BC(), -1));
  const bool more = c.BC() != 0;
  SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagC)) | (more ? kFlagP : 0), false);
  return more;
}

// LDIR/LDDR, all passes in one go: the registers stay in locals while the
// bytes move, as a write to memory could be a write to them for all the
// compiler knows.
template <int Delta, uint8_t Op> void BlockLoadRepeat(Machine& m) {
  CpuState& c = m.Cpu;
  uint16_t hl = c.HL(), de = c.DE(), bc = c.BC();
  uint64_t repeats = 0;
  for (;;) {
    m.WriteByte(de, m.ReadByte(hl));
    hl = Stepped(hl, Delta);
    de = Stepped(de, Delta);
    bc = Stepped(bc, -1);
    if (bc == 0) break;
    ++repeats;
  }
  c.SetHL(hl);
  c.SetDE(de);
  c.SetBC(bc);
  SetFlags(c, c.F & (kFlagS | kFlagZ | kFlagC), false);
  HandlerAccess::ChargeExtra(m, kEdTiming[Op], repeats);
}

// CPI/CPD. Returns whether a repeat goes on (no match, BC not 0).
template <int Delta> bool BlockCompare(Machine& m) {
  CpuState& c = m.Cpu;
  const uint8_t v = m.ReadByte(c.HL());
  const uint8_t r = static_cast<uint8_t>(c.A - v);
  c.SetHL(Stepped(c.HL(), Delta));
  c.SetBC(Stepped(c.BC(), -1));
  const bool more = c.BC() != 0;
  SetFlags(c, (c.F & kFlagC) | kSz[r] | ((c.A ^ v ^ r) & kFlagH) | (more ? kFlagP : 0), true);
  return more && r != 0;
}

// The Z80's block I/O flags: S Z from B, H and C from the byte plus an
// 8-bit companion value, P from a parity mix, N from bit 7 of the byte.
void BlockIoFlags(CpuState& c, uint8_t v, unsigned companion) {
  const unsigned k = v + companion;
  SetFlags(c, kSz[c.B] | (k > 0xFF ? (kFlagH | kFlagC) : 0) | (kSzp[(k & 7) ^ c.B] & kFlagP),
           (v & 0x80) != 0);
}

template <int Delta> bool BlockInput(Machine& m) {
  CpuState& c = m.Cpu;
  const uint8_t v = m.PortRead(c.C);
  m.WriteByte(c.HL(), v);
  --c.B;
  c.SetHL(Stepped(c.HL(), Delta));
  BlockIoFlags(c, v, Lo(c.C + Delta));
  return c.B != 0;
}

template <int Delta> bool BlockOutput(Machine& m) {
  CpuState& c = m.Cpu;
  const uint8_t v = m.ReadByte(c.HL());
  --c.B;
  m.PortWrite(c.C, v);
  c.SetHL(Stepped(c.HL(), Delta));
  BlockIoFlags(c, v, c.L);
  return c.B != 0;
}

// OTIM/OTDM: the Z180 steps C along with HL. Flags as for DEC B with the
// borrow in C; N is bit 7 of the byte sent.
template <int Delta> bool BlockOutputIncrementing(Machine& m) {
  CpuState& c = m.Cpu;
  const uint8_t v = m.ReadByte(c.HL());
  m.PortWrite(c.C, v);
  c.SetHL(Stepped(c.HL(), Delta));
  c.C = Lo(c.C + Delta);
  const uint8_t b = c.B;
  c.B = static_cast<uint8_t>(b - 1);
  SetFlags(c, kSzp[c.B] | ((b & 0x0F) == 0 ? kFlagH : 0) | (b == 0 ? kFlagC : 0), (v & 0x80) != 0);
  return c.B != 0;
}

// Repeats run to the end within one step, each further pass charged.
template <bool (*Once)(Machine&), bool Repeat, uint8_t Op> void Block(Machine& m) {
  if constexpr (Repeat) {
    while (Once(m))
      HandlerAccess::ChargeExtra(m, kEdTiming[Op]);
  } else {
    Once(m);
  }
}

void LoadAFromSpecial(CpuState& c, uint8_t v) {
  c.A = v;
  SetFlags(c, kSz[v] | (c.InterruptsEnabled ? kFlagP : 0) | (c.F & kFlagC), false);
}

void RotateDigit(Machine& m, bool left) {
  CpuState& c = m.Cpu;
  const uint8_t v = m.ReadByte(c.HL());
  if (left) {
    m.WriteByte(c.HL(), Lo(v << 4 | (c.A & 0x0F)));
    c.A = static_cast<uint8_t>((c.A & 0xF0) | v >> 4);
  } else {
    m.WriteByte(c.HL(), Lo((c.A & 0x0F) << 4 | v >> 4));
    c.A = static_cast<uint8_t>((c.A & 0xF0) | (v & 0x0F));
  }
  InputFlags(c, c.A);
}

void UnsupportedIm0(Machine& m) {
  HandlerAccess::EndRun(m, StopReason::UnsupportedIm0,
                        "IM 0 interrupt mode not supported at " +
                            platform::Hex(static_cast<uint16_t>(m.Cpu.PC - 1), 4) + "H");
}

template <uint8_t Op> void Ed(Machine& m) {
  CpuState& c = m.Cpu;
  constexpr int x = Op >> 6, y = (Op >> 3) & 7, z = Op & 7, p = y >> 1, q = y & 1;
  if constexpr (x == 0 && z == 0 && y != 6) { // IN0 r,(n)
    const uint8_t v = m.PortRead(m.FetchByte());
    Reg<y>(c) = v;
    InputFlags(c, v);
  } else if constexpr (x == 0 && z == 1 && y != 6) { // OUT0 (n),r
    m.PortWrite(m.FetchByte(), Reg<y>(c));
  } else if constexpr (x == 0 && z == 4) { // TST r / TST (HL)
    if constexpr (y == 6)
      Test(c, m.ReadByte(c.HL()));
    else
      Test(c, Reg<y>(c));
  } else if constexpr (x == 1 && z == 0 && y != 6) { // IN r,(C)
    const uint8_t v = m.PortRead(c.C);
    Reg<y>(c) = v;
    InputFlags(c, v);
  } else if constexpr (x == 1 && z == 1 && y != 6) { // OUT (C),r
    m.PortWrite(c.C, Reg<y>(c));
  } else if constexpr (x == 1 && z == 2) {
    if constexpr (q == 0)
      c.SetHL(Sbc16(c, c.HL(), GetPair<p>(c)));
    else
      c.SetHL(Adc16(c, c.HL(), GetPair<p>(c)));
  } else if constexpr (x == 1 && z == 3) {
    const uint16_t nn = m.FetchWord();
    if constexpr (q == 0)
      m.WriteWord(nn, GetPair<p>(c));
    else
      SetPair<p>(c, m.ReadWord(nn));
  } else if constexpr (Op == 0x44) { // NEG
    const uint8_t a = c.A;
    c.A = 0;
    Alu<2>(c, a);
  } else if constexpr (x == 1 && z == 4 && q == 1) { // MLT rr
    const uint16_t v = GetPair<p>(c);
    SetPair<p>(c, static_cast<uint16_t>(Hi(v) * Lo(v)));
  } else if constexpr (Op == 0x64) { // TST n
    Test(c, m.FetchByte());
  } else if constexpr (Op == 0x74) { // TSTIO n
    const uint8_t v = m.PortRead(c.C) & m.FetchByte();
    SetFlags(c, kSzp[v] | kFlagH, false);
  } else if constexpr (Op == 0x45 || Op == 0x4D) { // RETN, RETI
    c.PC = Pop(m);
  } else if constexpr (Op == 0x46) {
    UnsupportedIm0(m);
  } else if constexpr (Op == 0x56 || Op == 0x5E) {
    c.InterruptMode = Op == 0x56 ? 1 : 2;
  } else if constexpr (Op == 0x47) {
    c.I = c.A;
  } else if constexpr (Op == 0x4F) {
    c.R = c.A;
  } else if constexpr (Op == 0x57) {
    LoadAFromSpecial(c, c.I);
  } else if constexpr (Op == 0x5F) {
    LoadAFromSpecial(c, c.R);
  } else if constexpr (Op == 0x67 || Op == 0x6F) {
    RotateDigit(m, Op == 0x6F);
  } else if constexpr (Op == 0x76) {
    HandlerAccess::Sleep(m);
  } else if constexpr (Op == 0x83 || Op == 0x8B || Op == 0x93 || Op == 0x9B) {
    Block<&BlockOutputIncrementing<(Op & 0x08) ? -1 : 1>, (Op & 0x10) != 0, Op>(m);
  } else if constexpr (x == 2 && y >= 4 && z <= 3) {
    constexpr int delta = (y & 1) ? -1 : 1;
    constexpr bool repeat = y >= 6;
    if constexpr (z == 0 && repeat)
      BlockLoadRepeat<delta, Op>(m);
    else if constexpr (z == 0)
      Block<&BlockLoad<delta>, false, Op>(m);
    else if constexpr (z == 1)
      Block<&BlockCompare<delta>, repeat, Op>(m);
    else if constexpr (z == 2)
      Block<&BlockInput<delta>, repeat, Op>(m);
    else
      Block<&BlockOutput<delta>, repeat, Op>(m);
  } else {
    IllegalOpcode(m);
  }
}

template <size_t... Op> constexpr OpcodePage MakeEdPage(std::index_sequence<Op...>) {
  return {&Ed<static_cast<uint8_t>(Op)>...};
}

} // namespace

const OpcodePage kEdPage = MakeEdPage(std::make_index_sequence<256>());

} // namespace kavrin
