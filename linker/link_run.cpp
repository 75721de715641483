#include "linker/link_run.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <cstdio>

#include "common/constant_evaluator.h"
#include "common/file_search.h"
#include "linker/link_messages.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/process.h"

namespace velkor {

namespace T = link_text;

namespace {

std::string hex(std::uint32_t value, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*X", digits, value);
  return buf;
}

// Global-equate markers carry these two bytes before the equate's name.
constexpr std::string_view kEquateMarker = "\x01\xFF";

bool isEquateMarker(std::string_view name) { return name.substr(0, 2) == kEquateMarker; }

}  // namespace

LinkRun::LinkRun(const LinkRequest& request, MessageList& messages, platform::UiHost& ui)
    : request_(request), messages_(messages), ui_(ui) {
  programDirectory_ = request.programDirectory.empty() ? platform::ProgramDirectory()
                                                       : request.programDirectory;
}

bool LinkRun::fail(std::string_view message) {
  if (!failed_) {
    std::string line(T::kFilePrefix);
    line += module_ ? module_->path : std::string();
    line += ' ';
    line += message;
    messages_.AddMessageLine(line);
  }
  failed_ = true;
  return false;
}

// ---------------------------------------------------------------- passes

bool LinkRun::loadModule(std::size_t i) {
  Module& m = modules_[i];
  module_ = &m;
  std::string error;
  if (request_.objectsInMemory) {
    // Objects held in memory are keyed by the entry itself.
    m.path = platform::ChangeExtension(request_.sources[i], ".RRO");
    messages_.AddMessageLine(std::string(T::kLinking) + m.path);
    const auto it = request_.objectsInMemory->find(m.path);
    if (it == request_.objectsInMemory->end()) return fail(kObjectNotFound);
    m.bytes = it->second;
  } else {
    const std::string source =
        SearchProjectFile(request_.sources[i], request_.projectDirectory, programDirectory_);
    m.path = platform::ChangeExtension(source, ".RRO");
    if (auto found = platform::FindCaseInsensitive(m.path)) m.path = *found;
    messages_.AddMessageLine(std::string(T::kLinking) + m.path);
    if (!loadObjectFile(m.path, m.bytes, error)) return fail(error);
  }
  const std::string_view headerError = ObjectReader(m.bytes).checkHeader();
  if (!headerError.empty()) return fail(headerError);
  return true;
}

bool LinkRun::runPass(int pass) {
  pass_ = pass;
  codeLocation_ = dataLocation_ = 0;
  codeLoadPosition_ = dataLoadPosition_ = nextFreeLoadPosition_ = 0;
  moduleCodeBase_ = moduleDataBase_ = 0;
  highestCodeAddress_ = 0;
  dataSegment_ = false;
  exclusion_ = false;
  inReferenceNames_ = false;
  codeAreas_.reset();
  dataAreas_.reset();
  changes_ = 0;
  for (std::size_t i = 0; i < modules_.size(); ++i) {
    moduleNumber_ = static_cast<int>(i) + 1;
    if (pass == 1 && !loadModule(i)) return false;
    if (!replayModule(modules_[i])) return false;
    nextFreeLoadPosition_ = codeLoadPosition_;
    ui_.ProcessPendingMessages();
  }
  // A global whose definition was left out this pass has no address any more.
  if (pass >= 2) {
    for (auto& [name, global] : globals_) {
      if (global.definedInPass != pass && global.value != kUnknownValue) {
        global.value = kUnknownValue;
        changed();
      }
    }
  }
  return true;
}

bool LinkRun::replayModule(Module& module) {
  module_ = &module;
  moduleCodeBase_ = codeLocation_;
  moduleDataBase_ = dataLocation_;
  inReferenceNames_ = false;
  notes_.clear();
  lastWasLabel_ = false;
  ObjectReader reader(module.bytes);
  Record record;
  std::string_view error;
  while (!reader.atEnd()) {
    if (!reader.next(record, error)) return fail(error);
    if (skipWhileExcluded(record)) {
      lastWasLabel_ = false;
      continue;
    }
    if (!replayRecord(record)) return false;
  }
  if (pass_ == 4) messages_.AddMessageLine(module.path + " " + notes_);
  return true;
}

bool LinkRun::skipWhileExcluded(const Record& r) const {
  if (!exclusion_) return false;
  switch (r.type) {
    case rro::IfTrue:
    case rro::IfFalse:
    case rro::EndIf:
    case rro::IfRefFirst: return false;
    // The rest of an IFREF name list is read even while excluded, so that a
    // block is kept when any of its names is referenced.
    case rro::IfRefNext:
    case rro::IfRefEnd: return !inReferenceNames_;
    default: return true;
  }
}

// ---------------------------------------------------------------- placing

bool LinkRun::placeByte(std::uint8_t byte) {
  if (dataSegment_) {
    if (pass_ == 4) {
      if (dataLoadPosition_ >= kImageSize) return fail(T::kTargetOutOfBounds);
      image_[dataLoadPosition_] = byte;
    }
    ++dataLocation_;
    ++dataLoadPosition_;
    dataAreas_.extendTo(dataLoadPosition_);
    return true;
  }
  if (pass_ == 4) {
    if (codeLoadPosition_ >= kImageSize) return fail(T::kTargetOutOfBounds);
    image_[codeLoadPosition_] = byte;
  }
  if (codeLoadPosition_ > highestCodeAddress_) highestCodeAddress_ = codeLoadPosition_;
  ++codeLocation_;
  ++codeLoadPosition_;
  nextFreeLoadPosition_ = codeLoadPosition_;
  codeAreas_.extendTo(codeLoadPosition_);
  return true;
}

bool LinkRun::placeWord(std::uint16_t word) {
  return placeByte(static_cast<std::uint8_t>(word)) && placeByte(static_cast<std::uint8_t>(word >> 8));
}

bool LinkRun::placeSized(std::uint8_t size, std::uint32_t value) {
  if (size == 1) return placeByte(static_cast<std::uint8_t>(value));
  if (size == 2) return placeWord(static_cast<std::uint16_t>(value));
  return fail(T::kInvalidData);
}

bool LinkRun::reserve(bool dataSegment, std::uint16_t count) {
  if (count == 0) return true;
  std::uint32_t& position = dataSegment ? dataLoadPosition_ : codeLoadPosition_;
  const std::uint32_t end = position + count;
  if (pass_ == 4 && (end < position || end > kImageSize)) return fail(T::kTargetOutOfBounds);
  position = end;
  if (dataSegment) {
    dataLocation_ = static_cast<std::uint16_t>(dataLocation_ + count);
    dataAreas_.extendTo(end);
  } else {
    codeLocation_ = static_cast<std::uint16_t>(codeLocation_ + count);
    // The last reserved byte, not the one after it, is the highest address.
    if (end - 1 > highestCodeAddress_) highestCodeAddress_ = end - 1;
    nextFreeLoadPosition_ = end;
    codeAreas_.extendTo(end);
  }
  return true;
}

void LinkRun::moveCodeLoad(std::uint32_t position) {
  codeLoadPosition_ = position;
  codeAreas_.startAt(position);
}

void LinkRun::moveDataLoad(std::uint32_t position) {
  dataLoadPosition_ = position;
  dataAreas_.startAt(position);
}

// ---------------------------------------------------------------- names

std::int32_t LinkRun::labelValue(std::uint16_t index) const {
  if (index >= module_->labels.size()) return 0;
  const std::int32_t value = module_->labels[index].value;
  return value == kUnknownValue ? 0 : value;
}

void LinkRun::defineLabel(std::uint16_t index, std::int32_t value) {
  auto& labels = module_->labels;
  if (index >= labels.size()) labels.resize(static_cast<std::size_t>(index) + 1);
  if (labels[index].value != value) {
    labels[index].value = value;
    changed();
  }
  lastWasLabel_ = true;
  lastLabelValue_ = value;
}

void LinkRun::markReferenced(std::string_view name) {
  const auto it = referencedNames_.find(name);
  if (it != referencedNames_.end() && !it->second) {
    it->second = true;
    changed();
  }
}

bool LinkRun::findGlobal(std::string_view name, std::int32_t& value) const {
  const auto it = globals_.find(name);
  if (it == globals_.end() || it->second.value == kUnknownValue) return false;
  value = it->second.value;
  return true;
}

bool LinkRun::findGlobalEquate(std::string_view name, std::int32_t& value) const {
  const auto marker = globalEquateModules_.find(name);
  if (marker == globalEquateModules_.end()) return false;
  const int m = marker->second;
  if (m < 1 || static_cast<std::size_t>(m) > modules_.size()) return false;
  const auto& equates = modules_[static_cast<std::size_t>(m) - 1].equates;
  const auto it = equates.find(name);
  if (it == equates.end()) return false;
  value = it->second;
  return true;
}

bool LinkRun::findModuleEquate(std::string_view name, std::int32_t& value) const {
  const auto it = module_->equates.find(name);
  if (it == module_->equates.end()) return false;
  value = it->second;
  return true;
}

// Record 0x05 and value references of kind 2.
bool LinkRun::externalValue(std::string_view name, std::int32_t& value) {
  if (findGlobal(name, value)) {
    markReferenced(name);
    return true;
  }
  if (pass_ == 1) {
    value = 0;
    return true;
  }
  if (findGlobalEquate(name, value)) return true;
  return fail(std::string(T::kExternalLabel) + std::string(name) + std::string(T::kNotFoundSuffix));
}

// Replaces every operand of expression text by its decimal value and hands
// the result to the shared evaluator.
bool LinkRun::evaluateExpression(std::string_view text, std::uint16_t& value, bool& usedDollar,
                                 std::string_view failurePrefix, bool quiet) {
  auto fail = [&](std::string_view message) { return quiet ? false : this->fail(message); };
  usedDollar = false;
  std::string decimal;
  decimal.reserve(text.size() + 16);
  std::size_t i = 0;
  auto name = [&](std::string_view& out) {
    if (i + 1 >= text.size()) return false;
    const std::size_t len = static_cast<unsigned char>(text[i + 1]);
    if (text.size() - (i + 2) < len) return false;
    out = text.substr(i + 2, len);
    i += 2 + len;
    return true;
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == rro::ExprExternal) {
      std::string_view n;
      if (!name(n)) return fail(kObjectContentsError);
      std::int32_t v = 0;
      if (findGlobal(n, v)) {
        markReferenced(n);
      } else if (!findGlobalEquate(n, v)) {
        if (pass_ >= 2) {
          return fail(std::string(T::kExternalLabel) + std::string(n) + std::string(T::kNotFoundSuffix));
        }
        v = 0;
      }
      decimal += std::to_string(v & 0xFFFF);
    } else if (c == rro::ExprLocalLabel) {
      if (i + 1 >= text.size()) return fail(kObjectContentsError);
      const bool labelInData = static_cast<unsigned char>(text[i + 1]) == rro::SegmentData;
      i += 2;
      std::uint32_t index = 0;
      std::size_t digits = 0;
      while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 6) {
        index = index * 10 + static_cast<std::uint32_t>(text[i] - '0');
        ++i;
        ++digits;
      }
      if (digits == 0 || index > 0xFFFF) return fail(kObjectContentsError);
      std::int32_t v;
      if (index == kDollarLabelIndex) {
        usedDollar = true;
        v = currentLocation(labelInData);
      } else {
        v = labelValue(static_cast<std::uint16_t>(index));
      }
      decimal += std::to_string(v & 0xFFFF);
    } else if (c == rro::ExprEquate) {
      std::string_view n;
      if (!name(n)) return fail(kObjectContentsError);
      std::int32_t v = 0;
      if (!findModuleEquate(n, v)) {
        if (pass_ >= 2) {
          return fail(std::string(T::kExternalEquateInExpression) + std::string(n) +
                      std::string(T::kNotFoundSuffix));
        }
        v = 0;
      }
      decimal += std::to_string(v & 0xFFFF);
    } else {
      decimal += c;
      ++i;
    }
  }
  const Evaluation<std::uint16_t> result = EvaluateConstant16(decimal);
  if (!result.ok) return fail(std::string(failurePrefix) + decimal);
  value = result.value;
  return true;
}

