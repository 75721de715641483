#include "linker/map_file.h"

#include <algorithm>

#include "common/object_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace velkor {
namespace {

std::string Word(std::uint32_t value) {
  return platform::Hex(value, 4) + "H";
}

std::string Position(std::uint32_t value) {
  return LoadPositionHex(value) + "H";
}

// Right-aligned decimal, so that sizes line up.
std::string Size(std::uint32_t value) {
  std::string text = std::to_string(value);
  return std::string(text.size() < 6 ? 6 - text.size() : 0, ' ') + text;
}

// The lines velkor-cli map has always printed, so that they stay its first.
void AppendAreas(std::string& out, const char* title, const std::vector<LinkArea>& areas) {
  out += title;
  out += '\n';
  for (const LinkArea& area : areas) {
    if (area.end == area.start) continue;
    out += " " + Position(area.start) + " " + Position(area.end) +
           (area.loadedFromFile ? " loaded from file" : "") + "\n";
  }
}

std::uint32_t Total(const std::vector<LinkArea>& areas) {
  std::uint32_t total = 0;
  for (const LinkArea& area : areas)
    total += area.end - area.start;
  return total;
}

// Appended piece by piece: a large project has thousands of globals.
void AppendGlobals(std::string& out, const std::vector<MapGlobal>& globals) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (const MapGlobal& global : globals) {
    out += ' ';
    for (int shift = 12; shift >= 0; shift -= 4)
      out += kDigits[(global.address >> shift) & 0xF];
    out += global.data ? "H data " : "H code ";
    out += global.name;
    out += '\n';
  }
}

} // namespace

std::string MapFileText(MapContents contents) {
  std::string out =
      "Map of " + contents.imageName + ", " + TargetDescription(contents.target) + "\n\n";
  AppendAreas(out, "Code areas (start, end):", contents.codeAreas);
  AppendAreas(out, "Data areas (start, end):", contents.dataAreas);

  out += "\nModules (code start, end, size; data start, end, size):\n";
  for (const LinkedModule& m : contents.modules) {
    out += " " + Position(m.codeStart) + " " + Position(m.codeEnd) +
           Size(m.codeEnd - std::min(m.codeStart, m.codeEnd)) + "  " + Word(m.dataStart) + " " +
           Word(m.dataEnd) + Size(static_cast<std::uint16_t>(m.dataEnd - m.dataStart)) + "  " +
           platform::FileNamePart(m.path) + "\n";
  }

  out += "\nOverlay parts (load position start, end; buffer start, end):\n";
  for (const LinkArea& area : contents.codeAreas) {
    if (area.runsInBuffer && area.end != area.start)
      out += " " + Position(area.start) + " " + Position(area.end) + "  " + Word(area.buffer) +
             " " + Word(area.buffer + (area.end - area.start)) + "\n";
  }

  std::vector<MapGlobal>& globals = contents.globals;
  out += "\nGlobals by name:\n";
  AppendGlobals(out, globals);
  std::stable_sort(globals.begin(), globals.end(), [](const MapGlobal& a, const MapGlobal& b) {
    return std::pair(a.data, a.address) < std::pair(b.data, b.address);
  });
  out += "\nGlobals by address (code, then data):\n";
  AppendGlobals(out, globals);

  const std::uint32_t code = Total(contents.codeAreas);
  const auto device = static_cast<std::uint32_t>(TargetRomSize(contents.target));
  out += "\nCode: " + std::to_string(code) + " bytes";
  if (device != 0) {
    out += " of " + std::to_string(device) +
           (code <= device ? ", " + std::to_string(device - code) + " free"
                           : ", " + std::to_string(code - device) + " too many");
  }
  out += "\nData: " + std::to_string(Total(contents.dataAreas)) + " bytes\n";
  return out;
}

} // namespace velkor
