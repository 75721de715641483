// Statements: dispatch by the first symbol, compound statements and the
// control-flow statements.

#include <string>

#include "compiler/compile_error.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/emit/stmt_case_table.h"
#include "compiler/emit/stmt_control.h"
#include "compiler/emit/stmt_procedures.h"
#include "compiler/expression.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/source_reader.h"
#include "compiler/statement_parts.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

bool StartsStatement(SymbolKind k) {
  switch (k) {
  case SymbolKind::Identifier:
  case SymbolKind::Begin:
  case SymbolKind::If:
  case SymbolKind::Case:
  case SymbolKind::While:
  case SymbolKind::Repeat:
  case SymbolKind::For:
  case SymbolKind::Goto:
  case SymbolKind::Asm:
  case SymbolKind::Exit:
  case SymbolKind::Continue:
  case SymbolKind::Break:
  case SymbolKind::With:
    return true;
  default:
    return false;
  }
}

void BooleanCondition(Compilation& c) {
  const ExprType t = Expression(c);
  if (t.type != kTypeBoolean) ReportCompileError(c, kErrExpectedBooleanExpression);
}

// A loop whose CONTINUE label is taken only when a CONTINUE needs it.
std::size_t OpenLoop(Compilation& c, const std::string& breakLabel,
                     const std::string& continueLabel) {
  c.LoopStack.push_back({breakLabel, continueLabel});
  return c.LoopStack.size() - 1;
}

// Closes the loop; writes its late CONTINUE label when one was taken.
void CloseLoop(Compilation& c, std::size_t index, bool lateContinue) {
  const std::string label = c.LoopStack[index].continueLabel;
  c.LoopStack.pop_back();
  if (lateContinue && !label.empty()) EmitGeneratedLabel(c, label);
}

void CompoundStatement(Compilation& c) {
  NextSymbol(c);
  StatementSequence(c);
  Require(c, SymbolKind::End, kErrExpectedEnd);
}

void IfStatement(Compilation& c) {
  NextSymbol(c);
  BooleanCondition(c);
  Expect(c, SymbolKind::Then, kErrExpectedThen);
  const std::string skip = NewLabel(c);
  EmitConditionalJump(c, skip);
  NextSymbol(c);
  Statement(c);
  if (c.Symbol == SymbolKind::Else) {
    const std::string end = NewLabel(c);
    EmitJump(c, end);
    EmitGeneratedLabel(c, skip);
    NextSymbol(c);
    Statement(c);
    EmitGeneratedLabel(c, end);
  } else {
    EmitGeneratedLabel(c, skip);
  }
}

void WhileStatement(Compilation& c) {
  const std::string top = NewLabel(c);
  EmitGeneratedLabel(c, top);
  NextSymbol(c);
  BooleanCondition(c);
  const std::string exit = NewLabel(c);
  EmitConditionalJump(c, exit);
  Require(c, SymbolKind::Do, kErrExpectedDo);
  const std::size_t loop = OpenLoop(c, exit, top);
  Statement(c);
  CloseLoop(c, loop, false);
  EmitJump(c, top);
  EmitGeneratedLabel(c, exit);
}

void RepeatStatement(Compilation& c) {
  const std::string top = NewLabel(c);
  EmitGeneratedLabel(c, top);
  const std::string exit = NewLabel(c);
  const std::size_t loop = OpenLoop(c, exit, "");
  NextSymbol(c);
  StatementSequence(c);
  if (c.Symbol != SymbolKind::Until) ReportCompileError(c, kErrExpectedUntil);
  CloseLoop(c, loop, true); // CONTINUE goes to the UNTIL test
  NextSymbol(c);
  BooleanCondition(c);
  EmitConditionalJump(c, top);
  EmitGeneratedLabel(c, exit);
}

void ForStatement(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedVariable);
  const int variable = LookupIdentifier(c, c.IdentifierText);
  if (variable == 0) ReportCompileError(c, kErrUndefinedIdentifier);
  const IdentifierEntry& v = c.Identifiers[static_cast<std::size_t>(variable)];
  // The loop code stores the variable by name, so it must be a plain static variable.
  if (v.kind != kKindVariable || v.byAddress || v.field || v.typedConstant)
    ReportCompileError(c, kErrExpectedVariable);
  if (v.pointer || !IsOrdinalNumber(v.type)) ReportCompileError(c, kErrLoopVariableType);
  const std::uint8_t variableType = v.type;
  NextSymbol(c);
  Require(c, SymbolKind::Becomes, kErrExpectedBecomes);
  if (!IsOrdinalNumber(Expression(c).type)) ReportCompileError(c, kErrInvalidLoopType);
  bool down = false;
  if (c.Symbol == SymbolKind::Downto) {
    down = true;
  } else if (c.Symbol != SymbolKind::To) {
    ReportCompileError(c, kErrExpectedToOrDownto);
  }
  NextSymbol(c);
  if (!IsOrdinalNumber(Expression(c).type)) ReportCompileError(c, kErrInvalidLoopType);
  Expect(c, SymbolKind::Do, kErrExpectedDo);
  const ForLoop forLoop = EmitForHead(c, variable, variableType, down);
  NextSymbol(c);
  const std::size_t loop = OpenLoop(c, forLoop.exit, "");
  Statement(c);
  CloseLoop(c, loop, true); // CONTINUE goes to the step
  EmitForStep(c, forLoop);
}

