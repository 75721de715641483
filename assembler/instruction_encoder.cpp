#include "assembler/instruction_encoder.h"

#include "assembler/asm_errors.h"
#include "assembler/assembly.h"
#include "common/constant_evaluator.h"

#include <array>

namespace velkor::asmsrc {
namespace {

using C = OpClass;

constexpr std::array<std::string_view, 8> kReg8 = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};
constexpr std::array<std::string_view, 4> kPair = {"BC", "DE", "HL", "SP"};
constexpr std::array<std::string_view, 4> kPairAF = {"BC", "DE", "HL", "AF"};
constexpr std::array<std::string_view, 8> kCond = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
// Parenthesised spellings that are registers, never memory addresses.
constexpr std::array<std::string_view, 5> kRegisterParens = {"(HL)", "(BC)", "(DE)", "(SP)", "(C)"};

template <std::size_t N>
int CodeOf(const std::array<std::string_view, N>& names, std::string_view token,
           std::size_t count = N) {
  for (std::size_t i = 0; i < count; ++i)
    if (names[i] == token) return static_cast<int>(i);
  return -1;
}

bool StartsWithIndex(std::string_view t) {
  return t.size() >= 3 && t[0] == '(' && t[1] == 'I' && (t[2] == 'X' || t[2] == 'Y');
}

// "(...)" where the first parenthesis closes at the end.
bool FullyParenthesised(std::string_view t) {
  if (t.size() < 2 || t.front() != '(' || t.back() != ')') return false;
  int depth = 0;
  bool quoted = false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (c == '\'') quoted = !quoted;
    if (quoted) continue;
    if (c == '(') ++depth;
    if (c == ')' && --depth == 0) return i + 1 == t.size();
  }
  return false;
}

// Register names are never values.
bool IsValue(std::string_view t) {
  if (t.empty() || t == "HL" || t == "IX" || t == "IY") return false;
  if (t.size() > 2 && t[0] == 'I' && (t[1] == 'X' || t[1] == 'Y') && Assembly::hasOperator(t))
    return false;
  return !StartsWithIndex(t) && !FullyParenthesised(t);
}

struct Match {
  std::array<int, kMaxOperands> code{};
  std::uint8_t indexPrefix = 0;
  std::string_view value; // immediate, memory address or branch target
  std::string_view displacement;
  char displacementSign = '+';
};

bool MatchOperand(C c, std::string_view t, std::size_t slot, Match& m) {
  int code = 0;
  switch (c) {
  case C::None:
    return false;
  case C::A:
    return t == "A";
  case C::HL:
    return t == "HL";
  case C::SP:
    return t == "SP";
  case C::AF:
    return t == "AF";
  case C::AFAlt:
    return t == "AF'";
  case C::DE:
    return t == "DE";
  case C::I:
    return t == "I";
  case C::R:
    return t == "R";
  case C::AtSP:
    return t == "(SP)";
  case C::AtC:
    return t == "(C)";
  case C::AtBC:
    return t == "(BC)";
  case C::AtDE:
    return t == "(DE)";
  case C::AtHL:
    return t == "(HL)";
  case C::Reg8:
    code = CodeOf(kReg8, t);
    break;
  case C::Reg8NoHL:
    code = CodeOf(kReg8, t);
    if (code == 6) code = -1;
    break;
  case C::Pair:
    code = CodeOf(kPair, t);
    break;
  case C::PairAF:
    code = CodeOf(kPairAF, t);
    break;
  case C::PairNoHL:
    code = CodeOf(kPair, t);
    if (code == 2) code = -1;
    break;
  case C::Cond:
    code = CodeOf(kCond, t);
    break;
  case C::JrCond:
    code = CodeOf(kCond, t, 4);
    break;
  case C::BitNumber:
    if (t.size() != 1 || t[0] < '0' || t[0] > '7') return false;
    code = t[0] - '0';
    break;
  case C::RstVector: {
    auto n = ParseNumber(t);
    if (!n || *n > 0x38 || (*n & 7) != 0) return false;
    code = *n;
    break;
  }
  case C::ImMode0:
  case C::ImMode1:
  case C::ImMode2: {
    auto n = ParseNumber(t);
    return n && *n == static_cast<int>(c) - static_cast<int>(C::ImMode0);
  }
  case C::IndexReg:
    if (t != "IX" && t != "IY") return false;
    m.indexPrefix = t[1] == 'X' ? 0xDD : 0xFD;
    return true;
  case C::AtIndexReg:
    if (t != "(IX)" && t != "(IY)") return false;
    m.indexPrefix = t[2] == 'X' ? 0xDD : 0xFD;
    return true;
  case C::Indexed:
    if (!StartsWithIndex(t)) return false;
    if (t.size() == 4 && t[3] == ')') {
      m.displacement = {};
    } else {
      if (t.size() < 6 || t.back() != ')' || (t[3] != '+' && t[3] != '-')) return false;
      m.displacementSign = t[3];
      m.displacement = t.substr(4, t.size() - 5);
    }
    m.indexPrefix = t[2] == 'X' ? 0xDD : 0xFD;
    return true;
  case C::Immediate:
  case C::Relative:
    if (!IsValue(t)) return false;
    m.value = t;
    return true;
  case C::Memory:
    if (!FullyParenthesised(t) || StartsWithIndex(t) || CodeOf(kRegisterParens, t) >= 0)
      return false;
    m.value = t.substr(1, t.size() - 2);
    if (!IsValue(m.value)) return false;
    return true;
  }
  if (code < 0) return false;
  m.code[slot] = code;
  return true;
}

