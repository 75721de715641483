#pragma once
// Pieces shared by the declaration parsers.

#include <string>

#include "compiler/compilation.h"
#include "compiler/symbol_table.h"

namespace velkor {

// Reads the next symbol with constant folding off, so that a name declared
// again in an inner block is seen as a name.
void NextSymbolAsName(Compilation& c);

// PROCEDURE or FUNCTION current: the whole declaration up to its ";".
void RoutineDeclaration(Compilation& c, bool isFunction);

// The heading of a routine's block after its name: parameters, result type,
// ";" and the clauses. False when the routine has no body here (EXTERNAL,
// FORWARD, ABSOLUTE); the symbol is then the ";" that ends the declaration.
bool RoutineHeading(Compilation& c, int routine, bool isFunction, bool forwardBody);

// Every FORWARD routine declared in the block of `routine` has a body (error 0).
void CheckForwardBodies(Compilation& c, int routine);

// name : type = value: the value of a typed constant, written as data lines.
void TypedConstant(Compilation& c, int symbol, const TypeInfo& type);

} // namespace velkor
