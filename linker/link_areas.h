// The code and data placement tables that the memory map shows.
#pragma once

#include <cstdint>
#include <vector>

#include "linker/linker.h"

namespace velkor {

class LinkAreas {
public:
  LinkAreas() { reset(); }
  void reset() { areas_.assign(1, LinkArea{}); }
  // The load position moved: a non-empty current area is closed. When the
  // table is full the last entry grows to cover the new position instead.
  void startAt(std::uint32_t position) {
    LinkArea& current = areas_.back();
    if (current.end == current.start) {
      current.start = current.end = position;
      current.runsInBuffer = false;
      return;
    }
    if (areas_.size() < kMaxAreas) {
      areas_.push_back(LinkArea{position, position, false});
      return;
    }
    if (position < current.start) current.start = position;
    if (position > current.end) current.end = position;
  }
  // Bytes were placed or reserved up to (not including) end.
  void extendTo(std::uint32_t end) {
    LinkArea& current = areas_.back();
    if (end > current.end) current.end = end;
  }
  void markLoadedFromFile() { areas_.back().loadedFromFile = true; }
  void markRunsInBuffer(std::uint16_t buffer) {
    areas_.back().runsInBuffer = true;
    areas_.back().buffer = buffer;
  }
  const std::vector<LinkArea>& areas() const { return areas_; }

private:
  std::vector<LinkArea> areas_;
};

} // namespace velkor
