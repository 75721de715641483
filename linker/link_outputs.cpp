// The files a successful link leaves: the image for the target and the
// .SYM file, then the programs asked for with RUNWHENDONE.
#include <algorithm>
#include <map>

#include "linker/intel_hex.h"
#include "linker/link_messages.h"
#include "linker/link_run.h"
#include "linker/map_file.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace velkor {

namespace T = link_text;

namespace {

// A CP/M program runs from 0100H; its file starts there.
constexpr std::uint32_t kCpmStart = 0x100;

// Every warning's message line holds this; what follows is the warning's text.
constexpr std::string_view kWarningPrefix = "Warning: ";

} // namespace

const char* TargetImageExtension(int target) {
  return target == kTargetCpm ? ".COM" : ".ROM";
}

void LinkRun::warn(std::string_view module, const std::string& line) {
  messages_.AddMessageLine(line);
  const std::size_t text = line.find(kWarningPrefix);
  warnings_.push_back({std::string(module),
                       line.substr(text == std::string::npos ? 0 : text + kWarningPrefix.size())});
}

void LinkRun::warnOfCodeUnderData() {
  for (const LinkArea& code : codeAreas_.areas()) {
    if (code.runsInBuffer || code.end == code.start) continue;
    for (const LinkArea& data : dataAreas_.areas()) {
      if (data.start < code.end && code.start < data.end)
        warn("", T::CodeUnderData(code.start, code.end, data.start, data.end));
    }
  }
}

void LinkRun::finishOutputs(LinkResult& result) {
  std::uint32_t size = highestCodeAddress_ + 1;
  const auto device = static_cast<std::uint32_t>(TargetRomSize(request_.target));
  if (device != 0) {
    if (size <= device) {
      size = device;
    } else {
      ui_.MessageBox(std::string(T::kDoesNotFit) + "\n" + T::DoesNotFitSizes(size, device),
                     "Velkor", platform::kOkOnly);
      warnings_.push_back({"", std::string(T::kDoesNotFit.substr(kWarningPrefix.size())) + " (" +
                                   T::DoesNotFitSizes(size, device) + ")"});
    }
  }
  size = std::min(size, kImageSize);
  const std::uint32_t first = request_.target == kTargetCpm ? std::min(size, kCpmStart) : 0;
  result.imageFile.assign(image_.begin() + first, image_.begin() + size);
  result.imageStart = first;
  const std::string base = request_.projectDirectory + request_.projectName;
  result.imagePath = base + TargetImageExtension(request_.target);

  // The known globals sorted by name, once for the .SYM file and the map.
  std::vector<std::pair<std::string_view, std::int32_t>> globalsByName;
  if (request_.writeSym || request_.writeMap) {
    globalsByName.reserve(globals_.size());
    for (const auto& [name, global] : globals_) {
      if (global.value != kUnknownValue) globalsByName.emplace_back(name, global.value);
    }
    std::sort(globalsByName.begin(), globalsByName.end());
  }

  if (request_.writeSym) {
    // Equates (module equates keyed by module, then name) sort before the
    // globals, as their table keys begin with byte 01H. Global-equate markers
    // hold a module number, not a value, and are left out.
    std::string text = symLabelLines_;
    for (std::size_t m = 0; m < modules_.size(); ++m) {
      std::map<std::string_view, std::int32_t> sorted(modules_[m].equates.begin(),
                                                      modules_[m].equates.end());
      for (const auto& [name, value] : sorted) {
        if (value == kUnknownValue) continue;
        text +=
            platform::Hex(static_cast<std::uint32_t>(value), 4) + " " + std::string(name) + "\n";
      }
    }
    for (const auto& [name, value] : globalsByName) {
      text += platform::Hex(static_cast<std::uint32_t>(value), 4) + " " + std::string(name) + "\n";
    }
    result.symText = std::move(text);
    result.symPath = base + ".SYM";
  }
  if (request_.writeHex) result.hexPath = base + ".HEX";
  if (request_.writeMap) {
    MapContents map{platform::FileNamePart(result.imagePath),
                    request_.target,
                    codeAreas_.areas(),
                    dataAreas_.areas(),
                    placements_,
                    {}};
    map.globals.reserve(globalsByName.size());
    for (const auto& [name, value] : globalsByName)
      map.globals.push_back({name, static_cast<std::uint16_t>(value), value >= kDataLabelOffset});
    result.mapText = MapFileText(std::move(map));
    result.mapPath = base + ".MAP";
  }
  if (!request_.writeFiles) return;

  std::string error;
  if (!platform::WriteFileAtomically(result.imagePath, result.imageFile, error)) {
    messages_.AddMessageLine(error);
    result.ok = false;
    return;
  }
  if (request_.writeSym && !platform::WriteFileAtomically(result.symPath, result.symText, error)) {
    messages_.AddMessageLine(error);
    result.ok = false;
    return;
  }
  if (request_.writeHex &&
      !platform::WriteFileAtomically(result.hexPath, IntelHex(result.imageFile, first), error)) {
    messages_.AddMessageLine(error);
    result.ok = false;
    return;
  }
  if (request_.writeMap && !platform::WriteFileAtomically(result.mapPath, result.mapText, error)) {
    messages_.AddMessageLine(error);
    result.ok = false;
    return;
  }
  for (const std::string& path : runWhenDone_) {
    messages_.AddMessageLine(std::string(T::kRunningAfterLink) + path);
    if (!startProgram(path, error)) {
      warn("", std::string(T::kCannotStart).substr(1) + path + ": " + error);
    }
  }
}

} // namespace velkor
