#include "compiler/expression.h"

#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/expression_internal.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

bool IsString(const Compilation& c, const ExprType& t) {
  return IsStringType(c, t.type, t.reference);
}

ExprType StringResult() {
  return ExprType{kTypeArray, 1};
} // descriptor 1: STRING[255]

bool RelationOf(SymbolKind s, Relation& r) {
  switch (s) {
  case SymbolKind::Equal:
    r = Relation::Equal;
    return true;
  case SymbolKind::NotEqual:
    r = Relation::NotEqual;
    return true;
  case SymbolKind::Less:
    r = Relation::Less;
    return true;
  case SymbolKind::LessEqual:
    r = Relation::LessOrEqual;
    return true;
  case SymbolKind::Greater:
    r = Relation::Greater;
    return true;
  case SymbolKind::GreaterEqual:
    r = Relation::GreaterOrEqual;
    return true;
  default:
    return false;
  }
}

bool AddingOperator(SymbolKind s, ArithOp& op) {
  switch (s) {
  case SymbolKind::Plus:
    op = ArithOp::Add;
    return true;
  case SymbolKind::Minus:
    op = ArithOp::Sub;
    return true;
  case SymbolKind::Or:
    op = ArithOp::Or;
    return true;
  case SymbolKind::Xor:
    op = ArithOp::Xor;
    return true;
  default:
    return false;
  }
}

bool MultiplyingOperator(SymbolKind s, ArithOp& op) {
  switch (s) {
  case SymbolKind::Times:
    op = ArithOp::Mul;
    return true;
  case SymbolKind::Slash:
  case SymbolKind::Div:
    op = ArithOp::Div;
    return true;
  case SymbolKind::Mod:
    op = ArithOp::Mod;
    return true;
  case SymbolKind::And:
    op = ArithOp::And;
    return true;
  case SymbolKind::Shl:
    op = ArithOp::Shl;
    return true;
  case SymbolKind::Shr:
    op = ArithOp::Shr;
    return true;
  default:
    return false;
  }
}

// Long widening before an operation: the narrower of a LONGINT pair.
void WidenForLong(Compilation& c, ExprType& left, ExprType& right) {
  if (left.type == kTypeLongint && IsOrdinalNumber(right.type)) {
    EmitWidenTopToLong(c, right.type);
    right.type = kTypeLongint;
  } else if (right.type == kTypeLongint && IsOrdinalNumber(left.type)) {
    EmitWidenLeftToLong(c, left.type);
    left.type = kTypeLongint;
  }
}

ExprType Arithmetic(Compilation& c, ArithOp op, ExprType left, ExprType right) {
  WidenForLong(c, left, right);
  const bool leftString = IsString(c, left), rightString = IsString(c, right);
  if (leftString || rightString || (left.type == kTypeChar && right.type == kTypeChar)) {
    const bool leftOk = leftString || left.type == kTypeChar;
    const bool rightOk = rightString || right.type == kTypeChar;
    if (op != ArithOp::Add || !leftOk || !rightOk) ReportCompileError(c, kErrIllegalArithmeticType);
    EmitStringConcat(c, !leftString, !rightString);
    return StringResult();
  }
  if (left.type == kTypeNone || right.type == kTypeNone || left.type > kTypeReal ||
      right.type > kTypeReal)
    ReportCompileError(c, kErrIllegalArithmeticType);
  // A long beside anything but a number would leave the stack unbalanced.
  if ((left.type == kTypeLongint) != (right.type == kTypeLongint))
    ReportCompileError(c, kErrIllegalArithmeticType);
  const std::uint8_t result = std::max(left.type, right.type);
  if (result == kTypeReal) ReportCompileError(c, kErrRealsNotSupported);
  if ((op == ArithOp::Div || op == ArithOp::Mod) && !IsNumeric(result))
    ReportCompileError(c, kErrExpectedIntegerDivMod);
  if (result == kTypeLongint) {
    EmitLongOperation(c, op);
  } else {
    EmitWordOperation(c, op, result, IsByteType(left.type) && IsByteType(right.type));
  }
  return ExprType{result, 0};
}

