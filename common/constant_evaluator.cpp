#include "common/constant_evaluator.h"

#include <array>
#include <cctype>
#include <cmath>
#include <optional>
#include <vector>

namespace velkor {
namespace {

using Real = long double;

enum class ItemKind { kNumber, kOperator, kFunction };

struct Item {
  ItemKind kind;
  Real number = 0;
  char op = 0;
  int function = 0;
};

struct FunctionEntry {
  std::string_view name;
  std::optional<Real> (*apply)(Real);
};

std::optional<Real> Finite(Real v) {
  return std::isfinite(v) ? std::optional<Real>(v) : std::nullopt;
}

const std::array<FunctionEntry, 8> kFunctions = {{
    {"ABS", [](Real x) { return Finite(std::fabs(x)); }},
    {"SQR", [](Real x) { return Finite(x * x); }},
    {"LOG", [](Real x) { return x > 0 ? Finite(std::log(x)) : std::nullopt; }},
    {"EXP", [](Real x) { return Finite(std::exp(x)); }},
    {"SIN", [](Real x) { return Finite(std::sin(x)); }},
    {"COS", [](Real x) { return Finite(std::cos(x)); }},
    {"TAN", [](Real x) { return Finite(std::tan(x)); }},
    {"ATN", [](Real x) { return Finite(std::atan(x)); }},
}};

constexpr std::string_view kUnbalanced = "Unbalanced number of open/closed paranthesis";
constexpr std::string_view kSyntax = "Syntax error";
constexpr std::string_view kTooLong = "Expression has more than 100 items";
constexpr std::string_view kTooDeep = "Expression nested more than 100 levels";
constexpr std::string_view kDivisionByZero = "Division by zero";
constexpr std::string_view kOverflow = "Overflow";
constexpr std::string_view kBadArgument = "Invalid function argument";
constexpr std::string_view kOutOfRange = "Result out of the 32-bit range";
constexpr std::string_view kWrongFunction = "Wrong function name : ";

bool IsOperator(char c) {
  return c == '+' || c == '-' || c == '*' || c == '/' || c == '%' || c == '^';
}

// Translates prepared text into a postfix list by splitting at the last
// operator of the lowest level outside parentheses.
class Translator {
public:
  explicit Translator(const std::string& text) : text_(text) {}

  bool Run(std::vector<Item>& out) {
    out_ = &out;
    return Translate(0, text_.size());
  }
  const std::string& Error() const { return error_; }

private:
  bool Fail(std::string_view message, std::string_view detail = {}) {
    error_ = std::string(message);
    error_ += detail;
    return false;
  }

  // Position of the last operator of `ops` at depth 0 in [lo, hi), or npos.
  std::size_t LastAtDepthZero(std::size_t lo, std::size_t hi, std::string_view ops) const {
    int depth = 0;
    for (std::size_t i = hi; i > lo; --i) {
      char c = text_[i - 1];
      if (c == ')')
        ++depth;
      else if (c == '(')
        --depth;
      else if (depth == 0 && ops.find(c) != std::string_view::npos)
        return i - 1;
    }
    return std::string::npos;
  }

  bool Translate(std::size_t lo, std::size_t hi) {
    if (lo >= hi) return Fail(kSyntax);
    for (std::string_view level :
         {std::string_view("+-"), std::string_view("*/%"), std::string_view("^")}) {
      std::size_t at = LastAtDepthZero(lo, hi, level);
      if (at != std::string::npos) {
        if (!Translate(lo, at) || !Translate(at + 1, hi)) return false;
        out_->push_back({ItemKind::kOperator, 0, text_[at], 0});
        return true;
      }
    }
    return Operand(lo, hi);
  }

  bool Operand(std::size_t lo, std::size_t hi) {
    char first = text_[lo];
    if (first == '(') {
      if (text_[hi - 1] != ')') return Fail(kSyntax);
      return Translate(lo + 1, hi - 1);
    }
    if (std::isdigit(static_cast<unsigned char>(first))) {
      Real value = 0;
      for (std::size_t i = lo; i < hi; ++i) {
        char c = text_[i];
        if (!std::isdigit(static_cast<unsigned char>(c))) return Fail(kSyntax);
        value = value * 10 + (c - '0');
      }
      if (!std::isfinite(value)) return Fail(kOverflow);
      out_->push_back({ItemKind::kNumber, value, 0, 0});
      return true;
    }
    if (std::isalpha(static_cast<unsigned char>(first))) {
      std::size_t nameEnd = lo;
      while (nameEnd < hi && std::isalnum(static_cast<unsigned char>(text_[nameEnd])))
        ++nameEnd;
      std::string_view name(text_.data() + lo, nameEnd - lo);
      int index = -1;
      for (std::size_t f = 0; f < kFunctions.size(); ++f) {
        if (kFunctions[f].name == name) index = static_cast<int>(f);
      }
      if (index < 0) return Fail(kWrongFunction, name);
      if (nameEnd >= hi || text_[nameEnd] != '(' || text_[hi - 1] != ')') return Fail(kSyntax);
      if (!Translate(nameEnd + 1, hi - 1)) return false;
      out_->push_back({ItemKind::kFunction, 0, 0, index});
      return true;
    }
    return Fail(kSyntax);
  }

