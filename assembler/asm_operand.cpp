// Operand evaluation: what an operand is (number, label, external, equate,
// expression) and the record that carries it.
#include "assembler/asm_errors.h"
#include "assembler/assembly.h"
#include "common/constant_evaluator.h"

#include <string>

namespace velkor::asmsrc {
namespace {

bool IsOperatorChar(char c) {
  return c == '+' || c == '-' || c == '*' || c == '/';
}
bool SplitsExpression(char c) {
  return IsOperatorChar(c) || c == '(' || c == ')';
}

void AppendDollar(std::string& text, std::uint8_t segmentByte) {
  AppendLocalLabelOperand(text, segmentByte, kDollarLabelIndex);
}

} // namespace

bool Assembly::hasOperator(std::string_view operand) {
  bool quoted = false;
  for (char c : operand) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && IsOperatorChar(c)) return true;
  }
  return false;
}

Operand Assembly::evaluate(std::string_view text) {
  Operand op;
  if (hasOperator(text)) {
    op.kind = OperandKind::Expression;
    return op;
  }
  if (const auto n = ParseNumber(text)) {
    op.value = *n;
    return op;
  }
  if (const auto c = ParseCharConstant(text)) {
    op.value = *c;
    return op;
  }
  if (text == "$") {
    op.kind = OperandKind::Dollar;
    return op;
  }
  if (pass == 1) {
    op.kind = OperandKind::Unknown;
    return op;
  }
  if (const Label* label = symbols.findLabel(text)) {
    if (label->external()) {
      op.kind = OperandKind::External;
      op.name = text;
      return op;
    }
    op.kind = OperandKind::LocalLabel;
    op.value = label->location();
    op.labelIndex = label->index;
    op.segmentByte = label->inData() ? rro::SegmentData : rro::SegmentCode;
    return op;
  }
  if (symbols.isEquate(text)) {
    op.kind = OperandKind::EquateName;
    op.name = text;
    return op;
  }
  fail(asmerr::FreeText, asmerr::kWordLabelNotFound);
}

void Assembly::buildExpression(std::string_view text, ExpressionText& result) {
  result = ExpressionText{};
  std::size_t i = 0;
  while (i < text.size()) {
    if (SplitsExpression(text[i])) {
      result.object += text[i];
      result.decimal += text[i];
      ++i;
      continue;
    }
    std::size_t end = i;
    bool quoted = false;
    while (end < text.size() && (quoted || !SplitsExpression(text[end]))) {
      if (text[end] == '\'') quoted = !quoted;
      ++end;
    }
    const std::string_view term = text.substr(i, end - i);
    i = end;
    if (const auto c = ParseCharConstant(term)) {
      const unsigned code = *c;
      result.object += static_cast<char>('0' + code / 100);
      result.object += static_cast<char>('0' + code / 10 % 10);
      result.object += static_cast<char>('0' + code % 10);
      result.decimal += std::to_string(code);
      continue;
    }
    const Operand op = evaluate(term);
    switch (op.kind) {
    case OperandKind::Absolute:
      result.object += std::to_string(op.value);
      result.decimal += std::to_string(op.value);
      break;
    case OperandKind::Dollar:
      AppendDollar(result.object, segmentByte());
      result.decimal += std::to_string(statementStart & 0xFFFF);
      break;
    case OperandKind::LocalLabel:
      AppendLocalLabelOperand(result.object, op.segmentByte, op.labelIndex);
      result.decimal += std::to_string(op.value);
      break;
    case OperandKind::External:
      AppendExternalOperand(result.object, op.name);
      result.decimal += '0';
      result.external = true;
      break;
    case OperandKind::EquateName:
      AppendEquateOperand(result.object, op.name);
      result.decimal += '0';
      result.unknown = true;
      break;
    case OperandKind::Expression:
    case OperandKind::Unknown:
      result.decimal += '0';
      result.unknown = true;
      break;
    }
  }
}

