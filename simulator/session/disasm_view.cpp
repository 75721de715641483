#include "simulator/session/disasm_view.h"

#include <algorithm>

#include "platform/text.h"

namespace kavrin {

DisassemblyView::DisassemblyView(const Machine& machine, const SymbolTable& symbols)
    : machine_(machine), symbols_(symbols) {
  GoTo(0);
}

void DisassemblyView::GoTo(std::uint32_t address) {
  const std::uint32_t size =
      space_ == AddressSpace::Logical ? kLogicalSpaceSize : kPhysicalSpaceSize;
  start_ = next_ = address % size;
  cursor_ = 0;
  lines_.clear();
  Append(kDisassemblyViewLines);
}

void DisassemblyView::SetSpace(AddressSpace space) {
  space_ = space;
  GoTo(start_);
}

void DisassemblyView::Append(int count) {
  const bool logical = space_ == AddressSpace::Logical;
  const ByteReader read = logical ? ByteReader([this](std::uint32_t a) {
    return machine_.ReadByte(static_cast<std::uint16_t>(a));
  })
                                  : ByteReader([this](std::uint32_t a) {
                                      return machine_.PhysicalMemory[a & kPhysicalMask];
                                    });
  const std::uint32_t size = logical ? kLogicalSpaceSize : kPhysicalSpaceSize;
  for (int i = 0; i < count; ++i) {
    const Disassembly d = Disassemble(read, next_, std::string::npos, space_, &symbols_);
    lines_.push_back((logical ? platform::Hex(next_, 4) + "H  " : platform::Hex(next_, 5) + "H ") +
                     d.text);
    next_ = (next_ + static_cast<std::uint32_t>(d.length)) % size;
  }
}

void DisassemblyView::MoveDown(int step, int grow) {
  if (cursor_ + step >= static_cast<int>(lines_.size()))
    Append(std::max(grow, cursor_ + step + 1 - static_cast<int>(lines_.size())));
  cursor_ += step;
}

void DisassemblyView::MoveUp(int step) {
  cursor_ = std::max(0, cursor_ - step);
}

} // namespace kavrin
