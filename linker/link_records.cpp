// What each record does when it is replayed.
#include <algorithm>
#include <filesystem>

#include "linker/link_messages.h"
#include "linker/link_run.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace velkor {

namespace T = link_text;

namespace {

// Global-equate markers carry these two bytes before the equate's name.
constexpr std::string_view kEquateMarker = "\x01\xFF";

bool isEquateMarker(std::string_view name) {
  return name.substr(0, 2) == kEquateMarker;
}

std::string hex(std::uint32_t value, int digits) {
  return HexDigits(value, digits);
}

} // namespace

LinkRun::OverlayHandle* LinkRun::handle(std::uint32_t number) {
  if (number >= kOverlayHandles) {
    fail(T::kInvalidData);
    return nullptr;
  }
  return &overlayHandles_[number];
}

bool LinkRun::globalDefinition(const Record& r) {
  const std::string_view name = r.strings[0];
  if (isEquateMarker(name)) {
    const std::string_view equate = name.substr(2);
    const auto it = globalEquateModules_.find(equate);
    if (pass_ == 1) {
      if (it != globalEquateModules_.end()) {
        return fail(std::string(T::kDuplicateGlobal) + std::string(equate));
      }
      globalEquateModules_.emplace(std::string(equate), moduleNumber_);
    } else if (it != globalEquateModules_.end()) {
      it->second = moduleNumber_;
    }
    return true;
  }
  const std::int32_t value = labelValue(static_cast<std::uint16_t>(r.numbers[0]));
  auto it = globals_.find(name);
  if (pass_ == 1) {
    if (it != globals_.end()) return fail(std::string(T::kDuplicateGlobal) + std::string(name));
    globals_.emplace(std::string(name), Global{value, pass_});
    return true;
  }
  if (it == globals_.end())
    it = globals_.emplace(std::string(name), Global{kUnknownValue, 0}).first;
  if (it->second.value != value) {
    it->second.value = value;
    changed();
  }
  it->second.definedInPass = pass_;
  return true;
}

bool LinkRun::equateDefinition(const Record& r) {
  const std::string_view name = r.strings[0];
  std::uint16_t value = 0;
  bool dollar = false;
  // A first-pass value may still depend on later modules: no error yet.
  const bool evaluated =
      evaluateExpression(r.strings[1], value, dollar, T::kCannotEvaluate, pass_ == 1);
  auto it = module_->equates.find(name);
  if (pass_ == 1) {
    if (!evaluated) value = 0;
    if (it != module_->equates.end())
      return fail(std::string(T::kDuplicateEquate) + std::string(name));
    module_->equates.emplace(std::string(name), value);
    return true;
  }
  if (!evaluated) return false;
  if (it == module_->equates.end()) it = module_->equates.emplace(std::string(name), 0).first;
  if (it->second != value) {
    it->second = value;
    changed();
  }
  return true;
}

bool LinkRun::relativeBranch(std::int32_t displacement) {
  if (pass_ == 4 && (displacement < -128 || displacement > 127))
    return fail(T::kRelativeOutOfRange);
  return placeByte(static_cast<std::uint8_t>(displacement));
}

bool LinkRun::ifReferencedName(std::string_view name) {
  const auto it = referencedNames_.find(name);
  if (it == referencedNames_.end()) {
    referencedNames_.emplace(std::string(name), false);
  } else if (it->second) {
    exclusion_ = false;
  }
  return true;
}

bool LinkRun::loadFile(const Record& r) {
  if (pass_ != 4) return true;
  const std::uint32_t address = r.numbers[0];
  std::string path = request_.projectDirectory + platform::NormalizeSeparators(r.strings[0]);
  if (auto found = platform::FindCaseInsensitive(path)) path = *found;
  std::string bytes, error;
  if (!platform::ReadWholeFile(path, bytes, error)) {
    messages_.AddMessageLine(module_->path + std::string(T::kLoadFileMissing) + path);
    return true;
  }
  if (address >= kImageSize) return fail(T::kTargetOutOfBounds);
  messages_.AddMessageLine(module_->path + std::string(T::kLoading) + path + " at " +
                           hex(address, 5) + "H");
  const std::size_t count = std::min<std::size_t>(bytes.size(), kImageSize - address);
  std::copy_n(bytes.begin(), count, image_.begin() + address);
  const std::uint32_t resume = codeAreas_.areas().back().end;
  codeAreas_.startAt(address);
  codeAreas_.extendTo(address + static_cast<std::uint32_t>(count));
  codeAreas_.markLoadedFromFile();
  codeAreas_.startAt(resume);
  return true;
}

