#include "compiler/emit/stmt_store.h"

#include "compiler/emit/output.h"
#include "compiler/symbol_table.h"

namespace velkor {
namespace {

std::string Name(const Compilation& c, int symbol) {
  return AssemblerName(c, symbol);
}

// After the value was popped into HL: moves it into A, reusing the load that
// produced it where the history shows one. Returns the size change against
// the plain "ld a,l".
int ByteIntoA(Compilation& c) {
  const EmitHistory& h = c.History;
  if (h.Matches("0i")) {
    DeleteLastInstructions(c, 2);
    Emit(c, "in a,(c)");
    return -3;
  }
  if (h.Matches("0l")) {
    DeleteLastInstructions(c, 2);
    return -4;
  }
  if (h.Matches("0m")) {
    DeleteLastInstructions(c, 2);
    Emit(c, "ld a,(hl)");
    return -3;
  }
  if (h.Matches("0H")) {
    const std::string w = Name(c, static_cast<int>(h.Value(1) & 0xFFFF));
    DeleteLastInstructions(c, 2);
    Emit(c, "ld a,(" + w + ")");
    return -3;
  }
  if (h.Matches("h") && EmitHistory::IsNumber(h.Value(0))) {
    const std::uint32_t k = h.Value(0);
    DeleteLastInstructions(c, 1);
    if (k == 0) {
      Emit(c, "xor a");
      return -3;
    }
    Emit(c, "ld a," + std::to_string(k & 0xFF));
    return -2;
  }
  if (h.Matches("H")) {
    const std::string w = Name(c, static_cast<int>(h.Value(0) & 0xFFFF));
    DeleteLastInstructions(c, 1);
    Emit(c, "ld a,(" + w + ")");
    return -1;
  }
  Emit(c, "ld a,l");
  return 0;
}

// The value into DE: from HL when the push is still pending, else from the stack.
void ValueIntoDE(Compilation& c) {
  if (c.PendingPush != 0) {
    ElidePush(c);
    Emit(c, "ex de,hl");
  } else {
    EmitTagged(c, 'D', 0, "pop de");
  }
}

void StoreDEThroughHL(Compilation& c, StoreClass cls) {
  Emit(c, "ld (hl),e");
  if (cls == StoreClass::Word) {
    Emit(c, "inc hl");
    Emit(c, "ld (hl),d");
  }
}

void EmitStoreToVariable(Compilation& c, const StoreDestination& d) {
  const std::string v = Name(c, d.symbol);
  switch (d.cls) {
  case StoreClass::Byte: {
    PopHL(c);
    const int change = ByteIntoA(c);
    Emit(c, "ld (" + v + "),a");
    AddCodeSize(c, 5 + change);
    break;
  }
  case StoreClass::Word:
    PopHL(c);
    Emit(c, "ld (" + v + "),hl");
    AddCodeSize(c, 4);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    Emit(c, "ld hl," + v);
    EmitCall(c, Routine::StoreLint);
    AddCodeSize(c, 6);
    break;
  case StoreClass::String:
    if (c.History.Matches("S")) {
      DeleteLastInstructions(c, 1);
      SubtractCodeSize(c, 3);
      Emit(c, "ld de," + v);
      Emit(c, "ld b," + std::to_string(d.capacity));
      EmitCall(c, Routine::MoveString);
      AddCodeSize(c, 5 + 3);
    } else {
      Emit(c, "ld hl," + v);
      Emit(c, "ld b," + std::to_string(d.capacity));
      EmitCall(c, Routine::PopString);
      AddCodeSize(c, 8);
    }
    break;
  case StoreClass::Structured:
    PopHL(c);
    Emit(c, "ld de," + v);
    Emit(c, "ld bc," + std::to_string(d.size));
    Emit(c, "ldir");
    AddCodeSize(c, 9);
    break;
  }
}

void EmitStoreThroughAddressVariable(Compilation& c, const StoreDestination& d) {
  const std::string p = Name(c, d.symbol);
  switch (d.cls) {
  case StoreClass::Byte:
  case StoreClass::Word:
    ValueIntoDE(c);
    Emit(c, "ld hl,(" + p + ")");
    StoreDEThroughHL(c, d.cls);
    AddCodeSize(c, d.cls == StoreClass::Byte ? 5 : 7);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    Emit(c, "ld hl,(" + p + ")");
    EmitCall(c, Routine::Store32);
    AddCodeSize(c, 6);
    break;
  case StoreClass::String:
    if (c.History.Matches("S")) {
      DeleteLastInstructions(c, 1);
      SubtractCodeSize(c, 3);
      Emit(c, "ld de,(" + p + ")");
      Emit(c, "ld b," + std::to_string(d.capacity));
      EmitCall(c, Routine::MoveString);
      AddCodeSize(c, 5 + 4);
    } else {
      Emit(c, "ld hl,(" + p + ")");
      Emit(c, "ld b," + std::to_string(d.capacity));
      EmitCall(c, Routine::PopString);
      AddCodeSize(c, 8);
    }
    break;
  case StoreClass::Structured:
    PopHL(c);
    Emit(c, "ld de,(" + p + ")");
    Emit(c, "ld bc," + std::to_string(d.size));
    Emit(c, "ldir");
    AddCodeSize(c, 10);
    break;
  }
}

void EmitStoreToStackAddress(Compilation& c, const StoreDestination& d) {
  switch (d.cls) {
  case StoreClass::Byte:
  case StoreClass::Word:
    ValueIntoDE(c);
    Emit(c, "pop hl");
    StoreDEThroughHL(c, d.cls);
    AddCodeSize(c, d.cls == StoreClass::Byte ? 3 : 5);
    break;
  case StoreClass::Long:
    c.PendingPush = 0;
    EmitCall(c, Routine::Store32Stack);
    AddCodeSize(c, 3);
    break;
  case StoreClass::String:
    Emit(c, "ld b," + std::to_string(d.capacity));
    EmitCall(c, Routine::PopStringHL);
    Emit(c, "pop hl");
    AddCodeSize(c, 6);
    break;
  case StoreClass::Structured:
    PopHL(c);
    EmitTagged(c, 'D', 0, "pop de");
    Emit(c, "ld bc," + std::to_string(d.size));
    Emit(c, "ldir");
    AddCodeSize(c, 7);
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
    Emit(c, "ld de," + Name(c, d.symbol));
    routine = signedSource ? Routine::IntToLintStore : Routine::WordToLintStore;
    AddCodeSize(c, 7);
    break;
  case StoreTarget::AddressVariable:
    PopHL(c);
    Emit(c, "ld de,(" + Name(c, d.symbol) + ")");
    routine = signedSource ? Routine::IntToLintStore : Routine::WordToLintStore;
    AddCodeSize(c, 8);
    break;
  case StoreTarget::StackAddress:
    c.PendingPush = 0;
    routine = signedSource ? Routine::Int32Store : Routine::Word32Store;
    AddCodeSize(c, 3);
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
    Emit(c, "pop hl");
    if (word) {
      Emit(c, "ld (" + Name(c, d.symbol) + "),hl");
      AddCodeSize(c, 1 + 3 + 1);
    } else {
      Emit(c, "ld a,l");
      Emit(c, "ld (" + Name(c, d.symbol) + "),a");
      AddCodeSize(c, 1 + 4 + 1);
    }
    Emit(c, "pop hl");
    break;
  case StoreTarget::AddressVariable:
    EmitTagged(c, 'D', 0, "pop de");
    EmitTagged(c, 'B', 0, "pop bc");
    Emit(c, "ld hl,(" + Name(c, d.symbol) + ")");
    StoreDEThroughHL(c, d.cls);
    AddCodeSize(c, word ? 8 : 6);
    break;
  case StoreTarget::StackAddress:
    // Beneath the long lies the address: low word, high word, address.
    EmitTagged(c, 'D', 0, "pop de");
    EmitTagged(c, 'B', 0, "pop bc");
    Emit(c, "pop hl");
    StoreDEThroughHL(c, d.cls);
    AddCodeSize(c, word ? 6 : 4);
    break;
  }
  c.PendingPush = 0;
}

} // namespace velkor
