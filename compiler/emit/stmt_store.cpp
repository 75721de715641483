#include "compiler/emit/stmt_store.h"

#include "compiler/emit/output.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

std::string Name(const Compilation& c, int symbol) {
  return AssemblerName(c, symbol);
}

// After the value was popped into HL: moves it into A, reusing the load that
// produced it where the history shows one.
void ByteIntoA(Compilation& c) {
  using enum HistoryTag;
  const EmitHistory& h = c.History;
  if (h.Matches({ZeroHigh, PortInput})) {
    DeleteNewestInstructions(c, 2);
    Emit(c, Op::InAPort);
    return;
  }
  if (h.Matches({ZeroHigh, ByteInL})) { // A holds the byte already
    DeleteNewestInstructions(c, 2);
    return;
  }
  if (h.Matches({ZeroHigh, ByteThroughHL})) {
    DeleteNewestInstructions(c, 2);
    Emit(c, Op::LdAMem);
    return;
  }
  if (h.Matches({ZeroHigh, WordVariable})) {
    const std::string w = Name(c, static_cast<int>(h.Value(1) & 0xFFFF));
    DeleteNewestInstructions(c, 2);
    Emit(c, Op::LdAFrom, w);
    return;
  }
  if (h.Matches({Constant}) && EmitHistory::IsNumber(h.Value(0))) {
    const std::uint32_t k = h.Value(0);
    DeleteNewestInstructions(c, 1);
    if (k == 0) {
      Emit(c, Op::XorA);
    } else {
      Emit(c, Op::LdA, std::to_string(k & 0xFF));
    }
    return;
  }
  if (h.Matches({WordVariable})) {
    const std::string w = Name(c, static_cast<int>(h.Value(0) & 0xFFFF));
    DeleteNewestInstructions(c, 1);
    Emit(c, Op::LdAFrom, w);
    return;
  }
  Emit(c, Op::LdAL);
}

// The value into DE: from HL when the push is still pending, else from the stack.
void ValueIntoDE(Compilation& c) {
  if (c.PendingPush != 0) {
    ElidePush(c);
    Emit(c, Op::ExDEHL);
    // The size report has always taken this push off as if a pop HL went with it.
    LeaveOutOfSizeReport(c, FormSize(Op::PopHL));
  } else {
    Emit(c, Op::PopDE);
  }
}

void StoreDEThroughHL(Compilation& c, StoreClass cls) {
  Emit(c, Op::LdMemE);
  if (cls == StoreClass::Word) {
    Emit(c, Op::IncHL);
    Emit(c, Op::LdMemD);
  }
}

// The string on the stack into the buffer of `capacity` characters: a string
// just pushed by a call is moved by __moveString instead (DE = buffer).
void StoreString(Compilation& c, Op loadDE, Op loadHL, const std::string& buffer, int capacity) {
  if (c.History.Matches({HistoryTag::StringPush})) {
    DeleteNewestInstructions(c, 1);
    Emit(c, loadDE, buffer);
    Emit(c, Op::LdB, std::to_string(capacity));
    EmitCall(c, Routine::MoveString);
  } else {
    Emit(c, loadHL, buffer);
    Emit(c, Op::LdB, std::to_string(capacity));
    EmitCall(c, Routine::PopString);
  }
}

void EmitStoreToVariable(Compilation& c, const StoreDestination& d) {
  const std::string v = Name(c, d.symbol);
  switch (d.cls) {
  case StoreClass::Byte:
    PopHL(c);
    ByteIntoA(c);
    Emit(c, Op::StoreA, v);
    break;
  case StoreClass::Word:
    PopHL(c);
    Emit(c, Op::StoreHL, v);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    Emit(c, Op::LdHL, v);
    EmitCall(c, Routine::StoreLint);
    break;
  case StoreClass::String:
    StoreString(c, Op::LdDE, Op::LdHL, v, d.capacity);
    break;
  case StoreClass::Structured:
    PopHL(c);
    Emit(c, Op::LdDE, v);
    Emit(c, Op::LdBC, std::to_string(d.size));
    Emit(c, Op::Ldir);
    break;
  }
}

