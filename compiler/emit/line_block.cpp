#include "compiler/emit/line_block.h"

namespace velkor {
namespace {

std::string Tabbed(std::string_view text) {
  std::string line;
  line.reserve(text.size() + 1);
  line += '\t';
  line += text;
  return line;
}

} // namespace

void LineBlock::Add(Op op) {
  lines.push_back(Tabbed(FormText(op)));
  size += static_cast<std::uint32_t>(FormSize(op));
}

void LineBlock::Add(Op op, std::string_view operand) {
  lines.push_back(Tabbed(FormText(op, operand)));
  size += static_cast<std::uint32_t>(FormSize(op));
}

void LineBlock::Add(Op op, std::string_view first, std::string_view second) {
  lines.push_back(Tabbed(FormText(op, first, second)));
  size += static_cast<std::uint32_t>(FormSize(op));
}

void LineBlock::AddCall(Routine routine) {
  Add(Op::Call, RoutineName(routine));
  externs.emplace_back(RoutineName(routine));
}

void LineBlock::AddLabel(std::string label) {
  lines.push_back(std::move(label));
}

void LineBlock::AddData(std::string_view text, std::uint32_t bytes) {
  lines.push_back(Tabbed(text));
  size += bytes;
}

} // namespace velkor
