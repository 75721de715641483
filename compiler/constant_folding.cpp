#include "compiler/constant_folding.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "common/constant_evaluator.h"
#include "compiler/compile_error.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

enum class TokenKind { Number, Name, Op, Invalid };

struct Token {
  TokenKind kind;
  std::size_t begin; // span in the collected text
  std::size_t end;
  std::string text; // the name (upper case), the decimal number, or the operator
};

bool IsNameStart(char ch) {
  return std::isalpha(static_cast<unsigned char>(ch)) || ch == '_';
}
bool IsNameChar(char ch) {
  return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
}

int DigitValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return 99;
}

// Digits of a base as a decimal text; values beyond 32 bits keep growing so
// that the evaluator reports the overflow.
std::string DigitsToDecimal(const std::string& digits, int base) {
  double value = 0;
  for (char d : digits)
    value = value * base + DigitValue(d);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return buffer;
}

std::vector<Token> Tokenize(const std::string& text) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t begin = i;
    const char ch = text[i];
    if (ch == ' ') {
      ++i;
      continue;
    }
    if (ch == '$' || ch == '%') {
      const int base = ch == '$' ? 16 : 2;
      ++i;
      std::string digits;
      while (i < text.size() && DigitValue(text[i]) < base)
        digits += text[i++];
      tokens.push_back({digits.empty() ? TokenKind::Invalid : TokenKind::Number, begin, i,
                        DigitsToDecimal(digits, base)});
    } else if (ch >= '0' && ch <= '9') {
      while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
      std::string digits = text.substr(begin, i - begin);
      std::size_t first = digits.find_first_not_of('0'); // the evaluator sees plain decimals
      tokens.push_back(
          {TokenKind::Number, begin, i, first == std::string::npos ? "0" : digits.substr(first)});
    } else if (IsNameStart(ch)) {
      std::string name;
      while (i < text.size() && IsNameChar(text[i]))
        name += static_cast<char>(std::toupper(static_cast<unsigned char>(text[i++])));
      tokens.push_back({TokenKind::Name, begin, i, name});
    } else {
      ++i;
      tokens.push_back({TokenKind::Op, begin, i, std::string(1, ch)});
    }
  }
  return tokens;
}

bool IsOp(const Token& t, char op) {
  return t.kind == TokenKind::Op && t.text[0] == op;
}
bool IsTrailingOperator(const Token& t) {
  return IsOp(t, '(') || IsOp(t, '*') || IsOp(t, '+') || IsOp(t, '-') || IsOp(t, '/');
}

bool IsFoldableConstant(const IdentifierEntry& e) {
  return e.kind == kKindConstant && (IsNumeric(e.type) || e.type == kTypeBoolean);
}

bool IsSizeofFunction(const Compilation& c, int id) {
  if (id == 0) return false;
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  return e.kind == kKindFunction && e.predefined && e.value == 20;
}

struct Piece {
  std::size_t token; // index of the first token the piece stands for
  std::string text;
};

// The decimal text of one operand starting at token i (a number, a constant
// name, SIZEOF(name)); advances i. Returns false at a non-constant name
// (i is left there) and sets `stop` when SIZEOF names something undeclared.
bool OperandText(Compilation& c, const std::vector<Token>& tokens, std::size_t& i, std::string& out,
                 bool& stop) {
  const Token& t = tokens[i];
  if (t.kind == TokenKind::Number) {
    out = t.text;
    ++i;
    return true;
  }
  if (t.kind != TokenKind::Name) return false;
  const int id = LookupIdentifier(c, t.text);
  if (t.text == "SIZEOF" && IsSizeofFunction(c, id)) {
    if (i + 1 >= tokens.size() || !IsOp(tokens[i + 1], '('))
      ReportCompileError(c, kErrExpectedOpenParen);
    if (i + 2 >= tokens.size() || tokens[i + 2].kind != TokenKind::Name) {
      if (i + 2 < tokens.size() && IsOp(tokens[i + 2], ')'))
        ReportCompileError(c, kErrExpectedIdentifier);
      ReportCompileError(c, kErrExpectedIdentifier);
    }
    if (i + 3 >= tokens.size() || !IsOp(tokens[i + 3], ')'))
      ReportCompileError(c, kErrExpectedCloseParen);
    const int target = LookupIdentifier(c, tokens[i + 2].text);
    if (target == 0) {
      stop = true;
      return false;
    }
    const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(target)];
    if (e.kind != kKindVariable && e.kind != kKindType) ReportCompileError(c, kErrExpectedVariable);
    out = std::to_string(e.size);
    i += 4;
    return true;
  }
  if (id != 0 && IsFoldableConstant(c.Identifiers[static_cast<std::size_t>(id)])) {
    out = std::to_string(c.Identifiers[static_cast<std::size_t>(id)].value);
    if (out[0] == '-') out = "(0" + out + ")";
    ++i;
    return true;
  }
  return false;
}

