// The state of one link, named as the linker's design names it. Link()
// creates one LinkRun and throws it away afterwards.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/object_file.h"
#include "linker/link_areas.h"
#include "linker/linker.h"

namespace velkor {

// Hash that lets the tables be searched with a string_view.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
template <typename Value>
using NameTable = std::unordered_map<std::string, Value, NameHash, std::equal_to<>>;

// Label and global values: a code address, or a data address + 0x10000.
inline constexpr std::int32_t kUnknownValue = -1;
inline constexpr std::int32_t kDataLabelOffset = 0x10000;

class LinkRun {
public:
  LinkRun(const LinkRequest& request, MessageList& messages, platform::UiHost& ui);
  LinkResult run();

private:
  struct Global {
    std::int32_t value = 0;
    int definedInPass = 0;
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
  bool runPass(int pass);
  bool replayModule(Module& module);
  bool replayRecord(const Record& r);
  bool skipWhileExcluded(const Record& r) const;

  // Placing bytes.
  bool placeByte(std::uint8_t byte);
  bool placeWord(std::uint16_t word);
  bool placeSized(std::uint8_t size, std::uint32_t value);
  bool reserve(bool dataSegment, std::uint16_t count);
  void moveCodeLoad(std::uint32_t position);
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

  // Record groups.
  bool globalDefinition(const Record& r);
  bool equateDefinition(const Record& r);
  bool relativeBranch(std::int32_t displacement);
  bool ifReferencedName(std::string_view name);
  bool loadFile(const Record& r);
  bool runProgram(std::string_view name, bool whenDone);
  bool startProgram(const std::string& path, std::string& error);
  bool origin(const Record& r);
  OverlayHandle* handle(std::uint32_t number);

  bool fail(std::string_view message);
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
  long changes_ = 0; // label, global, equate and reference changes in a pass

  // Reset for every pass.
  int pass_ = 0;
  std::uint16_t codeLocation_ = 0, dataLocation_ = 0;
  std::uint32_t codeLoadPosition_ = 0, dataLoadPosition_ = 0, nextFreeLoadPosition_ = 0;
  std::uint16_t moduleCodeBase_ = 0, moduleDataBase_ = 0;
  std::uint32_t highestCodeAddress_ = 0;
  bool dataSegment_ = false;
  int moduleNumber_ = 0;
  bool exclusion_ = false;
  bool inReferenceNames_ = false;
  LinkAreas codeAreas_, dataAreas_;

  // Per module.
  Module* module_ = nullptr;
  std::string notes_;
  bool lastWasLabel_ = false;
  std::int32_t lastLabelValue_ = 0;

  bool failed_ = false;
};

} // namespace velkor
