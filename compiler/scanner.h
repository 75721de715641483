#pragma once
// The scanner: one symbol per NextSymbol call, with comments, directives and
// constant folding handled on the way.
//
//   NextSymbol(c);                       // c.Symbol, c.IdentifierText, c.NumericValue,
//   c.StringValue Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);   // check and read on
//   if (Accept(c, SymbolKind::Comma)) ...

#include <string_view>

#include "compiler/compilation.h"

namespace velkor {

void NextSymbol(Compilation& c);

// Reports `error` unless the current symbol is `kind`, then reads the next one.
void Require(Compilation& c, SymbolKind kind, int error);
// Reads the next symbol when the current one is `kind`.
bool Accept(Compilation& c, SymbolKind kind);
// Reports `error` unless the current symbol is `kind` (does not advance).
void Expect(Compilation& c, SymbolKind kind, int error);

// The reserved word's kind, or SymbolKind::Identifier for any other name.
SymbolKind LookupReservedWord(std::string_view upperName);
constexpr int kReservedWordCount = 43;

// The constant kind of a folded value: byte 0..255, word 256..65535,
// integer -32768..-1, long otherwise.
SymbolKind ConstantKindOf(std::int64_t value);

} // namespace velkor