bool LinkRun::runProgram(std::string_view name, bool whenDone) {
  if (pass_ != 1) return true;
  std::string path = request_.projectDirectory + platform::NormalizeSeparators(name);
  if (auto found = platform::FindCaseInsensitive(path)) path = *found;
  if (!platform::FileExists(path)) {
    messages_.AddMessageLine(
        module_->path + std::string(whenDone ? T::kRunWhenDoneMissing : T::kRunFileMissing) + path);
    return true;
  }
  if (whenDone) {
    runWhenDone_.push_back(path);
    return true;
  }
  messages_.AddMessageLine(module_->path + std::string(T::kRunning) + path);
  if (!request_.writeFiles) return true;
  std::string error;
  if (!startProgram(path, error)) {
    messages_.AddMessageLine(module_->path + std::string(T::kCannotStart) + path + ": " + error);
  }
  ui_.ProcessPendingMessages();
  return true;
}

bool LinkRun::startProgram(const std::string& path, std::string& error) {
  if (request_.startProgram) return request_.startProgram(path, error);
  // Programs are started from the project directory.
  std::error_code ignored;
  std::filesystem::current_path(request_.projectDirectory, ignored);
  return platform::StartProgram(path, {}, error);
}

bool LinkRun::origin(const Record& r) {
  const std::uint32_t kind = r.numbers[0];
  const std::uint16_t word = static_cast<std::uint16_t>(r.numbers[1]);
  const std::uint32_t load = r.numbers[2];
  if (kind > rro::OriginDataLabel) return fail(T::kInvalidData);
  if (dataSegment_) {
    dataLocation_ = static_cast<std::uint16_t>(moduleDataBase_ + word);
    moveDataLoad(load);
    if (pass_ == 4) {
      note(std::string(T::kDataStart) + hex(dataLocation_, 4) + "H load at " +
           hex(dataLoadPosition_, 5) + "H");
    }
    return true;
  }
  if (kind == rro::OriginOffset) {
    codeLocation_ = static_cast<std::uint16_t>(moduleCodeBase_ + word);
  } else {
    codeLocation_ = static_cast<std::uint16_t>(labelValue(word));
  }
  moveCodeLoad(load < 0x100000 ? load : nextFreeLoadPosition_);
  if (pass_ == 4) {
    note(std::string(T::kCodeStart) + hex(codeLocation_, 4) + "H load at " +
         hex(codeLoadPosition_, 5) + "H");
  }
  return true;
}

