#pragma once
// Turns the machine code at an address into one line of text: the bytes,
// the symbol defined there and the mnemonic with addresses as symbols.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "simulator/core/symbols.h"

namespace kavrin {

// Reads one byte at an address of the chosen space (the reader translates
// logical addresses itself).
using ByteReader = std::function<std::uint8_t(std::uint32_t address)>;

enum class AddressSpace { Logical, Physical };

inline constexpr std::uint32_t kLogicalSpaceSize = 0x10000;
inline constexpr std::uint32_t kPhysicalSpaceSize = 0x100000;
inline constexpr std::size_t kBytesFieldWidth = 9;
inline constexpr std::size_t kBytesFieldMaximum = 10;

struct Disassembly {
  std::string text;
  int length = 0;
  // Offset of the mnemonic within text (after the bytes and label fields).
  std::size_t mnemonicOffset = 0;
};

Disassembly Disassemble(const ByteReader& read, std::uint32_t address, std::size_t maxLength,
                        AddressSpace space, const SymbolTable* symbols);

} // namespace kavrin
