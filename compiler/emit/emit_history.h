#pragma once
// The peephole history: the tags and values of the last ten instruction
// lines, newest first. Emitters match tag patterns against it and rewrite the
// lines just written.
//
//   using enum HistoryTag;
//   if (c.History.Matches({PopDE, Constant, Push, WordVariable})) ...  // x + 1

#include <array>
#include <cstdint>
#include <initializer_list>

namespace velkor {

constexpr int kEmitHistoryLength = 10;

// Values from this up denote a symbol (its index in the low 16 bits); below
// it a value is a 16-bit number. Constants are recorded by their low 16 bits,
// so a negative constant never looks like a symbol.
constexpr std::uint32_t kHistorySymbolBase = 65536;

// What an instruction line tells the patterns. Each tag belongs to lines of
// one size, so a matched line's bytes are known from its tag; a line without
// a tag is invisible to every pattern.
enum class HistoryTag : char {
  None = ' ',
  Label = '\0',        // a label line: no pattern reaches across it
  Constant = 'h',      // ld hl,k: k a number or an address (the value)
  WordVariable = 'H',  // ld hl,(v): the value is v's symbol
  ZeroHigh = '0',      // ld h,0: the value in HL is a byte
  ByteThroughHL = 'm', // ld l,(hl)
  PortInput = 'i',     // in l,(c)
  ByteInL = 'l',       // ld l,a: the result of a byte operation
  Push = 'P',          // push hl of an operand
  PopDE = 'D',         // pop de: the operand pushed before, into DE
  PopBC = 'B',
  BooleanCall = 'C', // a call that returns a boolean in HL, Z set when false
  StringPush = 'S',  // a call that pushes a string (a store may move it instead)
  // push hl of a byte or word comparison's boolean, one tag per relation.
  Equal = 'x',
  NotEqual = 'X',
  Less = 'y',
  LessOrEqual = 'z',
  Greater = 'Y',
  GreaterOrEqual = 'Z',
};

struct EmitHistory {
  EmitHistory() { Clear(); }
  void Clear() {
    tags_.fill(HistoryTag::None);
    values_.fill(0);
    newest_ = 0;
  }
  // Every instruction line pushes, so this is a ring rather than a shift.
  void Push(HistoryTag tag, std::uint32_t value) {
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
    tags_[Slot(kEmitHistoryLength - 1)] = HistoryTag::None;
    values_[Slot(kEmitHistoryLength - 1)] = 0;
  }
  // True when the newest tags equal `pattern` (newest first).
  bool Matches(std::initializer_list<HistoryTag> pattern) const {
    if (pattern.size() > static_cast<std::size_t>(kEmitHistoryLength)) return false;
    int i = 0;
    for (const HistoryTag tag : pattern)
      if (Tag(i++) != tag) return false;
    return true;
  }
  // Entry 0 is the newest; unused entries hold None.
  HistoryTag Tag(int i) const { return tags_[Slot(i)]; }
  std::uint32_t Value(int i) const { return values_[Slot(i)]; }
  static bool IsNumber(std::uint32_t v) { return v < kHistorySymbolBase; }

private:
  // The ring has more slots than entries so that a slot is found by a mask;
  // entries older than the tenth are never read.
  static constexpr std::size_t kSlots = 16;
  static constexpr std::size_t kSlotMask = kSlots - 1;
  static_assert(kSlots >= kEmitHistoryLength && (kSlots & kSlotMask) == 0);
  std::size_t Slot(int i) const { return (newest_ + static_cast<std::size_t>(i)) & kSlotMask; }

  std::array<HistoryTag, kSlots> tags_{};
  std::array<std::uint32_t, kSlots> values_{};
  std::size_t newest_ = 0;
};

} // namespace velkor
