// The main and the index opcode pages. One template decodes an opcode's
// x/y/z fields at compile time; the IX and the IY page instantiate the (HL)
// forms with an (IX+d) operand and otherwise reuse the main handlers, which
// run with HL exchanged for the index register when they name HL.

#include <utility>

#include "simulator/core/cpu_ops.h"
#include "simulator/core/cpu_pages.h"

namespace kavrin {

namespace {

using namespace cpu;

// Whole memory filled with prefixes: the step ends after one pass over it
// instead of never returning.
constexpr unsigned kMaxPrefixRun = 0x10000;

// The register an index prefix put in place of HL, or none.
using IndexRegister = uint16_t CpuState::*;
constexpr IndexRegister kNoIndex = nullptr;

// (HL), or (IX+d) with the displacement fetched.
template <IndexRegister Index> uint16_t MemoryOperand(Machine& m) {
  if constexpr (Index != kNoIndex) {
    const auto d = static_cast<int8_t>(m.FetchByte());
    return static_cast<uint16_t>(m.Cpu.*Index + d);
  } else {
    return m.Cpu.HL();
  }
}

// The r field as a source: register or (HL)/(IX+d).
template <int Z, IndexRegister Index> uint8_t Operand(Machine& m) {
  if constexpr (Z == 6)
    return m.ReadByte(MemoryOperand<Index>(m));
  else
    return Reg<Z>(m.Cpu);
}

void Jump(Machine& m, bool taken) {
  const uint16_t target = m.FetchWord();
  if (taken) m.Cpu.PC = target;
}
void JumpRelative(Machine& m, bool taken) {
  const auto d = static_cast<int8_t>(m.FetchByte());
  if (taken) m.Cpu.PC = static_cast<uint16_t>(m.Cpu.PC + d);
}
void Call(Machine& m, bool taken) {
  const uint16_t target = m.FetchWord();
  if (!taken) return;
  Push(m, m.Cpu.PC);
  m.Cpu.PC = target;
}

void DecimalAdjust(CpuState& c) {
  const uint8_t a = c.A;
  uint8_t adjust = 0;
  uint8_t carry = c.F & kFlagC;
  if ((c.F & kFlagH) || (a & 0x0F) > 9) adjust = 0x06;
  if (carry || a > 0x99) {
    adjust |= 0x60;
    carry = kFlagC;
  }
  const unsigned r = c.SubtractFlag ? a - adjust : a + adjust;
  c.A = Lo(r);
  c.F = static_cast<uint8_t>(kSzp[c.A] | ((a ^ adjust ^ r) & kFlagH) | carry);
}

void AccumulatorRotate(CpuState& c, int kind) {
  const uint8_t a = c.A;
  uint8_t carry;
  switch (kind) {
  case 0:
    c.A = Lo(a << 1 | a >> 7);
    carry = a >> 7;
    break; // RLCA
  case 1:
    c.A = Lo(a >> 1 | a << 7);
    carry = a & 1;
    break; // RRCA
  case 2:
    c.A = Lo(a << 1 | (c.F & kFlagC));
    carry = a >> 7;
    break; // RLA
  default:
    c.A = Lo(a >> 1 | (c.F & kFlagC) << 7);
    carry = a & 1;
    break; // RRA
  }
  SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagP)) | carry, false);
}

void ExchangeAf(CpuState& c) {
  std::swap(c.A, c.AltA);
  std::swap(c.F, c.AltF);
  std::swap(c.SubtractFlag, c.AltSubtractFlag);
}

void ExchangeAll(CpuState& c) {
  const uint16_t bc = c.BC(), de = c.DE(), hl = c.HL();
  c.SetBC(c.AltBC);
  c.SetDE(c.AltDE);
  c.SetHL(c.AltHL);
  c.AltBC = bc;
  c.AltDE = de;
  c.AltHL = hl;
}

template <IndexRegister Index> void IndexPrefix(Machine& m);
void CbPrefix(Machine& m) {
  const uint8_t op = m.FetchByte();
  HandlerAccess::Charge(m, kCbTimingPage, op);
  kCbPage[op](m);
}
void EdPrefix(Machine& m) {
  const uint8_t op = m.FetchByte();
  HandlerAccess::Charge(m, kEdTimingPage, op);
  kEdPage[op](m);
}