// One case label constant: a byte or char constant.
std::uint8_t CaseLabelValue(Compilation& c, SymbolKind& kind) {
  if (c.Symbol != SymbolKind::ByteConst && c.Symbol != SymbolKind::CharConst)
    ReportCompileError(c, kErrInvalidCaseLabelType);
  kind = c.Symbol;
  return static_cast<std::uint8_t>(c.NumericValue & 0xFF);
}

void CaseStatement(Compilation& c) {
  NextSymbol(c);
  const std::string end = NewLabel(c);
  const ExprType selector = Expression(c);
  const std::uint8_t t = selector.type;
  if (t != kTypeByte && t != kTypeWord && t != kTypeInteger && t != kTypeBoolean && t != kTypeChar)
    ReportCompileError(c, kErrBadCaseType);
  Expect(c, SymbolKind::Of, kErrExpectedOf);
  PopHL(c);
  const std::string table = NewLabel(c);
  EmitJump(c, table);

  CaseTable entries;
  const bool savedFold = c.FoldChrOrd;
  c.FoldChrOrd = true;
  NextSymbol(c);
  while (c.Symbol != SymbolKind::End && c.Symbol != SymbolKind::Else) {
    std::vector<std::pair<std::uint8_t, std::uint8_t>> labels;
    while (true) {
      SymbolKind lowKind{};
      const std::uint8_t low = CaseLabelValue(c, lowKind);
      std::uint8_t high = low;
      NextSymbol(c);
      if (c.Symbol == SymbolKind::Colon && c.RangeFollows) {
        NextSymbol(c);
        SymbolKind highKind{};
        if (c.Symbol != SymbolKind::ByteConst && c.Symbol != SymbolKind::CharConst)
          ReportCompileError(c, kErrSubrangeTypes);
        high = CaseLabelValue(c, highKind);
        if (highKind != lowKind) ReportCompileError(c, kErrSubrangeTypes);
        NextSymbol(c);
      }
      labels.emplace_back(low, high);
      if (!Accept(c, SymbolKind::Comma)) break;
    }
    c.FoldChrOrd = savedFold;
    Expect(c, SymbolKind::Colon, kErrExpectedColon);
    const std::string arm = NewLabel(c);
    const unsigned armNumber = static_cast<unsigned>(std::stoul(arm.substr(2)));
    for (const auto& [low, high] : labels)
      if (!entries.Add(low, high, armNumber)) ReportTableOverflow(c, "CODE");
    EmitGeneratedLabel(c, arm);
    NextSymbol(c);
    Statement(c);
    EmitJump(c, end);
    c.FoldChrOrd = true;
    if (c.Symbol == SymbolKind::Semicolon) {
      NextSymbol(c);
    } else if (c.Symbol != SymbolKind::End && c.Symbol != SymbolKind::Else) {
      ReportCompileError(c, kErrExpectedEnd);
    }
  }
  c.FoldChrOrd = savedFold;
  EmitGeneratedLabel(c, table);
  EmitBlock(c, entries.DispatchLines());
  // The size report has always left the call out, and counted a jump
  // table's count and first value as one byte.
  LeaveOutOfSizeReport(c, FormSize(Op::Call) + (entries.IsDense() ? 1 : 0));
  c.PendingPush = 0;
  if (c.Symbol == SymbolKind::Else) {
    NextSymbol(c);
    StatementSequence(c);
  }
  Require(c, SymbolKind::End, kErrExpectedEnd);
  EmitGeneratedLabel(c, end);
}

