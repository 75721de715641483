#pragma once
// "Ascii table": one line per character code 0..255, " 65 41H 'A'".
//
//   auto* table = new velkor::ui::AsciiTableWindow(mainWindow);
//   table->show();

#include <QString>
#include <QWidget>

class QListWidget;

namespace velkor::ui {

constexpr int kAsciiCodes = 256;

// The decimal code right-aligned in three columns, a blank, two hexadecimal
// digits and "H '", the character itself and "'".
QString AsciiTableLine(int code);

class AsciiTableWindow : public QWidget {
  Q_OBJECT
public:
  explicit AsciiTableWindow(QWidget* parent = nullptr);

  // Each item keeps its AsciiTableLine in Qt::UserRole and shows it, with
  // the control characters, which no font draws, shown by their pictures.
  QListWidget* List() const { return list_; }

private:
  QListWidget* list_;
};

} // namespace velkor::ui
