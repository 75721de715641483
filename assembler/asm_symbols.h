#pragma once
// The symbol tables of one assembly: labels (sorted; a label's position is its
// index in the object file), equates known by name only, and globals.

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/text.h"

namespace velkor::asmsrc {

// A label's value: its 16-bit location, with this bit for the data segment.
inline constexpr std::int32_t kDataLabelBit = 0x800000;
inline constexpr std::int32_t kExternalValue = -1;
// Indexes from 0xFF81 on encode `$` in label words, so labels stay below.
inline constexpr std::size_t kMaxLabels = 0xFF81; // indexes 0 .. 0xFF80

struct Label {
  std::int32_t value = 0;
  std::uint16_t index = 0; // valid from pass 2 on
  bool external() const { return value == kExternalValue; }
  bool inData() const { return !external() && (value & kDataLabelBit) != 0; }
  std::uint16_t location() const { return static_cast<std::uint16_t>(value & 0xFFFF); }
};

class SymbolTables {
public:
  void clear();

  Label* findLabel(std::string_view name);
  bool addLabel(std::string_view name, std::int32_t value); // false: present
  void removeLabel(std::string_view name);
  // Gives every label its position in name order; called after pass 1.
  void assignIndexes();
  std::size_t labelCount() const { return labels_.size(); }
  const std::vector<std::string>& labelsInOrder() const { return ordered_; }

  bool isEquate(std::string_view name) const { return equates_.find(name) != equates_.end(); }
  void addEquate(std::string_view name) { equates_.emplace(name); }

  bool isGlobal(std::string_view name) const { return globals_.find(name) != globals_.end(); }
  bool addGlobal(std::string_view name); // false: listed twice

private:
  std::unordered_map<std::string, Label, platform::NameHash, std::equal_to<>> labels_;
  std::vector<std::string> ordered_;
  std::unordered_set<std::string, platform::NameHash, std::equal_to<>> equates_;
  std::set<std::string, std::less<>> globals_;
};

} // namespace velkor::asmsrc
