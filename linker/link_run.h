// The state of one link, named as the linker's design names it. Link()
// creates one LinkRun and throws it away afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/object_file.h"
#include "linker/link_areas.h"
#include "linker/linker.h"
#include "platform/text.h"

namespace velkor {

template <typename Value>
using NameTable = std::unordered_map<std::string, Value, platform::NameHash, std::equal_to<>>;

// Label and global values: a code address, or a data address + 0x10000.
inline constexpr std::int32_t kUnknownValue = -1;
inline constexpr std::int32_t kDataLabelOffset = 0x10000;

// Every object is replayed once per pass, in this order.
enum class LinkPass {
  // Collects globals, equates, named values and IFREF names; every
  // conditional block is included and unknown values count as 0.
  CollectNames = 1,
  // Resolves values; conditional blocks are left out from here on.
  Resolve,
  // Resolves again, equate references included; repeated while the layout moves.
  Settle,
  // Places the bytes into the image and writes the notes and .SYM label lines.
  WriteImage,
};

// What a record does while a conditional block is being left out.
enum class WhileExcluded {
  Skip,
  Replay,
  // Replayed inside an IFREF name list, so that a block is kept when any of
  // its names is referenced.
  ReplayInNameList,
};

class LinkRun {
public:
  LinkRun(const LinkRequest& request, MessageList& messages, platform::UiHost& ui);
  LinkResult run();

  // One row per record type (byte runs once, as 0xF1): what replaying it
  // does. Public so that a test can hold it against the object format.
  struct RecordReplay {
    std::uint8_t type;
    bool (LinkRun::*replay)(const Record& r);
    WhileExcluded whileExcluded;
  };
  static std::span<const RecordReplay> recordReplays();

private:
  struct Global {
    std::int32_t value = 0;
    LinkPass definedInPass = LinkPass::CollectNames;
  };
  struct Label {
    std::int32_t value = kUnknownValue;
  };
  struct OverlayHandle {
    bool set = false;
    std::uint16_t codeLocation = 0;
    std::uint32_t loadPosition = 0;
  };
  struct Module {
    std::string path; // the object as found
    std::vector<std::uint8_t> bytes;
    std::vector<Label> labels;       // by label index
    NameTable<std::int32_t> equates; // this module's equates
  };

  // Passes and modules.
  bool loadModule(std::size_t index);
  bool runPass(LinkPass pass);
  bool replayModule(Module& module);
  bool replayRecord(const Record& r);
  bool collecting() const { return pass_ == LinkPass::CollectNames; }
  bool writingImage() const { return pass_ == LinkPass::WriteImage; }

  // Placing bytes.
  bool placeByte(std::uint8_t byte);
  bool placeWord(std::uint16_t word);
  bool placeSized(std::uint8_t size, std::uint32_t value);
  bool reserve(bool dataSegment, std::uint16_t count);
  void moveCodeLoad(std::uint32_t position);
  // A warning line for every code area that a data area overlaps.
  void warnOfCodeUnderData();
  void moveDataLoad(std::uint32_t position);

  // Names and values.
  std::int32_t labelValue(std::uint16_t index) const;
  void defineLabel(std::uint16_t index, std::int32_t value);
  void markReferenced(std::string_view name);
  bool findGlobal(std::string_view name, std::int32_t& value) const;
  bool findGlobalEquate(std::string_view name, std::int32_t& value) const;
  bool findModuleEquate(std::string_view name, std::int32_t& value) const;
  bool externalValue(std::string_view name, std::int32_t& value);
  // Quiet: a failure gives false without a message.
  bool evaluateExpression(std::string_view text, std::uint16_t& value, bool& usedDollar,
                          std::string_view failurePrefix, bool quiet = false);
  bool resolveValue(const ValueRef& ref, std::uint16_t& value);
  std::uint16_t currentLocation(bool dataSegment) const {
    return dataSegment ? dataLocation_ : codeLocation_;
  }

