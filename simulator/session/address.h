#pragma once
// What the user types as an address, a value or a port number.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "simulator/session/symbols.h"

namespace kavrin {

struct ResolvedAddress {
  bool ok = false;
  std::uint32_t value = 0;
  std::string message;   // "Cannot resolve " + text when !ok
  bool bySymbol = false; // the text was a symbol name, not a number
};

// Hexadecimal first (an empty text is 0), then a symbol name. The text is
// upper-cased first, as the entry field does. A number beyond 32 bits is
// not resolved; callers keep the width they need of the others.
ResolvedAddress ResolveAddress(std::string_view text, const SymbolTable& symbols);

// A port number from the port dialog: at most two hex digits, below FFH.
std::optional<std::uint8_t> ParsePortAddress(std::string_view text);

} // namespace kavrin
