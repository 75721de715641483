#pragma once
// Pieces of the expression parser shared between its files.

#include "compiler/expression.h"

namespace velkor {

// ParseVariableAccess with common-code factoring of a computed address
// ({#R+}): the address code becomes a subroutine @@Sk.
VariableAccess ParseVariableAccessFactored(Compilation& c, int symbol);

// A call of a predefined function (level 0), its name current.
ExprType PredefinedFunction(Compilation& c, int symbol);

// HEAPPTR as a value.
void EmitHeapPtr(Compilation& c);

} // namespace velkor
