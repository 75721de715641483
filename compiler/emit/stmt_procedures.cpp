#include "compiler/emit/stmt_procedures.h"

#include <string>

#include "compiler/emit/output.h"

namespace velkor {
namespace {

// An operand pushed by a constant or variable load, read back from the history.
struct PushedOperand {
  enum class Kind : std::uint8_t { None, Constant, WordVariable, ByteVariable } kind = Kind::None;
  std::uint32_t value = 0; // constant, or symbol
  int lines = 0;           // instructions the load took
  int size = 0;            // their bytes
};

PushedOperand ReadPushedOperand(const EmitHistory& h, int at) {
  PushedOperand op;
  if (at + 1 >= kEmitHistoryLength || h.Tag(at) != 'P') return op;
  if (h.Tag(at + 1) == 'h') return {PushedOperand::Kind::Constant, h.Value(at + 1), 2, 4};
  if (h.Tag(at + 1) == 'H') return {PushedOperand::Kind::WordVariable, h.Value(at + 1), 2, 4};
  if (at + 2 < kEmitHistoryLength && h.Tag(at + 1) == '0' && h.Tag(at + 2) == 'H')
    return {PushedOperand::Kind::ByteVariable, h.Value(at + 2), 3, 6};
  return op;
}

std::string ConstantText(const Compilation& c, std::uint32_t value) {
  return HistoryValueText(c, value);
}

std::string VariableName(const Compilation& c, std::uint32_t symbol) {
  return AssemblerName(c, static_cast<int>(symbol & 0xFFFF));
}

void StoreFillValue(Compilation& c, const PushedOperand& value) {
  if (value.kind == PushedOperand::Kind::Constant) {
    Emit(c, "ld (hl)," + std::to_string(value.value & 0xFF));
    AddCodeSize(c, 2);
  } else {
    Emit(c, "ld a,(" + VariableName(c, value.value) + ")");
    Emit(c, "ld (hl),a");
    AddCodeSize(c, 4);
  }
}

void SkipIfBCZero(Compilation& c, const std::string& label) {
  Emit(c, "ld a,b");
  Emit(c, "or c");
  Emit(c, "jr z," + label);
  AddCodeSize(c, 4);
}

// All three operands were loaded directly: the fill takes them as operands.
bool TryDirectFillChar(Compilation& c) {
  const EmitHistory& h = c.History;
  // Only a word variable or a constant was pushed with exactly two lines each.
  const PushedOperand value = ReadPushedOperand(h, 0);
  const PushedOperand count = ReadPushedOperand(h, 2);
  const PushedOperand dst = ReadPushedOperand(h, 4);
  auto simple = [](const PushedOperand& op) {
    return op.kind == PushedOperand::Kind::Constant || op.kind == PushedOperand::Kind::WordVariable;
  };
  if (!simple(value) || !simple(count) || dst.kind != PushedOperand::Kind::Constant) return false;
  const bool constantCount = count.kind == PushedOperand::Kind::Constant;
  if (constantCount && !EmitHistory::IsNumber(count.value)) return false;

  DeleteLastInstructions(c, 6);
  SubtractCodeSize(c, 12);
  c.PendingPush = 0;
  const std::string d = ConstantText(c, dst.value);
  if (constantCount) {
    const std::uint32_t n = count.value;
    // A count of 0 stores nothing, 1 only the first byte; ld bc,n-1 would
    // otherwise copy 64 KB.
    if (n == 0) return true;
    Emit(c, "ld hl," + d);
    AddCodeSize(c, 3);
    if (n > 1) {
      Emit(c, "ld de," + d + "+1");
      Emit(c, "ld bc," + std::to_string(n - 1));
      AddCodeSize(c, 6);
    }
    StoreFillValue(c, value);
    if (n > 1) {
      Emit(c, "ldir");
      AddCodeSize(c, 2);
    }
    return true;
  }
  const std::string done = NewLabel(c);
  Emit(c, "ld bc,(" + VariableName(c, count.value) + ")");
  AddCodeSize(c, 4);
  SkipIfBCZero(c, done);
  Emit(c, "ld hl," + d);
  Emit(c, "ld de," + d + "+1");
  AddCodeSize(c, 6);
  StoreFillValue(c, value);
  Emit(c, "dec bc");
  AddCodeSize(c, 1);
  SkipIfBCZero(c, done);
  Emit(c, "ldir");
  AddCodeSize(c, 2);
  EmitGeneratedLabel(c, done);
  return true;
}

} // namespace

void EmitIncDec(Compilation& c, StoreTarget target, int symbol, StoreClass cls, bool decrement) {
  const std::string op = decrement ? "dec" : "inc";
  const std::string name = symbol != 0 ? AssemblerName(c, symbol) : std::string();
  // Puts the variable's address into HL.
  auto addressIntoHL = [&] {
    switch (target) {
    case StoreTarget::Variable:
      Emit(c, "ld hl," + name);
      break;
    case StoreTarget::AddressVariable:
      Emit(c, "ld hl,(" + name + ")");
      break;
    case StoreTarget::StackAddress:
      PopHL(c);
      break;
    }
    AddCodeSize(c, target == StoreTarget::StackAddress ? 1 : 3);
  };
  if (cls == StoreClass::Word && target == StoreTarget::Variable) {
    Emit(c, "ld hl,(" + name + ")");
    Emit(c, op + " hl");
    Emit(c, "ld (" + name + "),hl");
    AddCodeSize(c, 7);
  } else if (cls == StoreClass::Byte) {
    addressIntoHL();
    Emit(c, op + " (hl)");
    AddCodeSize(c, 1);
  } else {
    addressIntoHL();
    const bool isLong = cls == StoreClass::Long;
    EmitCall(c, decrement ? (isLong ? Routine::Dec32 : Routine::Dec16)
                          : (isLong ? Routine::Inc32 : Routine::Inc16));
    AddCodeSize(c, 3);
  }
  c.PendingPush = 0;
}

void EmitMove(Compilation& c) {
  PopHL(c);
  EmitCall(c, Routine::Move);
  AddCodeSize(c, 4);
  c.PendingPush = 0;
}

void EmitFillChar(Compilation& c) {
  if (TryDirectFillChar(c)) return;
  const std::string done = NewLabel(c);
  PopHL(c);                        // the value
  EmitTagged(c, 'B', 0, "pop bc"); // the count
  EmitTagged(c, 'D', 0, "pop de"); // the destination
  AddCodeSize(c, 3);
  SkipIfBCZero(c, done); // the value stays in L across the test
  Emit(c, "ex de,hl");   // HL = destination, E = value
  Emit(c, "ld (hl),e");
  Emit(c, "ld d,h");
  Emit(c, "ld e,l");
  Emit(c, "inc de");
  Emit(c, "dec bc");
  AddCodeSize(c, 6);
  SkipIfBCZero(c, done);
  Emit(c, "ldir");
  AddCodeSize(c, 2);
  EmitGeneratedLabel(c, done);
  c.PendingPush = 0;
}

void EmitOut(Compilation& c, bool portIsByte) {
  const EmitHistory& h = c.History;
  const PushedOperand value = ReadPushedOperand(h, 0);
  const PushedOperand port =
      value.kind == PushedOperand::Kind::None ? PushedOperand{} : ReadPushedOperand(h, value.lines);
  if (value.kind != PushedOperand::Kind::None && port.kind != PushedOperand::Kind::None) {
    DeleteLastInstructions(c, value.lines + port.lines);
    SubtractCodeSize(c, value.size + port.size);
    c.PendingPush = 0;
    if (port.kind == PushedOperand::Kind::Constant) {
      Emit(c, "ld bc," + ConstantText(c, port.value));
      AddCodeSize(c, 3);
    } else {
      Emit(c, "ld bc,(" + VariableName(c, port.value) + ")");
      AddCodeSize(c, 4);
      // The Z180's on-chip registers decode B as well.
      if (port.kind == PushedOperand::Kind::ByteVariable || portIsByte) {
        Emit(c, "ld b,0");
        AddCodeSize(c, 2);
      }
    }
    if (value.kind == PushedOperand::Kind::Constant) {
      Emit(c, "ld a," + std::to_string(value.value & 0xFF));
      AddCodeSize(c, 2);
    } else {
      Emit(c, "ld a,(" + VariableName(c, value.value) + ")");
      AddCodeSize(c, 3);
    }
    Emit(c, "out (c),a");
    AddCodeSize(c, 2);
  } else {
    // A byte port was zero-extended when it was pushed, so B is 0 here.
    PopHL(c);
    EmitTagged(c, 'B', 0, "pop bc");
    Emit(c, "out (c),l");
    AddCodeSize(c, 4);
  }
  c.PendingPush = 0;
}

void EmitInsert(Compilation& c, int capacity) {
  c.PendingPush = 0;
  Emit(c, "ld b," + std::to_string(capacity));
  EmitCall(c, Routine::Insert);
  AddCodeSize(c, 5);
}

void EmitDelete(Compilation& c) {
  c.PendingPush = 0;
  EmitCall(c, Routine::Delete);
  AddCodeSize(c, 3);
}

void EmitRelease(Compilation& c, int pointerSymbol) {
  Emit(c, "ld hl,(" + AssemblerName(c, pointerSymbol) + ")");
  EmitCall(c, Routine::SetHeapPtr);
  AddCodeSize(c, 6);
  c.PendingPush = 0;
}

void EmitGetHeapPtr(Compilation& c) {
  EmitCall(c, Routine::GetHeapPtr);
  EmitTagged(c, 'P', 0, "push hl");
  AddCodeSize(c, 4);
  c.PendingPush = 1;
}

void EmitMalloc(Compilation& c) {
  PopHL(c);
  EmitCall(c, Routine::Malloc);
  EmitTagged(c, 'P', 0, "push hl");
  AddCodeSize(c, 5);
  c.PendingPush = 1;
}

void EmitDiscard(Compilation& c, StoreClass cls) {
  switch (cls) {
  case StoreClass::String:
    c.PendingPush = 0;
    EmitCall(c, Routine::DumpString);
    AddCodeSize(c, 3);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    Emit(c, "pop hl");
    Emit(c, "pop hl");
    AddCodeSize(c, 2);
    break;
  default:
    PopHL(c);
    AddCodeSize(c, 1);
    break;
  }
  c.PendingPush = 0;
}

} // namespace velkor
