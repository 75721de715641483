#pragma once

#include <cstdint>

namespace kavrin {

// Bit positions in F. N lives in SubtractFlag, not in F; bits 1, 3 and 5 of F
// have no meaning (handlers leave bit 1 clear).
inline constexpr uint8_t kFlagS = 0x80;
inline constexpr uint8_t kFlagZ = 0x40;
inline constexpr uint8_t kFlagH = 0x10;
inline constexpr uint8_t kFlagP = 0x04;
inline constexpr uint8_t kFlagN = 0x02; // only in a pushed AF word
inline constexpr uint8_t kFlagC = 0x01;

// The processor's register file. 8-bit registers are kept as bytes so that
// H and L (and the index halves under a prefix) need no shifting; the pair
// accessors give the usual high-byte-first view.
struct CpuState {
  // The order is for speed: compilers read a byte or word field at a 4-byte
  // aligned offset with a wider load, which cannot take its value from the
  // narrower store of the instruction before and stalls. The fields written
  // most (A, F, B-L, SubtractFlag, SP, PC, IX, IY) keep off those offsets.
  uint8_t I = 0;
  uint8_t A = 0;
  uint8_t F = 0;
  uint8_t B = 0;
  uint8_t R = 0; // never incremented: only LD R,A / LD A,R touch it
  uint8_t C = 0;
  uint8_t D = 0;
  uint8_t E = 0;
  uint8_t InterruptMode = 0; // 1 or 2 as set by IM 1 / IM 2
  uint8_t H = 0;
  uint8_t L = 0;
  uint8_t SubtractFlag = 0; // 0 or 1: the N flag
  uint8_t AltA = 0;
  uint8_t AltF = 0;
  uint16_t IX = 0;
  uint16_t AltBC = 0;
  uint16_t SP = 0;
  uint16_t AltDE = 0;
  uint16_t PC = 0;
  uint16_t AltHL = 0;
  uint16_t IY = 0;
  uint8_t AltSubtractFlag = 0;
  // EI/DI deliver nothing, but LD A,I and LD A,R show this state in P/V.
  bool InterruptsEnabled = false;

  uint16_t BC() const { return static_cast<uint16_t>(B << 8 | C); }
  uint16_t DE() const { return static_cast<uint16_t>(D << 8 | E); }
  uint16_t HL() const { return static_cast<uint16_t>(H << 8 | L); }
  uint16_t AF() const { return static_cast<uint16_t>(A << 8 | F); }
  void SetBC(uint16_t v) {
    B = static_cast<uint8_t>(v >> 8);
    C = static_cast<uint8_t>(v);
  }
  void SetDE(uint16_t v) {
    D = static_cast<uint8_t>(v >> 8);
    E = static_cast<uint8_t>(v);
  }
  void SetHL(uint16_t v) {
    H = static_cast<uint8_t>(v >> 8);
    L = static_cast<uint8_t>(v);
  }

  // F as the processor pushes it: N from SubtractFlag in bit 1.
  uint8_t PackedFlags() const {
    return static_cast<uint8_t>((F & ~kFlagN) | (SubtractFlag ? kFlagN : 0));
  }
  void SetPackedFlags(uint8_t f) {
    F = static_cast<uint8_t>(f & ~kFlagN);
    SubtractFlag = (f & kFlagN) ? 1 : 0;
  }
};

} // namespace kavrin
