#include "simulator/ui/fixed_font.h"

#include <QFontDatabase>

namespace kavrin::ui {

QFont FixedFont() {
  constexpr int kPointSize = 10;
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setPointSize(kPointSize);
  font.setStyleHint(QFont::Monospace);
  return font;
}

} // namespace kavrin::ui
