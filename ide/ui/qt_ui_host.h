#pragma once
// platform::UiHost with Qt: modal message boxes and file dialogs, pumping
// the event loop, the editor window for error places and unsaved include
// files, and the compile progress window with its cancel button.
//
//   QtUiHost ui;                       // tests pass a HeadlessUiHost to script the questions
//   EditorWindow editor(ui);
//   CompileProgressWindow progress;
//   ui.Attach(&editor, &progress, &messageWindow);
//   ui.ResetCancel();
//   CompileFile(path, settings, messages, ui);   // error 111 once Cancel is pressed

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include "platform/ui_host.h"

namespace velkor::ui {

class CompileProgressWindow;
class EditorWindow;
class MessageWindow;

// The tools ask to pump far more often than a screen can show: events are
// processed at most this often, which a user cannot tell from every time.
constexpr int kPumpIntervalMs = 20;

class QtUiHost : public platform::UiHost {
public:
  // With `questions`, message boxes and file dialogs are answered by it
  // instead of by the user.
  explicit QtUiHost(platform::UiHost* questions = nullptr) : questions_(questions) {}

  // An error place goes to the editor and tags the message window's report.
  void Attach(EditorWindow* editor, CompileProgressWindow* progress, MessageWindow* messages);
  // Where file dialogs start.
  void SetDialogDirectory(const QString& directory) { dialogDirectory_ = directory; }
  // Before each command: no cancel pending, and the next pump runs.
  void ResetCancel();

  void ProcessPendingMessages() override;
  platform::Answer MessageBox(std::string_view text, std::string_view caption,
                              platform::AnswerSet buttons) override;
  std::optional<std::string> AskForFile(const platform::FileRequest& request) override;
  void ShowEditorPosition(const std::string& file, int line, int column) override;
  void SaveFileIfModified(const std::string& file) override;
  void ShowCompileProgress(std::string_view file, std::uint32_t lines) override;
  bool CancelRequested() override { return cancelled_; }

private:
  platform::UiHost* questions_;
  QPointer<EditorWindow> editor_;
  QPointer<CompileProgressWindow> progress_;
  QPointer<MessageWindow> messages_;
  QString dialogDirectory_;
  bool cancelled_ = false;
  QElapsedTimer sincePump_;
};

// "Project files (*.Prj)|*.Prj" as a Qt filter, the pattern in every case
// ("Project files (*.Prj *.prj *.PRJ)"), since a Linux directory may hold any.
QString QtFileFilter(std::string_view filter);

} // namespace velkor::ui
