#pragma once
// Jumps and the loop code of the control-flow statements.

#include <cstdint>
#include <string>

#include "compiler/compilation.h"

namespace velkor {

// Jumps to `label` when the boolean on top of the stack is false. A byte
// comparison just emitted is fused into ld a / cp l and the matching jumps.
void EmitConditionalJump(Compilation& c, const std::string& label);
// "jp <label>", size 3.
void EmitJump(Compilation& c, const std::string& label);

// FOR v := a TO|DOWNTO b with a and b on the stack (b on top).
struct ForLoop {
  int variable = 0;
  std::string temp; // the "to" value's storage
  bool byteVariable = false;
  bool signedCompare = false; // an INTEGER loop variable
  bool down = false;
  std::string head; // the compare at the top of every round
  std::string exit;
};
// Adds the temporary, pops the bounds and writes the first compare.
ForLoop EmitForHead(Compilation& c, int variable, std::uint8_t variableType, bool down);
// Ends the loop after the last value (also at the type's limits), else steps
// the variable and jumps back to the head; then the exit label.
void EmitForStep(Compilation& c, const ForLoop& loop);

} // namespace velkor
