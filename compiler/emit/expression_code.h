#pragma once
// The code of expressions: loads, the two-operand fold, word and long
// arithmetic, comparisons, conversions, strings, sets and element addresses.
// Each sequence leaves its result on the stack and keeps PendingPush.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "compiler/compilation.h"
#include "compiler/emit/emit_history.h"

namespace velkor {

enum class ArithOp : std::uint8_t { Add, Sub, Mul, Div, Mod, And, Or, Xor, Shl, Shr };
enum class Relation : std::uint8_t { Equal, NotEqual, Less, LessOrEqual, Greater, GreaterOrEqual };

// Pop HL as expression code has always counted it: the pop itself is left
// out of the size report (an elided push still comes off).
void PopHLLeftOutOfReport(Compilation& c);

// --- Loads ----------------------------------------------------------------
void EmitPushConstant(Compilation& c, std::int32_t value);     // byte or word constant
void EmitPushLongConstant(Compilation& c, std::int32_t value); // __LintConst
// Pools the literal and pushes it; returns its label number.
int EmitPushStringLiteral(Compilation& c, const std::string& text);
// The pool's label number for a literal (a new one is added).
int PoolString(Compilation& c, const std::string& text);

// Loads of a static variable, of a variable holding an address, and of a
// value whose address is on the stack. `type` is the value's type code;
// `isString` marks an array of CHAR.
void EmitLoadVariable(Compilation& c, int symbol, std::uint8_t type, bool isString);
void EmitLoadThroughAddressVariable(Compilation& c, int symbol, std::uint8_t type, bool isString);
void EmitLoadFromStackAddress(Compilation& c, std::uint8_t type, bool isString);
// "ld hl,name" (h, symbol) and "push hl": the address of a variable.
void EmitPushAddress(Compilation& c, int symbol);
// Pops an address and pushes the word stored there (p^, pointers).
void EmitDereference(Compilation& c);
// Adds a field offset to the address on the stack.
void EmitFieldOffset(Compilation& c, std::uint16_t offset);
// With the base address and the index on the stack, pushes the element's address.
void EmitArrayElementAddress(Compilation& c, std::uint16_t low, std::uint32_t elementSize);

// --- Operators ------------------------------------------------------------
// The two-operand fold after "pop de" (popTag PopDE) or "pop bc" (PopBC);
// true when the loads were rewritten.
bool TryTwoOperandFold(Compilation& c, HistoryTag popTag);
// A binary operation on two byte/word values; `type` is the result type
// (INTEGER picks the signed routines), `byteOperands` both operands bytes.
void EmitWordOperation(Compilation& c, ArithOp op, std::uint8_t type, bool byteOperands);
void EmitLongOperation(Compilation& c, ArithOp op);
// Widening to LONGINT of the value on top (right operand) or beneath a long
// (left operand). BYTE, WORD and CHAR are zero-extended, INTEGER sign-extended.
void EmitWidenTopToLong(Compilation& c, std::uint8_t fromType);
void EmitWidenLeftToLong(Compilation& c, std::uint8_t fromType);
void EmitStringConcat(Compilation& c, bool leftIsChar, bool rightIsChar);
void EmitCharToString(Compilation& c);

// Unary minus; returns the result type. Folds a constant just pushed.
std::uint8_t EmitNegate(Compilation& c, std::uint8_t type);
void EmitNot(Compilation& c, std::uint8_t type);

// Comparison of two values of one type (already widened); boolean result.
void EmitComparison(Compilation& c, Relation r, std::uint8_t type, bool isString);

// x IN [..]: the tested value is on the stack; each entry a (low, high) pair.
void EmitSetMembership(Compilation& c, const std::vector<std::pair<int, int>>& entries);

// --- Common-code factoring --------------------------------------------------
void SetFactorMark(Compilation& c);
// Moves the lines since the mark into a body (or reuses an equal one) and
// calls it; returns the body number, or -1 when nothing was factored.
int FactorCommonCodeStep(Compilation& c);
void CancelToFactorMark(Compilation& c);

} // namespace velkor
