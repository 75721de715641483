#include "simulator/session/memory_dump.h"

#include <algorithm>

#include "platform/text.h"

namespace kavrin {

ByteShade ShadeOf(std::uint8_t value) {
  if (value >= 0xE0) return ByteShade::Top;
  if (value >= 0xA0) return ByteShade::High;
  return ByteShade::Low;
}

void MemoryDump::GoTo(std::uint32_t address) {
  start_ = address % (space_ == AddressSpace::Logical ? kLogicalSpaceSize : kPhysicalSpaceSize);
}

void MemoryDump::SetSpace(AddressSpace space) {
  space_ = space;
  GoTo(start_);
}

void MemoryDump::Move(int delta) {
  const std::uint32_t bank = start_ & ~0xFFFFu;
  const int low = static_cast<int>(start_ & 0xFFFFu) + delta;
  start_ = bank | static_cast<std::uint32_t>(std::clamp(low, 0, static_cast<int>(kDumpLastStart)));
}

void MemoryDump::CursorUp() {
  if (CursorRow() == 0)
    LineUp();
  else
    cursor_ -= kDumpRowBytes;
}

void MemoryDump::CursorDown() {
  if (CursorRow() == kDumpRows - 1)
    LineDown();
  else
    cursor_ += kDumpRowBytes;
}

void MemoryDump::CursorLeft() {
  if (CursorColumn() > 0) --cursor_;
}

void MemoryDump::CursorRight() {
  if (CursorColumn() < kDumpRowBytes - 1) ++cursor_;
}

std::uint8_t MemoryDump::ByteAt(int row, int column) const {
  const std::uint32_t address = start_ + static_cast<std::uint32_t>(row * kDumpRowBytes + column);
  if (space_ == AddressSpace::Logical)
    return machine_.ReadByte(static_cast<std::uint16_t>(address));
  return machine_.PhysicalMemory[address & kPhysicalMask];
}

std::string MemoryDump::RowText(int row) const {
  constexpr std::uint8_t kFirstShown = 0x20, kLastShown = 0x7E;
  const std::uint32_t address = start_ + static_cast<std::uint32_t>(row * kDumpRowBytes);
  std::string text = space_ == AddressSpace::Physical ? platform::Hex((start_ >> 16) & 0xF, 1) +
                                                            platform::Hex(address & 0xFFFF, 4) + " "
                                                      : platform::Hex(address & 0xFFFF, 4) + "  ";
  std::string characters;
  for (int column = 0; column < kDumpRowBytes; ++column) {
    const std::uint8_t b = ByteAt(row, column);
    text += platform::Hex(b, 2) + " ";
    characters += b >= kFirstShown && b <= kLastShown ? static_cast<char>(b) : '.';
  }
  return text + characters;
}

} // namespace kavrin