// Index is set only for the forms with an (IX+d) operand, whose H and L
// stay the real registers.
template <uint8_t Op, IndexRegister Index> void Exec(Machine& m) {
  CpuState& c = m.Cpu;
  constexpr int x = Op >> 6, y = (Op >> 3) & 7, z = Op & 7, p = y >> 1, q = y & 1;
  const auto taken = [&m](bool condition) {
    if (condition) HandlerAccess::ChargeExtra(m, kMainTiming[Op]);
    return condition;
  };
  if constexpr (x == 0) {
    if constexpr (z == 0) {
      if constexpr (y == 1) {
        ExchangeAf(c);
      } else if constexpr (y == 2) {
        --c.B;
        JumpRelative(m, taken(c.B != 0));
      } else if constexpr (y == 3) {
        JumpRelative(m, true);
      } else if constexpr (y >= 4) {
        JumpRelative(m, taken(Condition<y - 4>(c)));
      } // y == 0: NOP
    } else if constexpr (z == 1) {
      if constexpr (q == 0)
        SetPair<p>(c, m.FetchWord());
      else
        c.SetHL(Add16(c, c.HL(), GetPair<p>(c)));
    } else if constexpr (z == 2) {
      if constexpr (p == 2) {
        const uint16_t nn = m.FetchWord();
        if constexpr (q == 0)
          m.WriteWord(nn, c.HL());
        else
          c.SetHL(m.ReadWord(nn));
      } else {
        const uint16_t address = p == 0 ? c.BC() : p == 1 ? c.DE() : m.FetchWord();
        if constexpr (q == 0)
          m.WriteByte(address, c.A);
        else
          c.A = m.ReadByte(address);
      }
    } else if constexpr (z == 3) {
      SetPair<p>(c, static_cast<uint16_t>(GetPair<p>(c) + (q == 0 ? 1 : -1)));
    } else if constexpr (z == 4 || z == 5) {
      if constexpr (y == 6) {
        const uint16_t address = MemoryOperand<Index>(m);
        const uint8_t v = m.ReadByte(address);
        m.WriteByte(address, z == 4 ? Inc8(c, v) : Dec8(c, v));
      } else {
        Reg<y>(c) = z == 4 ? Inc8(c, Reg<y>(c)) : Dec8(c, Reg<y>(c));
      }
    } else if constexpr (z == 6) {
      if constexpr (y == 6) {
        const uint16_t address = MemoryOperand<Index>(m); // LD (IX+d),n: d comes before n
        m.WriteByte(address, m.FetchByte());
      } else {
        Reg<y>(c) = m.FetchByte();
      }
    } else {
      if constexpr (y < 4)
        AccumulatorRotate(c, y);
      else if constexpr (y == 4)
        DecimalAdjust(c);
      else if constexpr (y == 5) {
        c.A = static_cast<uint8_t>(~c.A);
        SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagP | kFlagC)) | kFlagH, true);
      } else if constexpr (y == 6) {
        SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagP)) | kFlagC, false);
      } else {
        SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagP)) | ((c.F & kFlagC) ? kFlagH : kFlagC), false);
      }
    }
  } else if constexpr (x == 1) {
    if constexpr (Op == 0x76) {
      HandlerAccess::Halt(m);
    } else if constexpr (y == 6) {
      const uint16_t address = MemoryOperand<Index>(m);
      m.WriteByte(address, Reg<z>(c));
    } else if constexpr (z == 6) {
      const uint8_t v = m.ReadByte(MemoryOperand<Index>(m));
      Reg<y>(c) = v;
    } else {
      Reg<y>(c) = Reg<z>(c);
    }
  } else if constexpr (x == 2) {
    Alu<y>(c, Operand<z, Index>(m));
  } else {
    if constexpr (z == 0) {
      if (taken(Condition<y>(c))) c.PC = Pop(m);
    } else if constexpr (z == 1) {
      if constexpr (q == 0)
        SetPair<p, true>(c, Pop(m));
      else if constexpr (p == 0)
        c.PC = Pop(m);
      else if constexpr (p == 1)
        ExchangeAll(c);
      else if constexpr (p == 2)
        c.PC = c.HL();
      else
        c.SP = c.HL();
    } else if constexpr (z == 2) {
      Jump(m, taken(Condition<y>(c)));
    } else if constexpr (z == 3) {
      if constexpr (y == 0)
        Jump(m, true);
      else if constexpr (y == 1)
        CbPrefix(m);
      else if constexpr (y == 2)
        m.PortWrite(m.FetchByte(), c.A);
      else if constexpr (y == 3)
        c.A = m.PortRead(m.FetchByte());
      else if constexpr (y == 4) {
        const uint16_t v = m.ReadWord(c.SP);
        m.WriteWord(c.SP, c.HL());
        c.SetHL(v);
      } else if constexpr (y == 5) {
        const uint16_t de = c.DE();
        c.SetDE(c.HL());
        c.SetHL(de);
      } else {
        HandlerAccess::SetInterrupts(m, y == 7);
      }
    } else if constexpr (z == 4) {
      Call(m, taken(Condition<y>(c)));
    } else if constexpr (z == 5) {
      if constexpr (q == 0)
        Push(m, GetPair<p, true>(c));
      else if constexpr (p == 0)
        Call(m, true);
      else if constexpr (p == 1)
        IndexPrefix<&CpuState::IX>(m);
      else if constexpr (p == 2)
        EdPrefix(m);
      else
        IndexPrefix<&CpuState::IY>(m);
    } else if constexpr (z == 6) {
      Alu<y>(c, m.FetchByte());
    } else {
      Push(m, c.PC);
      c.PC = static_cast<uint16_t>(y * 8);
    }
  }
}