bool LinkRun::replayRecord(const Record& r) {
  const std::uint8_t type = r.type;
  if (type >= rro::ByteRunFirst || type == rro::SingleByte || type == rro::OpcodePair) {
    lastWasLabel_ = false;
    for (std::uint8_t b : r.bytes) {
      if (!placeByte(b)) return false;
    }
    return true;
  }
  const bool wasLabel = lastWasLabel_;
  lastWasLabel_ = false;
  std::int32_t v = 0;
  std::uint16_t w = 0;
  bool dollar = false;
  switch (type) {
  case rro::AbsoluteWord:
    return placeWord(static_cast<std::uint16_t>(r.numbers[0]));
  case rro::GlobalDefinition:
    return globalDefinition(r);
  case rro::ExternalReference:
    if (r.numbers[0] != 1 && r.numbers[0] != 2) return fail(T::kInvalidData);
    if (!externalValue(r.strings[0], v)) return false;
    return placeSized(static_cast<std::uint8_t>(r.numbers[0]), static_cast<std::uint32_t>(v));
  case rro::CodeSegment:
  case rro::DataSegment: {
    if (r.numbers[1] >= 10) return fail(T::kInvalidData);
    const bool data = type == rro::DataSegment;
    const std::uint16_t address = static_cast<std::uint16_t>(r.numbers[0]);
    if (r.numbers[2] != 0) {
      if (data) {
        dataLocation_ = moduleDataBase_ = address;
        moveDataLoad(address);
      } else {
        codeLocation_ = moduleCodeBase_ = address;
        moveCodeLoad(address);
      }
    }
    dataSegment_ = data;
    if (pass_ == 4)
      note(std::string(data ? T::kDataStart : T::kCodeStart) + hex(currentLocation(data), 4) + "H");
    return true;
  }
  case rro::WordExpression:
  case rro::ByteExpression:
    if (pass_ >= 2 && !evaluateExpression(r.strings[0], w, dollar, T::kCannotEvaluateColon)) {
      return false;
    }
    return type == rro::WordExpression ? placeWord(w) : placeByte(static_cast<std::uint8_t>(w));
  case rro::Equate:
    return equateDefinition(r);
  case rro::EquateReference: {
    const std::uint8_t size = static_cast<std::uint8_t>(r.numbers[0]);
    if (size != 1 && size != 2) return fail(T::kInvalidData);
    if (pass_ >= 3 && !findModuleEquate(r.strings[0], v) && !findGlobalEquate(r.strings[0], v)) {
      return fail(std::string(T::kExternalEquate) + std::string(r.strings[0]) +
                  std::string(T::kNotFoundSuffix));
    }
    return placeSized(size, pass_ >= 3 ? static_cast<std::uint32_t>(v) : 0);
  }
  case rro::LoadFile:
    return loadFile(r);
  case rro::RunProgram:
    return runProgram(r.strings[0], false);
  case rro::RunWhenDone:
    return runProgram(r.strings[0], true);
  case rro::LabelWordCode:
  case rro::LabelWordData: {
    const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[0]);
    if (index >= kDollarIndexBase) {
      const std::uint16_t here = currentLocation(type == rro::LabelWordData);
      return placeWord(static_cast<std::uint16_t>(here - static_cast<std::uint16_t>(~index)));
    }
    return placeWord(static_cast<std::uint16_t>(labelValue(index)));
  }
  case rro::LabelDefinitionCode:
    defineLabel(static_cast<std::uint16_t>(r.numbers[0]), codeLocation_);
    return true;
  case rro::LabelDefinitionData:
    defineLabel(static_cast<std::uint16_t>(r.numbers[0]), dataLocation_ + kDataLabelOffset);
    return true;
  case rro::IfTrue:
  case rro::IfFalse:
    if (pass_ < 2) return true;
    if (!resolveValue(r.value, w)) return false;
    if ((type == rro::IfTrue && w == 0) || (type == rro::IfFalse && w == 1)) exclusion_ = true;
    return true;
  case rro::EndIf:
    exclusion_ = false;
    return true;
  case rro::RelativeExpression: {
    if (pass_ == 1) return placeByte(0);
    const bool data = r.numbers[0] == rro::SegmentData;
    if (!evaluateExpression(r.strings[0], w, dollar, T::kCannotEvaluateColon)) return false;
    const std::int32_t location = currentLocation(data);
    const std::int32_t delta =
        static_cast<std::int16_t>(dollar ? w - location - 2 : w - (location - 1) - 2);
    return relativeBranch(delta);
  }
  case rro::RelativeLabel: {
    const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[1]);
    if (index >= module_->labels.size() || module_->labels[index].value == kUnknownValue) {
      return placeByte(0);
    }
    const bool data = r.numbers[0] == rro::SegmentData;
    const std::uint16_t here = static_cast<std::uint16_t>(currentLocation(data) - 1);
    const std::uint16_t target = static_cast<std::uint16_t>(labelValue(index));
    return relativeBranch(static_cast<std::int16_t>(target - here - 2));
  }
  case rro::ReserveSpace:
    if (!resolveValue(r.value, w)) return false;
    return reserve(r.numbers[0] == rro::SegmentData, w);
  case rro::LoadReference: {
    const auto it = namedValues_.find(r.strings[0]);
    if (pass_ == 1 && it != namedValues_.end()) return fail(T::kDuplicateNamedValue);
    if (pass_ == 4 && codeLoadPosition_ >= kImageSize) return fail(T::kTargetOutOfBounds);
    if (it == namedValues_.end()) {
      namedValues_.emplace(std::string(r.strings[0]), codeLoadPosition_);
    } else if (it->second != codeLoadPosition_) {
      it->second = codeLoadPosition_;
      changed();
    }
    return true;
  }
  case rro::DataReference: {
    if (pass_ == 1) return placeWord(0) && placeByte(0);
    const auto it = namedValues_.find(r.strings[0]);
    if (it == namedValues_.end()) {
      return fail(std::string(T::kCodeLocationReference) + "\"" + std::string(r.strings[0]) + "\"" +
                  std::string(T::kNotFoundSuffix));
    }
    return placeWord(static_cast<std::uint16_t>(it->second)) &&
           placeByte(static_cast<std::uint8_t>(it->second >> 16));
  }
  case rro::IfRefFirst:
    exclusion_ = true;
    inReferenceNames_ = true;
    return ifReferencedName(r.strings[0]);
  case rro::IfRefNext:
    return ifReferencedName(r.strings[0]);
  case rro::IfRefEnd:
    inReferenceNames_ = false;
    if (pass_ == 1) exclusion_ = false;
    return true;
  case rro::StoreSize: {
    const auto it = namedValues_.find(r.strings[0]);
    if (pass_ == 1 && it != namedValues_.end()) return fail(T::kDuplicateNamedValue);
    if (it == namedValues_.end()) {
      namedValues_.emplace(std::string(r.strings[0]), r.numbers[0]);
    } else {
      it->second = r.numbers[0];
    }
    return true;
  }
  case rro::SizeWord: {
    if (pass_ == 1) return placeWord(0);
    const auto it = namedValues_.find(r.strings[0]);
    if (it == namedValues_.end()) {
      return fail(std::string(T::kCodeSizeReference) + "\"" + std::string(r.strings[0]) + "\"" +
                  std::string(T::kNotFoundSuffix));
    }
    return placeWord(static_cast<std::uint16_t>(it->second));
  }
  case rro::OrgMark:
  case rro::LoadMark: {
    OverlayHandle* h = handle(r.numbers[0]);
    if (!h) return false;
    h->set = true;
    if (type == rro::OrgMark) {
      h->codeLocation = codeLocation_;
    } else {
      h->loadPosition = codeLoadPosition_;
    }
    return true;
  }
  case rro::OrgResume:
  case rro::LoadResume: {
    OverlayHandle* h = handle(r.numbers[0]);
    if (!h) return false;
    if (!h->set) return fail(T::kMarkerNotSet);
    if (type == rro::OrgResume) {
      codeLocation_ = h->codeLocation;
    } else {
      nextFreeLoadPosition_ = h->loadPosition;
      moveCodeLoad(h->loadPosition);
    }
    return true;
  }
  case rro::SymbolName:
    if (pass_ == 4 && wasLabel && request_.writeSym) {
      symLabelLines_ += hex(static_cast<std::uint32_t>(lastLabelValue_) & 0xFFFF, 4);
      symLabelLines_ += ' ';
      symLabelLines_ += r.strings[0];
      symLabelLines_ += '\n';
    }
    return true;
  case rro::MemoryError:
    if (pass_ == 4 && currentLocation(dataSegment_) >= r.numbers[0]) return fail(r.strings[0]);
    return true;
  case rro::MemoryLoadError:
    if (pass_ == 4 && (dataSegment_ ? dataLoadPosition_ : codeLoadPosition_) >= r.numbers[0]) {
      return fail(r.strings[0]);
    }
    return true;
  case rro::Report:
    if (pass_ != 4) return true;
    if (!resolveValue(r.value, w)) return false;
    messages_.AddMessageLine(std::string(r.strings[0]) + " - " + hex(w, 4) + "H");
    return true;
  case rro::Origin:
    return origin(r);
  case rro::LinkPlacement:
    if (r.placement[0].hasAddress) {
      codeLocation_ = moduleCodeBase_ = r.placement[0].address;
      moveCodeLoad(r.placement[0].address);
    }
    if (r.placement[1].hasAddress) {
      dataLocation_ = moduleDataBase_ = r.placement[1].address;
      moveDataLoad(r.placement[1].address);
    }
    return true;
  }
  return fail(kObjectContentsError);
}
} // namespace velkor
