#pragma once
// The main window "Orvalen (Z180)": the project list under "Current
// Project", the project commands, and the build commands the editor asks
// for, run through the same core as velkor-cli on this thread.
//
//   QtUiHost ui;
//   MainWindow main(ui, {programDirectory, VelkorIniPath(), docsDirectory, readme});
//   main.Start("/work/demo/Demo.Prj");   // "" opens the last project of Velkor.ini
//   main.show();
//
// Every question goes through the UiHost, so tests answer them.

#include <QMainWindow>
#include <QString>
#include <functional>
#include <string>

#include "common/message_list.h"
#include "common/project.h"
#include "ide/core/project_file.h"
#include "linker/linker.h"

class QAction;
class QListWidget;

namespace velkor {
struct BuildSession;
}

namespace velkor::ui {

class AsciiTableWindow;
class CompileProgressWindow;
class EditorWindow;
class HelpWindow;
class MapViewWindow;
class MessageWindow;
class QtUiHost;
class SymbolsWindow;

struct MainWindowPlaces {
  QString programDirectory; // ending in "/"; Lib/ and Default/ lie there
  QString iniPath;          // Velkor.ini
  QString docsDirectory;    // the help pages
  QString readme;           // the first help page
};

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  MainWindow(QtUiHost& ui, MainWindowPlaces places, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Reads Velkor.ini, then opens `projectFile`, or when it is empty the last
  // project when its file exists.
  void Start(const QString& projectFile);
  // Reads the .Prj without asking anything; false (with a message box) when
  // it cannot be read.
  bool OpenProject(const QString& prjPath);

  const Project& CurrentProject() const { return project_; }
  const MessageList& Messages() const { return messages_; }
  EditorWindow* Editor() const { return editor_; }
  MessageWindow* MessageView() const { return messageWindow_; }
  CompileProgressWindow* Progress() const { return progress_; }
  HelpWindow* Help() const { return help_; }
  QListWidget* ProjectList() const { return list_; }
  // The command with that object name ("newProject", "link", ...).
  QAction* Command(const QString& name) const;
  // Whether saving would change the .Prj written last.
  bool ProjectChanged();

  // The build commands of the editor and this window.
  bool CompileFile(const QString& path);
  bool CompileMain();
  bool CompileAll();
  bool Link();

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  struct CommandRow;
  void BuildMenus();
  void ConnectEditor();
  void ShowProject();
  void MarkSaved();
  void SyncEditors();
  QString Ask(const std::string& title, const std::string& filter, bool forSaving);
  void Say(std::string_view text);

  // "Save current project ?" and what Yes means; false when cancelled.
  bool SaveCurrentProjectAsking();
  bool WriteProject(const Project& project, const std::string& path);
  void OpenEditors();
  // Adding a file: open it, add it, or both; false when nothing happened.
  enum class AddMode { kOpenAndAdd, kOpenOnly, kAddOnly };
  bool AddFile(const QString& path, AddMode mode);
  void OpenEntry(int row);
  IdeSettings CurrentIdeSettings();
  void SaveProjectPages();
  bool RunBuild(bool compilesPascal, const std::function<bool(BuildSession&)>& work);

  // The commands of the menus.
  void NewProjectCommand();
  void OpenProjectCommand();
  void SaveProjectAsCommand();
  void NewSourceFileCommand();
  void EditSourceFileCommand();
  void AddToProjectCommand();
  void RemoveFromProjectCommand();
  void ChangeLinkOrderCommand();
  void MainFileCommand();
  void OptionsCommand();
  void ShowEditorCommand();
  void HelpContentsCommand();
  void HelpSearchCommand();

  QtUiHost& ui_;
  MainWindowPlaces places_;
  Project project_;
  std::string readFrom_;  // the .Prj this project was read from or last written to
  std::string savedText_; // what that file holds, to tell a change
  MessageList messages_;
  LinkResult lastLink_;
  bool building_ = false;

  QListWidget* list_;
  EditorWindow* editor_;
  MessageWindow* messageWindow_;
  CompileProgressWindow* progress_;
  AsciiTableWindow* ascii_;
  SymbolsWindow* symbols_;
  MapViewWindow* map_;
  HelpWindow* help_;
};

} // namespace velkor::ui
