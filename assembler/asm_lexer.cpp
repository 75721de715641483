#include "assembler/asm_lexer.h"

namespace velkor::asmsrc {

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string ToUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = Upper(c);
  return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= 0x20;
}

void TokenLine::tokenize(std::string_view line, std::size_t from) {
  tokens_.clear();
  text_.clear();
  // Token views point into text_: it must never grow past this while they live.
  text_.reserve(line.size());
  std::size_t i = from;
  for (;;) {
    while (i < line.size() && (IsBlank(line[i]) || line[i] == ','))
      ++i;
    if (i >= line.size() || line[i] == ';') break;
    const std::size_t start = text_.size();
    bool quoted = false;
    while (i < line.size()) {
      const char c = line[i];
      if (c == '\'') {
        quoted = !quoted;
      } else if (!quoted && (IsBlank(c) || c == ',' || c == ';')) {
        break;
      }
      text_.push_back(quoted ? c : Upper(c));
      ++i;
    }
    Token& token = tokens_.emplace_back();
    token.text = std::string_view(text_.data() + start, text_.size() - start);
    token.sourceEnd = i;
    token.commaFollows = i < line.size() && line[i] == ',';
  }
}

std::optional<std::uint16_t> ParseNumber(std::string_view text) {
  if (text.empty()) return std::nullopt;
  unsigned base = 10;
  std::string_view digits = text;
  const char last = text.back();
  if (last == 'H') {
    base = 16;
    digits.remove_suffix(1);
  } else if (last == 'D') {
    digits.remove_suffix(1);
  } else if (last == 'B') {
    base = 2;
    digits.remove_suffix(1);
  } else if (text.front() == '$') {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return std::nullopt;
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFF) return std::nullopt;
  }
  return static_cast<std::uint16_t>(value);
}

LongNumber ParseLongNumber(std::string_view text, std::uint32_t& value) {
  value = 0;
  if (text.empty()) return LongNumber::Invalid;
  unsigned base = 10;
  std::string_view digits = text;
  switch (text.back()) {
  case 'H':
    base = 16;
    digits.remove_suffix(1);
    break;
  case 'D':
    digits.remove_suffix(1);
    break;
  case 'B':
    base = 2;
    digits.remove_suffix(1);
    break;
  default:
    break;
  }
  if (digits.empty()) return LongNumber::Invalid;
  std::uint64_t v = 0;
  for (char c : digits) {
    const char u = Upper(c);
    unsigned digit;
    if (u >= '0' && u <= '9')
      digit = static_cast<unsigned>(u - '0');
    else if (u >= 'A' && u <= 'F')
      digit = static_cast<unsigned>(u - 'A' + 10);
    else
      return LongNumber::Invalid;
    if (digit >= base) return LongNumber::Invalid;
    v = v * base + digit;
    if (v >= kMaxLoadAddress) return LongNumber::Invalid;
  }
  value = static_cast<std::uint32_t>(v);
  return LongNumber::Ok;
}

std::optional<std::uint8_t> ParseCharConstant(std::string_view text) {
  if (text.size() == 3 && text[0] == '\'' && text[2] == '\'' && text[1] != '\'')
    return static_cast<std::uint8_t>(text[1]);
  if (text == "''''") return static_cast<std::uint8_t>('\'');
  return std::nullopt;
}

std::string Unquote(std::string_view text) {
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] == '\'') {
      if (i + 1 < text.size() && text[i + 1] == '\'') {
        out += '\'';
        ++i;
        continue;
      }
      break;
    }
    out += text[i];
  }
  return out;
}

std::string WithoutQuotes(std::string_view text) {
  if (!text.empty() && text.front() == '\'') return Unquote(text);
  return std::string(text);
}

} // namespace velkor::asmsrc
