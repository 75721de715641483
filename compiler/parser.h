#pragma once
// Entry points of the statement and declaration half of the parser, which
// the driver, the expressions and the directives call. They are defined in
// the declaration*, statement*, routine*, predefined*, data* and overlay*
// files.

#include "compiler/compilation.h"

namespace velkor {

// Enters the predefined identifiers (array descriptor 1 first).
void EnterPredefinedIdentifiers(Compilation& c);

// Compiles one block, from its parameter list to the END that closes it.
// The driver calls it for the main program: level 1, not a function,
// routine identifier 0.
void CompileBlock(Compilation& c, bool isFunction, int level, int routine);

// One statement (the empty statement included).
void Statement(Compilation& c);

// A call of a procedure or function of the program, with its name current:
// reads and passes the arguments and emits the call. A function's result is
// on the stack afterwards.
void CompileRoutineCall(Compilation& c, int routine);

// The data section and closing lines of the module, appended at the end.
void EmitModuleTail(Compilation& c);

} // namespace velkor
