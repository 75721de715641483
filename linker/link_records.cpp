// What each record does when it is replayed.
#include <algorithm>
#include <filesystem>
#include <utility>

#include "linker/link_messages.h"
#include "linker/link_run.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/process.h"
#include "platform/text.h"

namespace velkor {

namespace T = link_text;

namespace {

// Global-equate markers carry these two bytes before the equate's name.
constexpr std::string_view kEquateMarker = "\x01\xFF";

bool IsEquateMarker(std::string_view name) {
  return name.substr(0, 2) == kEquateMarker;
}

using W = WhileExcluded;

} // namespace

LinkRun::OverlayHandle* LinkRun::handle(std::uint32_t number) {
  if (number >= kOverlayHandles) {
    fail(T::kInvalidData);
    return nullptr;
  }
  return &overlayHandles_[number];
}

bool LinkRun::relativeBranch(std::int32_t displacement) {
  if (writingImage() && (displacement < -128 || displacement > 127))
    return fail(T::kRelativeOutOfRange);
  return placeByte(static_cast<std::uint8_t>(displacement));
}

bool LinkRun::startProgram(const std::string& path, std::string& error) {
  if (request_.startProgram) return request_.startProgram(path, error);
  // Programs are started from the project directory.
  std::error_code ignored;
  std::filesystem::current_path(request_.projectDirectory, ignored);
  return platform::StartProgram(path, {}, error);
}

// ---------------------------------------------------------------- the handlers

bool LinkRun::placeRunBytes(const Record& r) {
  for (std::uint8_t b : r.bytes) {
    if (!placeByte(b)) return false;
  }
  return true;
}

bool LinkRun::placeAbsoluteWord(const Record& r) {
  return placeWord(static_cast<std::uint16_t>(r.numbers[0]));
}

bool LinkRun::globalDefinition(const Record& r) {
  const std::string_view name = r.strings[0];
  if (IsEquateMarker(name)) {
    const std::string_view equate = name.substr(2);
    const auto it = globalEquateModules_.find(equate);
    if (collecting()) {
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
  if (collecting()) {
    if (it != globals_.end()) return fail(std::string(T::kDuplicateGlobal) + std::string(name));
    globals_.emplace(std::string(name), Global{value, pass_});
    return true;
  }
  if (it == globals_.end())
    it = globals_.emplace(std::string(name), Global{kUnknownValue, pass_}).first;
  if (it->second.value != value) {
    it->second.value = value;
    changed();
  }
  it->second.definedInPass = pass_;
  return true;
}

bool LinkRun::externalReference(const Record& r) {
  if (r.numbers[0] != 1 && r.numbers[0] != 2) return fail(T::kInvalidData);
  std::int32_t value = 0;
  if (!externalValue(r.strings[0], value)) return false;
  return placeSized(static_cast<std::uint8_t>(r.numbers[0]), static_cast<std::uint32_t>(value));
}

bool LinkRun::segmentSwitch(const Record& r) {
  if (r.numbers[1] >= 10) return fail(T::kInvalidData);
  const bool data = r.type == rro::DataSegment;
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
  if (writingImage())
    note(std::string(data ? T::kDataStart : T::kCodeStart) +
         platform::Hex(currentLocation(data), 4) + "H");
  return true;
}

bool LinkRun::placeExpression(const Record& r) {
  std::uint16_t value = 0;
  bool dollar = false;
  if (!collecting() && !evaluateExpression(r.strings[0], value, dollar, T::kCannotEvaluateColon)) {
    return false;
  }
  return r.type == rro::WordExpression ? placeWord(value)
                                       : placeByte(static_cast<std::uint8_t>(value));
}

bool LinkRun::equateDefinition(const Record& r) {
  const std::string_view name = r.strings[0];
  std::uint16_t value = 0;
  bool dollar = false;
  // A first-pass value may still depend on later modules: no error yet.
  const bool evaluated =
      evaluateExpression(r.strings[1], value, dollar, T::kCannotEvaluate, collecting());
  auto it = module_->equates.find(name);
  if (collecting()) {
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

bool LinkRun::equateReference(const Record& r) {
  const std::uint8_t size = static_cast<std::uint8_t>(r.numbers[0]);
  if (size != 1 && size != 2) return fail(T::kInvalidData);
  // Equates take their real values in the settling passes only.
  const bool known = pass_ >= LinkPass::Settle;
  std::int32_t value = 0;
  if (known && !findModuleEquate(r.strings[0], value) && !findGlobalEquate(r.strings[0], value)) {
    return fail(std::string(T::kExternalEquate) + std::string(r.strings[0]) +
                std::string(T::kNotFoundSuffix));
  }
  return placeSized(size, known ? static_cast<std::uint32_t>(value) : 0);
}

bool LinkRun::loadFile(const Record& r) {
  if (!writingImage()) return true;
  const std::uint32_t address = r.numbers[0];
  std::string path = request_.projectDirectory + platform::NormalizeSeparators(r.strings[0]);
  if (auto found = platform::FindCaseInsensitive(path)) path = *found;
  std::string bytes, error;
  if (!platform::ReadWholeFile(path, bytes, error)) {
    warn(module_->path, module_->path + std::string(T::kLoadFileMissing) + path);
    return true;
  }
  if (address >= kImageSize) return fail(T::kTargetOutOfBounds);
  messages_.AddMessageLine(module_->path + std::string(T::kLoading) + path + " at " +
                           LoadPositionHex(address) + "H");
  const std::size_t count = std::min<std::size_t>(bytes.size(), kImageSize - address);
  std::copy_n(bytes.begin(), count, image_.begin() + address);
  const std::uint32_t resume = codeAreas_.areas().back().end;
  codeAreas_.startAt(address);
  codeAreas_.extendTo(address + static_cast<std::uint32_t>(count));
  codeAreas_.markLoadedFromFile();
  codeAreas_.startAt(resume);
  return true;
}

bool LinkRun::runProgram(const Record& r) {
  if (!collecting()) return true;
  const std::string_view name = r.strings[0];
  const bool whenDone = r.type == rro::RunWhenDone;
  std::string path = request_.projectDirectory + platform::NormalizeSeparators(name);
  if (auto found = platform::FindCaseInsensitive(path)) path = *found;
  if (!platform::FileExists(path)) {
    warn(module_->path, module_->path +
                            std::string(whenDone ? T::kRunWhenDoneMissing : T::kRunFileMissing) +
                            path);
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
    warn(module_->path, module_->path + std::string(T::kCannotStart) + path + ": " + error);
  }
  ui_.ProcessPendingMessages();
  return true;
}

bool LinkRun::labelWord(const Record& r) {
  const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[0]);
  if (index >= kDollarIndexBase) {
    const std::uint16_t here = currentLocation(r.type == rro::LabelWordData);
    return placeWord(static_cast<std::uint16_t>(here - static_cast<std::uint16_t>(~index)));
  }
  return placeWord(static_cast<std::uint16_t>(labelValue(index)));
}

bool LinkRun::labelDefinition(const Record& r) {
  const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[0]);
  if (r.type == rro::LabelDefinitionCode) {
    defineLabel(index, codeLocation_);
  } else {
    defineLabel(index, dataLocation_ + kDataLabelOffset);
  }
  return true;
}

bool LinkRun::ifValue(const Record& r) {
  if (collecting()) return true;
  std::uint16_t value = 0;
  if (!resolveValue(r.value, value)) return false;
  if ((r.type == rro::IfTrue && value == 0) || (r.type == rro::IfFalse && value == 1)) {
    exclusion_ = true;
  }
  return true;
}

bool LinkRun::endIf(const Record&) {
  exclusion_ = false;
  return true;
}

bool LinkRun::relativeExpression(const Record& r) {
  if (collecting()) return placeByte(0);
  const bool data = r.numbers[0] == rro::SegmentData;
  std::uint16_t value = 0;
  bool dollar = false;
  if (!evaluateExpression(r.strings[0], value, dollar, T::kCannotEvaluateColon)) return false;
  const std::int32_t location = currentLocation(data);
  const std::int32_t delta =
      static_cast<std::int16_t>(dollar ? value - location - 2 : value - (location - 1) - 2);
  return relativeBranch(delta);
}

bool LinkRun::relativeLabel(const Record& r) {
  const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[1]);
  if (index >= module_->labels.size() || module_->labels[index].value == kUnknownValue) {
    return placeByte(0);
  }
  const bool data = r.numbers[0] == rro::SegmentData;
  const std::uint16_t here = static_cast<std::uint16_t>(currentLocation(data) - 1);
  const std::uint16_t target = static_cast<std::uint16_t>(labelValue(index));
  return relativeBranch(static_cast<std::int16_t>(target - here - 2));
}

bool LinkRun::reserveSpace(const Record& r) {
  std::uint16_t count = 0;
  if (!resolveValue(r.value, count)) return false;
  return reserve(r.numbers[0] == rro::SegmentData, count);
}

bool LinkRun::loadReference(const Record& r) {
  const auto it = namedValues_.find(r.strings[0]);
  if (collecting() && it != namedValues_.end()) return fail(T::kDuplicateNamedValue);
  if (writingImage() && codeLoadPosition_ >= kImageSize) return fail(T::kTargetOutOfBounds);
  if (it == namedValues_.end()) {
    namedValues_.emplace(std::string(r.strings[0]), codeLoadPosition_);
  } else if (it->second != codeLoadPosition_) {
    it->second = codeLoadPosition_;
    changed();
  }
  return true;
}

bool LinkRun::dataReference(const Record& r) {
  if (collecting()) return placeWord(0) && placeByte(0);
  const auto it = namedValues_.find(r.strings[0]);
  if (it == namedValues_.end()) {
    return fail(std::string(T::kCodeLocationReference) + "\"" + std::string(r.strings[0]) + "\"" +
                std::string(T::kNotFoundSuffix));
  }
  return placeWord(static_cast<std::uint16_t>(it->second)) &&
         placeByte(static_cast<std::uint8_t>(it->second >> 16));
}

bool LinkRun::ifReferencedFirst(const Record& r) {
  exclusion_ = true;
  inReferenceNames_ = true;
  return ifReferencedName(r);
}

bool LinkRun::ifReferencedName(const Record& r) {
  const std::string_view name = r.strings[0];
  const auto it = referencedNames_.find(name);
  if (it == referencedNames_.end()) {
    referencedNames_.emplace(std::string(name), false);
  } else if (it->second) {
    exclusion_ = false;
  }
  return true;
}

bool LinkRun::ifReferencedEnd(const Record&) {
  inReferenceNames_ = false;
  if (collecting()) exclusion_ = false;
  return true;
}

bool LinkRun::storeSize(const Record& r) {
  const auto it = namedValues_.find(r.strings[0]);
  if (collecting() && it != namedValues_.end()) return fail(T::kDuplicateNamedValue);
  if (it == namedValues_.end()) {
    namedValues_.emplace(std::string(r.strings[0]), r.numbers[0]);
  } else {
    it->second = r.numbers[0];
  }
  return true;
}

bool LinkRun::sizeWord(const Record& r) {
  if (collecting()) return placeWord(0);
  const auto it = namedValues_.find(r.strings[0]);
  if (it == namedValues_.end()) {
    return fail(std::string(T::kCodeSizeReference) + "\"" + std::string(r.strings[0]) + "\"" +
                std::string(T::kNotFoundSuffix));
  }
  return placeWord(static_cast<std::uint16_t>(it->second));
}

bool LinkRun::overlayMark(const Record& r) {
  OverlayHandle* h = handle(r.numbers[0]);
  if (!h) return false;
  h->set = true;
  if (r.type == rro::OrgMark) {
    h->codeLocation = codeLocation_;
  } else {
    h->loadPosition = codeLoadPosition_;
  }
  return true;
}

bool LinkRun::overlayResume(const Record& r) {
  OverlayHandle* h = handle(r.numbers[0]);
  if (!h) return false;
  if (!h->set) return fail(T::kMarkerNotSet);
  if (r.type == rro::OrgResume) {
    codeLocation_ = h->codeLocation;
  } else {
    nextFreeLoadPosition_ = h->loadPosition;
    moveCodeLoad(h->loadPosition);
  }
  return true;
}

bool LinkRun::symbolName(const Record& r) {
  if (writingImage() && labelBeforeRecord_ && request_.writeSym) {
    symLabelLines_ += platform::Hex(static_cast<std::uint32_t>(*labelBeforeRecord_), 4);
    symLabelLines_ += ' ';
    symLabelLines_ += r.strings[0];
    symLabelLines_ += '\n';
  }
  return true;
}

bool LinkRun::memoryError(const Record& r) {
  if (writingImage() && currentLocation(dataSegment_) >= r.numbers[0]) return fail(r.strings[0]);
  return true;
}

bool LinkRun::memoryLoadError(const Record& r) {
  const std::uint32_t position = dataSegment_ ? dataLoadPosition_ : codeLoadPosition_;
  if (writingImage() && position >= r.numbers[0]) {
    fail(r.strings[0]);
    // The text is fixed when the source is written; where the check stood is known only now.
    messages_.AddMessageLine(std::string(T::kLoadPositionAtCheck) + LoadPositionHex(position) +
                             "H");
    return false;
  }
  return true;
}

bool LinkRun::report(const Record& r) {
  if (!writingImage()) return true;
  std::uint16_t value = 0;
  if (!resolveValue(r.value, value)) return false;
  messages_.AddMessageLine(std::string(r.strings[0]) + " - " + platform::Hex(value, 4) + "H");
  return true;
}

bool LinkRun::origin(const Record& r) {
  const std::uint32_t kind = r.numbers[0];
  const std::uint16_t word = static_cast<std::uint16_t>(r.numbers[1]);
  const std::uint32_t load = r.numbers[2];
  if (kind > rro::OriginDataLabel) return fail(T::kInvalidData);
  if (dataSegment_) {
    dataLocation_ = static_cast<std::uint16_t>(moduleDataBase_ + word);
    moveDataLoad(load);
    if (writingImage()) {
      note(std::string(T::kDataStart) + platform::Hex(dataLocation_, 4) + "H load at " +
           LoadPositionHex(dataLoadPosition_) + "H");
    }
    return true;
  }
  if (kind == rro::OriginOffset) {
    codeLocation_ = static_cast<std::uint16_t>(moduleCodeBase_ + word);
  } else {
    codeLocation_ = static_cast<std::uint16_t>(labelValue(word));
  }
  moveCodeLoad(load < 0x100000 ? load : nextFreeLoadPosition_);
  if (kind == rro::OriginDataLabel) codeAreas_.markRunsInBuffer(codeLocation_);
  if (writingImage()) {
    note(std::string(T::kCodeStart) + platform::Hex(codeLocation_, 4) + "H load at " +
         LoadPositionHex(codeLoadPosition_) + "H");
  }
  return true;
}

bool LinkRun::linkPlacement(const Record& r) {
  if (r.placement[0].hasAddress) {
    codeLocation_ = moduleCodeBase_ = r.placement[0].address;
    moveCodeLoad(r.placement[0].address);
  }
  if (r.placement[1].hasAddress) {
    dataLocation_ = moduleDataBase_ = r.placement[1].address;
    moveDataLoad(r.placement[1].address);
  }
  if (r.placement[1].afterCode) {
    // The code end of the pass before; a pass that ends elsewhere asks for another.
    dataAfterCode_ = true;
    if (writingImage() && codeEndBefore_ > 0xFFFF) return fail(T::kTargetOutOfBounds);
    dataLocation_ = moduleDataBase_ = static_cast<std::uint16_t>(codeEndBefore_);
    moveDataLoad(codeEndBefore_);
  }
  // LINK stands before any byte of the module, so the module starts here.
  placed_.codeStart = codeLoadPosition_;
  placed_.dataStart = dataLocation_;
  return true;
}

// ---------------------------------------------------------------- the table

std::span<const LinkRun::RecordReplay> LinkRun::recordReplays() {
  using L = LinkRun;
  static constexpr RecordReplay kReplays[] = {
      {rro::SingleByte, &L::placeRunBytes, W::Skip},
      {rro::OpcodePair, &L::placeRunBytes, W::Skip},
      {rro::ByteRunFirst, &L::placeRunBytes, W::Skip},
      {rro::AbsoluteWord, &L::placeAbsoluteWord, W::Skip},
      {rro::GlobalDefinition, &L::globalDefinition, W::Skip},
      {rro::ExternalReference, &L::externalReference, W::Skip},
      {rro::CodeSegment, &L::segmentSwitch, W::Skip},
      {rro::DataSegment, &L::segmentSwitch, W::Skip},
      {rro::WordExpression, &L::placeExpression, W::Skip},
      {rro::ByteExpression, &L::placeExpression, W::Skip},
      {rro::Equate, &L::equateDefinition, W::Skip},
      {rro::EquateReference, &L::equateReference, W::Skip},
      {rro::LoadFile, &L::loadFile, W::Skip},
      {rro::RunProgram, &L::runProgram, W::Skip},
      {rro::RunWhenDone, &L::runProgram, W::Skip},
      {rro::LabelWordCode, &L::labelWord, W::Skip},
      {rro::LabelWordData, &L::labelWord, W::Skip},
      {rro::LabelDefinitionCode, &L::labelDefinition, W::Skip},
      {rro::LabelDefinitionData, &L::labelDefinition, W::Skip},
      {rro::IfTrue, &L::ifValue, W::Replay},
      {rro::IfFalse, &L::ifValue, W::Replay},
      {rro::EndIf, &L::endIf, W::Replay},
      {rro::RelativeExpression, &L::relativeExpression, W::Skip},
      {rro::RelativeLabel, &L::relativeLabel, W::Skip},
      {rro::ReserveSpace, &L::reserveSpace, W::Skip},
      {rro::LoadReference, &L::loadReference, W::Skip},
      {rro::DataReference, &L::dataReference, W::Skip},
      {rro::IfRefFirst, &L::ifReferencedFirst, W::Replay},
      {rro::IfRefNext, &L::ifReferencedName, W::ReplayInNameList},
      {rro::IfRefEnd, &L::ifReferencedEnd, W::ReplayInNameList},
      {rro::StoreSize, &L::storeSize, W::Skip},
      {rro::SizeWord, &L::sizeWord, W::Skip},
      {rro::OrgMark, &L::overlayMark, W::Skip},
      {rro::OrgResume, &L::overlayResume, W::Skip},
      {rro::LoadMark, &L::overlayMark, W::Skip},
      {rro::LoadResume, &L::overlayResume, W::Skip},
      {rro::SymbolName, &L::symbolName, W::Skip},
      {rro::MemoryError, &L::memoryError, W::Skip},
      {rro::MemoryLoadError, &L::memoryLoadError, W::Skip},
      {rro::Report, &L::report, W::Skip},
      {rro::Origin, &L::origin, W::Skip},
      {rro::LinkPlacement, &L::linkPlacement, W::Skip},
  };
  return kReplays;
}

namespace {

// Type byte -> its row, byte runs sharing the row of 0xF1; a type without a
// row has no handler.
struct ReplayIndex {
  std::array<LinkRun::RecordReplay, 256> row;
  ReplayIndex() {
    row.fill({0, nullptr, W::Skip});
    for (const LinkRun::RecordReplay& replay : LinkRun::recordReplays())
      row[replay.type] = replay;
    for (int type = rro::ByteRunFirst; type <= 0xFF; ++type)
      row[type] = row[rro::ByteRunFirst];
  }
};

} // namespace

bool LinkRun::replayRecord(const Record& r) {
  static const ReplayIndex kIndex;
  const RecordReplay& replay = kIndex.row[r.type];
  labelBeforeRecord_ = std::exchange(labelJustDefined_, std::nullopt);
  if (exclusion_) {
    if (replay.whileExcluded == W::Skip) return true;
    if (replay.whileExcluded == W::ReplayInNameList && !inReferenceNames_) return true;
  }
  if (replay.replay == nullptr) return fail(kObjectContentsError);
  return (this->*replay.replay)(r);
}

} // namespace velkor
