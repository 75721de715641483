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

void Call(Compilation& c, Routine routine, char tag = ' ') {
  EmitCall(c, routine, tag);
  AddCodeSize(c, 3);
}

void PushHL(Compilation& c, char tag = 'P') {
  EmitTagged(c, tag, 0, "push hl");
  AddCodeSize(c, 1);
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
    EmitTagged(c, ' ', 0, "ld hl,@" + AssemblerName(c, id));
    AddCodeSize(c, 3);
    c.PendingPush = 0;
    PushHL(c);
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
  const EmitHistory& h = c.History;
  // A constant or variable port goes straight into BC.
  if (h.Matches("Ph")) {
    const std::string port = HistoryValueText(c, h.Value(1));
    DeleteLastInstructions(c, 2);
    SubtractCodeSize(c, 4);
    Emit(c, "ld bc," + port);
    AddCodeSize(c, 3);
  } else if (h.Matches("P0H")) {
    const std::string port = HistoryValueText(c, h.Value(2));
    DeleteLastInstructions(c, 3);
    SubtractCodeSize(c, 6);
    Emit(c, "ld bc,(" + port + ")");
    Emit(c, "ld b,0"); // the Z180's on-chip ports need B = 0
    AddCodeSize(c, 6);
  } else if (h.Matches("PH")) {
    const std::string port = HistoryValueText(c, h.Value(1));
    DeleteLastInstructions(c, 2);
    SubtractCodeSize(c, 4);
    Emit(c, "ld bc,(" + port + ")");
    AddCodeSize(c, 4);
  } else {
    Emit(c, "pop bc");
    AddCodeSize(c, 1);
  }
  c.PendingPush = 0;
  EmitTagged(c, 'i', 0, "in l,(c)");
  EmitTagged(c, '0', 0, "ld h,0");
  AddCodeSize(c, 4);
  PushHL(c);
  return ExprType{kTypeInteger, 0};
}

ExprType SuccPred(Compilation& c, bool succ) {
  Open(c);
  const ExprType t = Expression(c);
  Close(c);
  if (t.type == kTypeLongint) {
    c.PendingPush = 0;
    Call(c, succ ? Routine::Succ32 : Routine::Pred32);
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
  PopHL(c);
  Call(c, routine);
  c.PendingPush = 0;
  PushHL(c);
  return t;
}

} // namespace

void EmitHeapPtr(Compilation& c) {
  Call(c, Routine::GetHeapPtr);
  c.PendingPush = 0;
  PushHL(c);
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
      Call(c, isLong ? Routine::LintAbs : Routine::IntAbs);
      return t;
    }
    Call(c, isLong ? Routine::LintOdd : Routine::IntOdd);
    return ExprType{kTypeBoolean, 0};
  }
  case kChr: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (!IsOrdinalNumber(t.type)) ReportCompileError(c, kErrStdFunctionArgument);
    PopHL(c);
    EmitTagged(c, '0', 0, "ld h,0");
    AddCodeSize(c, 2);
    PushHL(c);
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
    PopHL(c);
    EmitTagged(c, 'm', 0, "ld l,(hl)");
    EmitTagged(c, '0', 0, "ld h,0");
    AddCodeSize(c, 3);
    PushHL(c);
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
    Call(c, Routine::CopyString);
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
    Call(c, r);
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
    Call(c, size == 1   ? Routine::ByteToHexStr
            : size == 2 ? Routine::WordToHexStr
                        : Routine::LintToHexStr);
    return ExprType{kTypeArray, 1};
  }
  case kStrToInt: {
    Open(c);
    StringExpression(c);
    Close(c);
    c.PendingPush = 0;
    Call(c, Routine::StrToInt);
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
    Call(c, Routine::StrToIntDef);
    return ExprType{kTypeLongint, 0};
  }
  case kLo:
  case kHi: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (!IsOrdinalNumber(t.type)) ReportCompileError(c, kErrExpectedInteger);
    PopHL(c);
    if (routine == kHi) {
      Emit(c, "ld l,h");
      AddCodeSize(c, 1);
    }
    EmitTagged(c, '0', 0, "ld h,0");
    AddCodeSize(c, 2);
    PushHL(c);
    return ExprType{kTypeInteger, 0};
  }
  case kLoWord:
  case kHiWord: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (t.type != kTypeLongint) ReportCompileError(c, kErrExpectedLongint);
    if (routine == kLoWord) {
      PopHL(c);
      Emit(c, "pop de");
      AddCodeSize(c, 1);
      PushHL(c);
    } else {
      Emit(c, "pop de");
      AddCodeSize(c, 1);
      c.PendingPush = 0;
    }
    return ExprType{kTypeInteger, 0};
  }
  case kUpCase: {
    Open(c);
    const ExprType t = Expression(c);
    Close(c);
    if (t.type != kTypeChar) ReportCompileError(c, kErrExpectedCharacter);
    PopHL(c);
    Call(c, Routine::UpCase);
    PushHL(c);
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
    PopHL(c);
    Call(c, Routine::Posn);
    c.PendingPush = 0;
    return ExprType{kTypeInteger, 0};
  }
  default:
    ReportCompileError(c, kErrUnsupportedStdFunction);
  }
}

} // namespace velkor
