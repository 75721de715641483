#pragma once
// Editing the register display: a register field takes a value typed as
// hex or a symbol; a click in the flag field toggles the flag under it.

#include <cstdint>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/session/symbols.h"

namespace kavrin {

enum class RegisterField { PC, SP, IX, IY, HL, DE, BC, AltHL, AltDE, AltBC, A, AltA, I };

// The text the entry dialog starts with: four digits, two for A, A' and I.
std::string RegisterEditText(const Machine& machine, RegisterField field);
// Resolves the text and stores it; on failure sets "Cannot resolve " + text
// and changes nothing.
bool ApplyRegisterEdit(Machine& machine, RegisterField field, const std::string& text,
                       const SymbolTable& symbols, std::string* message);

// Toggles S, Z, P, N (the subtract indicator) or C by the horizontal click
// position in the flag field; positions beyond the field change nothing.
void ToggleFlagAt(std::uint8_t& flags, std::uint8_t& subtract, int x);

} // namespace kavrin