  const std::string& text_;
  std::vector<Item>* out_ = nullptr;
  std::string error_;
};

// Blanks removed, upper case, zero operands before negating minus signs.
// Also checks the parentheses and the item and nesting limits, so that the
// translation works on bounded input.
bool Prepare(std::string_view text, std::string& out, std::string& error) {
  std::string compact;
  for (char c : text) {
    if (c != ' ' && c != '\t')
      compact.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  int depth = 0;
  std::size_t items = 0;
  bool inToken = false;
  for (std::size_t i = 0; i < compact.size(); ++i) {
    char c = compact[i];
    if (c == '(') {
      if (++depth > static_cast<int>(kMaxEvaluatorItems)) {
        error = kTooDeep;
        return false;
      }
    } else if (c == ')') {
      if (--depth < 0) break;
    }
    if (c == '-' && (i == 0 || compact[i - 1] == '(')) {
      out.push_back('0');
      ++items;
    }
    out.push_back(c);
    bool tokenChar = std::isalnum(static_cast<unsigned char>(c));
    if (IsOperator(c) || (tokenChar && !inToken)) ++items;
    inToken = tokenChar;
    if (items > kMaxEvaluatorItems) {
      error = kTooLong;
      return false;
    }
  }
  if (depth != 0) {
    error = kUnbalanced;
    return false;
  }
  return true;
}

bool Compute(const std::vector<Item>& items, Real& result, std::string& error) {
  std::vector<Real> stack;
  stack.reserve(kMaxEvaluatorItems);
  for (const Item& item : items) {
    if (item.kind == ItemKind::kNumber) {
      stack.push_back(item.number);
      continue;
    }
    if (item.kind == ItemKind::kFunction) {
      auto value = kFunctions[static_cast<std::size_t>(item.function)].apply(stack.back());
      if (!value) {
        error = kBadArgument;
        return false;
      }
      stack.back() = *value;
      continue;
    }
    Real b = stack.back();
    stack.pop_back();
    Real a = stack.back();
    Real r = 0;
    switch (item.op) {
    case '+':
      r = a + b;
      break;
    case '-':
      r = a - b;
      break;
    case '*':
      r = a * b;
      break;
    case '/':
    case '%':
      if (b == 0) {
        error = kDivisionByZero;
        return false;
      }
      r = item.op == '/' ? std::trunc(a / b) : std::fmod(a, b);
      break;
    case '^':
      r = std::pow(a, b);
      if (std::isnan(r)) {
        error = kBadArgument;
        return false;
      }
      break;
    }
    if (!std::isfinite(r)) {
      error = kOverflow;
      return false;
    }
    stack.back() = r;
  }
  result = stack.back();
  return true;
}

} // namespace

Evaluation<std::int32_t> EvaluateConstant32(std::string_view text) {
  Evaluation<std::int32_t> out;
  std::string prepared, error;
  std::vector<Item> items;
  Real value = 0;
  bool ok = Prepare(text, prepared, error);
  if (ok) {
    Translator translator(prepared);
    ok = translator.Run(items);
    if (!ok) error = translator.Error();
  }
  ok = ok && Compute(items, value, error);
  if (ok) {
    Real whole = std::trunc(value);
    constexpr Real kLow = -2147483648.0L;
    constexpr Real kHigh = 4294967295.0L;
    if (whole < kLow || whole > kHigh) {
      ok = false;
      error = kOutOfRange;
    } else {
      auto wide = static_cast<std::int64_t>(whole);
      out.value = static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
    }
  }
  out.ok = ok;
  if (!ok) out.errorText = "Error at " + error;
  return out;
}

Evaluation<std::uint16_t> EvaluateConstant16(std::string_view text) {
  auto wide = EvaluateConstant32(text);
  Evaluation<std::uint16_t> out;
  out.ok = wide.ok;
  out.value = static_cast<std::uint16_t>(static_cast<std::uint32_t>(wide.value));
  out.errorText = std::move(wide.errorText);
  return out;
}

} // namespace velkor
