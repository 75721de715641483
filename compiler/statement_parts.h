#pragma once
// Pieces shared by the statement, routine and predefined-procedure parsers.

#include "compiler/compilation.h"
#include "compiler/emit/stmt_store.h"
#include "compiler/expression.h"

namespace velkor {

// A variable argument or assignment target with its name current: a field of
// an open WITH record or a declared variable (errors 2, 0, 37), with selectors.
VariableAccess ParseVariableDesignator(Compilation& c);

// Where and how a store into the designated object goes.
StoreDestination DestinationOf(const Compilation& c, const VariableAccess& v);

// Stores the value on the stack (of type `value`) into the designated object
// by the assignment rules; `mismatchError` when the types do not go together.
void StoreValue(Compilation& c, const VariableAccess& target, ExprType value, int mismatchError);
// Whether StoreValue would accept the pair.
bool StoreAccepts(const Compilation& c, const VariableAccess& target, ExprType value);

// The class a value of this type is moved with.
StoreClass ValueClass(const Compilation& c, ExprType t);

// A predefined procedure by its routine number, with its name current.
void CompilePredefinedProcedure(Compilation& c, int number);

// The arguments and the call of a routine of the program, after its name.
void CompileArgumentsAndCall(Compilation& c, int routine);

// A statement that starts with a name: assignment, call, cast, label.
void IdentifierStatement(Compilation& c);

// The statement sequence up to (not including) a closing symbol:
// statements separated by ";".
void StatementSequence(Compilation& c);

} // namespace velkor
