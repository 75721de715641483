#pragma once
// The link's map file (NAME.MAP, and what velkor-cli map prints): the code
// and data areas, each module's code and data, the overlay parts, every
// global by name and by address, and the totals against the target device.
//
//   MapContents contents{"P.ROM", kTargetNone, codeAreas, dataAreas, modules, globals};
//   const std::string text = MapFileText(contents);

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "linker/linker.h"

namespace velkor {

struct MapGlobal {
  std::string_view name;
  std::uint16_t address = 0;
  bool data = false; // a data label's address, else code (or an equate's value)
};

struct MapContents {
  std::string imageName;
  int target = kTargetNone;
  const std::vector<LinkArea>& codeAreas;
  const std::vector<LinkArea>& dataAreas;
  const std::vector<LinkedModule>& modules;
  std::vector<MapGlobal> globals; // sorted by name
};

std::string MapFileText(MapContents contents);

} // namespace velkor