FoldResult Evaluate(const std::vector<Piece>& pieces, std::size_t count) {
  std::string expression;
  for (std::size_t k = 0; k < count; ++k)
    expression += pieces[k].text;
  FoldResult r;
  if (expression.empty()) return r;
  auto e = EvaluateConstant32(expression);
  r.ok = e.ok;
  r.value = e.value;
  return r;
}

} // namespace

FoldResult FoldConstantText(Compilation& c, const std::string& text, bool firstOperandOnly) {
  // Most constants are a short decimal number: nothing to rewrite, and nine
  // digits cannot leave the 32-bit range.
  constexpr std::size_t kPlainNumberDigits = 9;
  if (!text.empty() && text.size() <= kPlainNumberDigits &&
      std::all_of(text.begin(), text.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) {
    std::int32_t value = 0;
    for (char ch : text)
      value = value * 10 + (ch - '0');
    return {true, value, {}};
  }
  const std::vector<Token> tokens = Tokenize(text);
  for (const Token& t : tokens)
    if (t.kind == TokenKind::Invalid) return {};
  std::vector<Piece> pieces;
  std::size_t i = 0;
  bool stop = false;

  auto pushbackFrom = [&](std::size_t token) {
    return token < tokens.size() ? text.substr(tokens[token].begin) : std::string();
  };

  if (firstOperandOnly) {
    std::string operand;
    if (tokens.empty() || !OperandText(c, tokens, i, operand, stop)) return {};
    pieces.push_back({0, operand});
    FoldResult r = Evaluate(pieces, 1);
    r.pushback = pushbackFrom(i);
    return r;
  }

  int depth = 0;
  std::size_t lastTopLevelAddSub = tokens.size(); // piece index of the last top-level + or -
  std::size_t outermostOpen = tokens.size();      // piece index of the open top-level "("
  while (i < tokens.size()) {
    const Token& t = tokens[i];
    if (t.kind == TokenKind::Op) {
      const char op = t.text[0];
      if (op == '(') {
        if (depth == 0) outermostOpen = pieces.size();
        ++depth;
      } else if (op == ')') {
        if (depth == 0) break; // ends the text
        --depth;
      } else if ((op == '+' || op == '-') && depth == 0) {
        lastTopLevelAddSub = pieces.size();
      }
      pieces.push_back({i, t.text});
      ++i;
      continue;
    }
    std::string operand;
    const std::size_t at = i;
    if (OperandText(c, tokens, i, operand, stop)) {
      pieces.push_back({at, operand});
      continue;
    }
    if (stop) return Evaluate(pieces, pieces.size()); // SIZEOF of an unknown name
    // A non-constant name ends the foldable part. After * or /, or inside
    // parentheses, the prefix is cut back to the last top-level + or -, so
    // the name stays bound to its operator.
    std::size_t k = pieces.size();
    while (k > 0 && IsOp(tokens[pieces[k - 1].token], '('))
      --k;
    const bool boundToHigherOperator =
        depth > 0 || (k > 0 && (IsOp(tokens[pieces[k - 1].token], '*') ||
                                IsOp(tokens[pieces[k - 1].token], '/')));
    std::size_t cut = pieces.size();
    if (boundToHigherOperator) {
      if (lastTopLevelAddSub < pieces.size()) {
        cut = lastTopLevelAddSub;
      } else if (depth > 0) {
        cut = outermostOpen;
      } else {
        cut = k;
      }
    }
    while (cut > 0 && IsTrailingOperator(tokens[pieces[cut - 1].token]))
      --cut;
    const std::size_t resumeToken = cut < pieces.size() ? pieces[cut].token : at;
    FoldResult r = Evaluate(pieces, cut);
    r.pushback = pushbackFrom(resumeToken);
    return r;
  }
  return Evaluate(pieces, pieces.size());
}

} // namespace velkor
