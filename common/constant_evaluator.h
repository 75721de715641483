#pragma once
// The constant expression evaluator shared by the compiler (32-bit results,
// constant folding) and the assembler and linker (16-bit results).
//
//   auto r = velkor::EvaluateConstant32("7/2*2");   // r.ok, r.value == 6
//   auto w = velkor::EvaluateConstant16("65535+2"); // w.value == 1
//   if (!r.ok) messages.AddMessageLine(r.errorText);   // "Error at ..."
//
// The text is decimal arithmetic (callers turn $hex, %bin and names into
// decimal first); blanks are ignored. Operators, lowest precedence first,
// each level applying left to right:
//   + -        (a "-" at the start or after "(" negates)
//   * / %      (/ is the quotient truncated toward zero, % its remainder)
//   ^          (power)
// and the functions ABS SQR LOG EXP SIN COS TAN ATN of a parenthesised
// argument. Work is done in reals; every quotient is truncated as it is
// formed, the result is truncated toward zero.
//
// Errors instead of undefined results: unbalanced parentheses, division by
// zero, more than kMaxEvaluatorItems items, an unknown function, an
// overflow, and a 32-bit result outside -2^31 .. 2^32-1. Results from 2^31 up
// wrap to negative values ($FFFFFFFF is -1). The 16-bit form keeps the low
// 16 bits of the 32-bit result.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velkor {

// Bounds the evaluator's postfix list and value stack; also the nesting depth.
constexpr std::size_t kMaxEvaluatorItems = 100;

template <typename Value> struct Evaluation {
  bool ok = false;
  Value value = 0;
  std::string errorText; // "Error at " and the reason, when !ok
};

Evaluation<std::int32_t> EvaluateConstant32(std::string_view text);
Evaluation<std::uint16_t> EvaluateConstant16(std::string_view text);

} // namespace velkor
