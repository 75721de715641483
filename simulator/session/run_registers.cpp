#include "simulator/session/run_registers.h"

#include "platform/text.h"
#include "simulator/session/address.h"

namespace kavrin {
namespace {

bool IsByteField(RegisterField f) {
  return f == RegisterField::A || f == RegisterField::AltA || f == RegisterField::I;
}

std::uint16_t Get(const CpuState& c, RegisterField f) {
  switch (f) {
  case RegisterField::PC:
    return c.PC;
  case RegisterField::SP:
    return c.SP;
  case RegisterField::IX:
    return c.IX;
  case RegisterField::IY:
    return c.IY;
  case RegisterField::HL:
    return c.HL();
  case RegisterField::DE:
    return c.DE();
  case RegisterField::BC:
    return c.BC();
  case RegisterField::AltHL:
    return c.AltHL;
  case RegisterField::AltDE:
    return c.AltDE;
  case RegisterField::AltBC:
    return c.AltBC;
  case RegisterField::A:
    return c.A;
  case RegisterField::AltA:
    return c.AltA;
  case RegisterField::I:
    return c.I;
  }
  return 0;
}

void Set(CpuState& c, RegisterField f, std::uint16_t v) {
  const auto b = static_cast<std::uint8_t>(v);
  switch (f) {
  case RegisterField::PC:
    c.PC = v;
    break;
  case RegisterField::SP:
    c.SP = v;
    break;
  case RegisterField::IX:
    c.IX = v;
    break;
  case RegisterField::IY:
    c.IY = v;
    break;
  case RegisterField::HL:
    c.SetHL(v);
    break;
  case RegisterField::DE:
    c.SetDE(v);
    break;
  case RegisterField::BC:
    c.SetBC(v);
    break;
  case RegisterField::AltHL:
    c.AltHL = v;
    break;
  case RegisterField::AltDE:
    c.AltDE = v;
    break;
  case RegisterField::AltBC:
    c.AltBC = v;
    break;
  case RegisterField::A:
    c.A = b;
    break;
  case RegisterField::AltA:
    c.AltA = b;
    break;
  case RegisterField::I:
    c.I = b;
    break;
  }
}

// Right edges of the S, Z, P, N and C zones of the flag field.
struct FlagZone {
  int lastX;
  std::uint8_t mask; // 0 for the subtract indicator
};
constexpr FlagZone kFlagZones[] = {{14, kFlagS}, {32, kFlagZ}, {48, kFlagP}, {64, 0}, {80, kFlagC}};

} // namespace

std::string RegisterEditText(const Machine& machine, RegisterField field) {
  return platform::Hex(Get(machine.Cpu, field), IsByteField(field) ? 2 : 4);
}

bool ApplyRegisterEdit(Machine& machine, RegisterField field, const std::string& text,
                       const SymbolTable& symbols, std::string* message) {
  const ResolvedAddress r = ResolveAddress(text, symbols);
  if (!r.ok) {
    if (message) *message = r.message;
    return false;
  }
  Set(machine.Cpu, field, static_cast<std::uint16_t>(r.value));
  return true;
}

void ToggleFlagAt(std::uint8_t& flags, std::uint8_t& subtract, int x) {
  if (x < 0) return;
  for (const FlagZone& zone : kFlagZones) {
    if (x > zone.lastX) continue;
    if (zone.mask)
      flags ^= zone.mask;
    else
      subtract = subtract ? 0 : 1;
    return;
  }
}

} // namespace kavrin
