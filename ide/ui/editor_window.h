#pragma once
// The editor window "Orvalen  File Editor": one page per open file, in
// slots that stay contiguous (closing page 3 moves pages 4... down by one).
// The build commands and the tool windows belong to the main window; this
// window only asks for them through its signals.
//
//   velkor::ui::EditorWindow editor(uiHost);
//   connect(&editor, &EditorWindow::compileFileRequested, ...);  // the page is saved first
//   editor.OpenFile("/work/demo/Main.Pas");
//   editor.ShowPosition("/work/demo/Terminal.pas", 11, 2);        // a compile error, 0-based
//   if (!editor.CloseAllPages()) return;                          // the user cancelled
//
// Every question and message goes through the UiHost, so tests answer them.

#include <QHash>
#include <QMainWindow>
#include <QStringList>
#include <span>
#include <string_view>

#include "platform/ui_host.h"

class QAction;
class QLabel;
class QTabWidget;
class QsciScintilla;

namespace velkor::ui {

class EditorPage;
class FindReplaceDialog;

// A slot's file name holds as many characters as every other name.
constexpr int kSlotNameLength = 255;

class EditorWindow : public QMainWindow {
  Q_OBJECT
public:
  explicit EditorWindow(platform::UiHost& ui, QWidget* parent = nullptr);

  // Brings the file's page to the front, or opens it in the next free slot.
  // False when it could not be opened: all slots in use (then nothing
  // happens at all), or a file that is missing, unreadable or has too long a
  // name (then a message box says so).
  bool OpenFile(const QString& path);
  // Opens the file when no page holds it and puts the caret at the 0-based
  // line and column.
  void ShowPosition(const QString& path, int line, int column);
  // Saves the file's page when it has unsaved changes; false when that failed.
  bool SaveIfModified(const QString& path);
  // Closes the file's page, asking first when it has changed; false when the
  // user cancelled or the save failed. True when no page holds the file.
  bool ClosePageOf(const QString& path);
  // Closes every page so; false when one stayed open.
  bool CloseAllPages();

  QStringList OpenFiles() const; // in slot order
  int CurrentIndex() const;      // -1 without pages
  void SetCurrentIndex(int index);
  QString ActiveFile() const;
  QsciScintilla* EditorOf(const QString& path) const;

  void SetAutoIndent(bool on);
  bool AutoIndent() const { return autoIndent_; }
  // "Asm" and "Pas" follow the active page and whether its other file exists
  // (call after a compile wrote the .Mac).
  void UpdateAsmPasButtons();

signals:
  void compileFileRequested(const QString& path);
  void compileMainRequested();
  void compileAllRequested();
  void linkRequested();
  void projectWindowRequested();
  void autoIndentToggled(bool on);
  void showStatusRequested();
  void asciiTableRequested();
  void symbolsRequested();
  void codeMapRequested();

protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  struct Command;
  static std::span<const Command> Commands();
  void BuildActions();
  QAction* Act(std::string_view id) const;

  EditorPage* PageAt(int index) const;
  EditorPage* ActivePage() const;
  int IndexOf(const QString& path) const;
  bool ClosePage(int index);
  bool SavePage(EditorPage* page);
  // Slot names are refused, never cut, when longer than kSlotNameLength.
  bool FitsInSlot(const QString& name);
  void Say(const QString& text);
  platform::Answer Ask(const QString& text, platform::AnswerSet buttons);
  void RefreshCaption(EditorPage* page);
  void ShowCaret(int line, int index);
  void PageActivated();

  // The commands of the menus and tool buttons.
  void NewFile();
  void OpenAsked();
  void SaveActive();
  void SaveActiveAs();
  void SaveAllAsking();
  void CloseActive();
  void ShowFind();
  void ShowReplace();
  void FindNextInPage();
  void ReplaceInPage();
  void Copy();
  void Cut();
  void Paste();
  void DeleteLine();
  void Undo();
  void SelectAll();
  void StartOfFile();
  void EndOfFile();
  void ToggleAutoIndent();
  void CompileActive();
  void ShowAssembler();
  void ShowPascal();
  void SwitchTo(const char* extension);

  platform::UiHost& ui_;
  QTabWidget* tabs_;
  QLabel* fileLabel_;
  QLabel* caretLabel_;
  FindReplaceDialog* findDialog_;
  QHash<QString, QAction*> actions_;
  bool autoIndent_ = false;
};

} // namespace velkor::ui
