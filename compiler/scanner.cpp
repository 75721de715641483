#include "compiler/scanner.h"

#include <cctype>
#include <cmath>

#include "compiler/ascii_case.h"
#include "compiler/compile_error.h"
#include "compiler/constant_folding.h"
#include "compiler/directives.h"
#include "compiler/source_reader.h"
#include "compiler/symbol_table.h"
#include "platform/paths.h"

namespace velkor {

namespace {

// Names are ASCII whatever the locale; a byte above 127 is no letter.
bool IsAsciiLetter(char ch) {
  return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}
bool IsLetter(char ch) {
  return IsAsciiLetter(ch) || ch == '@';
}
bool IsDigit(char ch) {
  return ch >= '0' && ch <= '9';
}
bool IsNameChar(char ch) {
  return IsLetter(ch) || IsDigit(ch) || ch == '_';
}

// Every character the scanner accepts outside strings and comments.
bool IsLegal(char ch) {
  if (IsLetter(ch) || IsDigit(ch)) return true;
  switch (ch) {
  case ' ':
  case '!':
  case '#':
  case '$':
  case '%':
  case '\'':
  case '(':
  case ')':
  case '*':
  case '+':
  case ',':
  case '-':
  case '.':
  case '/':
  case ':':
  case ';':
  case '<':
  case '=':
  case '>':
  case '[':
  case ']':
  case '^':
  case '_':
  case '{':
  case '}':
    return true;
  default:
    return false;
  }
}

// The characters a constant text is collected from.
bool IsConstantChar(char ch) {
  return ch == '$' || ch == '%' || ch == '(' || ch == ')' || ch == '*' || ch == '+' || ch == '-' ||
         ch == '/' || IsDigit(ch) || IsAsciiLetter(ch) || ch == '_';
}

void SkipBlanks(Compilation& c) {
  while (c.CurrentChar == ' ')
    NextChar(c);
}

// Operators after which a constant run folds only its first operand, so that
// it binds as Pascal's precedence says.
bool BindsFirstOperandOnly(SymbolKind previous) {
  switch (previous) {
  case SymbolKind::Minus:
  case SymbolKind::Times:
  case SymbolKind::Slash:
  case SymbolKind::Div:
  case SymbolKind::Mod:
  case SymbolKind::And:
  case SymbolKind::Shl:
  case SymbolKind::Shr:
    return true;
  default:
    return false;
  }
}

void SetNumber(Compilation& c, std::int64_t value) {
  c.NumericValue = static_cast<std::int32_t>(value);
  c.Symbol = ConstantKindOf(value);
}

// The digits after a decimal point (and an exponent): a real constant.
void ReadRealTail(Compilation& c) {
  if (!IsDigit(c.CurrentChar)) ReportCompileError(c, kErrSyntax);
  while (IsDigit(c.CurrentChar))
    NextChar(c);
  if (c.CurrentChar == 'E' || c.CurrentChar == 'e') {
    NextChar(c);
    bool negative = false;
    if (c.CurrentChar == '+' || c.CurrentChar == '-') {
      negative = c.CurrentChar == '-';
      NextChar(c);
    }
    if (!IsDigit(c.CurrentChar)) ReportCompileError(c, kErrSyntax);
    int exponent = 0;
    while (IsDigit(c.CurrentChar)) {
      exponent = std::min(exponent * 10 + (c.CurrentChar - '0'), 10000);
      NextChar(c);
    }
    // The value has six bytes of precision: about 1.7E38 at most.
    if (!negative && exponent > 38) ReportCompileError(c, kErrNumberTooLarge);
  }
  c.Symbol = SymbolKind::RealConst;
  c.NumericValue = 0;
}

// Collects ConstantText from the current character on (after `prefix`, a name
// already read) and folds it.
void ReadConstant(Compilation& c, const std::string& prefix) {
  std::string text = prefix;
  int depth = 0;
  while (IsConstantChar(c.CurrentChar)) {
    const char ch = c.CurrentChar;
    if (ch == '(') {
      ++depth;
    } else if (ch == ')') {
      if (depth == 0) break;
      --depth;
    } else if (ch == '/' && !text.empty() && text.back() == '/') {
      break;
    }
    if (text.size() < static_cast<std::size_t>(kMaxNameLength)) text += ch;
    NextChar(c);
  }
  c.ConstantText = text;
  if (c.SkippingText) { // skipped text is scanned but never evaluated
    SetNumber(c, 0);
    return;
  }
  FoldResult r = FoldConstantText(c, text, BindsFirstOperandOnly(c.PreviousSymbol));
  if (!r.ok) ReportCompileError(c, kErrConstantNotEvaluable);
  if (!r.pushback.empty()) {
    c.PushbackText = r.pushback + c.CurrentChar + c.PushbackText;
    c.CurrentChar = ' ';
  }
  SetNumber(c, r.value);
  if (c.CurrentChar == '.') {
    NextChar(c);
    if (c.CurrentChar == '.') {
      c.CurrentChar = ':';
      c.RangeFollows = true;
      c.RangeColonPending = true;
    } else {
      ReadRealTail(c);
    }
  }
}

// CHR(c) and ORD(c) of a constant, while the parser asks for it.
void FoldChrOrd(Compilation& c, bool isChr) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftParen) ReportCompileError(c, kErrExpectedOpenParen);
  NextSymbol(c);
  const SymbolKind argument = c.Symbol;
  const std::int32_t value = c.NumericValue;
  if (isChr ? !(argument == SymbolKind::ByteConst || argument == SymbolKind::CharConst)
            : !(IsNumberSymbol(argument) || argument == SymbolKind::CharConst))
    ReportCompileError(c, kErrIllegalConstant);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::RightParen) ReportCompileError(c, kErrExpectedCloseParen);
  if (isChr) {
    c.Symbol = SymbolKind::CharConst;
    c.NumericValue = value;
    c.StringValue = std::string(1, static_cast<char>(value));
  } else {
    c.Symbol = argument == SymbolKind::CharConst ? SymbolKind::ByteConst : argument;
    c.NumericValue = value;
  }
}