std::uint8_t DisplacementByte(Assembly& a, const Match& m) {
  if (m.displacement.empty()) return 0;
  const std::uint16_t v =
      a.compute(m.displacement, asmerr::IndexNotKnown, asmerr::IndexCannotEvaluate);
  if (m.displacementSign == '+') {
    if (v < 128) return static_cast<std::uint8_t>(v);
  } else {
    if (v == 0) return 0;
    if (v < 128) return static_cast<std::uint8_t>(256 - v);
  }
  a.fail(asmerr::SyntaxError);
}

// Offsets written relative to the statement start (+n, -n, or a number).
std::uint8_t OffsetDisplacement(Assembly& a, std::uint16_t n, char sign) {
  if (n < 2) a.fail(asmerr::BranchIntoOpcode);
  if (sign == '+' && n <= 129) return static_cast<std::uint8_t>(n - 2);
  if (sign == '-' && n <= 126) return static_cast<std::uint8_t>(254 - n);
  a.fail(asmerr::SyntaxError);
}

void EncodeRelative(Assembly& a, std::string_view t) {
  if (t[0] == '+' || t[0] == '-') {
    const std::uint16_t n =
        a.compute(t.substr(1), asmerr::BranchExternal, asmerr::BranchCannotEvaluate);
    a.out.dataByte(OffsetDisplacement(a, n, t[0]));
    return;
  }
  if (!Assembly::hasOperator(t)) {
    const Operand op = a.evaluate(t);
    switch (op.kind) {
    case OperandKind::Absolute:
      a.out.dataByte(OffsetDisplacement(a, op.value, '+'));
      return;
    case OperandKind::Dollar:
      a.out.dataByte(0xFE);
      return;
    case OperandKind::LocalLabel: {
      const Label* label = a.symbols.findLabel(t);
      BranchDisplacement(a, static_cast<std::uint32_t>(label->value), a.statementStart);
      a.out.relativeLabel(a.segment, op.labelIndex);
      return;
    }
    case OperandKind::External:
      a.fail(asmerr::BranchExternal);
    default:
      a.fail(asmerr::BranchCannotEvaluate);
    }
  }
  ExpressionText expr;
  a.buildExpression(t, expr);
  if (expr.external) a.fail(asmerr::BranchExternal);
  if (expr.unknown) a.fail(asmerr::BranchCannotEvaluate);
  const auto result = EvaluateConstant16(expr.decimal);
  if (!result.ok) a.fail(asmerr::BranchCannotEvaluate);
  BranchDisplacement(a, result.value, a.statementStart);
  a.out.relativeExpression(a.segment, expr.object);
}

} // namespace

std::uint8_t BranchDisplacement(Assembly& a, std::uint32_t target, std::uint32_t start) {
  if (target >= start) {
    const std::uint32_t d = target - start;
    if (d <= 129) return static_cast<std::uint8_t>(d - 2);
  } else {
    const std::uint32_t d = start - target;
    if (d <= 126) return static_cast<std::uint8_t>(254 - d);
  }
  a.fail(asmerr::BranchOutOfRange);
}

void EncodeInstruction(Assembly& a, std::span<const InstructionForm> forms,
                       std::span<const Token> operands) {
  const InstructionForm* form = nullptr;
  Match m;
  for (const InstructionForm& candidate : forms) {
    if (candidate.operandCount != operands.size()) continue;
    m = Match{};
    bool fits = true;
    for (std::size_t i = 0; i < operands.size() && fits; ++i)
      fits = MatchOperand(candidate.operand[i], operands[i].text, i, m);
    if (fits) {
      form = &candidate;
      break;
    }
  }
  if (form == nullptr) a.fail(asmerr::SyntaxError);

  const std::uint32_t size = FormSize(*form);
  if (a.writing()) {
    std::uint8_t opcode = form->opcode;
    for (std::size_t i = 0; i < form->operandCount; ++i)
      opcode = static_cast<std::uint8_t>(opcode + (m.code[i] << form->shift[i]));
    const std::uint8_t prefix = form->prefix != 0 ? form->prefix : m.indexPrefix;
    auto opcodeBytes = [&] {
      if (prefix != 0)
        a.out.opcodePair(prefix, opcode);
      else
        a.out.dataByte(opcode);
    };
    switch (form->layout) {
    case Layout::Opcode:
      opcodeBytes();
      break;
    case Layout::OpcodeByte:
      opcodeBytes();
      a.emitByte(m.value, size - 1);
      break;
    case Layout::OpcodeWord:
      opcodeBytes();
      a.emitWord(m.value, size - 2);
      break;
    case Layout::OpcodeDisp: {
      const std::uint8_t d = DisplacementByte(a, m);
      opcodeBytes();
      a.out.dataByte(d);
      break;
    }
    case Layout::OpcodeDispByte: {
      const std::uint8_t d = DisplacementByte(a, m);
      opcodeBytes();
      a.out.dataByte(d);
      a.emitByte(m.value, 3);
      break;
    }
    case Layout::BitDisp: {
      const std::uint8_t d = DisplacementByte(a, m);
      a.out.opcodePair(m.indexPrefix, 0xCB);
      a.out.dataByte(d);
      a.out.dataByte(opcode);
      break;
    }
    case Layout::OpcodeRelative:
      opcodeBytes();
      EncodeRelative(a, m.value);
      break;
    }
  }
  a.advance(size);
}

} // namespace velkor::asmsrc
