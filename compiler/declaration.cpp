// Blocks and their declaration parts: CONST, TYPE, VAR, LABEL and routines.

#include <string>
#include <vector>

#include "compiler/compile_error.h"
#include "compiler/declaration_parts.h"
#include "compiler/emit/frame_routine.h"
#include "compiler/emit/output.h"
#include "compiler/emit/overlay_areas.h"
#include "compiler/emit/stmt_store.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/statement_parts.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

IdentifierEntry& Entry(Compilation& c, int id) {
  return c.Identifiers[static_cast<std::size_t>(id)];
}

void SetType(IdentifierEntry& e, const TypeInfo& t) {
  e.type = t.type;
  e.reference = t.reference;
  e.size = static_cast<std::uint16_t>(t.size);
  e.pointer = t.pointer;
}

TypeCode TypeOfNumber(SymbolKind k) {
  switch (k) {
  case SymbolKind::ByteConst:
    return kTypeByte;
  case SymbolKind::WordConst:
    return kTypeWord;
  case SymbolKind::IntegerConst:
    return kTypeInteger;
  default:
    return kTypeLongint;
  }
}

// The value of name = constant.
void ConstantValue(Compilation& c, int id) {
  bool negate = false;
  if (c.Symbol == SymbolKind::Minus || c.Symbol == SymbolKind::Plus) {
    negate = c.Symbol == SymbolKind::Minus;
    NextSymbol(c);
    if (!IsNumberSymbol(c.Symbol)) ReportCompileError(c, kErrIllegalConstant);
  }
  IdentifierEntry& e = Entry(c, id);
  if (IsNumberSymbol(c.Symbol)) {
    const std::int64_t value = negate ? -static_cast<std::int64_t>(c.NumericValue) : c.NumericValue;
    e.type = TypeOfNumber(ConstantKindOf(value));
    e.value = static_cast<std::int32_t>(value);
  } else if (c.Symbol == SymbolKind::CharConst) {
    e.type = kTypeChar;
    e.value = c.NumericValue;
    e.stringValue = c.StringValue;
  } else if (c.Symbol == SymbolKind::StringConst) {
    e.type = kTypeArray;
    e.reference = 1; // the string of the predefined string functions
    e.stringValue = c.StringValue;
  } else if (c.Symbol == SymbolKind::Identifier) {
    const int other = LookupIdentifier(c, c.IdentifierText);
    if (other == 0 || c.Identifiers[static_cast<std::size_t>(other)].kind != kKindConstant)
      ReportCompileError(c, kErrIllegalConstant);
    const IdentifierEntry& source = c.Identifiers[static_cast<std::size_t>(other)];
    IdentifierEntry& target = Entry(c, id);
    target.type = source.type;
    target.reference = source.reference;
    target.value = source.value;
    target.stringValue = source.stringValue;
  } else if (c.Symbol == SymbolKind::RealConst) {
    ReportCompileError(c, kErrRealsNotSupported);
  } else {
    ReportCompileError(c, kErrIllegalConstant);
  }
  NextSymbol(c);
}

void EndOfDeclaration(Compilation& c) {
  Expect(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
  NextSymbolAsName(c);
}

void ConstSection(Compilation& c) {
  NextSymbolAsName(c);
  while (c.Symbol == SymbolKind::Identifier) {
    const std::string name = c.IdentifierText;
    const bool savedFold = c.FoldChrOrd;
    c.FoldChrOrd = true;
    NextSymbol(c);
    if (c.Symbol == SymbolKind::Colon) {
      NextSymbol(c);
      const TypeInfo type = ParseType(c);
      const int id = EnterIdentifier(c, name, kKindVariable, c.CurrentLevel);
      SetType(Entry(c, id), type);
      Entry(c, id).typedConstant = true;
      Expect(c, SymbolKind::Equal, kErrExpectedEqual);
      TypedConstant(c, id, type);
    } else {
      Expect(c, SymbolKind::Equal, kErrExpectedEqual);
      NextSymbol(c);
      const int id = EnterIdentifier(c, name, kKindConstant, c.CurrentLevel);
      ConstantValue(c, id);
    }
    c.FoldChrOrd = savedFold;
    EndOfDeclaration(c);
  }
}

// Pointers declared before their target type get it once it is declared.
void ResolvePendingPointers(Compilation& c, int typeId) {
  const IdentifierEntry& target = c.Identifiers[static_cast<std::size_t>(typeId)];
  auto& pending = c.PendingPointerTargets;
  for (std::size_t k = 0; k < pending.size();) {
    if (pending[k].targetName != target.name) {
      ++k;
      continue;
    }
    // The pointer was entered just before (a field) or just after (a type) the count was taken.
    const std::size_t from = static_cast<std::size_t>(pending[k].identifierCount);
    const std::size_t to = k + 1 < pending.size()
                               ? static_cast<std::size_t>(pending[k + 1].identifierCount)
                               : c.Identifiers.size();
    for (std::size_t i = from; i < to && i < c.Identifiers.size(); ++i) {
      IdentifierEntry& e = c.Identifiers[i];
      if (e.pointer && e.reference == kPendingPointerTarget) {
        e.type = target.type;
        e.reference = target.reference;
      }
    }
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(k));
  }
}

