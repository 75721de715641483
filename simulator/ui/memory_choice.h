#pragma once
// The "Memory" radio group of the disassembler and the dump: Virtual (the
// default) or Physical addresses.

#include <QGroupBox>
#include <functional>

namespace kavrin::ui {

QGroupBox* MemoryChoice(QWidget* parent, std::function<void(bool physical)> changed);

} // namespace kavrin::ui
