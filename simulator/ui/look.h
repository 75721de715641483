#pragma once
// What the windows share in how they look: the fixed-pitch font of code,
// dump, registers and terminal, and lists that show all their lines.

#include <QFont>

class QListWidget;

namespace kavrin::ui {

QFont FixedFont();
// Makes the list tall enough for `rows` lines of its font and wide enough for
// `columns` characters, without scroll bars.
void FitRows(QListWidget* list, int rows, int columns);

} // namespace kavrin::ui