void EmitStoreThroughAddressVariable(Compilation& c, const StoreDestination& d) {
  const std::string p = Name(c, d.symbol);
  switch (d.cls) {
  case StoreClass::Byte:
  case StoreClass::Word:
    ValueIntoDE(c);
    Emit(c, Op::LdHLFrom, p);
    StoreDEThroughHL(c, d.cls);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    Emit(c, Op::LdHLFrom, p);
    EmitCall(c, Routine::Store32);
    break;
  case StoreClass::String:
    StoreString(c, Op::LdDEFrom, Op::LdHLFrom, p, d.capacity);
    break;
  case StoreClass::Structured:
    PopHL(c);
    Emit(c, Op::LdDEFrom, p);
    Emit(c, Op::LdBC, std::to_string(d.size));
    Emit(c, Op::Ldir);
    break;
  }
}

void EmitStoreToStackAddress(Compilation& c, const StoreDestination& d) {
  switch (d.cls) {
  case StoreClass::Byte:
  case StoreClass::Word:
    ValueIntoDE(c);
    Emit(c, Op::PopHL);
    StoreDEThroughHL(c, d.cls);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    EmitCall(c, Routine::Store32Stack);
    break;
  case StoreClass::String:
    Emit(c, Op::LdB, std::to_string(d.capacity));
    EmitCall(c, Routine::PopStringHL);
    Emit(c, Op::PopHL);
    break;
  case StoreClass::Structured:
    PopHL(c);
    Emit(c, Op::PopDE);
    Emit(c, Op::LdBC, std::to_string(d.size));
    Emit(c, Op::Ldir);
    break;
  }
}

} // namespace

StoreClass StoreClassOf(const Compilation& c, std::uint8_t type, std::uint16_t reference,
                        bool pointer) {
  if (pointer) return StoreClass::Word;
  if (IsByteType(type)) return StoreClass::Byte;
  if (type == kTypeLongint) return StoreClass::Long;
  if (type == kTypeArray)
    return IsStringType(c, type, reference) ? StoreClass::String : StoreClass::Structured;
  if (type == kTypeRecord) return StoreClass::Structured;
  return StoreClass::Word;
}

void EmitStore(Compilation& c, const StoreDestination& d) {
  switch (d.target) {
  case StoreTarget::Variable:
    EmitStoreToVariable(c, d);
    break;
  case StoreTarget::AddressVariable:
    EmitStoreThroughAddressVariable(c, d);
    break;
  case StoreTarget::StackAddress:
    EmitStoreToStackAddress(c, d);
    break;
  }
  c.PendingPush = 0;
}

void EmitWideningStore(Compilation& c, const StoreDestination& d, bool signedSource) {
  Routine routine{};
  switch (d.target) {
  case StoreTarget::Variable:
    PopHL(c);
    Emit(c, Op::LdDE, Name(c, d.symbol));
    routine = signedSource ? Routine::IntToLintStore : Routine::WordToLintStore;
    break;
  case StoreTarget::AddressVariable:
    PopHL(c);
    Emit(c, Op::LdDEFrom, Name(c, d.symbol));
    routine = signedSource ? Routine::IntToLintStore : Routine::WordToLintStore;
    break;
  case StoreTarget::StackAddress:
    c.PendingPush = 0;
    routine = signedSource ? Routine::Int32Store : Routine::Word32Store;
    break;
  }
  EmitCall(c, routine);
  c.PendingPush = 0;
}

void EmitNarrowingStore(Compilation& c, const StoreDestination& d) {
  c.PendingPush = 0; // the long came from a routine: nothing to elide
  const bool word = d.cls == StoreClass::Word;
  switch (d.target) {
  case StoreTarget::Variable:
    Emit(c, Op::PopHL);
    if (word) {
      Emit(c, Op::StoreHL, Name(c, d.symbol));
    } else {
      Emit(c, Op::LdAL);
      Emit(c, Op::StoreA, Name(c, d.symbol));
    }
    Emit(c, Op::PopHL);
    break;
  case StoreTarget::AddressVariable:
    Emit(c, Op::PopDE);
    Emit(c, Op::PopBC);
    Emit(c, Op::LdHLFrom, Name(c, d.symbol));
    StoreDEThroughHL(c, d.cls);
    break;
  case StoreTarget::StackAddress:
    // Beneath the long lies the address: low word, high word, address.
    Emit(c, Op::PopDE);
    Emit(c, Op::PopBC);
    Emit(c, Op::PopHL);
    StoreDEThroughHL(c, d.cls);
    break;
  }
  c.PendingPush = 0;
}

} // namespace velkor
