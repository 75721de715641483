#include <array>
#include <cstdint>
#include <string_view>

#include "compiler/scanner.h"

namespace velkor {

namespace {

struct ReservedWord {
  std::string_view word;
  SymbolKind kind;
};

// Sorted, for the binary search.
constexpr std::array<ReservedWord, kReservedWordCount> kReservedWords{{
    {"ABSOLUTE", SymbolKind::Absolute},
    {"AND", SymbolKind::And},
    {"ARRAY", SymbolKind::Array},
    {"ASM", SymbolKind::Asm},
    {"BEGIN", SymbolKind::Begin},
    {"BREAK", SymbolKind::Break},
    {"CASE", SymbolKind::Case},
    {"CONST", SymbolKind::Const},
    {"CONTINUE", SymbolKind::Continue},
    {"DIV", SymbolKind::Div},
    {"DO", SymbolKind::Do},
    {"DOWNTO", SymbolKind::Downto},
    {"ELSE", SymbolKind::Else},
    {"END", SymbolKind::End},
    {"EXIT", SymbolKind::Exit},
    {"EXTERNAL", SymbolKind::External},
    {"FOR", SymbolKind::For},
    {"FORWARD", SymbolKind::Forward},
    {"FUNCTION", SymbolKind::Function},
    {"GLOBAL", SymbolKind::Global},
    {"GOTO", SymbolKind::Goto},
    {"IF", SymbolKind::If},
    {"IN", SymbolKind::In},
    {"LABEL", SymbolKind::Label},
    {"MOD", SymbolKind::Mod},
    {"NOT", SymbolKind::Not},
    {"OF", SymbolKind::Of},
    {"OR", SymbolKind::Or},
    {"PROCEDURE", SymbolKind::Procedure},
    {"PROGRAM", SymbolKind::Program},
    {"RECORD", SymbolKind::Record},
    {"REPEAT", SymbolKind::Repeat},
    {"SHL", SymbolKind::Shl},
    {"SHR", SymbolKind::Shr},
    {"STRING", SymbolKind::String},
    {"THEN", SymbolKind::Then},
    {"TO", SymbolKind::To},
    {"TYPE", SymbolKind::Type},
    {"UNTIL", SymbolKind::Until},
    {"VAR", SymbolKind::Var},
    {"WHILE", SymbolKind::While},
    {"WITH", SymbolKind::With},
    {"XOR", SymbolKind::Xor},
}};

constexpr bool IsSorted() {
  for (std::size_t i = 1; i < kReservedWords.size(); ++i)
    if (!(kReservedWords[i - 1].word < kReservedWords[i].word)) return false;
  return true;
}
static_assert(IsSorted(), "reserved words must stay sorted for the first-letter index");

constexpr std::size_t kLongestReservedWord = 9;
constexpr bool FitsLongest() {
  for (const ReservedWord& w : kReservedWords)
    if (w.word.size() > kLongestReservedWord || w.word.size() < 2) return false;
  return true;
}
static_assert(FitsLongest());

// For each letter, the range of words that start with it: every name the
// scanner reads is looked up, and a bucket holds at most a few words.
struct LetterRange {
  std::uint8_t first = 0;
  std::uint8_t end = 0;
};

constexpr std::array<LetterRange, 26> MakeLetterIndex() {
  std::array<LetterRange, 26> index{};
  for (std::size_t i = kReservedWords.size(); i-- > 0;) {
    LetterRange& r = index[static_cast<std::size_t>(kReservedWords[i].word[0] - 'A')];
    if (r.end == 0) r.end = static_cast<std::uint8_t>(i + 1);
    r.first = static_cast<std::uint8_t>(i);
  }
  return index;
}
constexpr std::array<LetterRange, 26> kLetterIndex = MakeLetterIndex();

} // namespace

SymbolKind LookupReservedWord(std::string_view upperName) {
  if (upperName.size() < 2 || upperName.size() > kLongestReservedWord)
    return SymbolKind::Identifier;
  const char first = upperName[0];
  if (first < 'A' || first > 'Z') return SymbolKind::Identifier;
  const LetterRange r = kLetterIndex[static_cast<std::size_t>(first - 'A')];
  for (std::size_t i = r.first; i < r.end; ++i)
    if (kReservedWords[i].word == upperName) return kReservedWords[i].kind;
  return SymbolKind::Identifier;
}

} // namespace velkor
