#include "simulator/session/terminal.h"

namespace kavrin {
namespace {
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;
} // namespace

std::string TerminalPortsCaption(std::uint8_t port) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  auto hex = [](std::uint8_t v) { return std::string{kDigits[v >> 4], kDigits[v & 0xF]}; };
  return "Ports: " + hex(port) + "H, " + hex(static_cast<std::uint8_t>(port + 1)) + "H";
}

void Terminal::Clear() {
  for (std::string& line : lines_)
    line.clear();
  line_ = 0;
  column_ = 0;
  byteWaiting_ = false;
}

void Terminal::LineFeed() {
  if (line_ == kTerminalLines - 1) {
    for (int i = 0; i + 1 < kTerminalLines; ++i)
      lines_[static_cast<std::size_t>(i)] = std::move(lines_[static_cast<std::size_t>(i + 1)]);
    lines_[kTerminalLines - 1].clear();
  } else {
    ++line_;
  }
}

void Terminal::Output(std::uint8_t c) {
  if (onOutput) onOutput(c);
  if (c == kCarriageReturn) {
    column_ = 0;
    return;
  }
  if (c == kLineFeed) {
    LineFeed();
    return;
  }
  if (column_ >= kTerminalColumns) {
    column_ = 0;
    LineFeed();
  }
  // Written at the column, so text after a CR overwrites instead of growing the line.
  std::string& line = lines_[static_cast<std::size_t>(line_)];
  const auto at = static_cast<std::size_t>(column_);
  if (line.size() <= at) line.resize(at + 1, ' ');
  line[at] = static_cast<char>(c);
  ++column_;
}

std::uint8_t Terminal::ReadData() {
  const std::uint8_t value = data_;
  byteWaiting_ = false;
  if (second_ != 0) {
    data_ = second_;
    second_ = 0;
    byteWaiting_ = true;
  }
  if (onDataRead) onDataRead();
  return value;
}

void Terminal::KeyPress(std::uint8_t code) {
  data_ = code;
  second_ = code == kCarriageReturn ? kLineFeed : 0;
  byteWaiting_ = true;
}

} // namespace kavrin
