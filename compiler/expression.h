#pragma once
// The expression parser: four precedence levels that type-check each
// operation and ask the emitter for its code as soon as both operands are
// known. Every evaluated value ends on the Z80 stack.
//
//   ExprType t = Expression(c);            // boolean for a condition
//   if (t.type != kTypeBoolean) ReportCompileError(c, kErrExpectedBooleanExpression);

#include <cstdint>
#include <string_view>

#include "compiler/compilation.h"

namespace velkor {

// The type of a value: a type code, and for arrays and records the reference.
struct ExprType {
  std::uint8_t type = kTypeNone;
  std::uint16_t reference = 0;
  // Set while the operand is one numeric constant and nothing more.
  bool isConstant = false;
  std::int32_t constantValue = 0;
};

// Relational level: SimpleExpression [relation SimpleExpression | IN [set]].
ExprType Expression(Compilation& c);
// [+|-] Term {(+|-|OR|XOR) Term}
ExprType SimpleExpression(Compilation& c);
// Factor {(*|/|DIV|MOD|AND|SHL|SHR) Factor}
ExprType Term(Compilation& c);
ExprType Factor(Compilation& c);

// Where a variable's value lives once its name and selectors have been read.
struct VariableAccess {
  enum class Mode : std::uint8_t {
    Direct,    // a static variable by name; nothing emitted yet
    ByAddress, // a variable holding the address (var-parameter), no selectors; nothing emitted
    OnStack,   // the address was computed and pushed (element, field, p^)
  };
  Mode mode = Mode::Direct;
  int symbol = 0; // the variable named first
  std::uint8_t type = kTypeNone;
  std::uint16_t reference = 0;
  std::uint32_t size = 0; // size of the designated object
  bool pointer = false;   // the designated object is a pointer (declared with "^")
};

// With the variable's name current (c.Symbol is its identifier), reads the
// name and its selectors ([i,j], .field, ^), emitting the address code they
// need. `withIndex` >= 0: the name is a field of that open WITH record.
VariableAccess ParseVariableAccess(Compilation& c, int symbol, int withIndex = -1);

// Pushes the designated value (its type's load sequence).
void EmitLoadAccess(Compilation& c, const VariableAccess& v);
// Pushes the designated object's address (ADDR, @, var arguments).
void EmitAddressOfAccess(Compilation& c, const VariableAccess& v);

// A bare name among the fields of the open WITH records, innermost first.
struct WithField {
  int withIndex = -1; // -1: not a field of an open WITH record
  int field = 0;
};
WithField FindWithField(const Compilation& c, std::string_view name);

// The value type of a variable entry (its declared type, or WORD for a pointer).
ExprType EntryValueType(const IdentifierEntry& e);

} // namespace velkor