void TypeSection(Compilation& c) {
  NextSymbolAsName(c);
  while (c.Symbol == SymbolKind::Identifier) {
    const std::string name = c.IdentifierText;
    NextSymbol(c);
    Require(c, SymbolKind::Equal, kErrExpectedEqual);
    if (c.Symbol == SymbolKind::LeftParen) {
      const int id = EnterIdentifier(c, name, kKindType, c.CurrentLevel);
      SetType(Entry(c, id), {kTypeByte, 0, 1, false});
      std::int32_t position = 0;
      do {
        NextSymbolAsName(c);
        if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
        const int element = EnterIdentifier(c, c.IdentifierText, kKindConstant, c.CurrentLevel);
        Entry(c, element).type = kTypeByte;
        Entry(c, element).value = position++;
        NextSymbol(c);
      } while (c.Symbol == SymbolKind::Comma);
      Require(c, SymbolKind::RightParen, kErrExpectedCloseParen);
    } else {
      const TypeInfo type = ParseType(c);
      const int id = EnterIdentifier(c, name, kKindType, c.CurrentLevel);
      SetType(Entry(c, id), type);
      ResolvePendingPointers(c, id);
    }
    EndOfDeclaration(c);
  }
}

void VarSection(Compilation& c) {
  NextSymbolAsName(c);
  while (c.Symbol == SymbolKind::Identifier) {
    std::vector<std::string> names{c.IdentifierText};
    NextSymbol(c);
    while (c.Symbol == SymbolKind::Comma) {
      NextSymbolAsName(c);
      if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrExpectedIdentifier);
      names.push_back(c.IdentifierText);
      NextSymbol(c);
    }
    Require(c, SymbolKind::Colon, kErrExpectedColon);
    const TypeInfo type = ParseType(c);
    std::vector<int> ids;
    for (const std::string& name : names) {
      ids.push_back(EnterIdentifier(c, name, kKindVariable, c.CurrentLevel));
      SetType(Entry(c, ids.back()), type);
    }
    if (c.Symbol == SymbolKind::Absolute) {
      NextSymbol(c);
      for (int id : ids) {
        IdentifierEntry& e = Entry(c, id);
        if (IsNumberSymbol(c.Symbol)) {
          if (c.Symbol == SymbolKind::LongConst) ReportCompileError(c, kErrConstantOutOfRange);
          e.absoluteMode = 1;
          e.value = c.NumericValue & 0xFFFF;
        } else if (c.Symbol == SymbolKind::Identifier) {
          const int base = LookupIdentifier(c, c.IdentifierText);
          if (base == 0) ReportCompileError(c, kErrUndefinedIdentifier);
          if (c.Identifiers[static_cast<std::size_t>(base)].kind != kKindVariable)
            ReportCompileError(c, kErrExpectedVariable);
          e.absoluteMode = 2;
          e.absoluteBase = static_cast<std::uint16_t>(base);
        } else {
          ReportCompileError(c, kErrIllegalConstant);
        }
      }
      NextSymbol(c);
    }
    EndOfDeclaration(c);
  }
}

void LabelSection(Compilation& c) {
  do {
    NextSymbolAsName(c);
    if (c.Symbol != SymbolKind::Identifier) ReportCompileError(c, kErrLabelExpected);
    EnterIdentifier(c, c.IdentifierText, kKindLabel, c.CurrentLevel);
    NextSymbol(c);
  } while (c.Symbol == SymbolKind::Comma);
  EndOfDeclaration(c);
}

