#include "compiler/emit/expression_code.h"

#include <array>

#include "compiler/emit/output.h"
#include "compiler/emit/runtime_names.h"
#include "compiler/types.h"

namespace velkor {

namespace {

// Size in bytes of the lines the fold patterns delete.
constexpr int kLoadWordVarSize = 3; // ld hl,(v)
constexpr int kZeroHighSize = 2;    // ld h,0
constexpr int kPushSize = 1;
constexpr int kLoadConstSize = 3; // ld hl,k
constexpr int kPopSize = 1;

void Push(Compilation& c) {
  EmitTagged(c, 'P', 0, "push hl");
  AddCodeSize(c, kPushSize);
  ++c.PendingPush;
}

void PushStringCall(Compilation& c, Routine routine) {
  EmitCall(c, routine, 'S');
}

std::string Decimal(std::int64_t v) {
  return std::to_string(v);
}

// The register names of the two-operand fold: DE for operators, BC for the
// for-loop head.
struct PairNames {
  const char* pair; // "de" / "bc"
  const char* high; // "d" / "b"
};
PairNames PairFor(char popTag) {
  return popTag == 'B' ? PairNames{"bc", "b"} : PairNames{"de", "d"};
}

} // namespace

// --- Loads --------------------------------------------------------------------

void EmitPushConstant(Compilation& c, std::int32_t value) {
  EmitTagged(c, 'h', HistoryConstant(value), "ld hl," + Decimal(value));
  AddCodeSize(c, kLoadConstSize);
  c.PendingPush = 0;
  Push(c);
}

void EmitPushLongConstant(Compilation& c, std::int32_t value) {
  c.PendingPush = 0;
  const auto v = static_cast<std::uint32_t>(value);
  EmitCall(c, Routine::LintConst);
  Emit(c, "dw " + HexWord(v & 0xFFFF) + "," + HexWord(v >> 16));
  AddCodeSize(c, 7);
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
  Emit(c, "ld hl,@@" + std::to_string(label));
  PushStringCall(c, Routine::PushStringLiteral);
  AddCodeSize(c, 6);
  return label;
}

void EmitLoadVariable(Compilation& c, int symbol, std::uint8_t type, bool isString) {
  const std::string name = AssemblerName(c, symbol);
  c.PendingPush = 0;
  if (type == kTypeLongint) {
    Emit(c, "ld hl," + name);
    EmitCall(c, Routine::Push32);
    AddCodeSize(c, 6);
    return;
  }
  if (isString) {
    Emit(c, "ld hl," + name);
    PushStringCall(c, Routine::PushString);
    AddCodeSize(c, 6);
    return;
  }
  if (type == kTypeArray || type == kTypeRecord) {
    EmitTagged(c, 'h', HistorySymbol(symbol), "ld hl," + name);
    AddCodeSize(c, 3);
    Push(c);
    return;
  }
  EmitTagged(c, 'H', HistorySymbol(symbol), "ld hl,(" + name + ")");
  AddCodeSize(c, kLoadWordVarSize);
  if (IsByteType(type)) {
    EmitTagged(c, '0', 0, "ld h,0");
    AddCodeSize(c, kZeroHighSize);
  }
  Push(c);
}

void EmitLoadThroughAddressVariable(Compilation& c, int symbol, std::uint8_t type, bool isString) {
  const std::string name = AssemblerName(c, symbol);
  c.PendingPush = 0;
  Emit(c, "ld hl,(" + name + ")");
  if (type == kTypeLongint) {
    EmitCall(c, Routine::Push32LowerCase);
    AddCodeSize(c, 6);
  } else if (isString) {
    PushStringCall(c, Routine::PushString);
    AddCodeSize(c, 6);
  } else if (type == kTypeArray || type == kTypeRecord) {
    Emit(c, "push hl");
    AddCodeSize(c, 4);
  } else if (IsByteType(type)) {
    Emit(c, "ld e,(hl)");
    Emit(c, "ld d,0");
    Emit(c, "ex de,hl");
    Emit(c, "push hl");
    AddCodeSize(c, 8);
  } else {
    Emit(c, "ld e,(hl)");
    Emit(c, "inc hl");
    Emit(c, "ld d,(hl)");
    Emit(c, "ex de,hl");
    Emit(c, "push hl");
    AddCodeSize(c, 8);
  }
  c.PendingPush = 0;
}

void EmitLoadFromStackAddress(Compilation& c, std::uint8_t type, bool isString) {
  if (type == kTypeArray || type == kTypeRecord) {
    if (!isString) return; // structured values stay by address
  }
  PopHL(c);
  if (type == kTypeLongint) {
    EmitCall(c, Routine::Push32);
    AddCodeSize(c, 3);
    c.PendingPush = 0;
  } else if (isString) {
    PushStringCall(c, Routine::PushString);
    AddCodeSize(c, 3);
    c.PendingPush = 0;
  } else if (IsByteType(type)) {
    EmitTagged(c, 'm', 0, "ld l,(hl)");
    EmitTagged(c, '0', 0, "ld h,0");
    AddCodeSize(c, 3);
    c.PendingPush = 0;
    Push(c);
  } else {
    Emit(c, "ld e,(hl)");
    Emit(c, "inc hl");
    Emit(c, "ld d,(hl)");
    Emit(c, "ex de,hl");
    AddCodeSize(c, 4);
    c.PendingPush = 0;
    Push(c);
  }
}

void EmitPushAddress(Compilation& c, int symbol) {
  EmitTagged(c, 'h', HistorySymbol(symbol), "ld hl," + AssemblerName(c, symbol));
  AddCodeSize(c, 3);
  c.PendingPush = 0;
  Push(c);
}

void EmitDereference(Compilation& c) {
  PopHL(c);
  Emit(c, "ld e,(hl)");
  Emit(c, "inc hl");
  Emit(c, "ld d,(hl)");
  Emit(c, "ex de,hl");
  AddCodeSize(c, 4);
  c.PendingPush = 0;
  Push(c);
}

void EmitFieldOffset(Compilation& c, std::uint16_t offset) {
  PopHL(c);
  if (offset == 0) {
    // nothing to add
  } else if (c.History.Tag(0) == 'h') {
    // The record address was a constant: fold the offset into it. The new
    // line is no longer a plain constant for the patterns.
    const std::string base = HistoryValueText(c, c.History.Value(0));
    DeleteLastInstructions(c, 1);
    Emit(c, "ld hl," + base + "+" + Decimal(offset));
  } else if (offset <= 3) {
    for (int i = 0; i < offset; ++i)
      Emit(c, "inc hl");
    AddCodeSize(c, offset);
  } else {
    Emit(c, "ld de," + Decimal(offset));
    Emit(c, "add hl,de");
    AddCodeSize(c, 4);
  }
  c.PendingPush = 0;
  Push(c);
}

void EmitArrayElementAddress(Compilation& c, std::uint16_t low, std::uint32_t elementSize) {
  PopHL(c);
  if (low >= 1 && low <= 4) {
    for (int i = 0; i < low; ++i)
      Emit(c, "dec hl");
    AddCodeSize(c, low);
  } else if (low != 0) {
    Emit(c, "ld de," + Decimal(low));
    Emit(c, "or a");
    Emit(c, "sbc hl,de");
    AddCodeSize(c, 5);
  }
  const EmitHistory& h = c.History;
  switch (elementSize) {
  case 1:
  case 2:
  case 4:
  case 5:
  case 10: {
    EmitTagged(c, 'D', 0, "pop de");
    AddCodeSize(c, kPopSize);
    // A constant index (and a constant base) fold into the address.
    if (low == 0 && EmitHistory::IsNumber(h.Value(1)) && (h.Matches("DhPh") || h.Matches("DhPH"))) {
      const std::uint32_t offset = h.Value(1) * elementSize;
      const std::string base = HistoryValueText(c, h.Value(3));
      const bool constantBase = h.Tag(3) == 'h';
      DeleteLastInstructions(c, 4);
      SubtractCodeSize(c, kLoadWordVarSize + kPushSize + kLoadConstSize + kPopSize);
      if (constantBase) {
        Emit(c, "ld hl," + base + "+" + Decimal(offset));
        AddCodeSize(c, 3);
        c.PendingPush = 0;
        Push(c);
        return;
      }
      Emit(c, "ld hl," + Decimal(offset));
      Emit(c, "ld de,(" + base + ")");
      AddCodeSize(c, 7);
      break;
    }
    if (elementSize == 2) {
      Emit(c, "add hl,hl");
      AddCodeSize(c, 1);
    } else if (elementSize == 4) {
      Emit(c, "add hl,hl");
      Emit(c, "add hl,hl");
      AddCodeSize(c, 2);
    } else if (elementSize == 5 || elementSize == 10) {
      Emit(c, "ld b,h");
      Emit(c, "ld c,l");
      Emit(c, "add hl,hl");
      Emit(c, "add hl,hl");
      Emit(c, "add hl,bc");
      AddCodeSize(c, 5);
      if (elementSize == 10) {
        Emit(c, "add hl,hl");
        AddCodeSize(c, 1);
      }
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
    Emit(c, "ld b," + Decimal(shift));
    EmitCall(c, Routine::Shl16);
    EmitTagged(c, 'D', 0, "pop de");
    AddCodeSize(c, 6);
    break;
  }
  default:
    if (h.Matches("hPh") && EmitHistory::IsNumber(h.Value(0))) {
      const std::uint32_t offset = h.Value(0) * elementSize;
      const std::string base = HistoryValueText(c, h.Value(2));
      DeleteLastInstructions(c, 3);
      SubtractCodeSize(c, kLoadConstSize + kPushSize + kLoadConstSize);
      Emit(c, "ld hl," + base + "+" + Decimal(offset));
      AddCodeSize(c, 3);
      c.PendingPush = 0;
      Push(c);
      return;
    }
    Emit(c, "ld de," + Decimal(elementSize));
    EmitCall(c, Routine::Mult16);
    EmitTagged(c, 'D', 0, "pop de");
    AddCodeSize(c, 7);
    break;
  }
  Emit(c, "add hl,de");
  AddCodeSize(c, 1);
  c.PendingPush = 0;
  Push(c);
}

// --- Two-operand fold ------------------------------------------------------------

bool TryTwoOperandFold(Compilation& c, char popTag) {
  const EmitHistory& h = c.History;
  if (h.Tag(0) != popTag) return false;
  const PairNames r = PairFor(popTag);
  const std::string pair = r.pair;
  auto text = [&](int i) { return HistoryValueText(c, h.Value(i)); };
  struct Rewrite {
    int deleted;
    std::vector<std::string> lines;
    int sizeChange;
  };
  Rewrite w{0, {}, 0};
  if (h.Matches(popTag, "hPH")) {
    w = {4, {"ld hl," + text(1), "ld " + pair + ",(" + text(3) + ")"}, -1};
  } else if (h.Matches(popTag, "hPh")) {
    w = {4, {"ld hl," + text(1), "ld " + pair + "," + text(3)}, -2};
  } else if (h.Matches(popTag, "hP0H")) {
    w = {5,
         {"ld hl," + text(1), "ld " + pair + ",(" + text(4) + ")",
          std::string("ld ") + r.high + ",0"},
         -1};
  } else if (h.Matches(popTag, "HPH")) {
    w = {4, {"ld hl,(" + text(1) + ")", "ld " + pair + ",(" + text(3) + ")"}, -1};
  } else if (h.Matches(popTag, "HPh")) {
    w = {4, {"ld hl,(" + text(1) + ")", "ld " + pair + "," + text(3)}, -2};
  } else if (h.Matches(popTag, "0HPh")) {
    w = {5, {"ld hl,(" + text(2) + ")", "ld h,0", "ld " + pair + "," + text(4)}, -10 + 3 + 3 + 2};
  } else if (h.Matches(popTag, "0HPH")) {
    w = {5,
         {"ld hl,(" + text(2) + ")", "ld h,0", "ld " + pair + ",(" + text(4) + ")"},
         -10 + 3 + 4 + 2};
  } else {
    return false;
  }
  DeleteLastInstructions(c, w.deleted);
  for (const std::string& line : w.lines)
    Emit(c, line);
  AddCodeSize(c, w.sizeChange);
  return true;
}

namespace {

// "+ constant" and "- constant" on a variable: inc/dec or ld de,k.
bool TryAddSubConstant(Compilation& c, ArithOp op) {
  const EmitHistory& h = c.History;
  int constantAt = -1, variableAt = -1;
  bool byteVariable = false;
  if (h.Matches("DhPH")) {
    constantAt = 1, variableAt = 3;
  } else if (h.Matches("DhP0H")) {
    constantAt = 1, variableAt = 4, byteVariable = true;
  } else if (op == ArithOp::Add && h.Matches("DHPh")) {
    constantAt = 3, variableAt = 1;
  } else if (op == ArithOp::Add && h.Matches("D0HPh")) {
    constantAt = 4, variableAt = 2, byteVariable = true;
  } else {
    return false;
  }
  if (!EmitHistory::IsNumber(h.Value(constantAt))) return false; // an address, not a number
  const std::uint32_t k = h.Value(constantAt);
  const std::string variable = HistoryValueText(c, h.Value(variableAt));
  const int deleted = byteVariable ? 5 : 4;
  DeleteLastInstructions(c, deleted);
  SubtractCodeSize(c, kLoadWordVarSize + (byteVariable ? kZeroHighSize : 0) + kPushSize +
                          kLoadConstSize + kPopSize);
  auto load = [&] {
    Emit(c, "ld hl,(" + variable + ")");
    AddCodeSize(c, kLoadWordVarSize);
    if (byteVariable) {
      Emit(c, "ld h,0");
      AddCodeSize(c, kZeroHighSize);
    }
  };
  if (k < 4) {
    load();
    for (std::uint32_t i = 0; i < k; ++i)
      Emit(c, op == ArithOp::Add ? "inc hl" : "dec hl");
    AddCodeSize(c, static_cast<int>(k));
  } else {
    Emit(c, "ld de," + Decimal(k));
    AddCodeSize(c, 3);
    load();
    if (op == ArithOp::Add) {
      Emit(c, "add hl,de");
      AddCodeSize(c, 1);
    } else {
      Emit(c, "or a");
      Emit(c, "sbc hl,de");
      AddCodeSize(c, 3);
    }
  }
  return true;
}

void PopRightAndLeft(Compilation& c) {
  PopHL(c);
  EmitTagged(c, 'D', 0, "pop de");
  AddCodeSize(c, kPopSize);
}

void BitwiseWord(Compilation& c, const char* op) {
  const std::string o = op;
  Emit(c, "ld a,l");
  Emit(c, o + " e");
  Emit(c, "ld l,a");
  Emit(c, "ld a,h");
  Emit(c, o + " d");
  Emit(c, "ld h,a");
  AddCodeSize(c, 6);
}

void BitwiseByte(Compilation& c, const char* op) {
  Emit(c, "ld a,l");
  Emit(c, std::string(op) + " e");
  EmitTagged(c, 'l', 0, "ld l,a");
  EmitTagged(c, '0', 0, "ld h,0");
  AddCodeSize(c, 5);
}

void Call(Compilation& c, Routine routine) {
  EmitCall(c, routine);
  AddCodeSize(c, 3);
}

} // namespace

void EmitWordOperation(Compilation& c, ArithOp op, std::uint8_t type, bool byteOperands) {
  const bool signedOperands = type == kTypeInteger;
  if (op == ArithOp::Mul && byteOperands && c.Settings.Z180) {
    PopRightAndLeft(c); // the multiply instruction takes its operands in H and L
    Emit(c, "ld h,e");
    Emit(c, "mlt hl");
    AddCodeSize(c, 3);
    c.PendingPush = 0;
    Push(c);
    return;
  }
  PopRightAndLeft(c);
  const bool constantFolded =
      (op == ArithOp::Add || op == ArithOp::Sub) && TryAddSubConstant(c, op);
  if (!constantFolded) TryTwoOperandFold(c, 'D');
  switch (op) {
  case ArithOp::Add:
    if (!constantFolded) {
      Emit(c, "add hl,de");
      AddCodeSize(c, 1);
    }
    break;
  case ArithOp::Sub:
    if (!constantFolded) {
      Emit(c, "ex de,hl");
      Emit(c, "or a");
      Emit(c, "sbc hl,de");
      AddCodeSize(c, 4);
    }
    break;
  case ArithOp::Mul:
    Call(c, signedOperands ? Routine::SignedMult16 : Routine::Mult16);
    break;
  case ArithOp::Div:
    Emit(c, "ex de,hl");
    AddCodeSize(c, 1);
    Call(c, signedOperands ? Routine::SignedDiv16 : Routine::Div16);
    break;
  case ArithOp::Mod:
    Emit(c, "ex de,hl");
    AddCodeSize(c, 1);
    Call(c, signedOperands ? Routine::SignedMod16 : Routine::Mod16);
    break;
  case ArithOp::Shl:
  case ArithOp::Shr:
    Emit(c, "ld b,l");
    Emit(c, "ex de,hl");
    AddCodeSize(c, 2);
    Call(c, op == ArithOp::Shl ? Routine::Shl16 : Routine::Shr16);
    if (byteOperands) { // a byte keeps its low byte
      EmitTagged(c, '0', 0, "ld h,0");
      AddCodeSize(c, kZeroHighSize);
    }
    break;
  case ArithOp::And:
    byteOperands ? BitwiseByte(c, "and") : BitwiseWord(c, "and");
    break;
  case ArithOp::Or:
    byteOperands ? BitwiseByte(c, "or") : BitwiseWord(c, "or");
    break;
  case ArithOp::Xor:
    byteOperands ? BitwiseByte(c, "xor") : BitwiseWord(c, "xor");
    break;
  }
  c.PendingPush = 0;
  Push(c);
}

void EmitLongOperation(Compilation& c, ArithOp op) {
  static constexpr std::array<Routine, 10> kRoutines = {
      Routine::Add32, Routine::Sub32, Routine::Mult32, Routine::Div32, Routine::Mod32,
      Routine::And32, Routine::Or32,  Routine::Xor32,  Routine::Shl32, Routine::Shr32};
  c.PendingPush = 0;
  Call(c, kRoutines[static_cast<std::size_t>(op)]);
}

void EmitWidenTopToLong(Compilation& c, std::uint8_t fromType) {
  PopHL(c);
  Call(c, fromType == kTypeInteger ? Routine::IntToLint : Routine::WordToLint);
  c.PendingPush = 0;
}

void EmitWidenLeftToLong(Compilation& c, std::uint8_t fromType) {
  c.PendingPush = 0;
  Call(c, fromType == kTypeInteger ? Routine::LintFix1 : Routine::LintFix1Word);
}

void EmitStringConcat(Compilation& c, bool leftIsChar, bool rightIsChar) {
  c.PendingPush = 0;
  const Routine routine = leftIsChar
                              ? (rightIsChar ? Routine::TwoCharsToString : Routine::AddStringToChar)
                              : (rightIsChar ? Routine::AddCharToString : Routine::AddStrings);
  Call(c, routine);
}

void EmitCharToString(Compilation& c) {
  c.PendingPush = 0;
  Call(c, Routine::CharToString);
}

std::uint8_t EmitNegate(Compilation& c, std::uint8_t type) {
  const EmitHistory& h = c.History;
  if (h.Matches("Ph") && EmitHistory::IsNumber(h.Value(1)) && IsOrdinalNumber(type)) {
    const std::uint32_t raw = h.Value(1);
    const std::int64_t v =
        type == kTypeInteger ? static_cast<std::int16_t>(raw) : static_cast<std::int64_t>(raw);
    const std::int64_t n = -v;
    DeleteLastInstructions(c, 2);
    // The deleted load must not be read back by a later fold as an operand.
    c.History.RemoveAt(0);
    c.History.RemoveAt(0);
    SubtractCodeSize(c, kLoadConstSize + kPushSize);
    c.PendingPush = 0;
    if (n >= -32768 && n <= 32767) {
      EmitTagged(c, 'h', HistoryConstant(static_cast<std::int32_t>(n)),
                 "ld hl," + HexWord(static_cast<std::uint32_t>(n)));
      AddCodeSize(c, kLoadConstSize);
      Push(c);
      return kTypeInteger;
    }
    Emit(c, n < 0 ? "ld hl,0FFFFH" : "ld hl,0");
    Emit(c, "push hl");
    Emit(c, "ld hl," + HexWord(static_cast<std::uint32_t>(n)));
    Emit(c, "push hl");
    AddCodeSize(c, 8);
    c.PendingPush = 0;
    return kTypeLongint;
  }
  switch (type) {
  case kTypeLongint:
    c.PendingPush = 0;
    Call(c, Routine::NegLint);
    return kTypeLongint;
  case kTypeWord:
    EmitWidenTopToLong(c, kTypeWord);
    Call(c, Routine::NegLint);
    return kTypeLongint;
  case kTypeByte:
  case kTypeInteger:
  case kTypeChar:
    c.PendingPush = 0; // negated in place on the stack: HL no longer holds it
    Call(c, Routine::NegInt);
    return kTypeInteger;
  default:
    return type;
  }
}

void EmitNot(Compilation& c, std::uint8_t type) {
  if (type == kTypeLongint) {
    c.PendingPush = 0;
    Call(c, Routine::NotLint);
    return;
  }
  PopHL(c);
  if (type == kTypeBoolean) {
    EmitCall(c, Routine::NotBool, 'C');
    AddCodeSize(c, 3);
  } else {
    Call(c, Routine::NotInt);
  }
  c.PendingPush = 0;
  Push(c);
}

void EmitComparison(Compilation& c, Relation r, std::uint8_t type, bool isString) {
  struct Row {
    Routine unsignedRoutine;
    Routine signedRoutine;
    char tag;
    Routine longRoutine;
    Routine stringRoutine;
  };
  static constexpr std::array<Row, 6> kRows{{
      {Routine::Equal, Routine::Equal, 'x', Routine::LongEqual, Routine::StringEqual},
      {Routine::NotEqual, Routine::NotEqual, 'X', Routine::LongNotEqual, Routine::StringNotEqual},
      {Routine::Less, Routine::SignedLess, 'y', Routine::LongLess, Routine::StringLess},
      {Routine::LessOrEqual, Routine::SignedLessOrEqual, 'z', Routine::LongLessOrEqual,
       Routine::StringLessOrEqual},
      {Routine::Greater, Routine::SignedGreater, 'Y', Routine::LongGreater, Routine::StringGreater},
      {Routine::GreaterOrEqual, Routine::SignedGreaterOrEqual, 'Z', Routine::LongGreaterOrEqual,
       Routine::StringGreaterOrEqual},
  }};
  const Row& row = kRows[static_cast<std::size_t>(r)];
  if (type == kTypeLongint || isString) {
    c.PendingPush = 0;
    EmitCall(c, type == kTypeLongint ? row.longRoutine : row.stringRoutine, 'C');
    EmitTagged(c, 'P', 0, "push hl");
    AddCodeSize(c, 4);
    ++c.PendingPush;
    return;
  }
  PopHL(c);
  EmitCall(c, type == kTypeInteger ? row.signedRoutine : row.unsignedRoutine, 'C');
  EmitTagged(c, row.tag, 0, "push hl");
  AddCodeSize(c, 4);
  c.PendingPush = 1;
}

void EmitSetMembership(Compilation& c, const std::vector<std::pair<int, int>>& entries) {
  const std::string label = NewLabel(c);
  PopHL(c);
  Emit(c, "ld bc," + label);
  Emit(c, "ld de,$+6");
  Emit(c, "jp " + std::string(RoutineName(Routine::ConstSet)));
  NoteExternal(c, RoutineName(Routine::ConstSet));
  Emit(c, "DB " + Decimal(static_cast<std::int64_t>(entries.size())));
  for (const auto& [low, high] : entries)
    Emit(c, "DB " + Decimal(low) + "," + Decimal(high));
  EmitGeneratedLabel(c, label);
  AddCodeSize(c, 10 + 1 + 2 * static_cast<int>(entries.size()));
  // __constset continues behind the table with the boolean in HL.
  c.PendingPush = 0;
  Push(c);
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
  std::vector<std::string> lines = list.Lines(c.FactorMarkLine);
  int body = -1;
  for (std::size_t k = 0; k < c.CommonCodeBodies.size(); ++k) {
    if (c.CommonCodeBodies[k] == lines) {
      body = static_cast<int>(k);
      break;
    }
  }
  list.truncate(c.FactorMarkLine);
  if (body >= 0) {
    c.CodeSize = c.FactorMarkCodeSize + 4;
  } else {
    body = static_cast<int>(c.CommonCodeBodies.size());
    c.CommonCodeBodies.push_back(std::move(lines));
    AddCodeSize(c, 4);
  }
  Emit(c, "call @@S" + std::to_string(body));
  c.PendingPush = 0;
  EmitTagged(c, 'P', 0, "push hl");
  ++c.PendingPush;
  return body;
}

void CancelToFactorMark(Compilation& c) {
  auto& list = c.CurrentList();
  list.truncate(c.FactorMarkLine);
  c.CodeSize = c.FactorMarkCodeSize;
}

} // namespace velkor
