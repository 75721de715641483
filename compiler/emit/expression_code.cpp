#include "compiler/emit/expression_code.h"

#include <array>

#include "compiler/emit/output.h"
#include "compiler/emit/runtime_names.h"
#include "compiler/types.h"

namespace velkor {

namespace {

using enum HistoryTag;

void PushResult(Compilation& c) {
  Emit(c, Op::PushOperand);
  ++c.PendingPush;
}

std::string Decimal(std::int64_t v) {
  return std::to_string(v);
}

// The loads that put a pushed operand into a register pair, for HL and for
// the pair of the two-operand fold: DE for operators, BC for the for-loop head.
struct PairLoads {
  Op constant; // ld rr,k
  Op variable; // ld rr,(v)
  Op zeroHigh; // the high register cleared behind a byte variable
};
constexpr PairLoads kHLLoads{Op::LdHL, Op::LdHLFrom, Op::LdH0};
constexpr PairLoads kDELoads{Op::LdDE, Op::LdDEFrom, Op::LdD0};
constexpr PairLoads kBCLoads{Op::LdBC, Op::LdBCFrom, Op::LdB0};

enum class Operand : std::uint8_t { Constant, WordVariable, ByteVariable };

// The word at (HL) into HL, through DE.
void LoadWordThroughHL(Compilation& c) {
  Emit(c, Op::LdEMem);
  Emit(c, Op::IncHL);
  Emit(c, Op::LdDMem);
  Emit(c, Op::ExDEHL);
}

void LoadOperand(Compilation& c, const PairLoads& pair, Operand kind, const std::string& text) {
  if (kind == Operand::Constant) {
    Emit(c, pair.constant, text);
    return;
  }
  Emit(c, pair.variable, text);
  if (kind == Operand::ByteVariable) Emit(c, pair.zeroHigh);
}

} // namespace

void PopHLLeftOutOfReport(Compilation& c) {
  PopHL(c);
  LeaveOutOfSizeReport(c, FormSize(Op::PopHL));
}

// --- Loads --------------------------------------------------------------------

void EmitPushConstant(Compilation& c, std::int32_t value) {
  Emit(c, Op::LoadConstant, Decimal(value), HistoryConstant(value));
  c.PendingPush = 0;
  PushResult(c);
}

void EmitPushLongConstant(Compilation& c, std::int32_t value) {
  c.PendingPush = 0;
  const auto v = static_cast<std::uint32_t>(value);
  EmitCall(c, Routine::LintConst);
  Emit(c, Op::DefineWordPair, HexWord(v & 0xFFFF), HexWord(v >> 16));
}

int PoolString(Compilation& c, const std::string& text) {
  auto it = c.StringPoolIndex.find(text);
  if (it != c.StringPoolIndex.end()) return c.StringPool[it->second].label;
  const std::uint16_t label = c.LabelCounter++;
  c.StringPoolIndex.emplace(text, c.StringPool.size());
  c.StringPool.push_back({text, label});
  return label;
}

int EmitPushStringLiteral(Compilation& c, const std::string& text) {
  c.PendingPush = 0;
  const int label = PoolString(c, text);
  Emit(c, Op::LdHL, "@@" + std::to_string(label));
  EmitCall(c, Routine::PushStringLiteral, Op::CallStringPush);
  return label;
}

void EmitLoadVariable(Compilation& c, int symbol, std::uint8_t type, bool isString) {
  const std::string name = AssemblerName(c, symbol);
  c.PendingPush = 0;
  if (type == kTypeLongint) {
    Emit(c, Op::LdHL, name);
    EmitCall(c, Routine::Push32);
    return;
  }
  if (isString) {
    Emit(c, Op::LdHL, name);
    EmitCall(c, Routine::PushString, Op::CallStringPush);
    return;
  }
  if (type == kTypeArray || type == kTypeRecord) {
    Emit(c, Op::LoadConstant, name, HistorySymbol(symbol));
    PushResult(c);
    return;
  }
  Emit(c, Op::LoadWordVariable, name, HistorySymbol(symbol));
  if (IsByteType(type)) Emit(c, Op::ZeroHigh);
  PushResult(c);
}

void EmitLoadThroughAddressVariable(Compilation& c, int symbol, std::uint8_t type, bool isString) {
  c.PendingPush = 0;
  Emit(c, Op::LdHLFrom, AssemblerName(c, symbol));
  if (type == kTypeLongint) {
    EmitCall(c, Routine::Push32LowerCase);
  } else if (isString) {
    EmitCall(c, Routine::PushString, Op::CallStringPush);
  } else if (type == kTypeArray || type == kTypeRecord) {
    Emit(c, Op::PushHL);
  } else if (IsByteType(type)) {
    Emit(c, Op::LdEMem);
    Emit(c, Op::LdD0);
    Emit(c, Op::ExDEHL);
    Emit(c, Op::PushHL);
  } else {
    LoadWordThroughHL(c);
    Emit(c, Op::PushHL);
  }
  c.PendingPush = 0;
}

void EmitLoadFromStackAddress(Compilation& c, std::uint8_t type, bool isString) {
  if (type == kTypeArray || type == kTypeRecord) {
    if (!isString) return; // structured values stay by address
  }
  PopHLLeftOutOfReport(c);
  if (type == kTypeLongint) {
    EmitCall(c, Routine::Push32);
    c.PendingPush = 0;
  } else if (isString) {
    EmitCall(c, Routine::PushString, Op::CallStringPush);
    c.PendingPush = 0;
  } else if (IsByteType(type)) {
    Emit(c, Op::LoadByteThroughHL);
    Emit(c, Op::ZeroHigh);
    c.PendingPush = 0;
    PushResult(c);
  } else {
    LoadWordThroughHL(c);
    c.PendingPush = 0;
    PushResult(c);
  }
}

void EmitPushAddress(Compilation& c, int symbol) {
  Emit(c, Op::LoadConstant, AssemblerName(c, symbol), HistorySymbol(symbol));
  c.PendingPush = 0;
  PushResult(c);
}

void EmitDereference(Compilation& c) {
  PopHLLeftOutOfReport(c);
  LoadWordThroughHL(c);
  c.PendingPush = 0;
  PushResult(c);
}

void EmitFieldOffset(Compilation& c, std::uint16_t offset) {
  PopHLLeftOutOfReport(c);
  if (offset == 0) {
    // nothing to add
  } else if (c.History.Tag(0) == Constant) {
    // The record address was a constant: fold the offset into it. The new
    // line is no longer a plain constant for the patterns.
    const std::string base = HistoryValueText(c, c.History.Value(0));
    DeleteNewestInstructions(c, 1);
    Emit(c, Op::LdHL, base + "+" + Decimal(offset));
  } else if (offset <= 3) {
    EmitRepeated(c, Op::IncHL, offset);
  } else {
    Emit(c, Op::LdDE, Decimal(offset));
    Emit(c, Op::AddHLDE);
  }
  c.PendingPush = 0;
  PushResult(c);
}

void EmitArrayElementAddress(Compilation& c, std::uint16_t low, std::uint32_t elementSize) {
  PopHLLeftOutOfReport(c);
  if (low >= 1 && low <= 4) {
    EmitRepeated(c, Op::DecHL, low);
  } else if (low != 0) {
    Emit(c, Op::LdDE, Decimal(low));
    Emit(c, Op::ClearCarry);
    Emit(c, Op::SbcHLDE);
    LeaveOutOfSizeReport(c, 1); // the report has always counted these lines as 5 bytes
  }
  const EmitHistory& h = c.History;
  switch (elementSize) {
  case 1:
  case 2:
  case 4:
  case 5:
  case 10: {
    Emit(c, Op::PopDE);
    // A constant index (and a constant base) fold into the address.
    if (low == 0 && EmitHistory::IsNumber(h.Value(1)) &&
        (h.Matches({PopDE, Constant, Push, Constant}) ||
         h.Matches({PopDE, Constant, Push, WordVariable}))) {
      const std::uint32_t offset = h.Value(1) * elementSize;
      const std::string base = HistoryValueText(c, h.Value(3));
      const bool constantBase = h.Tag(3) == Constant;
      DeleteNewestInstructions(c, 4);
      if (constantBase) {
        Emit(c, Op::LdHL, base + "+" + Decimal(offset));
        c.PendingPush = 0;
        PushResult(c);
        return;
      }
      Emit(c, Op::LdHL, Decimal(offset));
      Emit(c, Op::LdDEFrom, base);
      break;
    }
    if (elementSize == 2) {
      Emit(c, Op::AddHLHL);
    } else if (elementSize == 4) {
      EmitRepeated(c, Op::AddHLHL, 2);
    } else if (elementSize == 5 || elementSize == 10) {
      Emit(c, Op::LdBH);
      Emit(c, Op::LdCL);
      EmitRepeated(c, Op::AddHLHL, 2);
      Emit(c, Op::AddHLBC);
      if (elementSize == 10) Emit(c, Op::AddHLHL);
    }
    break;
  }
  case 8:
  case 16:
  case 32:
  case 64:
  case 128:
  case 256: {
    int shift = 0;
    while ((1u << shift) < elementSize)
      ++shift;
    Emit(c, Op::LdB, Decimal(shift));
    EmitCall(c, Routine::Shl16);
    Emit(c, Op::PopDE);
    break;
  }
  default:
    if (h.Matches({Constant, Push, Constant}) && EmitHistory::IsNumber(h.Value(0))) {
      const std::uint32_t offset = h.Value(0) * elementSize;
      const std::string base = HistoryValueText(c, h.Value(2));
      DeleteNewestInstructions(c, 3);
      Emit(c, Op::LdHL, base + "+" + Decimal(offset));
      c.PendingPush = 0;
      PushResult(c);
      return;
    }
    Emit(c, Op::LdDE, Decimal(elementSize));
    EmitCall(c, Routine::Mult16);
    Emit(c, Op::PopDE);
    break;
  }
  Emit(c, Op::AddHLDE);
  c.PendingPush = 0;
  PushResult(c);
}

// --- Two-operand fold ------------------------------------------------------------

namespace {

// The loads of the two operands, read from the history behind the pop (entry
// 0): the right operand goes into HL, the left one into the pop's pair.
struct FoldRow {
  std::array<HistoryTag, 4> tags; // entries 1 on, None past the end
  Operand right;
  int rightAt;
  Operand left;
  int leftAt;
};
using O = Operand;
constexpr FoldRow kFoldRows[] = {
    {{Constant, Push, WordVariable, None}, O::Constant, 1, O::WordVariable, 3},
    {{Constant, Push, Constant, None}, O::Constant, 1, O::Constant, 3},
    {{Constant, Push, ZeroHigh, WordVariable}, O::Constant, 1, O::ByteVariable, 4},
    {{WordVariable, Push, WordVariable, None}, O::WordVariable, 1, O::WordVariable, 3},
    {{WordVariable, Push, Constant, None}, O::WordVariable, 1, O::Constant, 3},
    {{ZeroHigh, WordVariable, Push, Constant}, O::ByteVariable, 2, O::Constant, 4},
    {{ZeroHigh, WordVariable, Push, WordVariable}, O::ByteVariable, 2, O::WordVariable, 4},
};

// The number of entries the row's tags cover, or 0 when they do not match.
int MatchedLength(const EmitHistory& h, const FoldRow& row) {
  int length = 0;
  for (const HistoryTag tag : row.tags) {
    if (tag == None) break;
    if (h.Tag(++length) != tag) return 0;
  }
  return length;
}

} // namespace

bool TryTwoOperandFold(Compilation& c, HistoryTag popTag) {
  const EmitHistory& h = c.History;
  if (h.Tag(0) != popTag) return false;
  for (const FoldRow& row : kFoldRows) {
    const int length = MatchedLength(h, row);
    if (length == 0) continue;
    const std::string right = HistoryValueText(c, h.Value(row.rightAt));
    const std::string left = HistoryValueText(c, h.Value(row.leftAt));
    DeleteNewestInstructions(c, 1 + length);
    LoadOperand(c, kHLLoads, row.right, right);
    LoadOperand(c, popTag == PopBC ? kBCLoads : kDELoads, row.left, left);
    return true;
  }
  return false;
}

namespace {

// "+ constant" and "- constant" on a variable: inc/dec or ld de,k.
bool TryAddSubConstant(Compilation& c, ArithOp op) {
  const EmitHistory& h = c.History;
  int constantAt = -1, variableAt = -1;
  bool byteVariable = false;
  if (h.Matches({PopDE, Constant, Push, WordVariable})) {
    constantAt = 1, variableAt = 3;
  } else if (h.Matches({PopDE, Constant, Push, ZeroHigh, WordVariable})) {
    constantAt = 1, variableAt = 4, byteVariable = true;
  } else if (op == ArithOp::Add && h.Matches({PopDE, WordVariable, Push, Constant})) {
    constantAt = 3, variableAt = 1;
  } else if (op == ArithOp::Add && h.Matches({PopDE, ZeroHigh, WordVariable, Push, Constant})) {
    constantAt = 4, variableAt = 2, byteVariable = true;
  } else {
    return false;
  }
  if (!EmitHistory::IsNumber(h.Value(constantAt))) return false; // an address, not a number
  const std::uint32_t k = h.Value(constantAt);
  const std::string variable = HistoryValueText(c, h.Value(variableAt));
  DeleteNewestInstructions(c, byteVariable ? 5 : 4);
  const Operand load = byteVariable ? Operand::ByteVariable : Operand::WordVariable;
  if (k < 4) {
    LoadOperand(c, kHLLoads, load, variable);
    EmitRepeated(c, op == ArithOp::Add ? Op::IncHL : Op::DecHL, static_cast<int>(k));
  } else {
    Emit(c, Op::LdDE, Decimal(k));
    LoadOperand(c, kHLLoads, load, variable);
    if (op == ArithOp::Add) {
      Emit(c, Op::AddHLDE);
    } else {
      Emit(c, Op::ClearCarry);
      Emit(c, Op::SbcHLDE);
    }
  }
  return true;
}

void PopRightAndLeft(Compilation& c) {
  PopHLLeftOutOfReport(c);
  Emit(c, Op::PopDE);
}

// The instructions of a bitwise operator on E and on D.
struct BitwiseOps {
  Op low;
  Op high;
};
BitwiseOps BitwiseFor(ArithOp op) {
  if (op == ArithOp::And) return {Op::AndE, Op::AndD};
  if (op == ArithOp::Or) return {Op::OrE, Op::OrD};
  return {Op::XorE, Op::XorD};
}

void BitwiseWord(Compilation& c, ArithOp op) {
  Emit(c, Op::LdAL);
  Emit(c, BitwiseFor(op).low);
  Emit(c, Op::LdLA);
  Emit(c, Op::LdAH);
  Emit(c, BitwiseFor(op).high);
  Emit(c, Op::LdHA);
}

void BitwiseByte(Compilation& c, ArithOp op) {
  Emit(c, Op::LdAL);
  Emit(c, BitwiseFor(op).low);
  Emit(c, Op::ByteResultToL);
  Emit(c, Op::ZeroHigh);
}

} // namespace

void EmitWordOperation(Compilation& c, ArithOp op, std::uint8_t type, bool byteOperands) {
  const bool signedOperands = type == kTypeInteger;
  if (op == ArithOp::Mul && byteOperands && c.Settings.Z180) {
    PopRightAndLeft(c); // the multiply instruction takes its operands in H and L
    Emit(c, Op::LdHE);
    Emit(c, Op::MltHL);
    c.PendingPush = 0;
    PushResult(c);
    return;
  }
  PopRightAndLeft(c);
  const bool constantFolded =
      (op == ArithOp::Add || op == ArithOp::Sub) && TryAddSubConstant(c, op);
  if (!constantFolded) TryTwoOperandFold(c, PopDE);
  switch (op) {
  case ArithOp::Add:
    if (!constantFolded) Emit(c, Op::AddHLDE);
    break;
  case ArithOp::Sub:
    if (!constantFolded) {
      Emit(c, Op::ExDEHL);
      Emit(c, Op::ClearCarry);
      Emit(c, Op::SbcHLDE);
    }
    break;
  case ArithOp::Mul:
    EmitCall(c, signedOperands ? Routine::SignedMult16 : Routine::Mult16);
    break;
  case ArithOp::Div:
    Emit(c, Op::ExDEHL);
    EmitCall(c, signedOperands ? Routine::SignedDiv16 : Routine::Div16);
    break;
  case ArithOp::Mod:
    Emit(c, Op::ExDEHL);
    EmitCall(c, signedOperands ? Routine::SignedMod16 : Routine::Mod16);
    break;
  case ArithOp::Shl:
  case ArithOp::Shr:
    Emit(c, Op::LdBL);
    Emit(c, Op::ExDEHL);
    EmitCall(c, op == ArithOp::Shl ? Routine::Shl16 : Routine::Shr16);
    if (byteOperands) Emit(c, Op::ZeroHigh); // a byte keeps its low byte
    break;
  case ArithOp::And:
  case ArithOp::Or:
  case ArithOp::Xor:
    byteOperands ? BitwiseByte(c, op) : BitwiseWord(c, op);
    break;
  }
  c.PendingPush = 0;
  PushResult(c);
}

void EmitLongOperation(Compilation& c, ArithOp op) {
  static constexpr std::array<Routine, 10> kRoutines = {
      Routine::Add32, Routine::Sub32, Routine::Mult32, Routine::Div32, Routine::Mod32,
      Routine::And32, Routine::Or32,  Routine::Xor32,  Routine::Shl32, Routine::Shr32};
  c.PendingPush = 0;
  EmitCall(c, kRoutines[static_cast<std::size_t>(op)]);
}

void EmitWidenTopToLong(Compilation& c, std::uint8_t fromType) {
  PopHLLeftOutOfReport(c);
  EmitCall(c, fromType == kTypeInteger ? Routine::IntToLint : Routine::WordToLint);
  c.PendingPush = 0;
}

void EmitWidenLeftToLong(Compilation& c, std::uint8_t fromType) {
  c.PendingPush = 0;
  EmitCall(c, fromType == kTypeInteger ? Routine::LintFix1 : Routine::LintFix1Word);
}

void EmitStringConcat(Compilation& c, bool leftIsChar, bool rightIsChar) {
  c.PendingPush = 0;
  const Routine routine = leftIsChar
                              ? (rightIsChar ? Routine::TwoCharsToString : Routine::AddStringToChar)
                              : (rightIsChar ? Routine::AddCharToString : Routine::AddStrings);
  EmitCall(c, routine);
}

void EmitCharToString(Compilation& c) {
  c.PendingPush = 0;
  EmitCall(c, Routine::CharToString);
}

std::uint8_t EmitNegate(Compilation& c, std::uint8_t type) {
  const EmitHistory& h = c.History;
  if (h.Matches({Push, Constant}) && EmitHistory::IsNumber(h.Value(1)) && IsOrdinalNumber(type)) {
    const std::uint32_t raw = h.Value(1);
    const std::int64_t v =
        type == kTypeInteger ? static_cast<std::int16_t>(raw) : static_cast<std::int64_t>(raw);
    const std::int64_t n = -v;
    DeleteNewestInstructions(c, 2);
    // The deleted load must not be read back by a later fold as an operand.
    c.History.RemoveAt(0);
    c.History.RemoveAt(0);
    c.PendingPush = 0;
    if (n >= -32768 && n <= 32767) {
      Emit(c, Op::LoadConstant, HexWord(static_cast<std::uint32_t>(n)),
           HistoryConstant(static_cast<std::int32_t>(n)));
      PushResult(c);
      return kTypeInteger;
    }
    Emit(c, Op::LdHL, n < 0 ? "0FFFFH" : "0");
    Emit(c, Op::PushHL);
    Emit(c, Op::LdHL, HexWord(static_cast<std::uint32_t>(n)));
    Emit(c, Op::PushHL);
    c.PendingPush = 0;
    return kTypeLongint;
  }
  switch (type) {
  case kTypeLongint:
    c.PendingPush = 0;
    EmitCall(c, Routine::NegLint);
    return kTypeLongint;
  case kTypeWord:
    EmitWidenTopToLong(c, kTypeWord);
    EmitCall(c, Routine::NegLint);
    return kTypeLongint;
  case kTypeByte:
  case kTypeInteger:
  case kTypeChar:
    c.PendingPush = 0; // negated in place on the stack: HL no longer holds it
    EmitCall(c, Routine::NegInt);
    return kTypeInteger;
  default:
    return type;
  }
}

void EmitNot(Compilation& c, std::uint8_t type) {
  if (type == kTypeLongint) {
    c.PendingPush = 0;
    EmitCall(c, Routine::NotLint);
    return;
  }
  PopHLLeftOutOfReport(c);
  if (type == kTypeBoolean) {
    EmitCall(c, Routine::NotBool, Op::CallBoolean);
  } else {
    EmitCall(c, Routine::NotInt);
  }
  c.PendingPush = 0;
  PushResult(c);
}

void EmitComparison(Compilation& c, Relation r, std::uint8_t type, bool isString) {
  struct Row {
    Routine unsignedRoutine;
    Routine signedRoutine;
    Op push; // tagged with the relation
    Routine longRoutine;
    Routine stringRoutine;
  };
  static constexpr std::array<Row, 6> kRows{{
      {Routine::Equal, Routine::Equal, Op::PushIsEqual, Routine::LongEqual, Routine::StringEqual},
      {Routine::NotEqual, Routine::NotEqual, Op::PushIsNotEqual, Routine::LongNotEqual,
       Routine::StringNotEqual},
      {Routine::Less, Routine::SignedLess, Op::PushIsLess, Routine::LongLess, Routine::StringLess},
      {Routine::LessOrEqual, Routine::SignedLessOrEqual, Op::PushIsLessOrEqual,
       Routine::LongLessOrEqual, Routine::StringLessOrEqual},
      {Routine::Greater, Routine::SignedGreater, Op::PushIsGreater, Routine::LongGreater,
       Routine::StringGreater},
      {Routine::GreaterOrEqual, Routine::SignedGreaterOrEqual, Op::PushIsGreaterOrEqual,
       Routine::LongGreaterOrEqual, Routine::StringGreaterOrEqual},
  }};
  const Row& row = kRows[static_cast<std::size_t>(r)];
  if (type == kTypeLongint || isString) {
    c.PendingPush = 0;
    EmitCall(c, type == kTypeLongint ? row.longRoutine : row.stringRoutine, Op::CallBoolean);
    Emit(c, Op::PushOperand);
    ++c.PendingPush;
    return;
  }
  PopHLLeftOutOfReport(c);
  EmitCall(c, type == kTypeInteger ? row.signedRoutine : row.unsignedRoutine, Op::CallBoolean);
  Emit(c, row.push);
  c.PendingPush = 1;
}

void EmitSetMembership(Compilation& c, const std::vector<std::pair<int, int>>& entries) {
  const std::string label = NewLabel(c);
  PopHL(c);
  Emit(c, Op::LdBC, label);
  Emit(c, Op::LdDEFirstSetEntry);
  Emit(c, Op::Jp, RoutineName(Routine::ConstSet));
  NoteExternal(c, RoutineName(Routine::ConstSet));
  Emit(c, Op::DefineByte, Decimal(static_cast<std::int64_t>(entries.size())));
  for (const auto& [low, high] : entries)
    Emit(c, Op::DefineBytePair, Decimal(low), Decimal(high));
  EmitGeneratedLabel(c, label);
  // __constset continues behind the table with the boolean in HL.
  c.PendingPush = 0;
  PushResult(c);
}

// --- Common-code factoring ----------------------------------------------------------

void SetFactorMark(Compilation& c) {
  c.FactorMarkLine = c.CurrentList().size();
  c.FactorMarkCodeSize = c.CodeSize;
}

int FactorCommonCodeStep(Compilation& c) {
  if (!(c.FactorCommonCode || c.ForceFactoring)) return -1;
  if (c.CommonCodeBodies.size() >= static_cast<std::size_t>(kMaxCommonCodeBodies)) return -1;
  auto& list = c.CurrentList();
  if (c.FactorMarkLine >= list.size()) return -1;
  // Source lines copied while the span was read are not part of the body:
  // they stay where they were read, and two equal spans still share a body.
  std::vector<std::string> lines;
  std::vector<std::string> comments;
  for (std::string& line : list.Lines(c.FactorMarkLine))
    (IsComment(line) ? comments : lines).push_back(std::move(line));
  if (lines.empty()) return -1;
  int body = -1;
  for (std::size_t k = 0; k < c.CommonCodeBodies.size(); ++k) {
    if (c.CommonCodeBodies[k] == lines) {
      body = static_cast<int>(k);
      break;
    }
  }
  list.truncate(c.FactorMarkLine);
  for (const std::string& comment : comments)
    list.push_back(comment);
  c.FactorMarkLine = list.size();
  // A body met before takes the new lines' bytes off again: the module's
  // size goes back to the mark, even inside an overlay part.
  const int callSize = FormSize(Op::Call) + FormSize(Op::PushOperand);
  if (body >= 0) {
    c.CodeSize = c.FactorMarkCodeSize + static_cast<std::uint32_t>(callSize);
  } else {
    body = static_cast<int>(c.CommonCodeBodies.size());
    c.CommonCodeBodies.push_back(std::move(lines));
    AddCodeSize(c, callSize);
  }
  WriteForm(c, Op::Call, "@@S" + std::to_string(body));
  c.PendingPush = 0;
  WriteForm(c, Op::PushOperand);
  ++c.PendingPush;
  return body;
}

void CancelToFactorMark(Compilation& c) {
  auto& list = c.CurrentList();
  list.truncate(c.FactorMarkLine);
  c.CodeSize = c.FactorMarkCodeSize;
}

} // namespace velkor