void DeclarationPart(Compilation& c) {
  while (true) {
    switch (c.Symbol) {
    case SymbolKind::Const:
      ConstSection(c);
      break;
    case SymbolKind::Type:
      TypeSection(c);
      break;
    case SymbolKind::Var:
      VarSection(c);
      break;
    case SymbolKind::Label:
      LabelSection(c);
      break;
    case SymbolKind::Procedure:
      RoutineDeclaration(c, false);
      break;
    case SymbolKind::Function:
      RoutineDeclaration(c, true);
      break;
    default:
      return;
    }
  }
}

ResultClass ResultClassOf(const Compilation& c, const IdentifierEntry& f) {
  switch (StoreClassOf(c, f.type, f.reference, f.pointer)) {
  case StoreClass::Byte:
    return ResultClass::Byte;
  case StoreClass::Long:
    return ResultClass::Long;
  case StoreClass::String:
    return ResultClass::String;
  case StoreClass::Structured:
    return ResultClass::Structured;
  case StoreClass::Word:
    break;
  }
  return ResultClass::Word;
}

} // namespace

void CompileBlock(Compilation& c, bool isFunction, int level, int routine) {
  const bool mainProgram = routine == 0;
  std::uint16_t block = 1;
  bool forwardBody = false;
  if (!mainProgram) {
    if (Entry(c, routine).offset != 0) {
      block = Entry(c, routine).offset;
      forwardBody = true;
    } else {
      block = static_cast<std::uint16_t>(NewBlock(c));
      Entry(c, routine).offset = block;
    }
  }
  // Before any symbol of the block is read: a directive may follow its heading.
  const OverlayContext declaredIn = CurrentOverlayContext(c);
  const bool opensLevel = c.CurrentLevel < level;
  if (opensLevel) OpenLevel(c, block);
  const std::uint16_t savedRoutine = c.CurrentRoutine;
  c.CurrentRoutine = static_cast<std::uint16_t>(routine);
  c.RoutineStack.push_back({routine, isFunction, ""});

  bool hasBody = true;
  if (mainProgram) {
    // The program heading's ";" is still current.
    Require(c, SymbolKind::Semicolon, kErrExpectedSemicolon);
  } else {
    hasBody = RoutineHeading(c, routine, isFunction, forwardBody);
  }
  if (hasBody) {
    const bool overlayPart = !mainProgram && DeclaresOverlayPart(c, declaredIn);
    OverlayPart part;
    if (overlayPart) {
      part = BeginOverlayPart(c, declaredIn);
      Entry(c, routine).overlayArea = static_cast<std::uint8_t>(part.area);
      Entry(c, routine).overlayPart = static_cast<std::uint8_t>(part.part);
    }
    DeclarationPart(c);
    CheckForwardBodies(c, routine);
    if (c.OverlayLevel > declaredIn.level) ReportCompileError(c, kErrOverlayNotTerminated);

    if (mainProgram) {
      EmitLabelLine(c, "@" + c.ProgramName + ":");
    } else {
      EmitSymbolLabel(c, routine);
    }
    if (overlayPart) EmitOverlayPartEntry(c, part);
    c.PendingPush = 0;
    if (isFunction) c.RoutineStack.back().exitLabel = NewLabel(c);
    Require(c, SymbolKind::Begin, kErrExpectedBegin);
    StatementSequence(c);
    Require(c, SymbolKind::End, kErrExpectedEnd);

    if (mainProgram) {
      Emit(c, Op::Ret);
    } else if (isFunction) {
      const std::string& exitLabel = c.RoutineStack.back().exitLabel;
      const IdentifierEntry& f = Entry(c, routine);
      EmitBlock(c, FunctionEndLines(static_cast<unsigned>(std::stoul(exitLabel.substr(2))),
                                    AssemblerName(c, routine), ResultClassOf(c, f)));
    } else {
      EmitBlock(c, ProcedureEndLines());
    }
    c.PendingPush = 0;
    if (overlayPart) EndOverlayPart(c, part);
  }
  c.RoutineStack.pop_back();
  c.CurrentRoutine = savedRoutine;
  if (opensLevel) CloseLevel(c);
}

} // namespace velkor
