#include "compiler/emit/stmt_case_table.h"

namespace velkor {

bool CaseTable::Add(std::uint8_t low, std::uint8_t high, unsigned armLabel) {
  if (entries_.size() >= kMaxEntries) return false;
  entries_.push_back({low, high, armLabel});
  return true;
}

bool CaseTable::IsDense() const {
  if (entries_.size() < 2 || entries_.size() > 127) return false;
  const std::uint8_t first = entries_.front().low;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const CaseEntry& e = entries_[i];
    if (e.low != e.high) return false;
    if (e.low != static_cast<std::uint8_t>(first + i)) return false;
  }
  return true;
}

CaseTable::Dispatch CaseTable::DispatchLines() const {
  Dispatch out;
  const std::string count = std::to_string(entries_.size());
  if (IsDense()) {
    out.routine = Routine::JumpTable;
    out.lines.push_back("\tcall " + std::string(RoutineName(out.routine)));
    out.lines.push_back("\tDB " + count + "," + std::to_string(entries_.front().low));
    for (const CaseEntry& e : entries_)
      out.lines.push_back("\tDW @@" + std::to_string(e.armLabel));
    out.size = static_cast<std::uint32_t>(2 * entries_.size() + 1);
  } else {
    out.routine = Routine::SwitchByte;
    out.lines.push_back("\tcall " + std::string(RoutineName(out.routine)));
    out.lines.push_back("\tDB " + count);
    for (const CaseEntry& e : entries_) {
      out.lines.push_back("\tDB " + std::to_string(e.high) + "," + std::to_string(e.low));
      out.lines.push_back("\tDW @@" + std::to_string(e.armLabel));
    }
    out.size = static_cast<std::uint32_t>(1 + 4 * entries_.size());
  }
  return out;
}

} // namespace velkor
