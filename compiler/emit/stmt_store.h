#pragma once
// Stores of the value on top of the stack into a variable, through a
// variable that holds the address (var-parameter), or into an address that
// lies on the stack beneath the value (array element, field, p^).

#include <cstdint>

#include "compiler/compilation.h"

namespace velkor {

// How a value of a type is moved.
enum class StoreClass : std::uint8_t { Byte, Word, Long, String, Structured };
StoreClass StoreClassOf(const Compilation& c, std::uint8_t type, std::uint16_t reference,
                        bool pointer);

// Where the destination is.
enum class StoreTarget : std::uint8_t { Variable, AddressVariable, StackAddress };

struct StoreDestination {
  StoreTarget target = StoreTarget::Variable;
  int symbol = 0; // the variable (Variable, AddressVariable)
  StoreClass cls = StoreClass::Word;
  int capacity = 0;       // strings
  std::uint32_t size = 0; // structured values
};

// A value of the destination's own class.
void EmitStore(Compilation& c, const StoreDestination& d);
// A word value into a LONGINT destination; signed for an INTEGER source.
void EmitWideningStore(Compilation& c, const StoreDestination& d, bool signedSource);
// A LONGINT value into a byte or word destination: the low word is kept.
void EmitNarrowingStore(Compilation& c, const StoreDestination& d);

} // namespace velkor
