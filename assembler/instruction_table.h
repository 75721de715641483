#pragma once
// The Z80 and Z180 instruction forms: one row per mnemonic and operand form.
// The encoder matches a statement's operands against the rows of its
// mnemonic in order and encodes the first row that fits.

#include <cstdint>
#include <span>
#include <string_view>

namespace velkor::asmsrc {

enum class OpClass : std::uint8_t {
  None,
  // Fixed spellings.
  A,
  HL,
  SP,
  AF,
  AFAlt,
  DE,
  I,
  R,
  AtSP,
  AtC,
  AtBC,
  AtDE,
  AtHL,
  // Register fields (their code goes into the opcode).
  Reg8,      // B C D E H L (HL) A = 0..7
  Reg8NoHL,  // as Reg8 without (HL)
  Pair,      // BC DE HL SP = 0..3
  PairAF,    // BC DE HL AF = 0..3
  PairNoHL,  // BC DE SP = 0, 1, 3
  Cond,      // NZ Z NC C PO PE P M = 0..7
  JrCond,    // NZ Z NC C = 0..3
  BitNumber, // one digit 0..7
  RstVector, // 0, 8, 10H ... 38H: the vector itself
  ImMode0,
  ImMode1,
  ImMode2,
  // Index registers; the prefix DD or FD comes from the operand.
  IndexReg,   // IX IY
  AtIndexReg, // (IX) (IY)
  Indexed,    // (IX+d) (IY-d) (IX)
  // Values.
  Immediate, // n or nn
  Memory,    // (n) or (nn)
  Relative,  // e
};

enum class Layout : std::uint8_t {
  Opcode,         // [prefix] opcode
  OpcodeByte,     // [prefix] opcode n
  OpcodeWord,     // [prefix] opcode nn
  OpcodeDisp,     // prefix opcode d
  OpcodeDispByte, // prefix opcode d n
  BitDisp,        // prefix CB d opcode
  OpcodeRelative, // opcode e
};

inline constexpr std::size_t kMaxOperands = 2;

struct InstructionForm {
  std::string_view mnemonic;
  std::uint8_t operandCount;
  OpClass operand[kMaxOperands];
  std::uint8_t shift[kMaxOperands]; // where an operand's code goes in the opcode
  std::uint8_t prefix;              // 0, ED or CB; DD/FD come from the operands
  std::uint8_t opcode;
  Layout layout;
};

// The rows of one mnemonic (upper case), empty when it is no instruction.
std::span<const InstructionForm> FindInstruction(std::string_view mnemonic);
// Every row, for tests that walk the whole set.
std::span<const InstructionForm> InstructionForms();

// Bytes a row places (a prefix taken from an index operand included).
std::uint32_t FormSize(const InstructionForm& form);

} // namespace velkor::asmsrc
