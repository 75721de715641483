#pragma once

// Building blocks of the instruction handlers: operand access by the 3-bit
// register field, the ALU with the processor's flag results, stack and
// conditions. Everything is inline so each opcode handler compiles flat.

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/text.h"
#include "simulator/core/cpu_timing.h"
#include "simulator/core/machine.h"

namespace kavrin::cpu {

// What the handlers reach inside the machine and a front end does not.
struct HandlerAccess {
  // Ends the run after the current instruction.
  static void EndRun(Machine& m, StopReason reason, std::string message = {}) {
    m.EndRun(reason, std::move(message));
  }
  static void Halt(Machine& m) { m.Halt(); }
  static void Sleep(Machine& m) { m.Sleep(); }
  static void UndefinedOpcode(Machine& m, bool thirdByte) { m.UndefinedOpcode(thirdByte); }
  // EI (true) or DI; EI lets an interrupt in only after the next instruction.
  static void SetInterrupts(Machine& m, bool enabled) { m.SetInterrupts(enabled); }
  static uint16_t& IndexAddress(Machine& m) { return m.index_address_; }
  // The states of an opcode of a page, wait states included.
  static void Charge(Machine& m, TimingPageIndex page, uint8_t op) {
    m.t_states_ += m.cycles_[page][op];
  }
  // A taken branch, or one more pass of a block instruction.
  static void ChargeExtra(Machine& m, const OpcodeTiming& t, uint64_t times = 1) {
    m.t_states_ +=
        times * (t.extraStates + t.extraMemory * m.memory_wait_ + t.extraIo * m.io_wait_);
  }
};

inline constexpr std::array<uint8_t, 256> MakeSzTable(bool withParity) {
  std::array<uint8_t, 256> t{};
  for (int v = 0; v < 256; ++v) {
    uint8_t f = static_cast<uint8_t>(v & kFlagS);
    if (v == 0) f |= kFlagZ;
    if (withParity) {
      int bits = 0;
      for (int b = 0; b < 8; ++b)
        bits += (v >> b) & 1;
      if ((bits & 1) == 0) f |= kFlagP;
    }
    t[v] = f;
  }
  return t;
}
inline constexpr std::array<uint8_t, 256> kSz = MakeSzTable(false);
inline constexpr std::array<uint8_t, 256> kSzp = MakeSzTable(true);

// S Z H P of INC and DEC by the result: H from the low nibble's carry or
// borrow, P on signed overflow.
inline constexpr std::array<uint8_t, 256> MakeIncDecTable(bool decrement) {
  std::array<uint8_t, 256> t{};
  for (int r = 0; r < 256; ++r) {
    const bool halfCarry = decrement ? (r & 0x0F) == 0x0F : (r & 0x0F) == 0;
    const bool overflow = r == (decrement ? 0x7F : 0x80);
    t[r] = static_cast<uint8_t>(kSz[r] | (halfCarry ? kFlagH : 0) | (overflow ? kFlagP : 0));
  }
  return t;
}
inline constexpr std::array<uint8_t, 256> kIncFlags = MakeIncDecTable(false);
inline constexpr std::array<uint8_t, 256> kDecFlags = MakeIncDecTable(true);

inline uint16_t Word(uint8_t high, uint8_t low) {
  return static_cast<uint16_t>(high << 8 | low);
}
inline uint8_t Lo(unsigned v) {
  return static_cast<uint8_t>(v);
}
inline uint8_t Hi(unsigned v) {
  return static_cast<uint8_t>(v >> 8);
}

// Sets S Z H P C from f and N from subtract.
inline void SetFlags(CpuState& c, unsigned f, bool subtract) {
  c.F = static_cast<uint8_t>(f & ~kFlagN);
  c.SubtractFlag = subtract ? 1 : 0;
}

// --- register fields: 0 B, 1 C, 2 D, 3 E, 4 H, 5 L, 7 A (6 is memory) ---
template <int R> inline uint8_t& Reg(CpuState& c) {
  static_assert(R != 6);
  if constexpr (R == 0)
    return c.B;
  else if constexpr (R == 1)
    return c.C;
  else if constexpr (R == 2)
    return c.D;
  else if constexpr (R == 3)
    return c.E;
  else if constexpr (R == 4)
    return c.H;
  else if constexpr (R == 5)
    return c.L;
  else
    return c.A;
}

// --- pair fields: 0 BC, 1 DE, 2 HL, 3 SP (AF for PUSH/POP) ---
template <int P, bool Af = false> inline uint16_t GetPair(const CpuState& c) {
  if constexpr (P == 0)
    return c.BC();
  else if constexpr (P == 1)
    return c.DE();
  else if constexpr (P == 2)
    return c.HL();
  else if constexpr (Af)
    return Word(c.A, c.PackedFlags());
  else
    return c.SP;
}
template <int P, bool Af = false> inline void SetPair(CpuState& c, uint16_t v) {
  if constexpr (P == 0)
    c.SetBC(v);
  else if constexpr (P == 1)
    c.SetDE(v);
  else if constexpr (P == 2)
    c.SetHL(v);
  else if constexpr (Af) {
    c.A = Hi(v);
    c.SetPackedFlags(Lo(v));
  } else {
    c.SP = v;
  }
}

// --- stack ---
inline void Push(Machine& m, uint16_t v) {
  m.Cpu.SP = static_cast<uint16_t>(m.Cpu.SP - 2);
  m.WriteWord(m.Cpu.SP, v);
}
inline uint16_t Pop(Machine& m) {
  uint16_t v = m.ReadWord(m.Cpu.SP);
  m.Cpu.SP = static_cast<uint16_t>(m.Cpu.SP + 2);
  return v;
}

// --- conditions: NZ Z NC C PO PE P M ---
template <int Y> inline bool Condition(const CpuState& c) {
  constexpr uint8_t kMask[4] = {kFlagZ, kFlagC, kFlagP, kFlagS};
  const bool set = (c.F & kMask[Y >> 1]) != 0;
  return (Y & 1) ? set : !set;
}

// --- 8-bit arithmetic ---
inline uint8_t AddFlags(uint8_t a, uint8_t v, unsigned r) {
  return static_cast<uint8_t>(kSz[Lo(r)] | ((a ^ v ^ r) & kFlagH) |
                              (((a ^ ~v) & (a ^ r) & 0x80) >> 5) | ((r >> 8) & kFlagC));
}
inline uint8_t SubFlags(uint8_t a, uint8_t v, unsigned r) {
  return static_cast<uint8_t>(kSz[Lo(r)] | ((a ^ v ^ r) & kFlagH) |
                              (((a ^ v) & (a ^ r) & 0x80) >> 5) | ((r >> 8) & kFlagC));
}

// ALU operation by the 3-bit field: ADD ADC SUB SBC AND XOR OR CP.
template <int Y> inline void Alu(CpuState& c, uint8_t v) {
  const uint8_t a = c.A;
  if constexpr (Y == 0 || Y == 1) {
    const unsigned r = a + v + (Y == 1 ? (c.F & kFlagC) : 0u);
    SetFlags(c, AddFlags(a, v, r), false);
    c.A = Lo(r);
  } else if constexpr (Y == 2 || Y == 3 || Y == 7) {
    const unsigned r = a - v - (Y == 3 ? (c.F & kFlagC) : 0u);
    SetFlags(c, SubFlags(a, v, r), true);
    if constexpr (Y != 7) c.A = Lo(r);
  } else if constexpr (Y == 4) {
    c.A = a & v;
    SetFlags(c, kSzp[c.A] | kFlagH, false);
  } else if constexpr (Y == 5) {
    c.A = a ^ v;
    SetFlags(c, kSzp[c.A], false);
  } else {
    c.A = a | v;
    SetFlags(c, kSzp[c.A], false);
  }
}

inline uint8_t Inc8(CpuState& c, uint8_t v) {
  const uint8_t r = static_cast<uint8_t>(v + 1);
  SetFlags(c, (c.F & kFlagC) | kIncFlags[r], false);
  return r;
}
inline uint8_t Dec8(CpuState& c, uint8_t v) {
  const uint8_t r = static_cast<uint8_t>(v - 1);
  SetFlags(c, (c.F & kFlagC) | kDecFlags[r], true);
  return r;
}

// TST, TSTIO: A AND v, A unchanged.
inline void Test(CpuState& c, uint8_t v) {
  SetFlags(c, kSzp[c.A & v] | kFlagH, false);
}

// --- 16-bit arithmetic ---
inline uint16_t Add16(CpuState& c, uint16_t a, uint16_t v) {
  const uint32_t r = static_cast<uint32_t>(a) + v;
  SetFlags(c, (c.F & (kFlagS | kFlagZ | kFlagP)) | (((a ^ v ^ r) >> 8) & kFlagH) | (r >> 16),
           false);
  return static_cast<uint16_t>(r);
}
inline uint16_t Adc16(CpuState& c, uint16_t a, uint16_t v) {
  const uint32_t r = static_cast<uint32_t>(a) + v + (c.F & kFlagC);
  const uint16_t w = static_cast<uint16_t>(r);
  SetFlags(c,
           (Hi(w) & kFlagS) | (w == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
               (((a ^ ~v) & (a ^ r) & 0x8000) >> 13) | (r >> 16),
           false);
  return w;
}
inline uint16_t Sbc16(CpuState& c, uint16_t a, uint16_t v) {
  const uint32_t r = static_cast<uint32_t>(a) - v - (c.F & kFlagC);
  const uint16_t w = static_cast<uint16_t>(r);
  SetFlags(c,
           (Hi(w) & kFlagS) | (w == 0 ? kFlagZ : 0) | (((a ^ v ^ r) >> 8) & kFlagH) |
               (((a ^ v) & (a ^ r) & 0x8000) >> 13) | ((r >> 16) & kFlagC),
           true);
  return w;
}

// --- rotates and shifts of the CB page: RLC RRC RL RR SLA SRA (SLL) SRL ---
template <int Y> inline uint8_t Rotate(CpuState& c, uint8_t v) {
  static_assert(Y != 6, "SLL is undefined");
  unsigned r;
  uint8_t carry;
  if constexpr (Y == 0) {
    r = v << 1 | v >> 7;
    carry = v >> 7;
  } else if constexpr (Y == 1) {
    r = v >> 1 | v << 7;
    carry = v & 1;
  } else if constexpr (Y == 2) {
    r = v << 1 | (c.F & kFlagC);
    carry = v >> 7;
  } else if constexpr (Y == 3) {
    r = v >> 1 | (c.F & kFlagC) << 7;
    carry = v & 1;
  } else if constexpr (Y == 4) {
    r = v << 1;
    carry = v >> 7;
  } else if constexpr (Y == 5) {
    r = v >> 1 | (v & 0x80);
    carry = v & 1;
  } else {
    r = v >> 1;
    carry = v & 1;
  }
  const uint8_t result = Lo(r);
  SetFlags(c, kSzp[result] | carry, false);
  return result;
}

template <int B> inline void Bit(CpuState& c, uint8_t v) {
  const bool set = (v & (1 << B)) != 0;
  SetFlags(c, (c.F & kFlagC) | kFlagH | (set ? (B == 7 ? kFlagS : 0) : (kFlagZ | kFlagP)), false);
}

// IN r,(C) and IN0: the byte's S Z P, carry kept.
inline void InputFlags(CpuState& c, uint8_t v) {
  SetFlags(c, kSzp[v] | (c.F & kFlagC), false);
}

// PC is past the offending byte, the second opcode byte (CB xx, ED xx) or
// the third (DD CB d xx).
inline void IllegalOpcode(Machine& m, bool thirdByte = false) {
  HandlerAccess::UndefinedOpcode(m, thirdByte);
}

} // namespace kavrin::cpu
