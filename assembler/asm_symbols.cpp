#include "assembler/asm_symbols.h"

#include <algorithm>

namespace velkor::asmsrc {

void SymbolTables::clear() {
  labels_.clear();
  ordered_.clear();
  equates_.clear();
  globals_.clear();
}

Label* SymbolTables::findLabel(std::string_view name) {
  auto it = labels_.find(name);
  return it == labels_.end() ? nullptr : &it->second;
}

bool SymbolTables::addLabel(std::string_view name, std::int32_t value) {
  return labels_.emplace(std::string(name), Label{value, 0}).second;
}

void SymbolTables::removeLabel(std::string_view name) {
  auto it = labels_.find(name);
  if (it != labels_.end()) labels_.erase(it);
}

void SymbolTables::assignIndexes() {
  ordered_.clear();
  ordered_.reserve(labels_.size());
  for (const auto& entry : labels_)
    ordered_.push_back(entry.first);
  std::sort(ordered_.begin(), ordered_.end());
  for (std::size_t i = 0; i < ordered_.size(); ++i)
    labels_.find(ordered_[i])->second.index = static_cast<std::uint16_t>(i);
}

bool SymbolTables::addGlobal(std::string_view name) {
  return globals_.emplace(name).second;
}

} // namespace velkor::asmsrc
