#pragma once
// The memory dump window's page: 16 rows of 8 bytes from a start address,
// logical or physical, with a cursor over the bytes. It only reads memory.

#include <cstdint>
#include <string>

#include "simulator/core/disasm.h"
#include "simulator/core/machine.h"

namespace kavrin {

inline constexpr int kDumpRows = 16;
inline constexpr int kDumpRowBytes = 8;
inline constexpr int kDumpPageBytes = kDumpRows * kDumpRowBytes;
// Characters before a row's first byte, in both modes.
inline constexpr int kDumpHexColumn = 6;
inline constexpr std::uint32_t kDumpLastStart = 0x10000 - kDumpPageBytes; // FF80H

// How a byte's hex digits are drawn: E0H and above, A0H-DFH, below A0H.
enum class ByteShade { Low, High, Top };
ByteShade ShadeOf(std::uint8_t value);

class MemoryDump {
public:
  explicit MemoryDump(const Machine& machine) : machine_(machine) {}

  void GoTo(std::uint32_t address);
  void SetSpace(AddressSpace space);
  AddressSpace Space() const { return space_; }
  std::uint32_t Start() const { return start_; }

  // The 16-bit part of the start moves and is kept within 0000H-FF80H; in
  // Physical mode the digit of bits 19-16 stays.
  void LineUp() { Move(-kDumpRowBytes); }
  void LineDown() { Move(kDumpRowBytes); }
  void PageUp() { Move(-kDumpPageBytes); }
  void PageDown() { Move(kDumpPageBytes); }

  // The cursor moves over the bytes; leaving the page at the top or the
  // bottom scrolls it by one row.
  void CursorUp();
  void CursorDown();
  void CursorLeft();
  void CursorRight();
  int CursorRow() const { return cursor_ / kDumpRowBytes; }
  int CursorColumn() const { return cursor_ % kDumpRowBytes; }

  std::uint8_t ByteAt(int row, int column) const;
  // "12340 48 65 ... Hello..." (Physical) or "8000  48 65 ... Hello..." (Virtual).
  std::string RowText(int row) const;

private:
  void Move(int delta);

  const Machine& machine_;
  AddressSpace space_ = AddressSpace::Logical;
  std::uint32_t start_ = 0;
  int cursor_ = 0;
};

} // namespace kavrin
