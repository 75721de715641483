#pragma once
// The table behind a CASE statement: one entry per label or range, searched at
// run time by __jpTable (dense runs of single values) or __switchbyte.

#include <cstdint>
#include <string>
#include <vector>

#include "compiler/emit/line_block.h"

namespace velkor {

struct CaseEntry {
  std::uint8_t low = 0;
  std::uint8_t high = 0;
  unsigned armLabel = 0; // the number n of the arm's label @@n
};

class CaseTable {
public:
  static constexpr std::size_t kMaxEntries = 100;

  // False when the table is full; the caller reports the overflow.
  bool Add(std::uint8_t low, std::uint8_t high, unsigned armLabel);

  // 2 to 127 single values, each one above the previous (on bytes).
  bool IsDense() const;

  // The call of __jpTable or __switchbyte and the table behind it.
  LineBlock DispatchLines() const;

  const std::vector<CaseEntry>& Entries() const { return entries_; }

private:
  std::vector<CaseEntry> entries_;
};

} // namespace velkor
