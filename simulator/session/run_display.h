#pragma once
// Texts of the main window that follow a run: the register display and the
// execution-point list.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/core/machine.h"
#include "simulator/session/symbols.h"

namespace kavrin {

inline constexpr int kExecutionListLines = 23;

// The flag field: "S Z P N C" as "0"/"1" separated by blanks.
std::string FlagField(std::uint8_t f, std::uint8_t subtract);
// "Bank" and "Common": the area's physical start (five digits) and logical
// start (four), "12000H/1000H".
std::string BankField(const Machine& machine);
std::string CommonField(const Machine& machine);
// The whole register display as lines of "NAME=value" fields.
std::vector<std::string> RegisterDisplay(const Machine& machine);

// One execution-point line: marker, address, "H ", disassembly.
std::string ExecutionLine(const Machine& machine, const SymbolTable& symbols, std::uint16_t address,
                          bool marked, int* length = nullptr);

class ExecutionPointList {
public:
  // After a run or step: only the marker moves when PC is among the first
  // 22 lines, else the list starts again at PC.
  void Update(const Machine& machine, const SymbolTable& symbols);
  void Rebuild(const Machine& machine, const SymbolTable& symbols);
  const std::vector<std::string>& Lines() const { return lines_; }
  const std::vector<std::uint16_t>& Addresses() const { return addresses_; }

private:
  void Fill(const Machine& machine, const SymbolTable& symbols, std::uint16_t start);
  std::vector<std::uint16_t> addresses_;
  std::vector<std::string> lines_;
};

} // namespace kavrin
