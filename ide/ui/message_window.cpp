#include "ide/ui/message_window.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QListWidget>
#include <QVBoxLayout>

namespace velkor::ui {

namespace {

// Qt::UserRole holds the file, +1 the 0-based line, +2 the column.
constexpr int kFileRole = Qt::UserRole;
constexpr int kLineRole = Qt::UserRole + 1;
constexpr int kColumnRole = Qt::UserRole + 2;

} // namespace

MessageWindow::MessageWindow(MessageList& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), messages_(messages), list_(new QListWidget) {
  setWindowTitle("Messages");
  list_->setObjectName("messages");
  list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  // Long lines scroll sideways instead of losing their ends.
  list_->setTextElideMode(Qt::ElideNone);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(list_);
  const int lineHeight = list_->fontMetrics().height();
  resize(list_->fontMetrics().horizontalAdvance(QString(100, QChar(0x4D))),
         lineHeight * (kMessageLinesInView + 3));
  connect(list_, &QListWidget::itemDoubleClicked, this, &MessageWindow::Open);
  observer_ = messages_.AddObserver([this](const std::string& line) { Append(line); });
  Resync();
}

MessageWindow::~MessageWindow() {
  messages_.RemoveObserver(observer_);
}

void MessageWindow::Append(const std::string& line) {
  // An emptied list shows up as a line count that does not follow on.
  if (static_cast<std::size_t>(list_->count()) + 1 != messages_.Lines().size()) {
    list_->clear();
    Resync();
    return;
  }
  list_->addItem(QString::fromStdString(line));
}

void MessageWindow::Resync() {
  // Lines already shown keep their error places.
  if (static_cast<std::size_t>(list_->count()) == messages_.Lines().size()) return;
  list_->clear();
  for (const std::string& line : messages_.Lines())
    list_->addItem(QString::fromStdString(line));
}

void MessageWindow::MarkPlace(const QString& file, int line, int column) {
  const int last = list_->count() - 1;
  if (last < 0) return;
  const QString name = QFileInfo(file).fileName();
  int first = last;
  for (int i = last; i >= 0 && i > last - kErrorReportLines; --i) {
    if (list_->item(i)->text().contains(name)) {
      first = i;
      break;
    }
  }
  const QString hint = QString("Double-click to open %1 at line %2").arg(file).arg(line + 1);
  for (int i = first; i <= last; ++i) {
    QListWidgetItem* item = list_->item(i);
    item->setData(kFileRole, file);
    item->setData(kLineRole, line);
    item->setData(kColumnRole, column);
    item->setToolTip(hint);
    item->setForeground(Qt::darkRed);
  }
}

void MessageWindow::ScrollToEnd(int lines) {
  if (list_->count() > lines) list_->scrollToItem(list_->item(list_->count() - 1));
}

void MessageWindow::Open(QListWidgetItem* item) {
  const QString file = item->data(kFileRole).toString();
  if (file.isEmpty()) return;
  emit placeRequested(file, item->data(kLineRole).toInt(), item->data(kColumnRole).toInt());
}

} // namespace velkor::ui
