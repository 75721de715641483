#pragma once
// Clock cycles (T-states) of every opcode, one row per instruction form as
// the Z180's instruction summary lists them, with no wait states. The run
// charges a page's entry when it dispatches the opcode; handlers add the
// extra of a taken branch or of a block instruction's repeated iteration.
//
//   const OpcodeTiming t = kEdTiming[0xB0]; // LDIR: 12 for the last pass, 14 per repeat
//
// Memory and I/O counts are the bus cycles a wait state stretches (prefix
// and opcode fetches included); the listed I/O states already hold the
// chip's one built-in I/O wait.

#include <array>
#include <cstdint>
#include <span>

namespace kavrin {

struct OpcodeTiming {
  uint8_t states = 0; // not taken, or the last pass of a block instruction
  uint8_t memory = 0;
  uint8_t io = 0;
  uint8_t extraStates = 0; // taken branch: added; block repeat: a whole repeated pass
  uint8_t extraMemory = 0;
  uint8_t extraIo = 0;
};

struct TimingForm {
  uint8_t opcode;
  uint8_t mask; // the opcode bits the form fixes
  OpcodeTiming timing;
  const char* form;
};

// Added by every DD/FD byte to the plain form of an instruction.
inline constexpr OpcodeTiming kIndexPrefixCost = {.states = 3, .memory = 1};

// First matching row wins.
inline constexpr TimingForm kMainForms[] = {
    {0x00, 0xFF, {3, 1}, "NOP"},
    {0x08, 0xFF, {4, 1}, "EX AF,AF'"},
    {0x10, 0xFF, {7, 2, 0, 2}, "DJNZ e"},
    {0x18, 0xFF, {8, 2}, "JR e"},
    {0x20, 0xE7, {6, 2, 0, 2}, "JR cc,e"},
    {0x01, 0xCF, {9, 3}, "LD rr,nn"},
    {0x09, 0xCF, {7, 1}, "ADD HL,rr"},
    {0x02, 0xEF, {7, 2}, "LD (BC),A / LD (DE),A"},
    {0x0A, 0xEF, {6, 2}, "LD A,(BC) / LD A,(DE)"},
    {0x22, 0xFF, {16, 5}, "LD (nn),HL"},
    {0x2A, 0xFF, {15, 5}, "LD HL,(nn)"},
    {0x32, 0xFF, {13, 4}, "LD (nn),A"},
    {0x3A, 0xFF, {12, 4}, "LD A,(nn)"},
    {0x03, 0xC7, {4, 1}, "INC rr / DEC rr"},
    {0x34, 0xFE, {10, 3}, "INC (HL) / DEC (HL)"},
    {0x04, 0xC6, {4, 1}, "INC r / DEC r"},
    {0x36, 0xFF, {9, 3}, "LD (HL),n"},
    {0x06, 0xC7, {6, 2}, "LD r,n"},
    {0x07, 0xE7, {3, 1}, "RLCA RRCA RLA RRA"},
    {0x27, 0xFF, {4, 1}, "DAA"},
    {0x2F, 0xFF, {3, 1}, "CPL"},
    {0x37, 0xF7, {3, 1}, "SCF / CCF"},
    {0x76, 0xFF, {3, 1}, "HALT"},
    {0x70, 0xF8, {7, 2}, "LD (HL),r"},
    {0x46, 0xC7, {6, 2}, "LD r,(HL)"},
    {0x40, 0xC0, {4, 1}, "LD r,r'"},
    {0x86, 0xC7, {6, 2}, "ALU A,(HL)"},
    {0x80, 0xC0, {4, 1}, "ALU A,r"},
    {0xCB, 0xFF, {}, "CB prefix: the CB page counts"},
    {0xDD, 0xDF, {}, "DD/FD prefix: the index page counts"},
    {0xED, 0xFF, {}, "ED prefix: the ED page counts"},
    {0xC0, 0xC7, {5, 1, 0, 5, 2}, "RET cc"},
    {0xC1, 0xCF, {9, 3}, "POP rr"},
    {0xC9, 0xFF, {9, 3}, "RET"},
    {0xD9, 0xFF, {3, 1}, "EXX"},
    {0xE9, 0xFF, {3, 1}, "JP (HL)"},
    {0xF9, 0xFF, {4, 1}, "LD SP,HL"},
    {0xC2, 0xC7, {6, 3, 0, 3}, "JP cc,nn"},
    {0xC3, 0xFF, {9, 3}, "JP nn"},
    {0xD3, 0xFF, {10, 2, 1}, "OUT (n),A"},
    {0xDB, 0xFF, {9, 2, 1}, "IN A,(n)"},
    {0xE3, 0xFF, {16, 5}, "EX (SP),HL"},
    {0xEB, 0xFF, {3, 1}, "EX DE,HL"},
    {0xF3, 0xF7, {3, 1}, "DI / EI"},
    {0xC4, 0xC7, {6, 3, 0, 10, 2}, "CALL cc,nn"},
    {0xC5, 0xCF, {11, 3}, "PUSH rr"},
    {0xCD, 0xFF, {16, 5}, "CALL nn"},
    {0xC6, 0xC7, {6, 2}, "ALU A,n"},
    {0xC7, 0xC7, {11, 3}, "RST p"},
};

// Forms with an (IX+d) operand; the rest of the index page is the plain
// form plus kIndexPrefixCost. Counts include the prefix.
inline constexpr TimingForm kIndexForms[] = {
    {0x76, 0xFF, {6, 2}, "HALT: the plain form, not LD (IX+d),r"},
    {0xCB, 0xFF, {}, "DD CB: the index-CB page counts"},
    {0x34, 0xFE, {18, 5}, "INC (IX+d) / DEC (IX+d)"},
    {0x36, 0xFF, {15, 5}, "LD (IX+d),n"},
    {0x70, 0xF8, {15, 4}, "LD (IX+d),r"},
    {0x46, 0xC7, {14, 4}, "LD r,(IX+d)"},
    {0x86, 0xC7, {14, 4}, "ALU A,(IX+d)"},
};

// An illegal opcode stops the run and takes no time.
inline constexpr TimingForm kCbForms[] = {
    {0x30, 0xF8, {}, "illegal (SLL)"},
    {0x46, 0xC7, {9, 3}, "BIT b,(HL)"},
    {0x06, 0x07, {13, 4}, "rotate/shift, SET, RES (HL)"},
    {0x40, 0xC0, {6, 2}, "BIT b,r"},
    {0x00, 0x00, {7, 2}, "rotate/shift, SET, RES r"},
};

// DD CB d op, prefix and displacement included. The register columns (which
// the chip traps) are charged as the memory form.
inline constexpr TimingForm kIndexCbForms[] = {
    {0x30, 0xF8, {}, "illegal (SLL)"},
    {0x40, 0xC0, {15, 5}, "BIT b,(IX+d)"},
    {0x00, 0x00, {19, 6}, "rotate/shift, SET, RES (IX+d)"},
};

// ED opcodes, the ED byte included. Opcodes with no row are illegal.
inline constexpr TimingForm kEdForms[] = {
    {0x30, 0xFF, {}, "illegal (IN0 (n) without a register)"},
    {0x31, 0xFF, {}, "illegal (OUT0 (n) without a register)"},
    {0x70, 0xFF, {}, "illegal (IN F,(C))"},
    {0x71, 0xFF, {}, "illegal (OUT (C),0)"},
    {0x00, 0xC7, {12, 3, 1}, "IN0 r,(n)"},
    {0x01, 0xC7, {13, 3, 1}, "OUT0 (n),r"},
    {0x34, 0xFF, {10, 3}, "TST (HL)"},
    {0x04, 0xC7, {7, 2}, "TST r"},
    {0x40, 0xC7, {9, 2, 1}, "IN r,(C)"},
    {0x41, 0xC7, {10, 2, 1}, "OUT (C),r"},
    {0x42, 0xC7, {10, 2}, "SBC HL,rr / ADC HL,rr"},
    {0x43, 0xCF, {19, 6}, "LD (nn),rr"},
    {0x4B, 0xCF, {18, 6}, "LD rr,(nn)"},
    {0x44, 0xFF, {6, 2}, "NEG"},
    {0x45, 0xF7, {12, 4}, "RETN / RETI"},
    {0x46, 0xFF, {6, 2}, "IM 0"},
    {0x56, 0xF7, {6, 2}, "IM 1 / IM 2"},
    {0x47, 0xE7, {6, 2}, "LD I,A / LD R,A / LD A,I / LD A,R"},
    {0x4C, 0xCF, {17, 2}, "MLT rr"},
    {0x64, 0xFF, {9, 3}, "TST n"},
    {0x67, 0xF7, {16, 4}, "RRD / RLD"},
    {0x74, 0xFF, {12, 3, 1}, "TSTIO n"},
    {0x76, 0xFF, {8, 2}, "SLP"},
    {0x83, 0xF7, {14, 3, 1}, "OTIM / OTDM"},
    {0x93, 0xF7, {14, 3, 1, 16, 3, 1}, "OTIMR / OTDMR"},
    {0xA0, 0xF7, {12, 4}, "LDI / LDD"},
    {0xA1, 0xF7, {12, 3}, "CPI / CPD"},
    {0xA2, 0xF7, {12, 3, 1}, "INI / IND"},
    {0xA3, 0xF7, {12, 3, 1}, "OUTI / OUTD"},
    {0xB0, 0xF7, {12, 4, 0, 14, 4}, "LDIR / LDDR"},
    {0xB1, 0xF7, {12, 3, 0, 14, 3}, "CPIR / CPDR"},
    {0xB2, 0xF7, {12, 3, 1, 14, 3, 1}, "INIR / INDR"},
    {0xB3, 0xF7, {12, 3, 1, 14, 3, 1}, "OTIR / OTDR"},
};

using TimingPage = std::array<OpcodeTiming, 256>;

// fallback gives the timing of an opcode no row matches.
template <typename Fallback>
constexpr TimingPage BuildTimingPage(std::span<const TimingForm> forms, Fallback fallback) {
  TimingPage page{};
  for (int op = 0; op < 256; ++op) {
    page[op] = fallback(op);
    for (const TimingForm& f : forms) {
      if ((op & f.mask) == f.opcode) {
        page[op] = f.timing;
        break;
      }
    }
  }
  return page;
}

inline constexpr OpcodeTiming kNoTime{};
inline constexpr TimingPage kMainTiming = BuildTimingPage(kMainForms, [](int) { return kNoTime; });
inline constexpr TimingPage kIndexTiming = BuildTimingPage(kIndexForms, [](int op) {
  OpcodeTiming t = kMainTiming[op];
  t.states += kIndexPrefixCost.states;
  t.memory += kIndexPrefixCost.memory;
  return t;
});
inline constexpr TimingPage kCbTiming = BuildTimingPage(kCbForms, [](int) { return kNoTime; });
inline constexpr TimingPage kIndexCbTiming =
    BuildTimingPage(kIndexCbForms, [](int) { return kNoTime; });
inline constexpr TimingPage kEdTiming = BuildTimingPage(kEdForms, [](int) { return kNoTime; });

} // namespace kavrin
