#pragma once
// Turns the machine code at an address into one line of text: the bytes,
// the symbol defined there and the mnemonic with addresses as symbols.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kavrin {

// Reads one byte at an address of the chosen space (the reader translates
// logical addresses itself).
using ByteReader = std::function<std::uint8_t(std::uint32_t address)>;

enum class AddressSpace { Logical, Physical };

// Names shown in place of addresses (the session's symbol table).
class AddressNames {
public:
  // The name given to this address, or nullptr.
  virtual const std::string* FindAddress(std::uint16_t address) const = 0;

protected:
  ~AddressNames() = default;
};

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
                        AddressSpace space, const AddressNames* names);

} // namespace kavrin