void Compare(Compilation& c, Relation r, ExprType left, ExprType right) {
  WidenForLong(c, left, right);
  if (IsOrdinalNumber(left.type) && IsOrdinalNumber(right.type)) {
    const bool wordAgainstInteger = (left.type == kTypeWord && right.type == kTypeInteger) ||
                                    (left.type == kTypeInteger && right.type == kTypeWord);
    const ExprType& wordSide = left.type == kTypeWord ? left : right;
    if (wordAgainstInteger && wordSide.isConstant && wordSide.constantValue <= kMaxInteger) {
      // A WORD constant within INTEGER range compares exactly as an INTEGER.
      left.type = right.type = kTypeInteger;
    } else if (wordAgainstInteger) {
      // Neither 16-bit comparison is right for both: compare as LONGINT.
      EmitWidenTopToLong(c, right.type);
      EmitWidenLeftToLong(c, left.type);
      left.type = right.type = kTypeLongint;
    } else {
      left.type = right.type = std::max(left.type, right.type);
    }
  }
  const bool leftString = IsString(c, left);
  bool rightString = IsString(c, right);
  if (leftString && right.type == kTypeChar) { // s = 'A'
    EmitCharToString(c);
    rightString = true;
  }
  if (leftString && rightString) {
    EmitComparison(c, r, kTypeArray, true);
    return;
  }
  const std::uint8_t t = left.type;
  const bool comparable = t == kTypeByte || t == kTypeWord || t == kTypeInteger ||
                          t == kTypeLongint || t == kTypeBoolean || t == kTypeChar;
  if (left.type != right.type || !comparable || leftString || rightString)
    ReportCompileError(c, kErrRealsNotSupported);
  EmitComparison(c, r, t, false);
}

// IN [a, b..c, ...]: constants of a byte or char type.
void SetMembership(Compilation& c, const ExprType& tested) {
  if (!(IsByteType(tested.type) || IsOrdinalNumber(tested.type)))
    ReportCompileError(c, kErrIllegalExpressionType);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftBracket) ReportCompileError(c, kErrExpectedOpenBracket);
  NextSymbol(c);
  std::vector<std::pair<int, int>> entries;
  auto element = [&]() -> int {
    if (c.Symbol != SymbolKind::ByteConst && c.Symbol != SymbolKind::CharConst) {
      if (IsNumberSymbol(c.Symbol)) ReportCompileError(c, kErrConstantOutOfRange);
      ReportCompileError(c, kErrIllegalConstant);
    }
    const int v = c.NumericValue;
    NextSymbol(c);
    return v;
  };
  if (c.Symbol != SymbolKind::RightBracket) {
    for (;;) {
      const int low = element();
      int high = low;
      if (c.Symbol == SymbolKind::Colon) {
        NextSymbol(c);
        high = element();
      }
      entries.emplace_back(low, high);
      if (c.Symbol != SymbolKind::Comma) break;
      NextSymbol(c);
    }
  }
  if (c.Symbol != SymbolKind::RightBracket) ReportCompileError(c, kErrExpectedCloseBracket);
  NextSymbol(c);
  EmitSetMembership(c, entries);
}

ExprType ConstantFactor(Compilation& c, const IdentifierEntry& e) {
  if (e.type == kTypeArray) {
    EmitPushStringLiteral(c, e.stringValue);
    return StringResult();
  }
  if (e.type == kTypeLongint ||
      (e.type != kTypeChar && ConstantKindOf(e.value) == SymbolKind::LongConst)) {
    EmitPushLongConstant(c, e.value);
    return ExprType{kTypeLongint, 0};
  }
  if (e.type == kTypeReal) ReportCompileError(c, kErrRealsNotSupported);
  EmitPushConstant(c, e.value);
  return ExprType{e.type, e.reference};
}

// T(expression): the value is taken as type T when the sizes agree.
ExprType TypeCast(Compilation& c, const IdentifierEntry& target) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftParen) ReportCompileError(c, kErrExpectedOpenParen);
  NextSymbol(c);
  const ExprType value = Expression(c);
  if (c.Symbol != SymbolKind::RightParen) ReportCompileError(c, kErrExpectedCloseParen);
  NextSymbol(c);
  const std::uint8_t to = target.pointer ? static_cast<std::uint8_t>(kTypeWord) : target.type;
  auto castable = [](std::uint8_t t) { return t >= kTypeByte && t <= kTypeChar && t != kTypeReal; };
  if (!castable(to) || !castable(value.type) || IsString(c, value))
    ReportCompileError(c, kErrTypecastNotCastable);
  if (SimpleTypeSize(to) != SimpleTypeSize(value.type)) ReportCompileError(c, kErrTypecastSize);
  return ExprType{to, 0};
}

} // namespace

ExprType EntryValueType(const IdentifierEntry& e) {
  if (e.pointer) return ExprType{kTypeWord, 0};
  return ExprType{e.type, e.reference};
}

