#include <algorithm>
#include <array>
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
    {"ABSOLUTE", SymbolKind::Absolute}, {"AND", SymbolKind::And},
    {"ARRAY", SymbolKind::Array},       {"ASM", SymbolKind::Asm},
    {"BEGIN", SymbolKind::Begin},       {"BREAK", SymbolKind::Break},
    {"CASE", SymbolKind::Case},         {"CONST", SymbolKind::Const},
    {"CONTINUE", SymbolKind::Continue}, {"DIV", SymbolKind::Div},
    {"DO", SymbolKind::Do},             {"DOWNTO", SymbolKind::Downto},
    {"ELSE", SymbolKind::Else},         {"END", SymbolKind::End},
    {"EXIT", SymbolKind::Exit},         {"EXTERNAL", SymbolKind::External},
    {"FOR", SymbolKind::For},           {"FORWARD", SymbolKind::Forward},
    {"FUNCTION", SymbolKind::Function}, {"GLOBAL", SymbolKind::Global},
    {"GOTO", SymbolKind::Goto},         {"IF", SymbolKind::If},
    {"IN", SymbolKind::In},             {"LABEL", SymbolKind::Label},
    {"MOD", SymbolKind::Mod},           {"NOT", SymbolKind::Not},
    {"OF", SymbolKind::Of},             {"OR", SymbolKind::Or},
    {"PROCEDURE", SymbolKind::Procedure}, {"PROGRAM", SymbolKind::Program},
    {"RECORD", SymbolKind::Record},     {"REPEAT", SymbolKind::Repeat},
    {"SHL", SymbolKind::Shl},           {"SHR", SymbolKind::Shr},
    {"STRING", SymbolKind::String},     {"THEN", SymbolKind::Then},
    {"TO", SymbolKind::To},             {"TYPE", SymbolKind::Type},
    {"UNTIL", SymbolKind::Until},       {"VAR", SymbolKind::Var},
    {"WHILE", SymbolKind::While},       {"WITH", SymbolKind::With},
    {"XOR", SymbolKind::Xor},
}};

constexpr bool IsSorted() {
  for (std::size_t i = 1; i < kReservedWords.size(); ++i)
    if (!(kReservedWords[i - 1].word < kReservedWords[i].word)) return false;
  return true;
}
static_assert(IsSorted(), "reserved words must stay sorted for the binary search");

}  // namespace

SymbolKind LookupReservedWord(std::string_view upperName) {
  if (upperName.size() > 10) return SymbolKind::Identifier;
  auto it = std::lower_bound(kReservedWords.begin(), kReservedWords.end(), upperName,
                             [](const ReservedWord& w, std::string_view n) { return w.word < n; });
  if (it != kReservedWords.end() && it->word == upperName) return it->kind;
  return SymbolKind::Identifier;
}

}  // namespace velkor
