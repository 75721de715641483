// The predefined procedures: argument checks and their code.

#include <array>

#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/emit/overlay_areas.h"
#include "compiler/emit/stmt_procedures.h"
#include "compiler/predefined_identifiers.h"
#include "compiler/scanner.h"
#include "compiler/statement_parts.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

bool IsStringValue(const Compilation& c, ExprType t) {
  return t.type == kTypeArray && IsStringType(c, t.type, t.reference);
}

// A count: BYTE, WORD or INTEGER; a LONGINT is 85, anything else `otherError`.
ExprType NumericArgument(Compilation& c, int otherError) {
  const ExprType t = Expression(c);
  if (t.type == kTypeLongint) ReportCompileError(c, kErrLongintNotPermitted);
  if (!IsOrdinalNumber(t.type)) ReportCompileError(c, otherError);
  return t;
}

// A value stored as one byte: a number below LONGINT, a CHAR or a BOOLEAN.
void ByteValueArgument(Compilation& c) {
  const ExprType t = Expression(c);
  if (t.type == kTypeLongint) ReportCompileError(c, kErrLongintNotPermitted);
  if (!IsOrdinalNumber(t.type) && t.type != kTypeChar && t.type != kTypeBoolean)
    ReportCompileError(c, kErrIllegalExpressionType);
}

void Separator(Compilation& c) {
  Require(c, SymbolKind::Comma, kErrExpectedComma);
}
void Close(Compilation& c) {
  Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
}

VariableAccess VariableArgument(Compilation& c) {
  return ParseVariableDesignator(c);
}

VariableAccess PointerArgument(Compilation& c) {
  const VariableAccess p = VariableArgument(c);
  if (!p.pointer) ReportCompileError(c, kErrExpectedPointer);
  return p;
}

VariableAccess StringVariableArgument(Compilation& c) {
  const VariableAccess s = VariableArgument(c);
  if (s.pointer || !IsStringValue(c, {s.type, s.reference}))
    ReportCompileError(c, kErrStringExpected);
  return s;
}

// The pointer value in HL is stored into p (pushed first, then the store pops it).
void StorePointer(Compilation& c, const VariableAccess& p) {
  StoreValue(c, p, {kTypeWord, 0}, kErrExpectedPointer);
}

void IncDec(Compilation& c, bool decrement) {
  const VariableAccess v = VariableArgument(c);
  const std::uint8_t t = v.pointer ? std::uint8_t{kTypeWord} : v.type;
  if (!IsNumeric(t) && t != kTypeChar) ReportCompileError(c, kErrInvalidIncDecTarget);
  Close(c);
  const StoreDestination d = DestinationOf(c, v);
  EmitIncDec(c, d.target, v.symbol, d.cls, decrement);
}

void Inc(Compilation& c) {
  IncDec(c, false);
}
void Dec(Compilation& c) {
  IncDec(c, true);
}

void Move(Compilation& c) {
  EmitAddressOfAccess(c, VariableArgument(c));
  Separator(c);
  EmitAddressOfAccess(c, VariableArgument(c));
  Separator(c);
  NumericArgument(c, kErrIllegalExpressionType);
  Close(c);
  EmitMove(c);
}

void FillChar(Compilation& c) {
  EmitAddressOfAccess(c, VariableArgument(c));
  Separator(c);
  NumericArgument(c, kErrIllegalExpressionType);
  Separator(c);
  ByteValueArgument(c);
  Close(c);
  EmitFillChar(c);
}

void Out(Compilation& c) {
  const ExprType port = NumericArgument(c, kErrIllegalExpressionType);
  Separator(c);
  ByteValueArgument(c);
  Close(c);
  EmitOut(c, port.type == kTypeByte);
}

void Insert(Compilation& c) {
  const ExprType source = Expression(c);
  if (source.type == kTypeChar) {
    EmitCharToString(c);
  } else if (!IsStringValue(c, source)) {
    ReportCompileError(c, kErrStringExpected);
  }
  Separator(c);
  const VariableAccess target = StringVariableArgument(c);
  EmitAddressOfAccess(c, target);
  Separator(c);
  NumericArgument(c, kErrIllegalExpressionType);
  Close(c);
  EmitInsert(c, StringCapacity(c, target.reference));
}

void Delete(Compilation& c) {
  EmitAddressOfAccess(c, StringVariableArgument(c));
  Separator(c);
  NumericArgument(c, kErrIllegalExpressionType);
  Separator(c);
  NumericArgument(c, kErrIllegalExpressionType);
  Close(c);
  EmitDelete(c);
}

void New(Compilation& c) {
  const VariableAccess p = PointerArgument(c);
  Close(c);
  std::uint32_t size = TypeSize(c, p.type, p.reference);
  if (size == 0) size = static_cast<std::uint32_t>(SimpleTypeSize(p.type));
  EmitPushConstant(c, static_cast<std::int32_t>(size));
  EmitMalloc(c);
  StorePointer(c, p);
}

void Mark(Compilation& c) {
  const VariableAccess p = PointerArgument(c);
  Close(c);
  EmitGetHeapPtr(c);
  StorePointer(c, p);
}

void Release(Compilation& c) {
  const VariableAccess p = PointerArgument(c);
  Close(c);
  if (p.mode == VariableAccess::Mode::Direct) {
    EmitRelease(c, p.symbol);
  } else {
    EmitLoadAccess(c, p);
    PopHL(c);
    EmitCall(c, Routine::SetHeapPtr);
    c.PendingPush = 0;
  }
}

void GetMem(Compilation& c) {
  const VariableAccess p = PointerArgument(c);
  Separator(c);
  NumericArgument(c, kErrNumericExpected);
  Close(c);
  EmitMalloc(c);
  StorePointer(c, p);
}

struct PredefinedProcedureRow {
  PredefinedProcedure number;
  void (*compile)(Compilation&); // with "(" read
};

constexpr std::array<PredefinedProcedureRow, 12> kProcedures{{
    {PredefinedProcedure::Inc, Inc},
    {PredefinedProcedure::Dec, Dec},
    {PredefinedProcedure::Move, Move},
    {PredefinedProcedure::FillChar, FillChar},
    {PredefinedProcedure::Out, Out},
    {PredefinedProcedure::Insert, Insert},
    {PredefinedProcedure::Delete, Delete},
    {PredefinedProcedure::New, New},
    {PredefinedProcedure::Mark, Mark},
    {PredefinedProcedure::Release, Release},
    {PredefinedProcedure::GetMem, GetMem},
    {PredefinedProcedure::InitOverlay, nullptr},
}};

} // namespace

void CompilePredefinedProcedure(Compilation& c, int number) {
  for (const PredefinedProcedureRow& row : kProcedures) {
    if (static_cast<int>(row.number) != number) continue;
    NextSymbol(c);
    if (row.compile == nullptr) { // INITOVERLAY takes no parentheses
      EmitInitOverlay(c);
      return;
    }
    Require(c, SymbolKind::LeftParen, kErrExpectedOpenParen);
    row.compile(c);
    return;
  }
  ReportCompileError(c, kErrUnsupportedStdFunction);
}

} // namespace velkor