  // The handlers of recordReplays() (link_records.cpp).
  bool placeRunBytes(const Record& r);
  bool placeAbsoluteWord(const Record& r);
  bool globalDefinition(const Record& r);
  bool externalReference(const Record& r);
  bool segmentSwitch(const Record& r);
  bool placeExpression(const Record& r);
  bool equateDefinition(const Record& r);
  bool equateReference(const Record& r);
  bool loadFile(const Record& r);
  bool runProgram(const Record& r);
  bool labelWord(const Record& r);
  bool labelDefinition(const Record& r);
  bool ifValue(const Record& r);
  bool endIf(const Record& r);
  bool relativeExpression(const Record& r);
  bool relativeLabel(const Record& r);
  bool reserveSpace(const Record& r);
  bool loadReference(const Record& r);
  bool dataReference(const Record& r);
  bool ifReferencedFirst(const Record& r);
  bool ifReferencedName(const Record& r);
  bool ifReferencedEnd(const Record& r);
  bool storeSize(const Record& r);
  bool sizeWord(const Record& r);
  bool overlayMark(const Record& r);
  bool overlayResume(const Record& r);
  bool symbolName(const Record& r);
  bool memoryError(const Record& r);
  bool memoryLoadError(const Record& r);
  bool report(const Record& r);
  bool origin(const Record& r);
  bool linkPlacement(const Record& r);

  bool relativeBranch(std::int32_t displacement);
  bool startProgram(const std::string& path, std::string& error);
  OverlayHandle* handle(std::uint32_t number);

  bool fail(std::string_view message);
  // Adds the message line, and the warning it carries for the diagnostics.
  void warn(std::string_view module, const std::string& line);
  void note(std::string_view text) { notes_ += text; }
  void changed() { ++changes_; }
  void finishOutputs(LinkResult& result);

  const LinkRequest& request_;
  MessageList& messages_;
  platform::UiHost& ui_;
  std::string programDirectory_;

  // Kept for the whole link.
  std::vector<Module> modules_;
  std::vector<std::uint8_t> image_;
  NameTable<Global> globals_;
  NameTable<int> globalEquateModules_;   // global equate name -> defining module
  NameTable<std::uint32_t> namedValues_; // LOADREF positions, STORESIZE sizes
  NameTable<bool> referencedNames_;
  std::array<OverlayHandle, kOverlayHandles> overlayHandles_{};
  std::vector<std::string> runWhenDone_;
  std::string symLabelLines_;
  LinkedModule placed_;                  // the module being replayed
  std::vector<LinkedModule> placements_; // filled by the last pass
  // One past the highest code load position of the pass before, where LINK
  // ...,CODEEND puts the data.
  std::uint32_t codeEndBefore_ = 0;
  long changes_ = 0; // label, global, equate and reference changes in a pass

  // Reset for every pass.
  LinkPass pass_ = LinkPass::CollectNames;
  std::uint16_t codeLocation_ = 0, dataLocation_ = 0;
  std::uint32_t codeLoadPosition_ = 0, dataLoadPosition_ = 0, nextFreeLoadPosition_ = 0;
  std::uint16_t moduleCodeBase_ = 0, moduleDataBase_ = 0;
  std::uint32_t highestCodeAddress_ = 0;
  bool dataAfterCode_ = false; // a LINK placed data after the code
  bool dataSegment_ = false;
  int moduleNumber_ = 0;
  bool exclusion_ = false;
  bool inReferenceNames_ = false;
  LinkAreas codeAreas_, dataAreas_;

  // Per module. A label defined by the record just before a NAME record
  // gives that name its .SYM line.
  Module* module_ = nullptr;
  std::string notes_;
  std::optional<std::int32_t> labelJustDefined_;
  std::optional<std::int32_t> labelBeforeRecord_;

  bool failed_ = false;
  std::string failedModule_, failedMessage_;
  std::vector<LinkWarning> warnings_;
};

} // namespace velkor
