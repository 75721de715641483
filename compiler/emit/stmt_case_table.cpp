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

LineBlock CaseTable::DispatchLines() const {
  LineBlock out;
  const std::string count = std::to_string(entries_.size());
  if (IsDense()) {
    out.AddCall(Routine::JumpTable);
    out.Add(Op::DefineBytePair, count, std::to_string(entries_.front().low));
    for (const CaseEntry& e : entries_)
      out.Add(Op::DefineWord, "@@" + std::to_string(e.armLabel));
  } else {
    out.AddCall(Routine::SwitchByte);
    out.Add(Op::DefineByte, count);
    for (const CaseEntry& e : entries_) {
      out.Add(Op::DefineBytePair, std::to_string(e.high), std::to_string(e.low));
      out.Add(Op::DefineWord, "@@" + std::to_string(e.armLabel));
    }
  }
  return out;
}

} // namespace velkor
