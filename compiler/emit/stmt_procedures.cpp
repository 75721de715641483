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
};

PushedOperand ReadPushedOperand(const EmitHistory& h, int at) {
  using enum HistoryTag;
  PushedOperand op;
  if (at + 1 >= kEmitHistoryLength || h.Tag(at) != Push) return op;
  if (h.Tag(at + 1) == Constant) return {PushedOperand::Kind::Constant, h.Value(at + 1), 2};
  if (h.Tag(at + 1) == WordVariable) return {PushedOperand::Kind::WordVariable, h.Value(at + 1), 2};
  if (at + 2 < kEmitHistoryLength && h.Tag(at + 1) == ZeroHigh && h.Tag(at + 2) == WordVariable)
    return {PushedOperand::Kind::ByteVariable, h.Value(at + 2), 3};
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
    Emit(c, Op::LdMem, std::to_string(value.value & 0xFF));
  } else {
    Emit(c, Op::LdAFrom, VariableName(c, value.value));
    Emit(c, Op::LdMemA);
  }
}

void SkipIfBCZero(Compilation& c, const std::string& label) {
  Emit(c, Op::LdAB);
  Emit(c, Op::OrC);
  Emit(c, Op::JrZ, label);
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

  DeleteNewestInstructions(c, 6);
  c.PendingPush = 0;
  const std::string d = ConstantText(c, dst.value);
  if (constantCount) {
    const std::uint32_t n = count.value;
    // A count of 0 stores nothing, 1 only the first byte; ld bc,n-1 would
    // otherwise copy 64 KB.
    if (n == 0) return true;
    Emit(c, Op::LdHL, d);
    if (n > 1) {
      Emit(c, Op::LdDE, d + "+1");
      Emit(c, Op::LdBC, std::to_string(n - 1));
    }
    StoreFillValue(c, value);
    if (n > 1) Emit(c, Op::Ldir);
    return true;
  }
  const std::string done = NewLabel(c);
  Emit(c, Op::LdBCFrom, VariableName(c, count.value));
  SkipIfBCZero(c, done);
  Emit(c, Op::LdHL, d);
  Emit(c, Op::LdDE, d + "+1");
  StoreFillValue(c, value);
  Emit(c, Op::DecBC);
  SkipIfBCZero(c, done);
  Emit(c, Op::Ldir);
  EmitGeneratedLabel(c, done);
  return true;
}

} // namespace

void EmitIncDec(Compilation& c, StoreTarget target, int symbol, StoreClass cls, bool decrement) {
  const std::string name = symbol != 0 ? AssemblerName(c, symbol) : std::string();
  // Puts the variable's address into HL.
  auto addressIntoHL = [&] {
    switch (target) {
    case StoreTarget::Variable:
      Emit(c, Op::LdHL, name);
      break;
    case StoreTarget::AddressVariable:
      Emit(c, Op::LdHLFrom, name);
      break;
    case StoreTarget::StackAddress:
      PopHL(c);
      break;
    }
  };
  if (cls == StoreClass::Word && target == StoreTarget::Variable) {
    Emit(c, Op::LdHLFrom, name);
    Emit(c, decrement ? Op::DecHL : Op::IncHL);
    Emit(c, Op::StoreHL, name);
  } else if (cls == StoreClass::Byte) {
    addressIntoHL();
    Emit(c, decrement ? Op::DecMem : Op::IncMem);
  } else {
    addressIntoHL();
    const bool isLong = cls == StoreClass::Long;
    EmitCall(c, decrement ? (isLong ? Routine::Dec32 : Routine::Dec16)
                          : (isLong ? Routine::Inc32 : Routine::Inc16));
  }
  c.PendingPush = 0;
}

void EmitMove(Compilation& c) {
  PopHL(c);
  EmitCall(c, Routine::Move);
  c.PendingPush = 0;
}

void EmitFillChar(Compilation& c) {
  if (TryDirectFillChar(c)) return;
  const std::string done = NewLabel(c);
  PopHL(c);              // the value
  Emit(c, Op::PopBC);    // the count
  Emit(c, Op::PopDE);    // the destination
  SkipIfBCZero(c, done); // the value stays in L across the test
  Emit(c, Op::ExDEHL);   // HL = destination, E = value
  Emit(c, Op::LdMemE);
  Emit(c, Op::LdDH);
  Emit(c, Op::LdEL);
  Emit(c, Op::IncDE);
  Emit(c, Op::DecBC);
  SkipIfBCZero(c, done);
  Emit(c, Op::Ldir);
  EmitGeneratedLabel(c, done);
  c.PendingPush = 0;
}

void EmitOut(Compilation& c, bool portIsByte) {
  const EmitHistory& h = c.History;
  const PushedOperand value = ReadPushedOperand(h, 0);
  const PushedOperand port =
      value.kind == PushedOperand::Kind::None ? PushedOperand{} : ReadPushedOperand(h, value.lines);
  if (value.kind != PushedOperand::Kind::None && port.kind != PushedOperand::Kind::None) {
    DeleteNewestInstructions(c, value.lines + port.lines);
    c.PendingPush = 0;
    if (port.kind == PushedOperand::Kind::Constant) {
      Emit(c, Op::LdBC, ConstantText(c, port.value));
    } else {
      Emit(c, Op::LdBCFrom, VariableName(c, port.value));
      // The Z180's on-chip registers decode B as well.
      if (port.kind == PushedOperand::Kind::ByteVariable || portIsByte) Emit(c, Op::LdB0);
    }
    if (value.kind == PushedOperand::Kind::Constant) {
      Emit(c, Op::LdA, std::to_string(value.value & 0xFF));
    } else {
      Emit(c, Op::LdAFrom, VariableName(c, value.value));
    }
    Emit(c, Op::OutA);
  } else {
    // A byte port was zero-extended when it was pushed, so B is 0 here.
    PopHL(c);
    Emit(c, Op::PopBC);
    Emit(c, Op::OutL);
  }
  c.PendingPush = 0;
}

void EmitInsert(Compilation& c, int capacity) {
  c.PendingPush = 0;
  Emit(c, Op::LdB, std::to_string(capacity));
  EmitCall(c, Routine::Insert);
}

void EmitDelete(Compilation& c) {
  c.PendingPush = 0;
  EmitCall(c, Routine::Delete);
}

void EmitRelease(Compilation& c, int pointerSymbol) {
  Emit(c, Op::LdHLFrom, AssemblerName(c, pointerSymbol));
  EmitCall(c, Routine::SetHeapPtr);
  c.PendingPush = 0;
}

void EmitGetHeapPtr(Compilation& c) {
  EmitCall(c, Routine::GetHeapPtr);
  Emit(c, Op::PushOperand);
  c.PendingPush = 1;
}

void EmitMalloc(Compilation& c) {
  PopHL(c);
  EmitCall(c, Routine::Malloc);
  Emit(c, Op::PushOperand);
  c.PendingPush = 1;
}

void EmitDiscard(Compilation& c, StoreClass cls) {
  switch (cls) {
  case StoreClass::String:
    c.PendingPush = 0;
    EmitCall(c, Routine::DumpString);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    EmitRepeated(c, Op::PopHL, 2);
    break;
  default:
    PopHL(c);
    break;
  }
  c.PendingPush = 0;
}

} // namespace velkor
