#include "ide/ui/editor_page.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QStringDecoder>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "ide/ui/pascal_lexer.h"
#include "platform/atomic_file.h"

namespace velkor::ui {
namespace {

QsciScintilla::EolMode EolModeOf(const std::string& bytes) {
  std::size_t lineEnd = bytes.find_first_of("\r\n");
  if (lineEnd == std::string::npos || bytes[lineEnd] == '\n') return QsciScintilla::EolUnix;
  if (lineEnd + 1 < bytes.size() && bytes[lineEnd + 1] == '\n') return QsciScintilla::EolWindows;
  return QsciScintilla::EolMac;
}

// Why a save to `path` cannot work, or an empty string. A file without any
// write permission counts as read-only even for root, as the user meant it.
QString SaveObstacle(const QString& path) {
  std::string name = path.toStdString();
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0) {
    if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(name.c_str(), W_OK) != 0)
      return "Cannot save " + path + ": the file is read-only.";
    return {};
  }
  QString folder = QFileInfo(path).absolutePath();
  if (!QFileInfo(folder).isDir()) {
    return "Cannot save " + path + ": the folder " + folder + " does not exist.";
  }
  return {};
}

} // namespace

EditorPage::EditorPage(QWidget* parent)
    : QsciScintilla(parent), lexer_(new PascalLexer(SourceKind::kPlain, this)) {
  setUtf8(true);
  setLexer(lexer_);
  setMarginType(0, NumberMargin);
  setMarginLineNumbers(0, true);
  setMarginsFont(lexer_->defaultFont(PascalLexer::kDefault));
  setCaretLineVisible(true);
  setCaretLineBackgroundColor(QColor(0xF2, 0xF6, 0xFC));
  // The horizontal scroll bar follows the longest line shown so far.
  SendScintilla(SCI_SETSCROLLWIDTH, 1);
  SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
  setTabWidth(8);
  setIndentationsUseTabs(true);
  FitLineNumberMargin();
  connect(this, &QsciScintilla::linesChanged, this, &EditorPage::FitLineNumberMargin);
  connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &EditorPage::IndentNewLine);
}

void EditorPage::SetFile(const QString& path) {
  file_ = path;
  lexer_->SetKind(SourceKindOf(path));
}

bool EditorPage::Load(const QString& path, QString& error) {
  std::string bytes;
  std::string reason;
  if (!platform::ReadWholeFile(path.toStdString(), bytes, reason)) {
    error = QString::fromStdString(reason);
    return false;
  }
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  latin1_ = utf8.hasError();
  if (latin1_) text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
  SetFile(path);
  setEolMode(EolModeOf(bytes));
  setText(text);
  SendScintilla(SCI_EMPTYUNDOBUFFER);
  setModified(false);
  return true;
}

bool EditorPage::Save(QString& error) {
  return SaveAs(file_, error);
}

bool EditorPage::SaveAs(const QString& path, QString& error) {
  error = SaveObstacle(path);
  if (!error.isEmpty()) return false;
  QByteArray bytes = latin1_ ? text().toLatin1() : text().toUtf8();
  std::string reason;
  if (!platform::WriteFileAtomically(path.toStdString(),
                                     std::string_view(bytes.constData(), bytes.size()), reason)) {
    error = QString::fromStdString(reason);
    return false;
  }
  if (path != file_) SetFile(path);
  setModified(false);
  return true;
}

bool EditorPage::event(QEvent* event) {
  // QScintilla claims keys such as Ctrl+Z and Ctrl+Y before the window's
  // shortcuts are looked at; the window's commands own those keys here, and
  // a key that is no shortcut still reaches the control as a key press.
  if (event->type() == QEvent::ShortcutOverride) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) {
      return QAbstractScrollArea::event(event);
    }
  }
  return QsciScintilla::event(event);
}

void EditorPage::DeleteCaretLine() {
  SendScintilla(SCI_LINEDELETE);
}

void EditorPage::GoToStart() {
  SendScintilla(SCI_DOCUMENTSTART);
}

void EditorPage::GoToEnd() {
  SendScintilla(SCI_DOCUMENTEND);
}

void EditorPage::IndentNewLine(int character) {
  bool lineStarted = character == '\n' || (character == '\r' && eolMode() == EolMac);
  if (!autoIndent_ || !lineStarted) return;
  int line = 0;
  int index = 0;
  getCursorPosition(&line, &index);
  if (line == 0) return;
  QString above = text(line - 1);
  int length = 0;
  while (length < above.size() && above[length].unicode() <= 32 && above[length] != '\r' &&
         above[length] != '\n')
    ++length;
  if (length == 0) return;
  insertAt(above.left(length), line, 0);
  setCursorPosition(line, index + length);
}

void EditorPage::FitLineNumberMargin() {
  setMarginWidth(0, QString(QString::number(lines()).size() + 2, '9'));
}

} // namespace velkor::ui
