#include "ide/ui/ascii_table_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/text.h"

namespace velkor::ui {
namespace {

constexpr int kDelete = 0x7F;
constexpr int kFirstC1 = 0x80;
constexpr int kLastC1 = 0x9F;

// What is drawn between the apostrophes: Unicode's control pictures for the
// C0 codes and DEL, a blank for the C1 codes that have none.
QChar Drawable(int code) {
  if (code < 0x20) return QChar(0x2400 + code);
  if (code == kDelete) return QChar(0x2421);
  if (code >= kFirstC1 && code <= kLastC1) return QChar(' ');
  return QChar(code);
}

QString Line(int code, QChar shown) {
  return QString("%1 %2H '").arg(code, 3).arg(QString::fromStdString(platform::Hex(code, 2))) +
         shown + "'";
}

} // namespace

QString AsciiTableLine(int code) {
  return Line(code, QChar(code));
}

AsciiTableWindow::AsciiTableWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), list_(new QListWidget) {
  setWindowTitle("Ascii table");
  list_->setObjectName("lines");
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(10);
  list_->setFont(fixed);
  for (int code = 0; code < kAsciiCodes; ++code) {
    auto* item = new QListWidgetItem(Line(code, Drawable(code)), list_);
    item->setData(Qt::UserRole, AsciiTableLine(code));
  }
  auto* close = new QPushButton("&Close");
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(220, 420);
}

} // namespace velkor::ui
