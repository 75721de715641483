#include "ide/ui/message_window.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

namespace velkor::ui {

MessageWindow::MessageWindow(MessageList& messages, QWidget* parent)
    : QWidget(parent, Qt::Window), messages_(messages), text_(new QPlainTextEdit) {
  setWindowTitle("Messages");
  text_->setObjectName("messages");
  text_->setReadOnly(true);
  // Long lines scroll sideways instead of breaking the report's columns.
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->viewport()->installEventFilter(this);
  text_->installEventFilter(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(text_);
  const QFontMetrics metrics(text_->font());
  resize(metrics.horizontalAdvance(QString(100, QChar('M'))),
         metrics.lineSpacing() * (kMessageLinesInView + 1) + 2 * text_->frameWidth() +
             text_->horizontalScrollBar()->sizeHint().height() + 8);
  observer_ = messages_.AddObserver([this](const std::string& line) { Append(line); });
  Resync();
}

MessageWindow::~MessageWindow() {
  messages_.RemoveObserver(observer_);
}

void MessageWindow::Append(const std::string& line) {
  // An emptied list shows up as a line count that does not follow on.
  if (shown_ + 1 != messages_.Lines().size()) {
    shown_ = static_cast<std::size_t>(-1);
    Resync();
    return;
  }
  text_->appendPlainText(QString::fromStdString(line));
  ++shown_;
}

void MessageWindow::Resync() {
  // Lines already shown keep their error places.
  if (shown_ == messages_.Lines().size()) return;
  QStringList lines;
  for (const std::string& line : messages_.Lines())
    lines << QString::fromStdString(line);
  text_->setPlainText(lines.join('\n'));
  shown_ = messages_.Lines().size();
  places_.clear();
  markedFirst_ = markedLast_ = -1;
}

QStringList MessageWindow::ShownLines() const {
  if (shown_ == 0) return {};
  return text_->toPlainText().split('\n');
}

void MessageWindow::MarkPlace(const QString& file, int line, int column) {
  const int last = static_cast<int>(shown_) - 1;
  if (last < 0) return;
  const QString name = QFileInfo(file).fileName();
  QTextDocument* document = text_->document();
  int first = last;
  for (int i = last; i >= 0 && i > last - kErrorReportLines; --i) {
    if (document->findBlockByNumber(i).text().contains(name)) {
      first = i;
      break;
    }
  }
  MarkLines(first, {file, line, column});
}

void MessageWindow::MarkDiagnostic(const Diagnostic& diagnostic) {
  if (diagnostic.line == 0) return;
  const QString file = QString::fromStdString(diagnostic.file);
  const int line = static_cast<int>(diagnostic.line) - 1;
  const int column = diagnostic.column > 0 ? static_cast<int>(diagnostic.column) - 1 : 0;
  if (markedLast_ >= 0 && markedLast_ == static_cast<int>(shown_) - 1) {
    // On the tool's own line the editor keeps the caret column it has always had.
    const Place& marked = places_[markedLast_];
    if (marked.file == file && marked.line == line) return;
    MarkLines(markedFirst_, {file, line, column});
  } else {
    MarkPlace(file, line, column);
  }
}

void MessageWindow::MarkLines(int first, const Place& place) {
  const int last = static_cast<int>(shown_) - 1;
  QTextCharFormat marked;
  marked.setForeground(Qt::darkRed);
  marked.setToolTip(
      QString("Double-click to open %1 at line %2").arg(place.file).arg(place.line + 1));
  QTextCursor cursor(text_->document()->findBlockByNumber(first));
  cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  cursor.mergeCharFormat(marked);
  for (int i = first; i <= last; ++i)
    places_.insert(i, place);
  markedFirst_ = first;
  markedLast_ = last;
}

void MessageWindow::ScrollToEnd(int lines) {
  if (static_cast<int>(shown_) <= lines) return;
  QScrollBar* bar = text_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void MessageWindow::OpenLine(int line) {
  const auto place = places_.constFind(line);
  if (place != places_.constEnd()) emit placeRequested(place->file, place->line, place->column);
}

bool MessageWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == text_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    OpenLine(text_->cursorForPosition(mouse->position().toPoint()).blockNumber());
    return true;
  }
  if (watched == text_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      OpenLine(text_->textCursor().blockNumber());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

} // namespace velkor::ui
