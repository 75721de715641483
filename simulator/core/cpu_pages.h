#pragma once

#include <array>

#include "simulator/core/machine.h"

namespace kavrin {

using OpcodeHandler = void (*)(Machine&);
using OpcodePage = std::array<OpcodeHandler, 256>;

// One handler per opcode byte. The index-CB page works on the (IX+d)
// address the prefix computed; the pages after DD and FD are cpu_main.cpp's.
extern const OpcodePage kMainPage;
extern const OpcodePage kCbPage;
extern const OpcodePage kIndexCbPage;
extern const OpcodePage kEdPage;

} // namespace kavrin
