#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/expression.h"
#include "compiler/expression_internal.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

// The address of the designated object on the stack.
void MaterializeAddress(Compilation& c, VariableAccess& v) {
  switch (v.mode) {
  case VariableAccess::Mode::Direct:
    EmitPushAddress(c, v.symbol);
    break;
  case VariableAccess::Mode::ByAddress:
    Emit(c, Op::LdHLFrom, AssemblerName(c, v.symbol));
    Emit(c, Op::PushHL);
    c.PendingPush = 0;
    break;
  case VariableAccess::Mode::OnStack:
    break;
  }
  v.mode = VariableAccess::Mode::OnStack;
}

void TakeType(Compilation& c, VariableAccess& v, std::uint8_t type, std::uint16_t reference,
              bool pointer) {
  v.type = type;
  v.reference = reference;
  v.pointer = pointer;
  v.size = pointer ? 2 : TypeSize(c, type, reference);
}

void IndexSelector(Compilation& c, VariableAccess& v) {
  if (v.pointer || v.type != kTypeArray) ReportCompileError(c, kErrIndexedNotArray);
  MaterializeAddress(c, v);
  NextSymbol(c);
  for (;;) {
    const ArrayDescriptor d = c.Arrays[v.reference];
    const ExprType index = Expression(c);
    const bool charIndex = index.type == kTypeChar && d.indexType == kTypeChar;
    if (!IsOrdinalNumber(index.type) && !charIndex) ReportCompileError(c, kErrIllegalSubscript);
    EmitArrayElementAddress(c, d.low, d.elementSize);
    TakeType(c, v, d.elementType, d.elementReference, d.elementPointer);
    if (c.Symbol != SymbolKind::Comma) break;
    if (v.pointer || v.type != kTypeArray) ReportCompileError(c, kErrTooManyDimensions);
    NextSymbol(c);
  }
  if (c.Symbol != SymbolKind::RightBracket) ReportCompileError(c, kErrExpectedCloseBracket);
  NextSymbol(c);
}

void FieldSelector(Compilation& c, VariableAccess& v) {
  if (v.pointer || v.type != kTypeRecord) ReportCompileError(c, kErrFieldSelectorNotRecord);
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const int field = LookupField(c, v.reference, c.IdentifierText);
  if (field == 0) ReportCompileError(c, kErrExpectedFieldName);
  const IdentifierEntry& f = c.Identifiers[static_cast<std::size_t>(field)];
  MaterializeAddress(c, v);
  EmitFieldOffset(c, f.offset);
  TakeType(c, v, f.type, f.reference, f.pointer);
  NextSymbol(c);
}

void DereferenceSelector(Compilation& c, VariableAccess& v) {
  if (!v.pointer && v.type != kTypeWord) ReportCompileError(c, kErrExpectedPointer);
  switch (v.mode) {
  case VariableAccess::Mode::Direct:
    EmitLoadVariable(c, v.symbol, kTypeWord, false);
    break;
  case VariableAccess::Mode::ByAddress:
    EmitLoadThroughAddressVariable(c, v.symbol, kTypeWord, false);
    break;
  case VariableAccess::Mode::OnStack:
    EmitDereference(c);
    break;
  }
  v.mode = VariableAccess::Mode::OnStack;
  if (!v.pointer) { // an untyped pointer designates a word
    TakeType(c, v, kTypeWord, 0, false);
  } else {
    if (v.reference == kPendingPointerTarget) ReportCompileError(c, kErrUndefinedType);
    TakeType(c, v, v.type, v.reference, false);
  }
  NextSymbol(c);
}

} // namespace

WithField FindWithField(const Compilation& c, std::string_view name) {
  for (int k = static_cast<int>(c.WithStack.size()) - 1; k >= 0; --k) {
    const int field = LookupField(c, c.WithStack[static_cast<std::size_t>(k)].recordBlock, name);
    if (field != 0) return WithField{k, field};
  }
  return {};
}

VariableAccess ParseVariableAccess(Compilation& c, int symbol, int withIndex) {
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(symbol)];
  VariableAccess v;
  v.symbol = symbol;
  TakeType(c, v, e.type, e.reference, e.pointer);
  if (withIndex >= 0) {
    // The record address comes from the WITH statement's subroutine.
    const WithRecord& w = c.WithStack[static_cast<std::size_t>(withIndex)];
    Emit(c, Op::Call, "@@S" + std::to_string(w.body));
    const std::uint16_t offset = e.offset;
    if (offset > 0 && offset <= 3) {
      EmitRepeated(c, Op::IncHL, offset);
    } else if (offset > 3) {
      Emit(c, Op::LdDE, std::to_string(offset));
      Emit(c, Op::AddHLDE);
    }
    Emit(c, Op::PushOperand);
    c.PendingPush = 1;
    v.mode = VariableAccess::Mode::OnStack;
  } else {
    v.mode = e.byAddress ? VariableAccess::Mode::ByAddress : VariableAccess::Mode::Direct;
  }
  NextSymbol(c);
  for (;;) {
    if (c.Symbol == SymbolKind::LeftBracket) {
      IndexSelector(c, v);
    } else if (c.Symbol == SymbolKind::Period) {
      FieldSelector(c, v);
    } else if (c.Symbol == SymbolKind::Caret) {
      DereferenceSelector(c, v);
    } else {
      break;
    }
  }
  return v;
}

VariableAccess ParseVariableAccessFactored(Compilation& c, int symbol) {
  if (!c.FactorCommonCode) return ParseVariableAccess(c, symbol);
  // Marks of enclosing operands survive the factoring of this one.
  const std::size_t outerLine = c.FactorMarkLine;
  const std::uint32_t outerSize = c.FactorMarkCodeSize;
  SetFactorMark(c);
  VariableAccess v = ParseVariableAccess(c, symbol);
  if (v.mode == VariableAccess::Mode::OnStack) FactorCommonCodeStep(c);
  c.FactorMarkLine = outerLine;
  c.FactorMarkCodeSize = outerSize;
  return v;
}

void EmitLoadAccess(Compilation& c, const VariableAccess& v) {
  const std::uint8_t type = v.pointer ? static_cast<std::uint8_t>(kTypeWord) : v.type;
  const bool isString = !v.pointer && IsStringType(c, v.type, v.reference);
  switch (v.mode) {
  case VariableAccess::Mode::Direct:
    EmitLoadVariable(c, v.symbol, type, isString);
    break;
  case VariableAccess::Mode::ByAddress:
    EmitLoadThroughAddressVariable(c, v.symbol, type, isString);
    break;
  case VariableAccess::Mode::OnStack:
    EmitLoadFromStackAddress(c, type, isString);
    break;
  }
}

void EmitAddressOfAccess(Compilation& c, const VariableAccess& v) {
  VariableAccess copy = v;
  MaterializeAddress(c, copy);
}

} // namespace velkor