bool StartsConstant(const Compilation& c, const std::string& name) {
  if (!c.FoldConstantIdentifiers) return false;
  const int id = LookupIdentifier(c, name);
  if (id == 0) return false;
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  if (e.kind == kKindConstant) return IsNumeric(e.type);
  return name == "SIZEOF" && e.kind == kKindFunction && e.predefined && e.value == 20;
}

void ReadName(Compilation& c) {
  std::string& name = c.IdentifierText;
  name.clear();
  const bool at = c.CurrentChar == '@';
  do {
    if (name.size() < static_cast<std::size_t>(kMaxNameLength)) name += AsciiUpper(c.CurrentChar);
    NextChar(c);
  } while (!at && IsNameChar(c.CurrentChar));
  c.Symbol = LookupReservedWord(name);
  if (c.Symbol != SymbolKind::Identifier || c.SkippingText) return;
  if (c.FoldChrOrd && (name == "CHR" || name == "ORD")) {
    FoldChrOrd(c, name == "CHR");
    return;
  }
  if (StartsConstant(c, name)) ReadConstant(c, name);
}

// One part of a string literal after "#": a character code.
char ReadCharacterCode(Compilation& c) {
  NextChar(c);
  std::string code;
  while (c.CurrentChar == '$' || std::isxdigit(static_cast<unsigned char>(c.CurrentChar))) {
    if (code.size() < 16) code += c.CurrentChar;
    NextChar(c);
  }
  const bool hex = !code.empty() && code[0] == '$';
  const std::string digits = hex ? code.substr(1) : code;
  if (digits.empty()) ReportCompileError(c, kErrIncorrectSymbol);
  long value = 0;
  for (char d : digits) {
    if (d == '$' || (!hex && !IsDigit(d))) ReportCompileError(c, kErrIncorrectSymbol);
    const int v = IsDigit(d) ? d - '0' : std::toupper(static_cast<unsigned char>(d)) - 'A' + 10;
    value = std::min(value * (hex ? 16 : 10) + v, 100000L);
  }
  if (value >= 256) ReportCompileError(c, kErrNumberTooLarge);
  return static_cast<char>(value);
}