ExprType Expression(Compilation& c) {
  const ExprType left = SimpleExpression(c);
  Relation r;
  if (RelationOf(c.Symbol, r)) {
    NextSymbol(c);
    const ExprType right = SimpleExpression(c);
    Compare(c, r, left, right);
    return ExprType{kTypeBoolean, 0};
  }
  if (c.Symbol == SymbolKind::In) {
    SetMembership(c, left);
    return ExprType{kTypeBoolean, 0};
  }
  return left;
}

ExprType SimpleExpression(Compilation& c) {
  const bool negate = c.Symbol == SymbolKind::Minus;
  if (negate || c.Symbol == SymbolKind::Plus) NextSymbol(c);
  ExprType t = Term(c);
  if (negate) {
    if (!IsNumeric(t.type)) ReportCompileError(c, kErrIllegalArithmeticType);
    t = ExprType{EmitNegate(c, t.type), 0};
  }
  ArithOp op;
  while (AddingOperator(c.Symbol, op)) {
    NextSymbol(c);
    const ExprType right = Term(c);
    t = Arithmetic(c, op, t, right);
  }
  return t;
}

ExprType Term(Compilation& c) {
  ExprType t = Factor(c);
  ArithOp op;
  while (MultiplyingOperator(c.Symbol, op)) {
    NextSymbol(c);
    const ExprType right = Factor(c);
    t = Arithmetic(c, op, t, right);
  }
  return t;
}

ExprType Factor(Compilation& c) {
  switch (c.Symbol) {
  case SymbolKind::ByteConst:
  case SymbolKind::WordConst:
  case SymbolKind::IntegerConst: {
    const std::uint8_t type = c.Symbol == SymbolKind::ByteConst   ? kTypeByte
                              : c.Symbol == SymbolKind::WordConst ? kTypeWord
                                                                  : kTypeInteger;
    const std::int32_t value = c.NumericValue;
    EmitPushConstant(c, value);
    NextSymbol(c);
    return ExprType{type, 0, true, value};
  }
  case SymbolKind::LongConst:
    EmitPushLongConstant(c, c.NumericValue);
    NextSymbol(c);
    return ExprType{kTypeLongint, 0};
  case SymbolKind::RealConst:
    ReportCompileError(c, kErrRealsNotSupported);
  case SymbolKind::CharConst:
    EmitPushConstant(c, c.NumericValue);
    NextSymbol(c);
    return ExprType{kTypeChar, 0};
  case SymbolKind::StringConst:
    EmitPushStringLiteral(c, c.StringValue);
    NextSymbol(c);
    return StringResult();
  case SymbolKind::LeftParen: {
    NextSymbol(c);
    const ExprType t = Expression(c);
    if (c.Symbol != SymbolKind::RightParen) ReportCompileError(c, kErrExpectedCloseParen);
    NextSymbol(c);
    return t;
  }
  case SymbolKind::Not: {
    NextSymbol(c);
    const ExprType t = Factor(c);
    if (!(t.type == kTypeBoolean || IsNumeric(t.type)))
      ReportCompileError(c, kErrIllegalArithmeticType);
    EmitNot(c, t.type);
    return t;
  }
  case SymbolKind::Identifier:
    break;
  default:
    ReportCompileError(c, kErrCannotEvaluate);
  }

  const WithField wf = FindWithField(c, c.IdentifierText);
  if (wf.withIndex >= 0) {
    const VariableAccess v = ParseVariableAccess(c, wf.field, wf.withIndex);
    EmitLoadAccess(c, v);
    return v.pointer ? ExprType{kTypeWord, 0} : ExprType{v.type, v.reference};
  }
  const int id = LookupIdentifier(c, c.IdentifierText);
  if (id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  switch (e.kind) {
  case kKindConstant: {
    const ExprType t = ConstantFactor(c, e);
    NextSymbol(c);
    return t;
  }
  case kKindVariable: {
    if (e.predefined && e.level == 0 && e.name == "HEAPPTR") {
      EmitHeapPtr(c);
      NextSymbol(c);
      return ExprType{kTypeWord, 0};
    }
    const VariableAccess v = ParseVariableAccessFactored(c, id);
    EmitLoadAccess(c, v);
    return v.pointer ? ExprType{kTypeWord, 0} : ExprType{v.type, v.reference};
  }
  case kKindType:
    return TypeCast(c, e);
  case kKindFunction:
    if (e.predefined && e.level == 0) return PredefinedFunction(c, id);
    {
      const ExprType result = EntryValueType(c.Identifiers[static_cast<std::size_t>(id)]);
      CompileRoutineCall(c, id);
      return result;
    }
  default:
    ReportCompileError(c, kErrExpectedVariableOrConstant);
  }
}

} // namespace velkor
