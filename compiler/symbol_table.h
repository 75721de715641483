#pragma once
// The identifier table, blocks, the display of nesting levels, the array
// descriptors and reading a type.

#include <cstdint>
#include <string>
#include <string_view>

#include "compiler/compilation.h"

namespace velkor {

// Adds a name to the current block: error 1 when the block already holds it
// (predefined level-0 entries excepted), "IDENTIFIER" overflow at 5000.
// Returns the new entry number. The owner and selector fields are filled.
int EnterIdentifier(Compilation& c, std::string_view name, IdentifierKind kind, int level);
// Used only for the predefined identifiers: level 0, predefined flag, and
// value, offset and size set to `value`.
int EnterPredefined(Compilation& c, std::string_view name, IdentifierKind kind, TypeCode type,
                    std::uint16_t reference, std::int32_t value);
// Searched from the current level outward; 0 when not found (or at level 0).
int LookupIdentifier(const Compilation& c, std::string_view name);
// A field of the record whose block is given; 0 when not found.
int LookupField(const Compilation& c, std::uint16_t recordBlock, std::string_view name);

// A new block entry ("PROCEDURES" overflow at 500); returns its number.
int NewBlock(Compilation& c);
// Opens a nesting level showing `block` ("LEVELS" overflow beyond 7) / closes it.
void OpenLevel(Compilation& c, std::uint16_t block);
void CloseLevel(Compilation& c);

// A new array descriptor (error 27 for bounds outside 0..65535 or low > high;
// "ARRAYS" overflow at 500). Element size and total size are set by the caller
// through SetArrayElement.
int NewArrayDescriptor(Compilation& c, std::uint8_t indexType, std::int64_t low, std::int64_t high);
// Sets the element type and computes the total size (error 27 above 65535 bytes).
void SetArrayElement(Compilation& c, int descriptor, std::uint8_t elementType,
                     std::uint16_t elementReference, std::uint32_t elementSize,
                     bool elementPointer);

// The result of reading a type.
struct TypeInfo {
  std::uint8_t type = kTypeNone;
  std::uint16_t reference = 0;
  std::uint32_t size = 0;
  bool pointer = false;
};

// Reads a type in a declaration: ^T, a type name, ARRAY, STRING[n], RECORD.
TypeInfo ParseType(Compilation& c);

// Size in bytes of a value of a simple type (0 for none and structured).
int SimpleTypeSize(std::uint8_t type);
// Size of the object a type describes: records from their block, arrays from
// their descriptor.
std::uint32_t TypeSize(const Compilation& c, std::uint8_t type, std::uint16_t reference);
// True for an array whose elements are CHAR (a STRING).
bool IsStringType(const Compilation& c, std::uint8_t type, std::uint16_t reference);
// A string's capacity (its high bound), for the stores.
int StringCapacity(const Compilation& c, std::uint16_t reference);

} // namespace velkor