void ReadString(Compilation& c) {
  std::string text;
  for (;;) {
    if (c.CurrentChar == '\'') {
      for (;;) {
        // Reported while the string's own line is current, not the next one.
        if (c.PushbackText.empty() && c.Column >= c.CurrentLine.size())
          ReportCompileError(c, kErrStringExceedsLine);
        NextChar(c);
        if (c.CurrentChar == '\'') {
          NextChar(c);
          if (c.CurrentChar != '\'') break;
        }
        text += c.CurrentChar;
      }
    } else {
      text += ReadCharacterCode(c);
    }
    SkipBlanks(c);
    if (c.CurrentChar == '\'' || c.CurrentChar == '#') continue;
    if (c.CurrentChar != '+') break;
    NextChar(c);
    SkipBlanks(c);
    if (c.CurrentChar == '\'' || c.CurrentChar == '#') continue;
    // Not a literal after the "+": the parser must see the plus.
    c.PushbackText = std::string("+") + c.CurrentChar + c.PushbackText;
    c.CurrentChar = ' ';
    break;
  }
  if (text.size() > static_cast<std::size_t>(kMaxNameLength)) text.resize(kMaxNameLength);
  c.StringValue = text;
  if (text.size() == 1) {
    c.Symbol = SymbolKind::CharConst;
    c.NumericValue = static_cast<unsigned char>(text[0]);
  } else {
    c.Symbol = SymbolKind::StringConst;
    c.NumericValue = 0;
  }
}

// Notes where a comment opened while its text is skipped: a source that ends
// inside it says so.
class SkippingComment {
public:
  explicit SkippingComment(Compilation& c) : c_(c) {
    c.CommentOpenLine = CurrentFileLine(c);
    c.CommentOpenFile = platform::FileNamePart(c.IncludeStack.empty() ? c.MainSourceName
                                                                      : c.IncludeStack.back().name);
  }
  ~SkippingComment() { c_.CommentOpenLine = 0; }
  SkippingComment(const SkippingComment&) = delete;
  SkippingComment& operator=(const SkippingComment&) = delete;

private:
  Compilation& c_;
};

// After "{". Returns true when a directive already made the next symbol current.
bool ReadBraceComment(Compilation& c) {
  NextChar(c);
  if (c.CurrentChar == '}') {
    NextChar(c);
    return false;
  }
  if (c.CurrentChar == '#') {
    NextChar(c);
    if (std::isalpha(static_cast<unsigned char>(c.CurrentChar))) {
      if (HandleDirective(c)) return true;
      NextChar(c);
      return false;
    }
  } else if (c.CurrentChar == '*') {
    NextChar(c);
    if (c.CurrentChar == '}') { // {*} ... {*}: braces inside do not matter
      const SkippingComment comment(c);
      NextChar(c);
      for (;;) {
        if (c.CurrentChar == '{') {
          NextChar(c);
          if (c.CurrentChar == '*') {
            NextChar(c);
            if (c.CurrentChar == '}') break;
          }
          continue;
        }
        NextChar(c);
      }
      NextChar(c);
      return false;
    }
    if (c.CurrentChar == '!') c.BangMarkerSeen = true; // the text after it is compiled
    NextChar(c);
    return false;
  }
  {
    const SkippingComment comment(c);
    SkipToClosingBrace(c);
  }
  NextChar(c);
  return false;
}

void SkipParenComment(Compilation& c) {
  const SkippingComment comment(c);
  NextChar(c);
  for (;;) {
    if (c.CurrentChar == '*') {
      NextChar(c);
      if (c.CurrentChar == ')') break;
      continue;
    }
    NextChar(c);
  }
  NextChar(c);
}

} // namespace

SymbolKind ConstantKindOf(std::int64_t value) {
  if (value >= 0 && value <= 255) return SymbolKind::ByteConst;
  if (value >= 256 && value <= 65535) return SymbolKind::WordConst;
  if (value >= -32768 && value <= -1) return SymbolKind::IntegerConst;
  return SymbolKind::LongConst;
}

