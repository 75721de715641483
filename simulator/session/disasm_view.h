#pragma once
// The disassembler window's list: lines from a start address, a cursor
// moved by lines and pages, growing at the end as the cursor gets there.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/core/disasm.h"
#include "simulator/core/machine.h"
#include "simulator/session/symbols.h"

namespace kavrin {

inline constexpr int kDisassemblyViewLines = 20;
inline constexpr int kDisassemblyPageStep = 5;

class DisassemblyView {
public:
  DisassemblyView(const Machine& machine, const SymbolTable& symbols);

  // Rebuilds the list from the start address (after a go-to, a switch of
  // space, or when memory changed).
  void GoTo(std::uint32_t address);
  void SetSpace(AddressSpace space);
  void Refresh() { GoTo(start_); }

  void LineDown() { MoveDown(1, 1); }
  void PageDown() { MoveDown(kDisassemblyPageStep, kDisassemblyViewLines); }
  void LineUp() { MoveUp(1); }
  void PageUp() { MoveUp(kDisassemblyPageStep); }

  const std::vector<std::string>& Lines() const { return lines_; }
  int Cursor() const { return cursor_; }
  std::uint32_t Start() const { return start_; }
  AddressSpace Space() const { return space_; }

private:
  void Append(int count);
  void MoveDown(int step, int grow);
  void MoveUp(int step);

  const Machine& machine_;
  const SymbolTable& symbols_;
  AddressSpace space_ = AddressSpace::Logical;
  std::uint32_t start_ = 0;
  std::uint32_t next_ = 0;
  int cursor_ = 0;
  std::vector<std::string> lines_;
};

} // namespace kavrin
