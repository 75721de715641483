#pragma once
// The peephole history: the tags and values of the last ten instruction
// lines, newest first. Emitters match tag patterns against it and rewrite the
// lines just written.

#include <array>
#include <cstdint>
#include <string_view>

namespace velkor {

constexpr int kEmitHistoryLength = 10;

// Values from this up denote a symbol (its index in the low 16 bits); below
// it a value is a 16-bit number. Constants are recorded by their low 16 bits,
// so a negative constant never looks like a symbol.
constexpr std::uint32_t kHistorySymbolBase = 65536;

struct EmitHistory {
  EmitHistory() { Clear(); }
  void Clear() {
    tags_.fill(' ');
    values_.fill(0);
    newest_ = 0;
  }
  // Every instruction line pushes, so this is a ring rather than a shift.
  void Push(char tag, std::uint32_t value) {
    newest_ = (newest_ - 1) & kSlotMask;
    tags_[newest_] = tag;
    values_[newest_] = value;
  }
  // Removes entry i; the older entries close up and the oldest slot is blank.
  // The removed entry is usually among the newest, so the newer entries move
  // down one slot and the ring turns.
  void RemoveAt(int i) {
    for (int k = i; k > 0; --k) {
      tags_[Slot(k)] = tags_[Slot(k - 1)];
      values_[Slot(k)] = values_[Slot(k - 1)];
    }
    newest_ = (newest_ + 1) & kSlotMask;
    tags_[Slot(kEmitHistoryLength - 1)] = ' ';
    values_[Slot(kEmitHistoryLength - 1)] = 0;
  }
  // True when the newest tags equal `pattern` (newest first).
  bool Matches(std::string_view pattern) const {
    if (pattern.size() > static_cast<std::size_t>(kEmitHistoryLength)) return false;
    for (std::size_t i = 0; i < pattern.size(); ++i)
      if (Tag(static_cast<int>(i)) != pattern[i]) return false;
    return true;
  }
  // The same with the newest tag given apart.
  bool Matches(char newest, std::string_view older) const {
    if (older.size() + 1 > static_cast<std::size_t>(kEmitHistoryLength) || Tag(0) != newest)
      return false;
    for (std::size_t i = 0; i < older.size(); ++i)
      if (Tag(static_cast<int>(i + 1)) != older[i]) return false;
    return true;
  }
  // Entry 0 is the newest. A label line records tag '\0'; unused entries hold ' '.
  char Tag(int i) const { return tags_[Slot(i)]; }
  std::uint32_t Value(int i) const { return values_[Slot(i)]; }
  static bool IsNumber(std::uint32_t v) { return v < kHistorySymbolBase; }

private:
  // The ring has more slots than entries so that a slot is found by a mask;
  // entries older than the tenth are never read.
  static constexpr std::size_t kSlots = 16;
  static constexpr std::size_t kSlotMask = kSlots - 1;
  static_assert(kSlots >= kEmitHistoryLength && (kSlots & kSlotMask) == 0);
  std::size_t Slot(int i) const { return (newest_ + static_cast<std::size_t>(i)) & kSlotMask; }

  std::array<char, kSlots> tags_{};
  std::array<std::uint32_t, kSlots> values_{};
  std::size_t newest_ = 0;
};

} // namespace velkor