bool LinkRun::resolveValue(const ValueRef& ref, std::uint16_t& value) {
  std::int32_t v = 0;
  bool dollar = false;
  switch (ref.kind) {
    case rro::ValueEquateName:
      if (!findGlobalEquate(ref.text, v) && !findModuleEquate(ref.text, v)) {
        if (pass_ == 1) {
          v = 0;
        } else {
          return fail(std::string(T::kCannotFindEquate) + std::string(ref.text));
        }
      }
      value = static_cast<std::uint16_t>(v);
      return true;
    case rro::ValueExpression:
      return evaluateExpression(ref.text, value, dollar, T::kCannotEvaluateColon);
    case rro::ValueExternal:
      if (!externalValue(ref.text, v)) return false;
      value = static_cast<std::uint16_t>(v);
      return true;
    case rro::ValueAbsolute: value = ref.value; return true;
    case rro::ValueLocalLabel:
      value = static_cast<std::uint16_t>(labelValue(ref.value));
      return true;
  }
  return fail(kObjectContentsError);
}

// ---------------------------------------------------------------- records

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
  if (it == globals_.end()) it = globals_.emplace(std::string(name), Global{kUnknownValue, 0}).first;
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
  const bool evaluated = evaluateExpression(r.strings[1], value, dollar, T::kCannotEvaluate, pass_ == 1);
  auto it = module_->equates.find(name);
  if (pass_ == 1) {
    if (!evaluated) value = 0;
    if (it != module_->equates.end()) return fail(std::string(T::kDuplicateEquate) + std::string(name));
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
  if (pass_ == 4 && (displacement < -128 || displacement > 127)) return fail(T::kRelativeOutOfRange);
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
  messages_.AddMessageLine(module_->path + std::string(T::kLoading) + path + " at " + hex(address, 5) + "H");
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
    messages_.AddMessageLine(module_->path +
                             std::string(whenDone ? T::kRunWhenDoneMissing : T::kRunFileMissing) + path);
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
      note(std::string(T::kDataStart) + hex(dataLocation_, 4) + "H load at " + hex(dataLoadPosition_, 5) + "H");
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
    note(std::string(T::kCodeStart) + hex(codeLocation_, 4) + "H load at " + hex(codeLoadPosition_, 5) + "H");
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
    case rro::AbsoluteWord: return placeWord(static_cast<std::uint16_t>(r.numbers[0]));
    case rro::GlobalDefinition: return globalDefinition(r);
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
      if (pass_ == 4) note(std::string(data ? T::kDataStart : T::kCodeStart) + hex(currentLocation(data), 4) + "H");
      return true;
    }
    case rro::WordExpression:
    case rro::ByteExpression:
      if (pass_ >= 2 && !evaluateExpression(r.strings[0], w, dollar, T::kCannotEvaluateColon)) {
        return false;
      }
      return type == rro::WordExpression ? placeWord(w) : placeByte(static_cast<std::uint8_t>(w));
    case rro::Equate: return equateDefinition(r);
    case rro::EquateReference: {
      const std::uint8_t size = static_cast<std::uint8_t>(r.numbers[0]);
      if (size != 1 && size != 2) return fail(T::kInvalidData);
      if (pass_ >= 3 && !findModuleEquate(r.strings[0], v) && !findGlobalEquate(r.strings[0], v)) {
        return fail(std::string(T::kExternalEquate) + std::string(r.strings[0]) + std::string(T::kNotFoundSuffix));
      }
      return placeSized(size, pass_ >= 3 ? static_cast<std::uint32_t>(v) : 0);
    }
    case rro::LoadFile: return loadFile(r);
    case rro::RunProgram: return runProgram(r.strings[0], false);
    case rro::RunWhenDone: return runProgram(r.strings[0], true);
    case rro::LabelWordCode:
    case rro::LabelWordData: {
      const std::uint16_t index = static_cast<std::uint16_t>(r.numbers[0]);
      if (index >= kDollarIndexBase) {
        const std::uint16_t here = currentLocation(type == rro::LabelWordData);
        return placeWord(static_cast<std::uint16_t>(here - static_cast<std::uint16_t>(~index)));
      }
      return placeWord(static_cast<std::uint16_t>(labelValue(index)));
    }
    case rro::LabelDefinitionCode: defineLabel(static_cast<std::uint16_t>(r.numbers[0]), codeLocation_); return true;
    case rro::LabelDefinitionData:
      defineLabel(static_cast<std::uint16_t>(r.numbers[0]), dataLocation_ + kDataLabelOffset);
      return true;
    case rro::IfTrue:
    case rro::IfFalse:
      if (pass_ < 2) return true;
      if (!resolveValue(r.value, w)) return false;
      if ((type == rro::IfTrue && w == 0) || (type == rro::IfFalse && w == 1)) exclusion_ = true;
      return true;
    case rro::EndIf: exclusion_ = false; return true;
    case rro::RelativeExpression: {
      if (pass_ == 1) return placeByte(0);
      const bool data = r.numbers[0] == rro::SegmentData;
      if (!evaluateExpression(r.strings[0], w, dollar, T::kCannotEvaluateColon)) return false;
      const std::int32_t location = currentLocation(data);
      const std::int32_t delta = static_cast<std::int16_t>(dollar ? w - location - 2 : w - (location - 1) - 2);
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
    case rro::IfRefNext: return ifReferencedName(r.strings[0]);
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
    case rro::Origin: return origin(r);
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

// ---------------------------------------------------------------- driver

LinkResult LinkRun::run() {
  LinkResult result;
  if (request_.sources.empty()) {
    messages_.AddMessageLine(T::kNoSources);
    return result;
  }
  image_.assign(kImageSize, kImageFill);
  messages_.AddMessageLine(T::kStarting);
  using Clock = std::chrono::steady_clock;
  auto timed = [&](int index, int pass) {
    const auto start = Clock::now();
    const bool ok = runPass(pass);
    result.timings.passSeconds[index] += std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
  };
  modules_.resize(request_.sources.size());
  bool ok = timed(0, 1) && timed(1, 2) && timed(2, 3);
  // Layout that still moved in the third pass would leave stale forward
  // references in the image: resolve again until it stands still.
  while (ok && changes_ != 0) {
    if (result.timings.extraResolvePasses == kMaxExtraResolvePasses) {
      module_ = nullptr;
      messages_.AddMessageLine(std::string(T::kNotSettling));
      ok = false;
      break;
    }
    ++result.timings.extraResolvePasses;
    ok = timed(2, 3);
  }
  ok = ok && timed(3, 4);
  result.ok = ok;
  if (ok) finishOutputs(result);
  result.image = std::move(image_);
  result.highestCodeAddress = highestCodeAddress_;
  result.codeAreas = codeAreas_.areas();
  result.dataAreas = dataAreas_.areas();
  result.runWhenDone = runWhenDone_;
  messages_.AddMessageLine(result.ok ? T::kComplete : T::kNotCompleted);
  return result;
}

LinkResult Link(const LinkRequest& request, MessageList& messages, platform::UiHost& ui) {
  LinkRun run(request, messages, ui);
  return run.run();
}

}  // namespace velkor
