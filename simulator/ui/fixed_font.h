#pragma once
// The fixed-pitch font of code, dump, registers and terminal.

#include <QFont>

namespace kavrin::ui {

QFont FixedFont();

} // namespace kavrin::ui
