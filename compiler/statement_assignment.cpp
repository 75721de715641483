// Statements that start with a name, and the rules for storing a value.

#include <algorithm>

#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/emit/stmt_procedures.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/statement_parts.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

enum class StoreAction : std::uint8_t {
  Same,
  CharToString,
  WidenUnsigned,
  WidenSigned,
  Narrow,
  Reject
};

bool IsWordSized(std::uint8_t t) {
  return t == kTypeByte || t == kTypeWord || t == kTypeInteger;
}

StoreAction ChooseStore(const Compilation& c, const VariableAccess& target, ExprType value) {
  const std::uint8_t tt = target.pointer ? std::uint8_t{kTypeWord} : target.type;
  const std::uint8_t vt = value.type;
  const bool valueIsString = vt == kTypeArray && IsStringType(c, vt, value.reference);
  if (tt == kTypeArray && IsStringType(c, tt, target.reference)) {
    if (valueIsString) return StoreAction::Same;
    if (vt == kTypeChar) return StoreAction::CharToString;
    return StoreAction::Reject;
  }
  if (tt == kTypeArray || tt == kTypeRecord)
    return vt == tt && value.reference == target.reference ? StoreAction::Same
                                                           : StoreAction::Reject;
  if (tt == kTypeLongint) {
    if (vt == kTypeLongint) return StoreAction::Same;
    if (vt == kTypeInteger) return StoreAction::WidenSigned;
    if (vt == kTypeByte || vt == kTypeWord || vt == kTypeChar) return StoreAction::WidenUnsigned;
    return StoreAction::Reject;
  }
  if (IsWordSized(tt)) {
    if (IsWordSized(vt)) return StoreAction::Same;
    if (vt == kTypeLongint) return StoreAction::Narrow;
    if (vt == kTypeChar && tt != kTypeWord) return StoreAction::Same;
    return StoreAction::Reject;
  }
  if (tt == kTypeChar) {
    if (vt == kTypeChar || vt == kTypeByte || vt == kTypeInteger) return StoreAction::Same;
    if (vt == kTypeLongint) return StoreAction::Narrow;
    return StoreAction::Reject;
  }
  if (tt == kTypeBoolean) return vt == kTypeBoolean ? StoreAction::Same : StoreAction::Reject;
  return StoreAction::Reject;
}

void Assignment(Compilation& c, const VariableAccess& target) {
  if (c.Symbol != SymbolKind::Becomes) {
    if (c.Symbol == SymbolKind::Caret) ReportCompileError(c, kErrCaretRight);
    ReportCompileError(c, kErrExpectedBecomes);
  }
  NextSymbol(c);
  const ExprType value = Expression(c);
  StoreValue(c, target, value, kErrAssignmentTypes);
}

bool CompilingRoutine(const Compilation& c, int routine) {
  return std::any_of(c.RoutineStack.begin(), c.RoutineStack.end(),
                     [routine](const RoutineContext& r) { return r.routine == routine; });
}

VariableAccess DirectAccess(const Compilation& c, int symbol) {
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(symbol)];
  VariableAccess a;
  a.mode = VariableAccess::Mode::Direct;
  a.symbol = symbol;
  a.type = e.type;
  a.reference = e.reference;
  a.size = e.size;
  a.pointer = e.pointer;
  return a;
}

// T(variable) := expression
void CastAssignment(Compilation& c, int typeSymbol) {
  const IdentifierEntry& t = c.Identifiers[static_cast<std::size_t>(typeSymbol)];
  NextSymbol(c);
  Require(c, SymbolKind::LeftParen, kErrExpectedOpenParen);
  VariableAccess target = ParseVariableDesignator(c);
  if (target.size != t.size) ReportCompileError(c, kErrTypecastSize);
  Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
  target.type = t.type;
  target.reference = t.reference;
  target.pointer = t.pointer;
  target.size = t.size;
  Assignment(c, target);
}

} // namespace

VariableAccess ParseVariableDesignator(Compilation& c) {
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const WithField field = FindWithField(c, c.IdentifierText);
  if (field.withIndex >= 0) return ParseVariableAccess(c, field.field, field.withIndex);
  const int symbol = LookupIdentifier(c, c.IdentifierText);
  if (symbol == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  if (c.Identifiers[static_cast<std::size_t>(symbol)].kind != kKindVariable)
    ReportCompileError(c, kErrExpectedVariable);
  return ParseVariableAccess(c, symbol);
}

StoreClass ValueClass(const Compilation& c, ExprType t) {
  return StoreClassOf(c, t.type, t.reference, false);
}

StoreDestination DestinationOf(const Compilation& c, const VariableAccess& v) {
  StoreDestination d;
  switch (v.mode) {
  case VariableAccess::Mode::Direct:
    d.target = StoreTarget::Variable;
    break;
  case VariableAccess::Mode::ByAddress:
    d.target = StoreTarget::AddressVariable;
    break;
  case VariableAccess::Mode::OnStack:
    d.target = StoreTarget::StackAddress;
    break;
  }
  d.symbol = v.symbol;
  d.cls = StoreClassOf(c, v.type, v.reference, v.pointer);
  if (d.cls == StoreClass::String) d.capacity = StringCapacity(c, v.reference);
  d.size = v.size;
  return d;
}

bool StoreAccepts(const Compilation& c, const VariableAccess& target, ExprType value) {
  return ChooseStore(c, target, value) != StoreAction::Reject;
}

void StoreValue(Compilation& c, const VariableAccess& target, ExprType value, int mismatchError) {
  const StoreDestination d = DestinationOf(c, target);
  switch (ChooseStore(c, target, value)) {
  case StoreAction::Same:
    EmitStore(c, d);
    break;
  case StoreAction::CharToString:
    EmitCharToString(c);
    EmitStore(c, d);
    break;
  case StoreAction::WidenUnsigned:
    EmitWideningStore(c, d, false);
    break;
  case StoreAction::WidenSigned:
    EmitWideningStore(c, d, true);
    break;
  case StoreAction::Narrow:
    EmitNarrowingStore(c, d);
    break;
  case StoreAction::Reject:
    ReportCompileError(c, mismatchError);
  }
}

void IdentifierStatement(Compilation& c) {
  const WithField field = FindWithField(c, c.IdentifierText);
  if (field.withIndex >= 0) {
    Assignment(c, ParseVariableAccess(c, field.field, field.withIndex));
    return;
  }
  const int symbol = LookupIdentifier(c, c.IdentifierText);
  if (symbol == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(symbol)];
  switch (e.kind) {
  case kKindVariable:
    Assignment(c, ParseVariableAccess(c, symbol));
    break;
  case kKindFunction:
    if (CompilingRoutine(c, symbol)) {
      NextSymbol(c);
      Assignment(c, DirectAccess(c, symbol));
    } else {
      const ExprType result = Factor(c);
      EmitDiscard(c, ValueClass(c, result));
    }
    break;
  case kKindProcedure:
    if (e.predefined && e.level == 0) {
      CompilePredefinedProcedure(c, e.value);
    } else {
      CompileRoutineCall(c, symbol);
    }
    break;
  case kKindType:
    CastAssignment(c, symbol);
    break;
  case kKindLabel:
    EmitSymbolLabel(c, symbol);
    c.PendingPush = 0;
    NextSymbol(c);
    Require(c, SymbolKind::Colon, kErrExpectedColon);
    Statement(c);
    break;
  default:
    ReportCompileError(c, kErrExpectedVariableOrProcedure);
  }
}

} // namespace velkor
