#include "compiler/directives.h"

#include <algorithm>
#include <cctype>

#include "compiler/compile_error.h"
#include "compiler/emit/output.h"
#include "compiler/emit/overlay_areas.h"
#include "compiler/scanner.h"
#include "compiler/source_reader.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

constexpr std::size_t kMaxDirectiveWord = 250; // 251 characters or more is an error

bool IsWordChar(char ch) {
  return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
}

void SkipBlanks(Compilation& c) {
  while (c.CurrentChar == ' ')
    NextChar(c);
}

// A word of a {#C} directive, upper case; error 101 when empty or too long.
std::string ReadConditionalWord(Compilation& c) {
  SkipBlanks(c);
  std::string word;
  while (IsWordChar(c.CurrentChar)) {
    if (word.size() <= kMaxDirectiveWord)
      word += static_cast<char>(std::toupper(static_cast<unsigned char>(c.CurrentChar)));
    NextChar(c);
  }
  if (word.empty() || word.size() > kMaxDirectiveWord) ReportCompileError(c, kErrInvalidWord);
  return word;
}

bool IsDefined(const Compilation& c, const std::string& name) {
  return std::find(c.DefinedSymbols.begin(), c.DefinedSymbols.end(), name) !=
         c.DefinedSymbols.end();
}

// Discards symbols until an ELSE or ENDIF clears SkippingText; the symbol
// that ends the skip stays current. Conditionals do not nest.
void SkipConditionalText(Compilation& c) {
  SkipToClosingBrace(c);
  NextChar(c);
  c.SkippingText = true;
  const SymbolKind before = c.PreviousSymbol;
  while (c.SkippingText) {
    c.Symbol = before; // skipped symbols do not count as the previous symbol
    NextSymbol(c);
  }
}

// {#C word ...}. Returns true when text was skipped.
bool ConditionalDirective(Compilation& c) {
  const std::string word = ReadConditionalWord(c);
  if (c.SkippingText) { // in a false branch only ELSE and ENDIF act
    if (word == "ELSE" && !c.InTrueBranch) {
      c.SkippingText = false;
    } else if (word == "ENDIF") {
      c.SkippingText = false;
      c.InTrueBranch = false;
    }
    SkipToClosingBrace(c);
    return false;
  }
  if (word == "DEFINE") {
    const std::string name = ReadConditionalWord(c);
    if (IsDefined(c, name)) ReportCompileError(c, kErrMultipleDefinition);
    c.DefinedSymbols.push_back(name);
  } else if (word == "IFDEFINED" || word == "IFNOTDEFINED") {
    const std::string name = ReadConditionalWord(c);
    if (IsDefined(c, name) == (word == "IFDEFINED")) {
      c.InTrueBranch = true;
    } else {
      SkipConditionalText(c);
      return true;
    }
  } else if (word == "ELSE") {
    if (c.InTrueBranch) {
      c.InTrueBranch = false;
      SkipConditionalText(c);
      return true;
    }
  } else if (word == "ENDIF") {
    c.SkippingText = false;
    c.InTrueBranch = false;
  } else {
    ReportCompileError(c, kErrInvalidWord);
  }
  SkipToClosingBrace(c);
  return false;
}

// {#D+}, {#L-}, {#R+} ...: the switch after the letter; the rest is ignored.
void SwitchDirective(Compilation& c, bool& flag) {
  NextChar(c);
  SkipBlanks(c);
  if (c.CurrentChar == '+') {
    flag = true;
  } else if (c.CurrentChar == '-') {
    flag = false;
  } else {
    ReportCompileError(c, kErrInvalidDirective);
  }
  SkipToClosingBrace(c);
}

void IncludeDirective(Compilation& c) {
  NextChar(c);
  SkipBlanks(c);
  std::string name;
  while (c.CurrentChar != '}') {
    if (name.size() <= kMaxDirectiveWord) name += c.CurrentChar;
    NextChar(c);
  }
  while (!name.empty() && name.back() == ' ')
    name.pop_back();
  if (name.empty() || name.size() > kMaxDirectiveWord) ReportCompileError(c, kErrInvalidFilename);
  OpenIncludeFile(c, name);
}

void PassThroughDirective(Compilation& c) {
  NextChar(c);
  std::string text;
  while (c.CurrentChar != '}') {
    if (text.size() < static_cast<std::size_t>(kMaxNameLength)) text += c.CurrentChar;
    NextChar(c);
  }
  if (!text.empty()) EmitLabelLine(c, text);
}

void OverlayDirective(Compilation& c) {
  NextChar(c);
  SkipBlanks(c);
  if (c.CurrentChar == '+') {
    OpenOverlayArea(c);
  } else if (c.CurrentChar == '-') {
    CloseOverlayArea(c);
  } else {
    const SymbolKind symbol = c.Symbol;
    const SymbolKind previous = c.PreviousSymbol;
    c.Symbol = SymbolKind::None;
    NextSymbol(c);
    if (!IsNumberSymbol(c.Symbol)) ReportCompileError(c, kErrInvalidDirective);
    SetOverlayLoadAddress(c, static_cast<std::uint32_t>(c.NumericValue));
    c.Symbol = symbol;
    c.PreviousSymbol = previous;
    if (c.CurrentChar == '}') return;
  }
  SkipToClosingBrace(c);
}

void SelectorDirective(Compilation& c) {
  NextChar(c);
  SkipBlanks(c);
  if (c.CurrentChar == '-') {
    c.SelectorVariable = 0;
    c.SelectorFirstPending = false;
    SkipToClosingBrace(c);
    return;
  }
  std::string name;
  while (IsWordChar(c.CurrentChar) || c.CurrentChar == '@') {
    if (name.size() < static_cast<std::size_t>(kMaxNameLength))
      name += static_cast<char>(std::toupper(static_cast<unsigned char>(c.CurrentChar)));
    NextChar(c);
  }
  const int id = name.empty() ? 0 : LookupIdentifier(c, name);
  if (id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  if (c.Identifiers[static_cast<std::size_t>(id)].kind != kKindVariable)
    ReportCompileError(c, kErrExpectedVariable);
  c.SelectorVariable = static_cast<std::uint16_t>(id);
  c.SelectorFirstPending = true;
  SkipToClosingBrace(c);
}

} // namespace

void SkipToClosingBrace(Compilation& c) {
  while (c.CurrentChar != '}')
    NextChar(c);
}

bool HandleDirective(Compilation& c) {
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c.CurrentChar)));
  if (c.SkippingText && letter != 'C') { // skipped with the text
    SkipToClosingBrace(c);
    return false;
  }
  switch (letter) {
  case 'C':
    NextChar(c);
    return ConditionalDirective(c);
  case 'D':
    SwitchDirective(c, c.DataLine);
    return false;
  case 'L':
    SwitchDirective(c, c.ProgramPrefix);
    return false;
  case 'R':
    SwitchDirective(c, c.FactorCommonCode);
    return false;
  case 'I':
    IncludeDirective(c);
    return false;
  case 'P':
    PassThroughDirective(c);
    return false;
  case 'O':
    OverlayDirective(c);
    return false;
  case 'S':
    SelectorDirective(c);
    return false;
  default:
    ReportCompileError(c, kErrInvalidDirective);
  }
}

} // namespace velkor
