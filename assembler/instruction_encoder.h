#pragma once
// Encodes one instruction statement by the first form of the instruction
// table that its operands fit.

#include "assembler/asm_lexer.h"
#include "assembler/instruction_table.h"

#include <span>

namespace velkor::asmsrc {

class Assembly;

// Fails with "Syntax error" when no form fits.
void EncodeInstruction(Assembly& assembly, std::span<const InstructionForm> forms,
                       std::span<const Token> operands);

// Bytes of a relative branch displacement from `start` to `target`; fails
// with "Relative branch out of range".
std::uint8_t BranchDisplacement(Assembly& assembly, std::uint32_t target, std::uint32_t start);

} // namespace velkor::asmsrc
