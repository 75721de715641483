#include "simulator/ui/look.h"

#include <QFontDatabase>
#include <QListWidget>

namespace kavrin::ui {

QFont FixedFont() {
  constexpr int kPointSize = 10;
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(kPointSize);
  font.setStyleHint(QFont::Monospace);
  return font;
}

void FitRows(QListWidget* list, int rows, int columns) {
  list->setFont(FixedFont());
  list->setUniformItemSizes(true);
  // An item is a line of the font plus the style's padding.
  list->addItem(QStringLiteral("0"));
  const int rowHeight = list->sizeHintForRow(0);
  delete list->takeItem(0);
  const int frame = 2 * list->frameWidth();
  list->setMinimumHeight(rowHeight * rows + frame + 2);
  list->setMinimumWidth(list->fontMetrics().horizontalAdvance(QString(columns, '0')) + frame + 24);
}

} // namespace kavrin::ui
