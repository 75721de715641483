#pragma once
// The breakpoint editor's list: one line per user breakpoint, and the
// breakpoint list a run arms, read back from the lines.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "simulator/core/machine.h"
#include "simulator/session/symbols.h"

namespace kavrin {

inline constexpr std::size_t kMaxBreakpointLines = kBreakpointCount;

struct BreakpointLine {
  std::string line;    // "1234H START", "1234 No symbol", or empty when not resolved
  std::string message; // "Cannot resolve ..." when not resolved
};

// The line for a typed text: a number shows the symbol defined there, a
// symbol name shows itself as typed.
BreakpointLine MakeBreakpointLine(std::string_view text, const SymbolTable& symbols);

// Each line's first four characters as hex, in order; the rest 0000H.
BreakpointList BreakpointsFromLines(const std::vector<std::string>& lines);

} // namespace kavrin
