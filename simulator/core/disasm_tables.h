#pragma once
// Mnemonic tables of the disassembler, one per decoding page of the core.
// Placeholders: *h byte, #h word, @h relative target, ^h index displacement,
// % index register letter.

#include <array>
#include <string>

namespace kavrin {

inline constexpr int kOpcodePageSize = 256;
using MnemonicPage = std::array<std::string, kOpcodePageSize>;

struct MnemonicTables {
  MnemonicPage main;
  MnemonicPage cb;
  MnemonicPage ed;
  MnemonicPage index;
  MnemonicPage indexCb;
};

const MnemonicTables& Mnemonics();

} // namespace kavrin
