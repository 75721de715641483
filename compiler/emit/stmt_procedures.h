#pragma once
// The code of the predefined procedures whose operands are on the stack or
// named, and of discarding a value.

#include <cstdint>

#include "compiler/compilation.h"
#include "compiler/emit/stmt_store.h"

namespace velkor {

// INC(v) and DEC(v); `cls` is Byte, Word or Long.
void EmitIncDec(Compilation& c, StoreTarget target, int symbol, StoreClass cls, bool decrement);

// MOVE with the two addresses and the count on the stack.
void EmitMove(Compilation& c);
// FILLCHAR with the destination address, the count and the value on the stack.
void EmitFillChar(Compilation& c);
// OUT with the port and the value on the stack; `portIsByte` when the port
// expression is a BYTE.
void EmitOut(Compilation& c, bool portIsByte);
// INSERT and DELETE with their operands on the stack.
void EmitInsert(Compilation& c, int capacity);
void EmitDelete(Compilation& c);
// RELEASE(p) of a pointer variable.
void EmitRelease(Compilation& c, int pointerSymbol);
// The new heap block or mark in HL, pushed for the store that follows.
void EmitGetHeapPtr(Compilation& c);
void EmitMalloc(Compilation& c); // size on the stack

// A value left by a call statement: one word, a LONGINT, or a string.
void EmitDiscard(Compilation& c, StoreClass cls);

} // namespace velkor