std::uint16_t Assembly::compute(std::string_view text, int externalError, int unknownError) {
  if (pass == 1) return 0;
  if (!hasOperator(text)) {
    const Operand op = evaluate(text);
    switch (op.kind) {
    case OperandKind::Absolute:
    case OperandKind::LocalLabel:
      return op.value;
    case OperandKind::Dollar:
      return static_cast<std::uint16_t>(statementStart);
    case OperandKind::External:
      fail(externalError);
    default:
      fail(unknownError);
    }
  }
  ExpressionText expr;
  buildExpression(text, expr);
  if (expr.external) fail(externalError);
  if (expr.unknown) fail(unknownError);
  const auto result = EvaluateConstant16(expr.decimal);
  if (!result.ok) fail(unknownError);
  return result.value;
}

void Assembly::emitWord(std::string_view text, std::uint32_t offset) {
  const Operand op = evaluate(text);
  switch (op.kind) {
  case OperandKind::Absolute:
    out.absoluteWord(op.value);
    return;
  case OperandKind::LocalLabel:
    out.labelWord(segment, op.labelIndex);
    return;
  case OperandKind::Dollar:
    out.dollarWord(segment, static_cast<std::uint16_t>(offset));
    return;
  case OperandKind::External:
    out.externalReference(2, op.name);
    return;
  case OperandKind::EquateName:
    out.equateReference(2, op.name);
    return;
  case OperandKind::Expression:
  case OperandKind::Unknown:
    break;
  }
  ExpressionText expr;
  buildExpression(text, expr);
  out.wordExpression(expr.object);
}

void Assembly::emitByte(std::string_view text, std::uint32_t offset) {
  const Operand op = evaluate(text);
  std::string object;
  switch (op.kind) {
  case OperandKind::Absolute:
    out.dataByte(static_cast<std::uint8_t>(op.value));
    return;
  case OperandKind::External:
    out.externalReference(1, op.name);
    return;
  case OperandKind::EquateName:
    out.equateReference(1, op.name);
    return;
  // A label as a byte travels as an expression: the linker knows its address.
  case OperandKind::LocalLabel:
    AppendLocalLabelOperand(object, op.segmentByte, op.labelIndex);
    out.byteExpression(object);
    return;
  // `$` in text means the operand's own address; the offset brings it back
  // to the statement start.
  case OperandKind::Dollar:
    AppendDollar(object, segmentByte());
    object += '-';
    object += std::to_string(offset);
    out.byteExpression(object);
    return;
  case OperandKind::Expression:
  case OperandKind::Unknown:
    break;
  }
  ExpressionText expr;
  buildExpression(text, expr);
  out.byteExpression(expr.object);
}

void Assembly::emitValueRef(std::string_view text,
                            const std::function<void(const ValueRef&)>& write) {
  const Operand op = evaluate(text);
  ValueRef v;
  ExpressionText expr;
  switch (op.kind) {
  case OperandKind::Absolute:
    v.kind = rro::ValueAbsolute;
    v.value = op.value;
    break;
  case OperandKind::LocalLabel:
    v.kind = rro::ValueLocalLabel;
    v.value = op.labelIndex;
    v.segment = op.segmentByte;
    break;
  case OperandKind::External:
    v.kind = rro::ValueExternal;
    v.text = op.name;
    break;
  case OperandKind::EquateName:
    v.kind = rro::ValueEquateName;
    v.text = op.name;
    break;
  case OperandKind::Dollar:
    AppendDollar(expr.object, segmentByte());
    v.kind = rro::ValueExpression;
    v.text = expr.object;
    break;
  case OperandKind::Expression:
  case OperandKind::Unknown:
    buildExpression(text, expr);
    v.kind = rro::ValueExpression;
    v.text = expr.object;
    break;
  }
  write(v);
}

} // namespace velkor::asmsrc
