#include "assembler/instruction_table.h"

#include <algorithm>
#include <string>
#include <unordered_map>

namespace velkor::asmsrc {
namespace {

using C = OpClass;
using L = Layout;

constexpr InstructionForm op0(std::string_view m, std::uint8_t prefix, std::uint8_t opcode) {
  return {m, 0, {C::None, C::None}, {0, 0}, prefix, opcode, L::Opcode};
}
constexpr InstructionForm op1(std::string_view m, C a, std::uint8_t sa, std::uint8_t prefix,
                              std::uint8_t opcode, L layout = L::Opcode) {
  return {m, 1, {a, C::None}, {sa, 0}, prefix, opcode, layout};
}
constexpr InstructionForm op2(std::string_view m, C a, std::uint8_t sa, C b, std::uint8_t sb,
                              std::uint8_t prefix, std::uint8_t opcode, L layout = L::Opcode) {
  return {m, 2, {a, b}, {sa, sb}, prefix, opcode, layout};
}

constexpr std::uint8_t ED = 0xED;
constexpr std::uint8_t CB = 0xCB;

// Within a mnemonic, rows with fixed spellings come before rows that take any
// value, so that LD A,I is not read as LD A,n with a label I.
constexpr InstructionForm kForms[] = {
    op0("NOP", 0, 0x00),
    op0("HALT", 0, 0x76),
    op0("DI", 0, 0xF3),
    op0("EI", 0, 0xFB),
    op0("EXX", 0, 0xD9),
    op0("DAA", 0, 0x27),
    op0("CPL", 0, 0x2F),
    op0("CCF", 0, 0x3F),
    op0("SCF", 0, 0x37),
    op0("RLA", 0, 0x17),
    op0("RLCA", 0, 0x07),
    op0("RRA", 0, 0x1F),
    op0("RRCA", 0, 0x0F),

    op0("NEG", ED, 0x44),
    op0("RETI", ED, 0x4D),
    op0("RETN", ED, 0x45),
    op0("RLD", ED, 0x6F),
    op0("RRD", ED, 0x67),
    op0("LDI", ED, 0xA0),
    op0("LDIR", ED, 0xB0),
    op0("LDD", ED, 0xA8),
    op0("LDDR", ED, 0xB8),
    op0("CPI", ED, 0xA1),
    op0("CPIR", ED, 0xB1),
    op0("CPD", ED, 0xA9),
    op0("CPDR", ED, 0xB9),
    op0("INI", ED, 0xA2),
    op0("INIR", ED, 0xB2),
    op0("IND", ED, 0xAA),
    op0("INDR", ED, 0xBA),
    op0("OUTI", ED, 0xA3),
    op0("OTIR", ED, 0xB3),
    op0("OUTD", ED, 0xAB),
    op0("OTDR", ED, 0xBB),
    op0("OTIM", ED, 0x83),
    op0("OTIMR", ED, 0x93),
    op0("OTDM", ED, 0x8B),
    op0("OTDMR", ED, 0x9B),
    op0("SLP", ED, 0x76),

    op2("ADD", C::A, 0, C::Reg8, 0, 0, 0x80),
    op2("ADD", C::A, 0, C::Indexed, 0, 0, 0x86, L::OpcodeDisp),
    op2("ADD", C::A, 0, C::Immediate, 0, 0, 0xC6, L::OpcodeByte),
    op2("ADD", C::HL, 0, C::Pair, 4, 0, 0x09),
    op2("ADD", C::IndexReg, 0, C::Pair, 4, 0, 0x09),
    op2("ADC", C::A, 0, C::Reg8, 0, 0, 0x88),
    op2("ADC", C::A, 0, C::Indexed, 0, 0, 0x8E, L::OpcodeDisp),
    op2("ADC", C::A, 0, C::Immediate, 0, 0, 0xCE, L::OpcodeByte),
    op2("ADC", C::HL, 0, C::Pair, 4, ED, 0x4A),
    op2("SBC", C::A, 0, C::Reg8, 0, 0, 0x98),
    op2("SBC", C::A, 0, C::Indexed, 0, 0, 0x9E, L::OpcodeDisp),
    op2("SBC", C::A, 0, C::Immediate, 0, 0, 0xDE, L::OpcodeByte),
    op2("SBC", C::HL, 0, C::Pair, 4, ED, 0x42),

#define ALU(m, base)                                                                               \
  op1(m, C::Reg8, 0, 0, base), op1(m, C::Indexed, 0, 0, base + 6, L::OpcodeDisp),                  \
      op1(m, C::Immediate, 0, 0, base + 0x46, L::OpcodeByte)
    ALU("SUB", 0x90),
    ALU("AND", 0xA0),
    ALU("XOR", 0xA8),
    ALU("OR", 0xB0),
    ALU("CP", 0xB8),
#undef ALU

    op1("INC", C::Reg8, 3, 0, 0x04),
    op1("INC", C::Indexed, 0, 0, 0x34, L::OpcodeDisp),
    op1("INC", C::Pair, 4, 0, 0x03),
    op1("INC", C::IndexReg, 0, 0, 0x23),
    op1("DEC", C::Reg8, 3, 0, 0x05),
    op1("DEC", C::Indexed, 0, 0, 0x35, L::OpcodeDisp),
    op1("DEC", C::Pair, 4, 0, 0x0B),
    op1("DEC", C::IndexReg, 0, 0, 0x2B),

#define SHIFT(m, base) op1(m, C::Reg8, 0, CB, base), op1(m, C::Indexed, 0, 0, base + 6, L::BitDisp)
    SHIFT("RLC", 0x00),
    SHIFT("RRC", 0x08),
    SHIFT("RL", 0x10),
    SHIFT("RR", 0x18),
    SHIFT("SLA", 0x20),
    SHIFT("SRA", 0x28),
    SHIFT("SRL", 0x38),
#undef SHIFT

#define BITOP(m, base)                                                                             \
  op2(m, C::BitNumber, 3, C::Reg8, 0, CB, base),                                                   \
      op2(m, C::BitNumber, 3, C::Indexed, 0, 0, base + 6, L::BitDisp)
    BITOP("BIT", 0x40),
    BITOP("RES", 0x80),
    BITOP("SET", 0xC0),
#undef BITOP

    op2("LD", C::Reg8NoHL, 3, C::Reg8, 0, 0, 0x40),
    op2("LD", C::AtHL, 0, C::Reg8NoHL, 0, 0, 0x70),
    op2("LD", C::Reg8NoHL, 3, C::Indexed, 0, 0, 0x46, L::OpcodeDisp),
    op2("LD", C::Indexed, 0, C::Reg8NoHL, 0, 0, 0x70, L::OpcodeDisp),
    op2("LD", C::A, 0, C::AtBC, 0, 0, 0x0A),
    op2("LD", C::A, 0, C::AtDE, 0, 0, 0x1A),
    op2("LD", C::A, 0, C::I, 0, ED, 0x57),
    op2("LD", C::A, 0, C::R, 0, ED, 0x5F),
    op2("LD", C::I, 0, C::A, 0, ED, 0x47),
    op2("LD", C::R, 0, C::A, 0, ED, 0x4F),
    op2("LD", C::AtBC, 0, C::A, 0, 0, 0x02),
    op2("LD", C::AtDE, 0, C::A, 0, 0, 0x12),
    op2("LD", C::A, 0, C::Memory, 0, 0, 0x3A, L::OpcodeWord),
    op2("LD", C::Memory, 0, C::A, 0, 0, 0x32, L::OpcodeWord),
    op2("LD", C::Reg8, 3, C::Immediate, 0, 0, 0x06, L::OpcodeByte),
    op2("LD", C::Indexed, 0, C::Immediate, 0, 0, 0x36, L::OpcodeDispByte),
    op2("LD", C::HL, 0, C::Memory, 0, 0, 0x2A, L::OpcodeWord),
    op2("LD", C::IndexReg, 0, C::Memory, 0, 0, 0x2A, L::OpcodeWord),
    op2("LD", C::PairNoHL, 4, C::Memory, 0, ED, 0x4B, L::OpcodeWord),
    op2("LD", C::Memory, 0, C::HL, 0, 0, 0x22, L::OpcodeWord),
    op2("LD", C::Memory, 0, C::IndexReg, 0, 0, 0x22, L::OpcodeWord),
    op2("LD", C::Memory, 0, C::PairNoHL, 4, ED, 0x43, L::OpcodeWord),
    op2("LD", C::SP, 0, C::HL, 0, 0, 0xF9),
    op2("LD", C::SP, 0, C::IndexReg, 0, 0, 0xF9),
    op2("LD", C::Pair, 4, C::Immediate, 0, 0, 0x01, L::OpcodeWord),
    op2("LD", C::IndexReg, 0, C::Immediate, 0, 0, 0x21, L::OpcodeWord),

    op1("PUSH", C::PairAF, 4, 0, 0xC5),
    op1("PUSH", C::IndexReg, 0, 0, 0xE5),
    op1("POP", C::PairAF, 4, 0, 0xC1),
    op1("POP", C::IndexReg, 0, 0, 0xE1),

    op2("EX", C::AtSP, 0, C::HL, 0, 0, 0xE3),
    op2("EX", C::AtSP, 0, C::IndexReg, 0, 0, 0xE3),
    op2("EX", C::AF, 0, C::AFAlt, 0, 0, 0x08),
    op2("EX", C::DE, 0, C::HL, 0, 0, 0xEB),

    op1("JP", C::AtHL, 0, 0, 0xE9),
    op1("JP", C::AtIndexReg, 0, 0, 0xE9),
    op1("JP", C::Immediate, 0, 0, 0xC3, L::OpcodeWord),
    op2("JP", C::Cond, 3, C::Immediate, 0, 0, 0xC2, L::OpcodeWord),
    op1("CALL", C::Immediate, 0, 0, 0xCD, L::OpcodeWord),
    op2("CALL", C::Cond, 3, C::Immediate, 0, 0, 0xC4, L::OpcodeWord),
    op0("RET", 0, 0xC9),
    op1("RET", C::Cond, 3, 0, 0xC0),
    op1("RST", C::RstVector, 0, 0, 0xC7),
    op1("JR", C::Relative, 0, 0, 0x18, L::OpcodeRelative),
    op2("JR", C::JrCond, 3, C::Relative, 0, 0, 0x20, L::OpcodeRelative),
    op1("DJNZ", C::Relative, 0, 0, 0x10, L::OpcodeRelative),

    op1("IM", C::ImMode0, 0, ED, 0x46),
    op1("IM", C::ImMode1, 0, ED, 0x56),
    op1("IM", C::ImMode2, 0, ED, 0x5E),

    op2("IN", C::Reg8NoHL, 3, C::AtC, 0, ED, 0x40),
    op2("IN", C::A, 0, C::Memory, 0, 0, 0xDB, L::OpcodeByte),
    op2("OUT", C::AtC, 0, C::Reg8NoHL, 3, ED, 0x41),
    op2("OUT", C::Memory, 0, C::A, 0, 0, 0xD3, L::OpcodeByte),
    op2("IN0", C::Reg8NoHL, 3, C::Memory, 0, ED, 0x00, L::OpcodeByte),
    op2("OUT0", C::Memory, 0, C::Reg8NoHL, 3, ED, 0x01, L::OpcodeByte),
    op1("TST", C::Reg8, 3, ED, 0x04),
    op1("TST", C::Immediate, 0, ED, 0x64, L::OpcodeByte),
    op1("TSTIO", C::Immediate, 0, ED, 0x74, L::OpcodeByte),
    op1("MLT", C::Pair, 4, ED, 0x4C),
};

bool takesIndexPrefix(const InstructionForm& form) {
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

std::span<const InstructionForm> findInstruction(std::string_view mnemonic) {
  static const Index index;
  auto it = index.byMnemonic.find(mnemonic);
  return it == index.byMnemonic.end() ? std::span<const InstructionForm>{} : it->second;
}

std::span<const InstructionForm> instructionForms() {
  return kForms;
}

std::uint32_t formSize(const InstructionForm& form) {
  const std::uint32_t opcode = (form.prefix != 0 || takesIndexPrefix(form)) ? 2 : 1;
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
