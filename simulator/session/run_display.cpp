#include "simulator/session/run_display.h"

#include <algorithm>

#include "platform/text.h"
#include "simulator/core/disasm.h"

namespace kavrin {

std::string FlagField(std::uint8_t f, std::uint8_t subtract) {
  auto bit = [](bool set) { return set ? '1' : '0'; };
  return {bit(f & kFlagS),    ' ', bit(f & kFlagZ), ' ', bit(f & kFlagP), ' ',
          bit(subtract != 0), ' ', bit(f & kFlagC)};
}

namespace {
std::string AreaField(std::uint32_t base, std::uint16_t logicalStart) {
  return platform::Hex((logicalStart + base) & kPhysicalMask, 5) + "H/" +
         platform::Hex(logicalStart, 4) + "H";
}
} // namespace

std::string BankField(const Machine& m) {
  return AreaField(m.BankBase(), m.BankAreaStart());
}

std::string CommonField(const Machine& m) {
  return AreaField(m.CommonBase(), m.CommonAreaStart());
}

std::vector<std::string> RegisterDisplay(const Machine& m) {
  const CpuState& c = m.Cpu;
  auto b = [](std::uint8_t v) { return platform::Hex(v, 2); };
  auto w = [](std::uint16_t v) { return platform::Hex(v, 4); };
  return {
      "A=" + b(c.A) + " B=" + b(c.B) + " C=" + b(c.C) + " D=" + b(c.D) + " E=" + b(c.E) +
          " H=" + b(c.H) + " L=" + b(c.L) + " I=" + b(c.I),
      "A'=" + b(c.AltA) + " BC'=" + w(c.AltBC) + " DE'=" + w(c.AltDE) + " HL'=" + w(c.AltHL),
      "IX=" + w(c.IX) + " IY=" + w(c.IY) + " SP=" + w(c.SP) + " PC=" + w(c.PC),
      "S Z P N C=" + FlagField(c.F, c.SubtractFlag) +
          "  alternate=" + FlagField(c.AltF, c.AltSubtractFlag),
      "Bank=" + BankField(m) + " Common=" + CommonField(m),
  };
}

std::string ExecutionLine(const Machine& machine, const SymbolTable& symbols, std::uint16_t address,
                          bool marked, int* length) {
  const Disassembly d = Disassemble(
      [&machine](std::uint32_t a) { return machine.ReadByte(static_cast<std::uint16_t>(a)); },
      address, std::string::npos, AddressSpace::Logical, &symbols);
  if (length) *length = d.length;
  return std::string(marked ? ">" : " ") + platform::Hex(address, 4) + "H " + d.text;
}

void ExecutionPointList::Fill(const Machine& machine, const SymbolTable& symbols,
                              std::uint16_t start) {
  addresses_.clear();
  lines_.clear();
  std::uint16_t address = start;
  for (int i = 0; i < kExecutionListLines; ++i) {
    int length = 0;
    lines_.push_back(ExecutionLine(machine, symbols, address, address == machine.Cpu.PC, &length));
    addresses_.push_back(address);
    address = static_cast<std::uint16_t>(address + length);
  }
}

void ExecutionPointList::Rebuild(const Machine& machine, const SymbolTable& symbols) {
  Fill(machine, symbols, machine.Cpu.PC);
}

void ExecutionPointList::Update(const Machine& machine, const SymbolTable& symbols) {
  const auto searched = std::min<std::size_t>(addresses_.size(), kExecutionListLines - 1);
  const auto end = addresses_.begin() + static_cast<std::ptrdiff_t>(searched);
  if (std::find(addresses_.begin(), end, machine.Cpu.PC) == end) {
    Rebuild(machine, symbols);
    return;
  }
  // Memory may have changed under the list; the start stays.
  Fill(machine, symbols, addresses_.front());
}

} // namespace kavrin
