#include "linker/link_run.h"

#include <chrono>

#include "common/file_search.h"
#include "linker/link_messages.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor {

namespace T = link_text;

LinkRun::LinkRun(const LinkRequest& request, MessageList& messages, platform::UiHost& ui)
    : request_(request), messages_(messages), ui_(ui) {
  programDirectory_ =
      request.programDirectory.empty() ? platform::ProgramDirectory() : request.programDirectory;
}

bool LinkRun::fail(std::string_view message) {
  if (!failed_) {
    std::string line(T::kFilePrefix);
    line += module_ ? module_->path : std::string();
    line += ' ';
    line += message;
    messages_.AddMessageLine(line);
    failedModule_ = module_ ? module_->path : std::string();
    failedMessage_ = message;
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
    // A directory opens and reads as an empty file: say what it is.
    if (const std::string directory = platform::DirectoryInsteadOfFile(m.path);
        !directory.empty()) {
      fail(kObjectNotFound);
      messages_.AddMessageLine(directory);
      return false;
    }
    if (!LoadObjectFile(m.path, m.bytes, error)) return fail(error);
  }
  const std::string_view headerError = ObjectReader(m.bytes).checkHeader();
  if (!headerError.empty()) return fail(headerError);
  return true;
}

bool LinkRun::runPass(LinkPass pass) {
  pass_ = pass;
  codeLocation_ = dataLocation_ = 0;
  codeLoadPosition_ = dataLoadPosition_ = nextFreeLoadPosition_ = 0;
  moduleCodeBase_ = moduleDataBase_ = 0;
  highestCodeAddress_ = 0;
  dataAfterCode_ = false;
  dataSegment_ = false;
  exclusion_ = false;
  inReferenceNames_ = false;
  codeAreas_.reset();
  dataAreas_.reset();
  changes_ = 0;
  for (std::size_t i = 0; i < modules_.size(); ++i) {
    moduleNumber_ = static_cast<int>(i) + 1;
    if (pass == LinkPass::CollectNames && !loadModule(i)) return false;
    if (!replayModule(modules_[i])) return false;
    nextFreeLoadPosition_ = codeLoadPosition_;
    ui_.ProcessPendingMessages();
  }
  // A global whose definition was left out this pass has no address any more.
  if (!collecting()) {
    for (auto& [name, global] : globals_) {
      if (global.definedInPass != pass && global.value != kUnknownValue) {
        global.value = kUnknownValue;
        changed();
      }
    }
  }
  const std::uint32_t codeEnd = highestCodeAddress_ + 1;
  if (dataAfterCode_ && codeEnd != codeEndBefore_) changed();
  codeEndBefore_ = codeEnd;
  return true;
}

bool LinkRun::replayModule(Module& module) {
  module_ = &module;
  moduleCodeBase_ = codeLocation_;
  moduleDataBase_ = dataLocation_;
  inReferenceNames_ = false;
  notes_.clear();
  labelJustDefined_.reset();
  placed_ = LinkedModule{module.path, codeLoadPosition_, 0, dataLocation_, 0};
  ObjectReader reader(module.bytes);
  Record record;
  std::string_view error;
  while (!reader.atEnd()) {
    if (!reader.next(record, error)) return fail(error);
    if (!replayRecord(record)) return false;
  }
  if (writingImage()) {
    placed_.codeEnd = codeLoadPosition_;
    placed_.dataEnd = dataLocation_;
    placements_.push_back(std::move(placed_));
    messages_.AddMessageLine(module.path + " " + notes_);
  }
  return true;
}

// ---------------------------------------------------------------- placing

bool LinkRun::placeByte(std::uint8_t byte) {
  if (dataSegment_) {
    if (writingImage()) {
      if (dataLoadPosition_ >= kImageSize) return fail(T::kTargetOutOfBounds);
      image_[dataLoadPosition_] = byte;
    }
    ++dataLocation_;
    ++dataLoadPosition_;
    dataAreas_.extendTo(dataLoadPosition_);
    return true;
  }
  if (writingImage()) {
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
  return placeByte(static_cast<std::uint8_t>(word)) &&
         placeByte(static_cast<std::uint8_t>(word >> 8));
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
  if (writingImage() && (end < position || end > kImageSize)) return fail(T::kTargetOutOfBounds);
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
  auto timed = [&](LinkPass pass) {
    const auto start = Clock::now();
    const bool ok = runPass(pass);
    result.timings.passSeconds[static_cast<int>(pass) - 1] +=
        std::chrono::duration<double>(Clock::now() - start).count();
    return ok;
  };
  modules_.resize(request_.sources.size());
  bool ok = timed(LinkPass::CollectNames) && timed(LinkPass::Resolve) && timed(LinkPass::Settle);
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
    ok = timed(LinkPass::Settle);
  }
  ok = ok && timed(LinkPass::WriteImage);
  result.ok = ok;
  if (ok) warnOfCodeUnderData();
  if (ok) finishOutputs(result);
  result.image = std::move(image_);
  result.highestCodeAddress = highestCodeAddress_;
  result.codeAreas = codeAreas_.areas();
  result.dataAreas = dataAreas_.areas();
  result.runWhenDone = runWhenDone_;
  result.modules = std::move(placements_);
  result.errorModule = failedModule_;
  result.errorMessage = failedMessage_;
  result.warnings = std::move(warnings_);
  messages_.AddMessageLine(result.ok ? T::kComplete : T::kNotCompleted);
  return result;
}

LinkResult Link(const LinkRequest& request, MessageList& messages, platform::UiHost& ui) {
  LinkRun run(request, messages, ui);
  return run.run();
}

} // namespace velkor