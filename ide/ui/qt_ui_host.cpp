#include "ide/ui/qt_ui_host.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <array>
#include <utility>

#include "ide/ui/compile_progress_window.h"
#include "ide/ui/editor_window.h"
#include "ide/ui/message_window.h"

namespace velkor::ui {

namespace {

constexpr std::array<std::pair<platform::Answer, QMessageBox::StandardButton>, 5> kButtons = {{
    {platform::Answer::kOk, QMessageBox::Ok},
    {platform::Answer::kYes, QMessageBox::Yes},
    {platform::Answer::kNo, QMessageBox::No},
    {platform::Answer::kCancel, QMessageBox::Cancel},
    {platform::Answer::kAll, QMessageBox::YesToAll},
}};

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString QtFileFilter(std::string_view filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    const qsizetype paren = description.indexOf('(');
    if (paren > 0) description = description.left(paren).trimmed();
    QStringList patterns;
    for (const QString& pattern : parts[i + 1].split(';', Qt::SkipEmptyParts)) {
      for (const QString& spelled : {pattern, pattern.toLower(), pattern.toUpper()})
        if (!patterns.contains(spelled)) patterns << spelled;
    }
    filters << description + " (" + patterns.join(' ') + ")";
  }
  filters << "All files (*)";
  return filters.join(";;");
}

void QtUiHost::Attach(EditorWindow* editor, CompileProgressWindow* progress,
                      MessageWindow* messages) {
  editor_ = editor;
  progress_ = progress;
  messages_ = messages;
  if (progress) {
    QObject::connect(progress, &CompileProgressWindow::cancelRequested, progress,
                     [this] { cancelled_ = true; });
  }
}

void QtUiHost::ResetCancel() {
  cancelled_ = false;
  sincePump_.invalidate();
}

void QtUiHost::ProcessPendingMessages() {
  if (sincePump_.isValid() && sincePump_.elapsed() < kPumpIntervalMs) return;
  QApplication::processEvents();
  sincePump_.start();
}

platform::Answer QtUiHost::MessageBox(std::string_view text, std::string_view caption,
                                      platform::AnswerSet buttons) {
  if (questions_) return questions_->MessageBox(text, caption, buttons);
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(Q(caption));
  box.setText(Q(text));
  box.setIcon(buttons == platform::kOkOnly ? QMessageBox::Information : QMessageBox::Question);
  for (const auto& [answer, button] : kButtons)
    if (buttons & platform::Bit(answer)) box.addButton(button);
  const int chosen = box.exec();
  for (const auto& [answer, button] : kButtons)
    if (chosen == button) return answer;
  // Closed by Escape or the title bar: the safest button offered.
  for (platform::Answer safe : {platform::Answer::kCancel, platform::Answer::kNo})
    if (buttons & platform::Bit(safe)) return safe;
  return platform::Answer::kOk;
}

std::optional<std::string> QtUiHost::AskForFile(const platform::FileRequest& request) {
  if (questions_) return questions_->AskForFile(request);
  QWidget* parent = QApplication::activeWindow();
  const QString filter = QtFileFilter(request.filter);
  // The environment asks its own overwrite questions.
  const QString file =
      request.forSaving
          ? QFileDialog::getSaveFileName(parent, Q(request.title), dialogDirectory_, filter,
                                         nullptr, QFileDialog::DontConfirmOverwrite)
          : QFileDialog::getOpenFileName(parent, Q(request.title), dialogDirectory_, filter);
  if (file.isEmpty()) return std::nullopt;
  return file.toStdString();
}

void QtUiHost::ShowEditorPosition(const std::string& file, int line, int column) {
  const QString path = QString::fromStdString(file);
  if (messages_) messages_->MarkPlace(path, line, column);
  if (editor_) editor_->ShowPosition(path, line, column);
}

void QtUiHost::SaveFileIfModified(const std::string& file) {
  if (editor_) editor_->SaveIfModified(QString::fromStdString(file));
}

void QtUiHost::ShowCompileProgress(std::string_view file, std::uint32_t lines) {
  if (progress_) progress_->ShowProgress(Q(file), static_cast<int>(lines));
}

} // namespace velkor::ui
