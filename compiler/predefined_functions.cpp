// Calls of the predefined functions inside expressions.

#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/expression.h"
#include "compiler/expression_internal.h"
#include "compiler/scanner.h"
#include "compiler/symbol_table.h"

namespace velkor {

namespace {

// The numbers of the predefined functions.
enum FunctionNumber : int {
  kAbs = 0,
  kOdd = 4,
  kChr = 5,
  kOrd = 6,
  kSucc = 7,
  kPred = 8,
  kSizeOf = 20,
  kInp = 22,
  kAddr = 23,
  kAt = 24,
  kLength = 25,
  kCopy = 26,
  kIntToStr = 27,
  kIntToHex = 28,
  kStrToInt = 29,
  kStrToIntDef = 30,
  kLo = 31,
  kHi = 32,
  kLoWord = 33,
  kHiWord = 34,
  kUpCase = 35,
  kPos = 36,
  kPosN = 37,
};

void PushResult(Compilation& c) {
  Emit(c, Op::PushOperand);
  c.PendingPush = 1;
}

void Open(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::LeftParen) ReportCompileError(c, kErrExpectedOpenParen);
  NextSymbol(c);
}

void Comma(Compilation& c) {
  if (c.Symbol != SymbolKind::Comma) ReportCompileError(c, kErrExpectedComma);
  NextSymbol(c);
}

void Close(Compilation& c) {
  if (c.Symbol != SymbolKind::RightParen) ReportCompileError(c, kErrExpectedCloseParen);
  NextSymbol(c);
}

bool IsString(const Compilation& c, const ExprType& t) {
  return IsStringType(c, t.type, t.reference);
}

// A count-like argument: LONGINT is 85, other non-numbers `error`.
ExprType WordArgument(Compilation& c, int error) {
  const ExprType t = Expression(c);
  if (t.type == kTypeLongint) ReportCompileError(c, kErrLongintNotPermitted);
  if (!IsOrdinalNumber(t.type)) ReportCompileError(c, error);
  return t;
}

// A variable argument: a declared variable name with its selectors.
VariableAccess VariableArgument(Compilation& c) {
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const WithField wf = FindWithField(c, c.IdentifierText);
  if (wf.withIndex >= 0) return ParseVariableAccess(c, wf.field, wf.withIndex);
  const int id = LookupIdentifier(c, c.IdentifierText);
  if (id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  if (c.Identifiers[static_cast<std::size_t>(id)].kind != kKindVariable)
    ReportCompileError(c, kErrExpectedVariable);
  return ParseVariableAccess(c, id);
}

// The address of a string variable, for routines that read it in place.
void StringVariableAddress(Compilation& c) {
  const VariableAccess v = VariableArgument(c);
  if (v.pointer || !IsStringType(c, v.type, v.reference)) ReportCompileError(c, kErrStringExpected);
  EmitAddressOfAccess(c, v);
}

ExprType StringExpression(Compilation& c) {
  ExprType t = Expression(c);
  if (t.type == kTypeChar) {
    EmitCharToString(c);
    t = ExprType{kTypeArray, 1};
  }
  if (!IsString(c, t)) ReportCompileError(c, kErrStringExpected);
  return t;
}

ExprType Address(Compilation& c, bool parenthesised) {
  if (parenthesised) Open(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const int id = LookupIdentifier(c, c.IdentifierText);
  const bool withField = FindWithField(c, c.IdentifierText).withIndex >= 0;
  if (!withField && id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  if (!withField && (e.kind == kKindProcedure || e.kind == kKindFunction) && !e.predefined) {
    Emit(c, Op::LdHL, CodeLabelName(c, id));
    c.PendingPush = 0;
    PushResult(c);
    NextSymbol(c);
  } else {
    EmitAddressOfAccess(c, VariableArgument(c));
  }
  if (parenthesised) Close(c);
  return ExprType{kTypeWord, 0};
}

ExprType SizeOf(Compilation& c) {
  Open(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const int id = LookupIdentifier(c, c.IdentifierText);
  if (id == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
  if (e.kind != kKindVariable && e.kind != kKindType) ReportCompileError(c, kErrExpectedVariable);
  NextSymbol(c);
  Close(c);
  EmitPushConstant(c, e.size);
  return ExprType{e.size < 256 ? kTypeByte : kTypeWord, 0};
}

ExprType Inp(Compilation& c) {
  Open(c);
  WordArgument(c, kErrNumericExpected);
  Close(c);
  using enum HistoryTag;
  const EmitHistory& h = c.History;
  // A constant or variable port goes straight into BC.
  if (h.Matches({Push, Constant})) {
    const std::string port = HistoryValueText(c, h.Value(1));
    DeleteNewestInstructions(c, 2);
    Emit(c, Op::LdBC, port);
  } else if (h.Matches({Push, ZeroHigh, WordVariable})) {
    const std::string port = HistoryValueText(c, h.Value(2));
    DeleteNewestInstructions(c, 3);
    Emit(c, Op::LdBCFrom, port);
    Emit(c, Op::LdB0); // the Z180's on-chip ports need B = 0
  } else if (h.Matches({Push, WordVariable})) {
    const std::string port = HistoryValueText(c, h.Value(1));
    DeleteNewestInstructions(c, 2);
    Emit(c, Op::LdBCFrom, port);
  } else {
    Emit(c, Op::PopBCUntagged);
  }
  c.PendingPush = 0;
  Emit(c, Op::InputPortToL);
  Emit(c, Op::ZeroHigh);
  PushResult(c);
  return ExprType{kTypeInteger, 0};
}

ExprType SuccPred(Compilation& c, bool succ) {
  Open(c);
  const ExprType t = Expression(c);
  Close(c);
  if (t.type == kTypeLongint) {
    c.PendingPush = 0;
    EmitCall(c, succ ? Routine::Succ32 : Routine::Pred32);
    return t;
  }
  Routine routine{};
  if (IsByteType(t.type)) {
    routine = succ ? Routine::Succ8 : Routine::Pred8;
  } else if (t.type == kTypeInteger) {
    routine = succ ? Routine::Succ16 : Routine::Pred16;
  } else if (t.type == kTypeWord) {
    routine = succ ? Routine::Succ16Word : Routine::Pred16Word;
  } else {
    ReportCompileError(c, kErrStdFunctionArgument);
  }
  PopHLLeftOutOfReport(c);
  EmitCall(c, routine);
  c.PendingPush = 0;
  PushResult(c);
  return t;
}

} // namespace

void EmitHeapPtr(Compilation& c) {
  EmitCall(c, Routine::GetHeapPtr);
  c.PendingPush = 0;
  PushResult(c);
}

ExprType PredefinedFunction(Compilation& c, int symbol) {
  const int routine = c.Identifiers[static_cast<std::size_t>(symbol)].value;
  switch (routine) {
  case kAbs:
  case kOdd: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (!IsNumeric(t.type)) ReportCompileError(c, kErrStdFunctionArgument);
    const bool isLong = t.type == kTypeLongint;
    c.PendingPush = 0;
    if (routine == kAbs) {
      EmitCall(c, isLong ? Routine::LintAbs : Routine::IntAbs);
      return t;
    }
    EmitCall(c, isLong ? Routine::LintOdd : Routine::IntOdd);
    return ExprType{kTypeBoolean, 0};
  }
  case kChr: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (!IsOrdinalNumber(t.type)) ReportCompileError(c, kErrStdFunctionArgument);
    PopHLLeftOutOfReport(c);
    Emit(c, Op::ZeroHigh);
    PushResult(c);
    return ExprType{kTypeChar, 0};
  }
  case kOrd: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (IsByteType(t.type)) return ExprType{kTypeByte, 0};
    if (!IsOrdinalNumber(t.type)) ReportCompileError(c, kErrStdFunctionArgument);
    return t;
  }
  case kSucc:
    return SuccPred(c, true);
  case kPred:
    return SuccPred(c, false);
  case kSizeOf:
    return SizeOf(c);
  case kInp:
    return Inp(c);
  case kAddr:
    return Address(c, true);
  case kAt: {
    NextSymbol(c);
    if (c.Symbol == SymbolKind::LeftParen) {
      NextSymbol(c);
      const ExprType t = Address(c, false);
      Close(c);
      return t;
    }
    return Address(c, false);
  }
  case kLength: {
    Open(c);
    StringVariableAddress(c);
    Close(c);
    PopHLLeftOutOfReport(c);
    Emit(c, Op::LoadByteThroughHL);
    Emit(c, Op::ZeroHigh);
    PushResult(c);
    return ExprType{kTypeByte, 0};
  }
  case kCopy: {
    Open(c);
    StringVariableAddress(c);
    Comma(c);
    if (!IsOrdinalNumber(Expression(c).type)) ReportCompileError(c, kErrExpectedVariableOrConstant);
    Comma(c);
    if (!IsOrdinalNumber(Expression(c).type)) ReportCompileError(c, kErrExpectedVariableOrConstant);
    Close(c);
    c.PendingPush = 0;
    EmitCall(c, Routine::CopyString);
    return ExprType{kTypeArray, 1};
  }
  case kIntToStr: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    Routine r{};
    if (t.type == kTypeByte || t.type == kTypeChar) {
      r = Routine::ByteToStr;
    } else if (t.type == kTypeWord) {
      r = Routine::WordToStr;
    } else if (t.type == kTypeInteger) {
      r = Routine::IntToStr;
    } else if (t.type == kTypeLongint) {
      r = Routine::LintToStr;
    } else {
      ReportCompileError(c, kErrExpectedVariableOrConstant);
    }
    c.PendingPush = 0;
    EmitCall(c, r);
    return ExprType{kTypeArray, 1};
  }
  case kIntToHex: {
    Open(c);
    const ExprType t = Expression(c);
    if (!IsNumeric(t.type) && t.type != kTypeChar)
      ReportCompileError(c, kErrExpectedVariableOrConstant);
    Comma(c);
    if (!IsOrdinalNumber(Expression(c).type)) ReportCompileError(c, kErrExpectedVariableOrConstant);
    Close(c);
    const int size = SimpleTypeSize(t.type);
    c.PendingPush = 0;
    EmitCall(c, size == 1   ? Routine::ByteToHexStr
                : size == 2 ? Routine::WordToHexStr
                            : Routine::LintToHexStr);
    return ExprType{kTypeArray, 1};
  }
  case kStrToInt: {
    Open(c);
    StringExpression(c);
    Close(c);
    c.PendingPush = 0;
    EmitCall(c, Routine::StrToInt);
    return ExprType{kTypeLongint, 0};
  }
  case kStrToIntDef: {
    Open(c);
    StringExpression(c);
    Comma(c);
    const ExprType d = Expression(c);
    if (!IsNumeric(d.type)) ReportCompileError(c, kErrExpectedVariableOrConstant);
    if (d.type != kTypeLongint) EmitWidenTopToLong(c, d.type); // the default is passed as a long
    Close(c);
    c.PendingPush = 0;
    EmitCall(c, Routine::StrToIntDef);
    return ExprType{kTypeLongint, 0};
  }
  case kLo:
  case kHi: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (!IsOrdinalNumber(t.type)) ReportCompileError(c, kErrExpectedInteger);
    PopHLLeftOutOfReport(c);
    if (routine == kHi) Emit(c, Op::LdLH);
    Emit(c, Op::ZeroHigh);
    PushResult(c);
    return ExprType{kTypeInteger, 0};
  }
  case kLoWord:
  case kHiWord: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (t.type != kTypeLongint) ReportCompileError(c, kErrExpectedLongint);
    if (routine == kLoWord) {
      PopHLLeftOutOfReport(c);
      Emit(c, Op::PopDEUntagged);
      PushResult(c);
    } else {
      Emit(c, Op::PopDEUntagged);
      c.PendingPush = 0;
    }
    return ExprType{kTypeInteger, 0};
  }
  case kUpCase: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (t.type != kTypeChar) ReportCompileError(c, kErrExpectedCharacter);
    PopHLLeftOutOfReport(c);
    EmitCall(c, Routine::UpCase);
    PushResult(c);
    return ExprType{kTypeChar, 0};
  }
  case kPos:
  case kPosN: {
    Open(c);
    StringExpression(c);
    Comma(c);
    StringVariableAddress(c);
    if (routine == kPosN) {
      Comma(c);
      const ExprType start = Expression(c);
      if (!IsOrdinalNumber(start.type)) ReportCompileError(c, kErrExpectedInteger);
    } else {
      EmitPushConstant(c, 1);
    }
    Close(c);
    PopHLLeftOutOfReport(c);
    EmitCall(c, Routine::Posn);
    c.PendingPush = 0;
    return ExprType{kTypeInteger, 0};
  }
  default:
    ReportCompileError(c, kErrUnsupportedStdFunction);
  }
}

} // namespace velkor