// Opcodes whose operand is (HL): under a prefix they take (IX+d).
constexpr bool HasMemoryOperand(int op) {
  const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
  if (op == 0x76) return false;
  if (x == 0) return y == 6 && (z == 4 || z == 5 || z == 6);
  if (x == 1) return y == 6 || z == 6;
  if (x == 2) return z == 6;
  return false;
}

// Opcodes that name HL, H or L; all others run unprefixed under DD/FD
// (EX DE,HL and EXX among them, as on the processor).
constexpr bool NamesHl(int op) {
  const int x = op >> 6, y = (op >> 3) & 7, z = op & 7;
  if (op == 0x76) return false;
  switch (x) {
  case 0:
    if (z == 1) return true;                    // LD rr,nn / ADD HL,rr
    if (z == 2 || z == 3) return (y >> 1) == 2; // LD (nn),HL / LD HL,(nn) / INC HL / DEC HL
    if (z >= 4 && z <= 6) return y >= 4 && y <= 6;
    return false;
  case 1:
    return (y >= 4 && y <= 6) || (z >= 4 && z <= 6);
  case 2:
    return z >= 4 && z <= 6;
  default:
    return op == 0xCB || op == 0xE1 || op == 0xE3 || op == 0xE5 || op == 0xE9 || op == 0xF9;
  }
}

void IndexCbPrefix(Machine& m) {
  const auto d = static_cast<int8_t>(m.FetchByte());
  HandlerAccess::IndexAddress(m) = static_cast<uint16_t>(m.Cpu.HL() + d);
  const uint8_t op = m.FetchByte();
  HandlerAccess::Charge(m, kIndexCbTimingPage, op);
  kIndexCbPage[op](m);
}

// An opcode that names HL runs with HL exchanged for the index register.
template <uint8_t Op, IndexRegister Index> void WithIndex(Machine& m) {
  CpuState& c = m.Cpu;
  uint16_t& index = c.*Index;
  const uint16_t hl = c.HL();
  c.SetHL(index);
  index = hl;
  if constexpr (Op == 0xCB)
    IndexCbPrefix(m);
  else
    Exec<Op, kNoIndex>(m);
  const uint16_t value = c.HL();
  c.SetHL(index);
  index = value;
}

template <IndexRegister Index> void PrefixRun(Machine& m);

// The opcodes after DD (IX) or FD (IY); another prefix starts a run of them.
template <IndexRegister Index, size_t Op> constexpr OpcodeHandler IndexEntry() {
  if constexpr (Op == 0xDD)
    return &PrefixRun<&CpuState::IX>;
  else if constexpr (Op == 0xFD)
    return &PrefixRun<&CpuState::IY>;
  else if constexpr (HasMemoryOperand(Op))
    return &Exec<static_cast<uint8_t>(Op), Index>;
  else if constexpr (NamesHl(Op))
    return &WithIndex<static_cast<uint8_t>(Op), Index>;
  else
    return &Exec<static_cast<uint8_t>(Op), kNoIndex>;
}
template <IndexRegister Index, size_t... Op>
constexpr OpcodePage MakeIndexPage(std::index_sequence<Op...>) {
  return {IndexEntry<Index, Op>()...};
}
constexpr OpcodePage kIxPage = MakeIndexPage<&CpuState::IX>(std::make_index_sequence<256>());
constexpr OpcodePage kIyPage = MakeIndexPage<&CpuState::IY>(std::make_index_sequence<256>());

template <IndexRegister Index> void IndexPrefix(Machine& m) {
  const uint8_t op = m.FetchByte();
  HandlerAccess::Charge(m, kIndexTimingPage, op); // a superseded prefix costs its own fetch
  if constexpr (Index == &CpuState::IX)
    kIxPage[op](m);
  else
    kIyPage[op](m);
}

// A run of DD/FD bytes, the second of which chose Index: the last one
// chooses the register.
template <IndexRegister Index> void PrefixRun(Machine& m) {
  bool ix = Index == &CpuState::IX;
  uint8_t op = m.FetchByte();
  for (unsigned fetched = 3; op == 0xDD || op == 0xFD; ++fetched) {
    if (fetched == kMaxPrefixRun) return;
    HandlerAccess::Charge(m, kIndexTimingPage, op);
    ix = op == 0xDD;
    op = m.FetchByte();
  }
  HandlerAccess::Charge(m, kIndexTimingPage, op);
  (ix ? kIxPage : kIyPage)[op](m);
}

template <size_t... Op> constexpr OpcodePage MakeMainPage(std::index_sequence<Op...>) {
  return {&Exec<static_cast<uint8_t>(Op), kNoIndex>...};
}

} // namespace

const OpcodePage kMainPage = MakeMainPage(std::make_index_sequence<256>());

} // namespace kavrin
