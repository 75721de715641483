// Procedure and function declarations, their headings, FORWARD bodies and
// calls of the program's routines.

#include <algorithm>

#include "compiler/compile_error.h"
#include "compiler/declaration_parts.h"
#include "compiler/emit/expression_code.h"
#include "compiler/emit/output.h"
#include "compiler/emit/overlay_areas.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/statement_parts.h"

namespace velkor {
namespace {

IdentifierEntry& Entry(Compilation& c, int id) {
  return c.Identifiers[static_cast<std::size_t>(id)];
}

// The parameters of a routine in declaration order.
std::vector<int> Parameters(const Compilation& c, int routine) {
  std::vector<int> out;
  for (std::size_t i = static_cast<std::size_t>(routine) + 1; i < c.Identifiers.size(); ++i) {
    const IdentifierEntry& e = c.Identifiers[i];
    if (e.isParameter && e.owner == routine) out.push_back(static_cast<int>(i));
  }
  return out;
}

// A type identifier (error 29) after ":".
TypeInfo TypeIdentifier(Compilation& c) {
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedTypeIdentifier);
  const int t = LookupIdentifier(c, c.IdentifierText);
  if (t == 0 || c.Identifiers[static_cast<std::size_t>(t)].kind != kKindType)
    ReportCompileError(c, kErrExpectedTypeIdentifier);
  const IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(t)];
  NextSymbol(c);
  return {e.type, e.reference, e.size, e.pointer};
}

void ParameterList(Compilation& c, int routine) {
  const std::uint16_t block = Entry(c, routine).offset;
  NextSymbolAsName(c);
  std::uint16_t count = 0;
  while (true) {
    const bool byAddress = c.Symbol == SymbolKind::Var;
    if (byAddress) NextSymbolAsName(c);
    std::vector<int> group;
    while (true) {
      if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
      group.push_back(EnterIdentifier(c, c.IdentifierText, kKindVariable, c.CurrentLevel));
      NextSymbol(c);
      if (c.Symbol != SymbolKind::Comma) break;
      NextSymbolAsName(c);
    }
    Require(c, SymbolKind::Colon, kErrExpectedColon);
    const TypeInfo type = TypeIdentifier(c);
    for (int id : group) {
      IdentifierEntry& p = Entry(c, id);
      p.type = type.type;
      p.reference = type.reference;
      p.size = static_cast<std::uint16_t>(type.size);
      p.pointer = type.pointer;
      p.byAddress = byAddress;
      p.isParameter = true;
      c.Blocks[block].lastParameter = static_cast<std::uint16_t>(id);
      c.Blocks[block].parameterSize =
          static_cast<std::uint16_t>(c.Blocks[block].parameterSize + (byAddress ? 2 : type.size));
      ++count;
    }
    if (c.Symbol != SymbolKind::Semicolon) break;
    NextSymbolAsName(c);
  }
  Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
  Entry(c, routine).parameterCount = count;
}

void MarkParameters(Compilation& c, int routine, bool global, bool external) {
  for (int id : Parameters(c, routine)) {
    IdentifierEntry& p = Entry(c, id);
    p.globalMark = true;
    p.exported = global;
    p.external = external;
  }
}

// One argument pushed for a formal parameter; how it is stored later.
struct PendingArgument {
  int parameter = 0;
  VariableAccess target;
  ExprType value;
};

PendingArgument Argument(Compilation& c, int parameter) {
  const IdentifierEntry& formal = c.Identifiers[static_cast<std::size_t>(parameter)];
  PendingArgument a;
  a.parameter = parameter;
  a.target.mode = VariableAccess::Mode::Direct;
  a.target.symbol = parameter;
  a.target.type = formal.type;
  a.target.reference = formal.reference;
  a.target.size = formal.size;
  a.target.pointer = formal.pointer;
  if (formal.byAddress) {
    // The callee's parameter receives the argument's address as a word.
    if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedVariable);
    const VariableAccess actual = ParseVariableDesignator(c);
    const bool sameType =
        actual.type == formal.type && actual.pointer == formal.pointer &&
        (actual.reference == formal.reference || (IsStringType(c, actual.type, actual.reference) &&
                                                  IsStringType(c, formal.type, formal.reference)));
    if (!sameType) ReportCompileError(c, kErrParameterTypes);
    EmitAddressOfAccess(c, actual);
    a.target.type = kTypeWord;
    a.target.reference = 0;
    a.target.pointer = false;
    a.value = {kTypeWord, 0};
    return a;
  }
  a.value = Expression(c);
  if (!StoreAccepts(c, a.target, a.value)) ReportCompileError(c, kErrParameterTypes);
  return a;
}

void EmitCallInstruction(Compilation& c, int routine) {
  const IdentifierEntry& r = c.Identifiers[static_cast<std::size_t>(routine)];
  c.PendingPush = 0;
  if (r.overlayArea != 0) {
    Emit(c, Op::LdHL, OverlayDescriptorLabel(r.overlayArea, r.overlayPart));
    EmitCall(c, Routine::OverlayHandler);
  } else {
    Emit(c, Op::Call, CodeLabelName(c, routine));
  }
}

} // namespace

