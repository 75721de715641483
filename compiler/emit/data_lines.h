#pragma once
// The data lines the compiler writes into the code area: typed constants and
// the characters of string literals.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/emit/line_block.h"

namespace velkor {

// The longest printable run put into one DB line. The assembler reads lines of
// at most 255 characters; a longer run would lose its closing quote.
inline constexpr std::size_t kMaxDataRun = 240;

// Characters as DB lines: printable runs quoted, other codes alone in hex.
// With a capacity below 256 and a shorter text, DS pads up to the capacity and
// the size becomes the capacity.
LineBlock CharacterDataLines(std::string_view text,
                             std::optional<unsigned> capacity = std::nullopt);

// Typed-constant values.
LineBlock ByteDataLine(std::uint32_t value);
LineBlock WordDataLine(std::uint32_t value);
LineBlock LongDataLines(std::uint32_t value);
LineBlock RoutineAddressDataLine(std::string_view assemblerName);
LineBlock VariableAddressDataLine(std::string_view assemblerName);

// A typed string constant of declared size m (capacity m - 1): the length
// byte first, so the data reads back as the string it declares.
LineBlock StringConstantDataLines(std::string_view text, unsigned declaredSize);

// A pooled string literal: its label line, its length and its characters.
LineBlock StringPoolEntryLines(unsigned labelNumber, std::string_view text);

} // namespace velkor
