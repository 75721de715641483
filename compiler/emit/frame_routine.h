#pragma once
// The code that closes a procedure or function.

#include <string>

#include "compiler/emit/line_block.h"

namespace velkor {

// How a function result is pushed for its caller.
enum class ResultClass { Byte, Word, Long, String, Structured };

// ret and the empty line behind it.
LineBlock ProcedureEndLines();

// The exit label (target of EXIT), the result pushed beneath the return
// address, and the return through IY.
LineBlock FunctionEndLines(unsigned exitLabel, const std::string& resultName, ResultClass result);

} // namespace velkor
