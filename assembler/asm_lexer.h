#pragma once
// Tokens and numbers of assembler source lines.
//
// A token is a run of characters above the blank other than ","; quoted text
// ('...') is part of the token and keeps its case, everything else is
// upper-cased. A ";" outside quotes ends the statement.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor::asmsrc {

struct Token {
  std::string_view text;     // upper case outside quotes
  std::size_t sourceEnd = 0; // offset in the line just after the token
  bool commaFollows = false;
};

// The tokens of one line. Token views point into the object itself, so it must
// not be copied while they are in use.
class TokenLine {
public:
  TokenLine() = default;
  TokenLine(const TokenLine&) = delete;
  TokenLine& operator=(const TokenLine&) = delete;

  // Tokenizes `line` from offset `from` (blanks and commas skipped first).
  void tokenize(std::string_view line, std::size_t from = 0);

  std::size_t size() const { return tokens_.size(); }
  const Token& operator[](std::size_t i) const { return tokens_[i]; }

private:
  std::string text_;
  std::vector<Token> tokens_;
};

// Every byte up to the space separates tokens.
bool IsBlank(char c);
char Upper(char c);
std::string ToUpper(std::string_view text);
bool EqualsIgnoreCase(std::string_view a, std::string_view b);

// A number operand: suffix H (hex), D (decimal), B (binary), a leading "$"
// (hex) or plain decimal digits, with a value below 65,536. Anything else is
// not a number (and is then taken as a name).
std::optional<std::uint16_t> ParseNumber(std::string_view text);

// The 32-bit numbers of load addresses: suffix H, D, B or decimal digits,
// below 0x0FFFFFFF.
inline constexpr std::uint32_t kMaxLoadAddress = 0x0FFFFFFF;
enum class LongNumber { Ok, Invalid };
LongNumber ParseLongNumber(std::string_view text, std::uint32_t& value);

// 'c' (or '''' for the quote itself): the character code.
std::optional<std::uint8_t> ParseCharConstant(std::string_view text);

// The inside of quoted text with doubled quotes made single, up to the closing
// quote or the end. `text` must start with a quote.
std::string Unquote(std::string_view text);
// A token in quotes loses them (and its doubled quotes); others stay.
std::string WithoutQuotes(std::string_view text);

} // namespace velkor::asmsrc