void NextSymbol(Compilation& c) {
  if (c.CancelRequested) ReportCompileError(c, kErrCancelled);
  c.PreviousSymbol = c.Symbol;
  c.RangeFollows = false;
  for (;;) {
    SkipBlanks(c);
    if (c.CurrentChar == '}') {
      NextChar(c);
      SkipBlanks(c);
    }
    const char ch = c.CurrentChar;
    if (!IsLegal(ch)) {
      NextChar(c);
      ReportCompileError(c, kErrIllegalCharacter);
    }
    if (IsLetter(ch) || ch == '_') {
      ReadName(c);
      return;
    }
    if (IsDigit(ch) || ch == '$' || ch == '%') {
      ReadConstant(c, "");
      return;
    }
    if (ch == '\'' || ch == '#') {
      ReadString(c);
      return;
    }
    if (ch == '{') {
      if (ReadBraceComment(c)) return;
      continue;
    }
    NextChar(c);
    const char next = c.CurrentChar;
    auto two = [&](SymbolKind k) {
      NextChar(c);
      c.Symbol = k;
    };
    switch (ch) {
    case ':':
      // The colon that stands for ".." says so, however it was written.
      if (c.RangeColonPending) {
        c.RangeColonPending = false;
        c.RangeFollows = true;
        c.Symbol = SymbolKind::Colon;
        return;
      }
      if (next == '=') return two(SymbolKind::Becomes);
      c.Symbol = SymbolKind::Colon;
      return;
    case '<':
      if (next == '=') return two(SymbolKind::LessEqual);
      if (next == '>') return two(SymbolKind::NotEqual);
      c.Symbol = SymbolKind::Less;
      return;
    case '>':
      if (next == '=') return two(SymbolKind::GreaterEqual);
      c.Symbol = SymbolKind::Greater;
      return;
    case '.':
      if (next == '.') {
        c.RangeFollows = true;
        return two(SymbolKind::Colon);
      }
      c.Symbol = SymbolKind::Period;
      return;
    case '^':
      c.Symbol = SymbolKind::Caret;
      return;
    case '(':
      if (next == '*') {
        SkipParenComment(c);
        continue;
      }
      c.Symbol = SymbolKind::LeftParen;
      return;
    case '/':
      if (next == '/') {
        c.PushbackText.clear();
        c.Column = c.CurrentLine.size();
        NextChar(c);
        continue;
      }
      c.Symbol = SymbolKind::Slash;
      return;
    case ')':
      c.Symbol = SymbolKind::RightParen;
      return;
    case '*':
      c.Symbol = SymbolKind::Times;
      return;
    case '+':
      c.Symbol = SymbolKind::Plus;
      return;
    case ',':
      c.Symbol = SymbolKind::Comma;
      return;
    case '-':
      c.Symbol = SymbolKind::Minus;
      return;
    case ';':
      c.Symbol = SymbolKind::Semicolon;
      return;
    case '=':
      c.Symbol = SymbolKind::Equal;
      return;
    case '[':
      c.Symbol = SymbolKind::LeftBracket;
      return;
    case ']':
      c.Symbol = SymbolKind::RightBracket;
      return;
    case '!':
      if (c.BangMarkerSeen && next == '*') {
        NextChar(c);
        if (c.CurrentChar == '}') {
          NextChar(c);
          continue;
        }
      }
      ReportCompileError(c, kErrIllegalCharacter);
    default:
      ReportCompileError(c, kErrIllegalCharacter);
    }
  }
}

void Require(Compilation& c, SymbolKind kind, int error) {
  if (c.Symbol != kind) ReportCompileError(c, error);
  NextSymbol(c);
}

bool Accept(Compilation& c, SymbolKind kind) {
  if (c.Symbol != kind) return false;
  NextSymbol(c);
  return true;
}

void Expect(Compilation& c, SymbolKind kind, int error) {
  if (c.Symbol != kind) ReportCompileError(c, error);
}

} // namespace velkor
