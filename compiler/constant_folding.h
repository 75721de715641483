#pragma once
// Constant folding: the scanner hands each run of text that may be a
// constant expression here; it is rewritten as decimal arithmetic and
// evaluated, and the part from a non-constant name on goes back to the reader.

#include <cstdint>
#include <string>

#include "compiler/compilation.h"

namespace velkor {

struct FoldResult {
  bool ok = false;
  std::int32_t value = 0;
  std::string pushback; // text the scanner must deliver again, empty when all folded
};

// `text` is the collected ConstantText. With `firstOperandOnly` (the run
// follows -, *, /, DIV, MOD, AND, SHL or SHR) only its first operand folds.
// Reports errors 2, 4, 9 for a bad SIZEOF; !ok means error 92.
FoldResult FoldConstantText(Compilation& c, const std::string& text, bool firstOperandOnly);

} // namespace velkor