void NextSymbolAsName(Compilation& c) {
  const bool saved = c.FoldConstantIdentifiers;
  c.FoldConstantIdentifiers = false;
  NextSymbol(c);
  c.FoldConstantIdentifiers = saved;
}

void CompileArgumentsAndCall(Compilation& c, int routine) {
  const std::vector<int> formals = Parameters(c, routine);
  std::vector<PendingArgument> arguments;
  if (c.Symbol == SymbolKind::LeftParen) {
    NextSymbol(c);
    while (true) {
      if (arguments.size() >= formals.size()) ReportCompileError(c, kErrParameterCount);
      arguments.push_back(Argument(c, formals[arguments.size()]));
      if (c.Symbol != SymbolKind::Comma) break;
      NextSymbol(c);
    }
    if (arguments.size() != formals.size()) ReportCompileError(c, kErrParameterCount);
    Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
  } else if (!formals.empty()) {
    ReportCompileError(c, kErrParameterCount);
  }
  // All arguments are on the stack before the first store: an argument that
  // calls this routine again must not see its parameters half written.
  for (auto a = arguments.rbegin(); a != arguments.rend(); ++a)
    StoreValue(c, a->target, a->value, kErrParameterTypes);
  EmitCallInstruction(c, routine);
}

void CompileRoutineCall(Compilation& c, int routine) {
  NextSymbol(c);
  CompileArgumentsAndCall(c, routine);
}

bool RoutineHeading(Compilation& c, int routine, bool isFunction, bool forwardBody) {
  IdentifierEntry* r = &Entry(c, routine);
  if (forwardBody) {
    // The heading was given with FORWARD; a repeated parameter list is not read again.
    if (c.Symbol == SymbolKind::LeftParen) ReportCompileError(c, kErrMultipleDefinition);
    if (isFunction && c.Symbol == SymbolKind::Colon) ReportCompileError(c, kErrMultipleDefinition);
    Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
    return true;
  }
  if (c.Symbol == SymbolKind::LeftParen) ParameterList(c, routine);
  if (isFunction) {
    Require(c, SymbolKind::Colon, kErrExpectedColon);
    const TypeInfo result = TypeIdentifier(c);
    r = &Entry(c, routine);
    // The reference describes the result, as for a variable; the block is in offset.
    r->type = result.type;
    r->reference = result.reference;
    r->size = static_cast<std::uint16_t>(result.size);
    r->pointer = result.pointer;
  }
  Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
  bool global = false;
  while (true) {
    r = &Entry(c, routine);
    switch (c.Symbol) {
    case SymbolKind::Absolute: {
      NextSymbol(c);
      if (!IsNumberSymbol(c.Symbol)) ReportCompileError(c, kErrIllegalConstant);
      if (c.Symbol == SymbolKind::LongConst) ReportCompileError(c, kErrConstantOutOfRange);
      r->absoluteMode = 1;
      r->value = c.NumericValue;
      NextSymbol(c);
      Expect(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
      return false;
    }
    case SymbolKind::Global:
      r->globalMark = true;
      NoteGlobal(c, CodeLabelName(c, routine));
      if (isFunction) NoteGlobal(c, AssemblerName(c, routine));
      MarkParameters(c, routine, true, false);
      global = true;
      NextSymbol(c);
      Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
      break;
    case SymbolKind::External:
      if (global) ReportCompileError(c, kErrInvalidExternal);
      // Another module defines it under its plain name, as GLOBAL does.
      r->external = true;
      r->globalMark = true;
      NoteExternal(c, CodeLabelName(c, routine));
      MarkParameters(c, routine, false, true);
      NextSymbol(c);
      Expect(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
      return false;
    case SymbolKind::Forward: {
      if (static_cast<int>(c.ForwardList.size()) >= kMaxForwardDeclarations)
        ReportCompileError(c, kErrTooManyForwards);
      const BlockEntry& b = c.Blocks[r->offset];
      c.ForwardList.push_back({static_cast<std::uint16_t>(routine), r->offset, b.parameterSize,
                               b.variableSize, r->owner});
      NextSymbol(c);
      Expect(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
      return false;
    }
    default:
      return true;
    }
  }
}

void CheckForwardBodies(Compilation& c, int routine) {
  for (const ForwardDeclaration& f : c.ForwardList)
    if (f.owner == routine) ReportCompileError(c, kErrUndefinedIdentifier);
}

void RoutineDeclaration(Compilation& c, bool isFunction) {
  NextSymbolAsName(c);
  if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
  const std::string name = c.IdentifierText;
  int routine = 0;
  auto forward =
      std::find_if(c.ForwardList.begin(), c.ForwardList.end(), [&](const ForwardDeclaration& f) {
        return f.owner == c.CurrentRoutine && c.Identifiers[f.identifier].name == name;
      });
  const bool forwardBody = forward != c.ForwardList.end();
  if (forwardBody) {
    routine = forward->identifier;
    c.ForwardList.erase(forward);
  } else {
    routine = EnterIdentifier(c, name, isFunction ? kKindFunction : kKindProcedure, c.CurrentLevel);
  }
  NextSymbol(c);
  CompileBlock(c, isFunction, c.CurrentLevel + 1, routine);
  Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
}

} // namespace velkor
