// The CB page (rotates, shifts, BIT, RES, SET) and its index form, whose
// memory column works on (IX+d) and whose register columns run the plain
// CB instruction (on the index halves for H and L, as HL is exchanged).

#include <utility>

#include "simulator/core/cpu_ops.h"
#include "simulator/core/cpu_pages.h"

namespace kavrin {

namespace {

using namespace cpu;

template <uint8_t Op> uint8_t Operate(CpuState& c, uint8_t v) {
  constexpr int x = Op >> 6, y = (Op >> 3) & 7;
  if constexpr (x == 0)
    return Rotate<y>(c, v);
  else if constexpr (x == 2)
    return static_cast<uint8_t>(v & ~(1 << y));
  else
    return static_cast<uint8_t>(v | (1 << y));
}

template <uint8_t Op> void OnAddress(Machine& m, uint16_t address) {
  constexpr int x = Op >> 6, y = (Op >> 3) & 7;
  const uint8_t v = m.ReadByte(address);
  if constexpr (x == 1)
    Bit<y>(m.Cpu, v);
  else
    m.WriteByte(address, Operate<Op>(m.Cpu, v));
}

template <uint8_t Op> void Cb(Machine& m) {
  constexpr int x = Op >> 6, y = (Op >> 3) & 7, z = Op & 7;
  if constexpr (x == 0 && y == 6) {
    IllegalOpcode(m); // SLL does not exist on this processor
  } else if constexpr (z == 6) {
    OnAddress<Op>(m, m.Cpu.HL());
  } else if constexpr (x == 1) {
    Bit<y>(m.Cpu, Reg<z>(m.Cpu));
  } else {
    Reg<z>(m.Cpu) = Operate<Op>(m.Cpu, Reg<z>(m.Cpu));
  }
}

template <uint8_t Op> void IndexCb(Machine& m) {
  constexpr int x = Op >> 6, y = (Op >> 3) & 7, z = Op & 7;
  if constexpr (x == 0 && y == 6)
    IllegalOpcode(m, true);
  else if constexpr (z == 6)
    OnAddress<Op>(m, HandlerAccess::IndexAddress(m));
  else
    Cb<Op>(m);
}

template <size_t... Op> constexpr OpcodePage MakeCbPage(std::index_sequence<Op...>) {
  return {&Cb<static_cast<uint8_t>(Op)>...};
}
template <size_t... Op> constexpr OpcodePage MakeIndexCbPage(std::index_sequence<Op...>) {
  return {&IndexCb<static_cast<uint8_t>(Op)>...};
}

} // namespace

const OpcodePage kCbPage = MakeCbPage(std::make_index_sequence<256>());
const OpcodePage kIndexCbPage = MakeIndexCbPage(std::make_index_sequence<256>());

} // namespace kavrin
