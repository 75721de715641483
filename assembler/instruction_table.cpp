#include "assembler/instruction_table.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace velkor::asmsrc {
namespace {

using C = OpClass;
using L = Layout;

constexpr InstructionForm Op0(std::string_view m, std::uint8_t prefix, std::uint8_t opcode) {
  return {m, 0, {C::None, C::None}, {0, 0}, prefix, opcode, L::Opcode};
}
constexpr InstructionForm Op1(std::string_view m, C a, std::uint8_t sa, std::uint8_t prefix,
                              std::uint8_t opcode, L layout = L::Opcode) {
  return {m, 1, {a, C::None}, {sa, 0}, prefix, opcode, layout};
}
constexpr InstructionForm Op2(std::string_view m, C a, std::uint8_t sa, C b, std::uint8_t sb,
                              std::uint8_t prefix, std::uint8_t opcode, L layout = L::Opcode) {
  return {m, 2, {a, b}, {sa, sb}, prefix, opcode, layout};
}

constexpr std::uint8_t ED = 0xED;
constexpr std::uint8_t CB = 0xCB;

// Within a mnemonic, rows with fixed spellings come before rows that take any
// value, so that LD A,I is not read as LD A,n with a label I.
constexpr InstructionForm kForms[] = {
    Op0("NOP", 0, 0x00),
    Op0("HALT", 0, 0x76),
    Op0("DI", 0, 0xF3),
    Op0("EI", 0, 0xFB),
    Op0("EXX", 0, 0xD9),
    Op0("DAA", 0, 0x27),
    Op0("CPL", 0, 0x2F),
    Op0("CCF", 0, 0x3F),
    Op0("SCF", 0, 0x37),
    Op0("RLA", 0, 0x17),
    Op0("RLCA", 0, 0x07),
    Op0("RRA", 0, 0x1F),
    Op0("RRCA", 0, 0x0F),

    Op0("NEG", ED, 0x44),
    Op0("RETI", ED, 0x4D),
    Op0("RETN", ED, 0x45),
    Op0("RLD", ED, 0x6F),
    Op0("RRD", ED, 0x67),
    Op0("LDI", ED, 0xA0),
    Op0("LDIR", ED, 0xB0),
    Op0("LDD", ED, 0xA8),
    Op0("LDDR", ED, 0xB8),
    Op0("CPI", ED, 0xA1),
    Op0("CPIR", ED, 0xB1),
    Op0("CPD", ED, 0xA9),
    Op0("CPDR", ED, 0xB9),
    Op0("INI", ED, 0xA2),
    Op0("INIR", ED, 0xB2),
    Op0("IND", ED, 0xAA),
    Op0("INDR", ED, 0xBA),
    Op0("OUTI", ED, 0xA3),
    Op0("OTIR", ED, 0xB3),
    Op0("OUTD", ED, 0xAB),
    Op0("OTDR", ED, 0xBB),
    Op0("OTIM", ED, 0x83),
    Op0("OTIMR", ED, 0x93),
    Op0("OTDM", ED, 0x8B),
    Op0("OTDMR", ED, 0x9B),
    Op0("SLP", ED, 0x76),

    Op2("ADD", C::A, 0, C::Reg8, 0, 0, 0x80),
    Op2("ADD", C::A, 0, C::Indexed, 0, 0, 0x86, L::OpcodeDisp),
    Op2("ADD", C::A, 0, C::Immediate, 0, 0, 0xC6, L::OpcodeByte),
    Op2("ADD", C::HL, 0, C::Pair, 4, 0, 0x09),
    Op2("ADD", C::IndexReg, 0, C::Pair, 4, 0, 0x09),
    Op2("ADC", C::A, 0, C::Reg8, 0, 0, 0x88),
    Op2("ADC", C::A, 0, C::Indexed, 0, 0, 0x8E, L::OpcodeDisp),
    Op2("ADC", C::A, 0, C::Immediate, 0, 0, 0xCE, L::OpcodeByte),
    Op2("ADC", C::HL, 0, C::Pair, 4, ED, 0x4A),
    Op2("SBC", C::A, 0, C::Reg8, 0, 0, 0x98),
    Op2("SBC", C::A, 0, C::Indexed, 0, 0, 0x9E, L::OpcodeDisp),
    Op2("SBC", C::A, 0, C::Immediate, 0, 0, 0xDE, L::OpcodeByte),
    Op2("SBC", C::HL, 0, C::Pair, 4, ED, 0x42),

#define ALU(m, base)                                                                               \
  Op1(m, C::Reg8, 0, 0, base), Op1(m, C::Indexed, 0, 0, base + 6, L::OpcodeDisp),                  \
      Op1(m, C::Immediate, 0, 0, base + 0x46, L::OpcodeByte)
    ALU("SUB", 0x90),
    ALU("AND", 0xA0),
    ALU("XOR", 0xA8),
    ALU("OR", 0xB0),
    ALU("CP", 0xB8),
#undef ALU

    Op1("INC", C::Reg8, 3, 0, 0x04),
    Op1("INC", C::Indexed, 0, 0, 0x34, L::OpcodeDisp),
    Op1("INC", C::Pair, 4, 0, 0x03),
    Op1("INC", C::IndexReg, 0, 0, 0x23),
    Op1("DEC", C::Reg8, 3, 0, 0x05),
    Op1("DEC", C::Indexed, 0, 0, 0x35, L::OpcodeDisp),
    Op1("DEC", C::Pair, 4, 0, 0x0B),
    Op1("DEC", C::IndexReg, 0, 0, 0x2B),

#define SHIFT(m, base) Op1(m, C::Reg8, 0, CB, base), Op1(m, C::Indexed, 0, 0, base + 6, L::BitDisp)
    SHIFT("RLC", 0x00),
    SHIFT("RRC", 0x08),
    SHIFT("RL", 0x10),
    SHIFT("RR", 0x18),
    SHIFT("SLA", 0x20),
    SHIFT("SRA", 0x28),
    SHIFT("SRL", 0x38),
#undef SHIFT

#define BITOP(m, base)                                                                             \
  Op2(m, C::BitNumber, 3, C::Reg8, 0, CB, base),                                                   \
      Op2(m, C::BitNumber, 3, C::Indexed, 0, 0, base + 6, L::BitDisp)
    BITOP("BIT", 0x40),
    BITOP("RES", 0x80),
    BITOP("SET", 0xC0),
#undef BITOP

    Op2("LD", C::Reg8NoHL, 3, C::Reg8, 0, 0, 0x40),
    Op2("LD", C::AtHL, 0, C::Reg8NoHL, 0, 0, 0x70),
    Op2("LD", C::Reg8NoHL, 3, C::Indexed, 0, 0, 0x46, L::OpcodeDisp),
    Op2("LD", C::Indexed, 0, C::Reg8NoHL, 0, 0, 0x70, L::OpcodeDisp),
    Op2("LD", C::A, 0, C::AtBC, 0, 0, 0x0A),
    Op2("LD", C::A, 0, C::AtDE, 0, 0, 0x1A),
    Op2("LD", C::A, 0, C::I, 0, ED, 0x57),
    Op2("LD", C::A, 0, C::R, 0, ED, 0x5F),
    Op2("LD", C::I, 0, C::A, 0, ED, 0x47),
    Op2("LD", C::R, 0, C::A, 0, ED, 0x4F),
    Op2("LD", C::AtBC, 0, C::A, 0, 0, 0x02),
    Op2("LD", C::AtDE, 0, C::A, 0, 0, 0x12),
    Op2("LD", C::A, 0, C::Memory, 0, 0, 0x3A, L::OpcodeWord),
    Op2("LD", C::Memory, 0, C::A, 0, 0, 0x32, L::OpcodeWord),
    Op2("LD", C::Reg8, 3, C::Immediate, 0, 0, 0x06, L::OpcodeByte),
    Op2("LD", C::Indexed, 0, C::Immediate, 0, 0, 0x36, L::OpcodeDispByte),
    Op2("LD", C::HL, 0, C::Memory, 0, 0, 0x2A, L::OpcodeWord),
    Op2("LD", C::IndexReg, 0, C::Memory, 0, 0, 0x2A, L::OpcodeWord),
    Op2("LD", C::PairNoHL, 4, C::Memory, 0, ED, 0x4B, L::OpcodeWord),
    Op2("LD", C::Memory, 0, C::HL, 0, 0, 0x22, L::OpcodeWord),
    Op2("LD", C::Memory, 0, C::IndexReg, 0, 0, 0x22, L::OpcodeWord),
    Op2("LD", C::Memory, 0, C::PairNoHL, 4, ED, 0x43, L::OpcodeWord),
    Op2("LD", C::SP, 0, C::HL, 0, 0, 0xF9),
    Op2("LD", C::SP, 0, C::IndexReg, 0, 0, 0xF9),
    Op2("LD", C::Pair, 4, C::Immediate, 0, 0, 0x01, L::OpcodeWord),
    Op2("LD", C::IndexReg, 0, C::Immediate, 0, 0, 0x21, L::OpcodeWord),

    Op1("PUSH", C::PairAF, 4, 0, 0xC5),
    Op1("PUSH", C::IndexReg, 0, 0, 0xE5),
    Op1("POP", C::PairAF, 4, 0, 0xC1),
    Op1("POP", C::IndexReg, 0, 0, 0xE1),

    Op2("EX", C::AtSP, 0, C::HL, 0, 0, 0xE3),
    Op2("EX", C::AtSP, 0, C::IndexReg, 0, 0, 0xE3),
    Op2("EX", C::AF, 0, C::AFAlt, 0, 0, 0x08),
    Op2("EX", C::DE, 0, C::HL, 0, 0, 0xEB),

    Op1("JP", C::AtHL, 0, 0, 0xE9),
    Op1("JP", C::AtIndexReg, 0, 0, 0xE9),
    Op1("JP", C::Immediate, 0, 0, 0xC3, L::OpcodeWord),
    Op2("JP", C::Cond, 3, C::Immediate, 0, 0, 0xC2, L::OpcodeWord),
    Op1("CALL", C::Immediate, 0, 0, 0xCD, L::OpcodeWord),
    Op2("CALL", C::Cond, 3, C::Immediate, 0, 0, 0xC4, L::OpcodeWord),
    Op0("RET", 0, 0xC9),
    Op1("RET", C::Cond, 3, 0, 0xC0),
    Op1("RST", C::RstVector, 0, 0, 0xC7),
    Op1("JR", C::Relative, 0, 0, 0x18, L::OpcodeRelative),
    Op2("JR", C::JrCond, 3, C::Relative, 0, 0, 0x20, L::OpcodeRelative),
    Op1("DJNZ", C::Relative, 0, 0, 0x10, L::OpcodeRelative),

    Op1("IM", C::ImMode0, 0, ED, 0x46),
    Op1("IM", C::ImMode1, 0, ED, 0x56),
    Op1("IM", C::ImMode2, 0, ED, 0x5E),

    Op2("IN", C::Reg8NoHL, 3, C::AtC, 0, ED, 0x40),
    Op2("IN", C::A, 0, C::Memory, 0, 0, 0xDB, L::OpcodeByte),
    Op2("OUT", C::AtC, 0, C::Reg8NoHL, 3, ED, 0x41),
    Op2("OUT", C::Memory, 0, C::A, 0, 0, 0xD3, L::OpcodeByte),
    Op2("IN0", C::Reg8NoHL, 3, C::Memory, 0, ED, 0x00, L::OpcodeByte),
    Op2("OUT0", C::Memory, 0, C::Reg8NoHL, 3, ED, 0x01, L::OpcodeByte),
    Op1("TST", C::Reg8, 3, ED, 0x04),
    Op1("TST", C::Immediate, 0, ED, 0x64, L::OpcodeByte),
    Op1("TSTIO", C::Immediate, 0, ED, 0x74, L::OpcodeByte),
    Op1("MLT", C::Pair, 4, ED, 0x4C),
};

bool TakesIndexPrefix(const InstructionForm& form) {
  for (std::size_t i = 0; i < form.operandCount; ++i) {
    const C c = form.operand[i];
    if (c == C::IndexReg || c == C::AtIndexReg || c == C::Indexed) return true;
  }
  return false;
}

struct Index {
  std::unordered_map<std::string_view, std::span<const InstructionForm>> byMnemonic;
  Index() {
    const std::span<const InstructionForm> all(kForms);
    std::size_t begin = 0;
    while (begin < all.size()) {
      std::size_t end = begin + 1;
      while (end < all.size() && all[end].mnemonic == all[begin].mnemonic)
        ++end;
      byMnemonic.emplace(all[begin].mnemonic, all.subspan(begin, end - begin));
      begin = end;
    }
  }
};

} // namespace

std::span<const InstructionForm> FindInstruction(std::string_view mnemonic) {
  static const Index index;
  auto it = index.byMnemonic.find(mnemonic);
  return it == index.byMnemonic.end() ? std::span<const InstructionForm>{} : it->second;
}

std::span<const InstructionForm> InstructionForms() {
  return kForms;
}

std::uint32_t FormSize(const InstructionForm& form) {
  const std::uint32_t opcode = (form.prefix != 0 || TakesIndexPrefix(form)) ? 2 : 1;
  switch (form.layout) {
  case L::Opcode:
    return opcode;
  case L::OpcodeByte:
    return opcode + 1;
  case L::OpcodeWord:
    return opcode + 2;
  case L::OpcodeDisp:
    return 3;
  case L::OpcodeDispByte:
    return 4;
  case L::BitDisp:
    return 4;
  case L::OpcodeRelative:
    return 2;
  }
  return opcode;
}

} // namespace velkor::asmsrc