void GotoStatement(Compilation& c) {
  NextSymbol(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrLabelExpected);
  const int label = LookupIdentifier(c, c.IdentifierText);
  if (label == 0 || c.Identifiers[static_cast<std::size_t>(label)].kind != kKindLabel)
    ReportCompileError(c, kErrLabelExpected);
  if (c.Identifiers[static_cast<std::size_t>(label)].block !=
      c.Display[static_cast<std::size_t>(c.CurrentLevel)])
    ReportCompileError(c, kErrGotoOutsideBlock);
  EmitJumpToSymbol(c, label);
  NextSymbol(c);
}

void AsmStatement(Compilation& c) {
  ReadAsmBlockLines(c, [&c](const std::string& line) {
    EmitRawLine(c, line);
    const SourceFile& file = c.IncludeStack.empty() ? c.MainFile : c.IncludeStack.back();
    c.CurrentList().MarkLast(static_cast<std::uint32_t>(c.AsmLineSources.size()));
    c.AsmLineSources.push_back({file.path, file.lineNumber});
  });
  // Nothing the peephole knows survives hand-written code.
  c.History.Push(HistoryTag::Label, 0);
  c.PendingPush = 0;
  c.Symbol = SymbolKind::Semicolon;
}

void ExitStatement(Compilation& c) {
  const RoutineContext& routine = c.RoutineStack.back();
  if (routine.isFunction) {
    EmitJump(c, routine.exitLabel);
  } else {
    Emit(c, Op::Ret);
    EmitLabelLine(c, "");
  }
  c.PendingPush = 0;
  NextSymbol(c);
}

void BreakOrContinue(Compilation& c, bool isBreak) {
  if (c.LoopStack.empty())
    ReportCompileError(c, isBreak ? kErrBreakOutsideLoop : kErrContinueOutsideLoop);
  LoopContext& loop = c.LoopStack.back();
  if (isBreak) {
    EmitJump(c, loop.breakLabel);
  } else {
    if (loop.continueLabel.empty()) loop.continueLabel = NewLabel(c);
    EmitJump(c, loop.continueLabel);
  }
  c.PendingPush = 0;
  NextSymbol(c);
}

void WithStatement(Compilation& c) {
  std::size_t opened = 0;
  do {
    NextSymbol(c);
    SetFactorMark(c);
    c.ForceFactoring = true;
    const VariableAccess record = ParseVariableDesignator(c);
    if (record.type != kTypeRecord || record.pointer) ReportCompileError(c, kErrExpectedRecord);
    EmitAddressOfAccess(c, record);
    const int body = FactorCommonCodeStep(c);
    c.ForceFactoring = false;
    if (body < 0) ReportTableOverflow(c, "CODE");
    // The record's address is computed afresh by the body at each field.
    CancelToFactorMark(c);
    c.WithStack.push_back({record.reference, body});
    ++opened;
  } while (c.Symbol == SymbolKind::Comma);
  Require(c, SymbolKind::Do, kErrExpectedDo);
  Statement(c);
  c.WithStack.resize(c.WithStack.size() - opened);
}

} // namespace

void StatementSequence(Compilation& c) {
  while (true) {
    Statement(c);
    if (c.Symbol == SymbolKind::Semicolon) {
      NextSymbol(c);
      continue;
    }
    if (StartsStatement(c.Symbol)) ReportCompileError(c, kErrExpectedSemicolon);
    return;
  }
}

void Statement(Compilation& c) {
  switch (c.Symbol) {
  case SymbolKind::Identifier:
    IdentifierStatement(c);
    break;
  case SymbolKind::Begin:
    CompoundStatement(c);
    break;
  case SymbolKind::If:
    IfStatement(c);
    break;
  case SymbolKind::Case:
    CaseStatement(c);
    break;
  case SymbolKind::While:
    WhileStatement(c);
    break;
  case SymbolKind::Repeat:
    RepeatStatement(c);
    break;
  case SymbolKind::For:
    ForStatement(c);
    break;
  case SymbolKind::Goto:
    GotoStatement(c);
    break;
  case SymbolKind::Asm:
    AsmStatement(c);
    break;
  case SymbolKind::Exit:
    ExitStatement(c);
    break;
  case SymbolKind::Continue:
    BreakOrContinue(c, false);
    break;
  case SymbolKind::Break:
    BreakOrContinue(c, true);
    break;
  case SymbolKind::With:
    WithStatement(c);
    break;
  // A constant's name reaches the parser folded into its value.
  case SymbolKind::ByteConst:
  case SymbolKind::IntegerConst:
  case SymbolKind::WordConst:
  case SymbolKind::LongConst:
  case SymbolKind::CharConst:
  case SymbolKind::StringConst:
    ReportCompileError(c, kErrExpectedVariableOrProcedure);
  default:
    break; // the empty statement
  }
}

} // namespace velkor
