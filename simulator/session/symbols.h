#pragma once
// Symbol tables of one simulator session, filled from a .SYM file.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/core/disasm.h"

namespace kavrin {

// Names are short strings; longer names in a symbol file are cut.
inline constexpr std::size_t kMaxSymbolNameLength = 255;

class SymbolTable final : public AddressNames {
public:
  void Clear();
  // addressText is the four characters as they stand in the file.
  void Add(std::string_view addressText, std::uint16_t address, std::string_view name);

  // Case-insensitive; the first entry read wins.
  std::optional<std::uint16_t> FindName(std::string_view name) const;
  // The name of the first symbol read at this address, or nullptr.
  const std::string* FindAddress(std::uint16_t address) const override;

  std::size_t Size() const { return names_.size(); }
  bool Empty() const { return names_.empty(); }

private:
  struct Name {
    std::string upperName;
    std::uint16_t address;
  };
  struct AddressEntry {
    std::string addressText;
    std::size_t nameIndex;
  };
  std::vector<Name> names_;             // read order
  std::vector<std::size_t> nameOrder_;  // indices into names_, sorted by name then read order
  std::vector<AddressEntry> addresses_; // sorted by text, then read order
};

struct SymbolFileResult {
  bool ok = false;
  std::string message; // set when !ok
};

// Reads a symbol file: per line four hex digits, a blank, the name. On any
// error the table is left as it was.
SymbolFileResult ReadSymbolFile(const std::filesystem::path& path, SymbolTable& table);
SymbolFileResult ParseSymbolText(std::string_view text, std::string_view fileName,
                                 SymbolTable& table);

// The .SYM path for an image path: same path, extension replaced. An
// existing file whose extension differs only in case is preferred.
std::filesystem::path SymbolFileFor(const std::filesystem::path& imagePath);

} // namespace kavrin
