#include "ide/ui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <Qsci/qsciscintilla.h>

#include "ide/core/build_commands.h"
#include "ide/core/build_pascal.h"
#include "ide/core/project_commands.h"
#include "ide/ui/ascii_table_window.h"
#include "ide/ui/compile_progress_window.h"
#include "ide/ui/editor_window.h"
#include "ide/ui/help_window.h"
#include "ide/ui/map_view_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/project_dialogs.h"
#include "ide/ui/qt_ui_host.h"
#include "ide/ui/symbols_window.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor::ui {

namespace {

constexpr std::string_view kCaption = "Orvalen (Z180)";
constexpr std::string_view kMessageCaption = "Velkor";
constexpr std::string_view kSaveCurrentProject = "Save current project ?";
constexpr std::string_view kChangedSaveChanges = " has changed. Save changes ?";
constexpr std::string_view kFileExists = "File exists. You must choose a new name...";
constexpr std::string_view kSelectExisting = "You must select an existing file...";
constexpr std::string_view kProjectFilter = "Project files (*.Prj)|*.Prj";
constexpr std::string_view kSourceFilter =
    "Source files (*.Pas;*.Mac;*.EPS;*.RRO)|*.Pas;*.Mac;*.EPS;*.RRO";
constexpr std::string_view kPascalFilter = "Pascal Source (*.Pas)|*.Pas";
// Library objects are searched there (see SearchProjectFile).
constexpr const char* kLibraryDirectories[] = {"Lib", "Default"};

std::string S(const QString& text) {
  return text.toStdString();
}
QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Object files and encoded sources are never opened in the editor.
bool NeverEdited(const std::string& path) {
  const std::string extension = platform::UpperExtension(path);
  return extension == ".RRO" || extension == ".EPS";
}

} // namespace

struct MainWindow::CommandRow {
  const char* menu; // "" for an item of the menu bar itself
  const char* text;
  const char* name;
  void (MainWindow::*handler)();
};

MainWindow::MainWindow(QtUiHost& ui, MainWindowPlaces places, QWidget* parent)
    : QMainWindow(parent), ui_(ui), places_(std::move(places)),
      project_(NewProject(S(places_.programDirectory))), list_(new QListWidget),
      editor_(new EditorWindow(ui, this)), messageWindow_(new MessageWindow(messages_, this)),
      progress_(new CompileProgressWindow(this)), ascii_(new AsciiTableWindow(this)),
      symbols_(new SymbolsWindow(ui, this)), map_(new MapViewWindow(this)),
      help_(new HelpWindow({places_.readme}, places_.docsDirectory, this)) {
  setWindowTitle(Q(kCaption));
  for (QWidget* window : std::initializer_list<QWidget*>{editor_, ascii_, symbols_, map_})
    window->setWindowFlag(Qt::Window);
  ui_.Attach(editor_, progress_, messageWindow_);
  list_->setObjectName("projectItems");
  auto* link = new QPushButton("&Link");
  link->setObjectName("linkButton");
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(new QLabel("Current Project"));
  layout->addWidget(list_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(link);
  layout->addLayout(buttons);
  setCentralWidget(central);
  resize(420, 360);
  BuildMenus();
  ConnectEditor();
  connect(link, &QPushButton::clicked, this, [this] { Link(); });
  connect(list_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { OpenEntry(list_->row(item)); });
  connect(messageWindow_, &MessageWindow::placeRequested, editor_, &EditorWindow::ShowPosition);
  MarkSaved();
  ShowProject();
}

MainWindow::~MainWindow() {
  // It watches messages_, which goes before the children would.
  delete messageWindow_;
}

void MainWindow::BuildMenus() {
  static const CommandRow kRows[] = {
      {"&Project", "&New project", "newProject", &MainWindow::NewProjectCommand},
      {"&Project", "&Open project", "openProject", &MainWindow::OpenProjectCommand},
      {"&Project", "&Save project as...", "saveProjectAs", &MainWindow::SaveProjectAsCommand},
      {"&Project", "New Source &File", "newSourceFile", &MainWindow::NewSourceFileCommand},
      {"&Project", "&Edit source file", "editSourceFile", &MainWindow::EditSourceFileCommand},
      {"&Project", "&Add to project", "addToProject", &MainWindow::AddToProjectCommand},
      {"&Project", "&Remove from project", "removeFromProject",
       &MainWindow::RemoveFromProjectCommand},
      {"&Project", "&Change link order", "changeLinkOrder", &MainWindow::ChangeLinkOrderCommand},
      {"&Project", "&Main file", "mainFile", &MainWindow::MainFileCommand},
      {"&Project", "E&xit", "exit", nullptr},
      {"", "&Options", "options", &MainWindow::OptionsCommand},
      {"", "&Editor", "editor", &MainWindow::ShowEditorCommand},
      {"&Help", "&Help contents", "helpContents", &MainWindow::HelpContentsCommand},
      {"&Help", "&Search for help on...", "helpSearch", &MainWindow::HelpSearchCommand},
  };
  QMenu* menu = nullptr;
  for (const CommandRow& row : kRows) {
    QAction* action = nullptr;
    if (*row.menu == 0) {
      action = menuBar()->addAction(row.text);
      menu = nullptr;
    } else {
      if (!menu || menu->title() != row.menu) menu = menuBar()->addMenu(row.menu);
      action = menu->addAction(row.text);
    }
    action->setObjectName(row.name);
    if (row.handler) {
      connect(action, &QAction::triggered, this, row.handler);
    } else {
      connect(action, &QAction::triggered, this, &QWidget::close);
    }
  }
}

QAction* MainWindow::Command(const QString& name) const {
  return menuBar()->findChild<QAction*>(name);
}

void MainWindow::ConnectEditor() {
  connect(editor_, &EditorWindow::compileFileRequested, this,
          [this](const QString& path) { CompileFile(path); });
  connect(editor_, &EditorWindow::compileMainRequested, this, [this] { CompileMain(); });
  connect(editor_, &EditorWindow::compileAllRequested, this, [this] { CompileAll(); });
  connect(editor_, &EditorWindow::linkRequested, this, [this] { Link(); });
  connect(editor_, &EditorWindow::projectWindowRequested, this, [this] {
    show();
    raise();
    activateWindow();
  });
  connect(editor_, &EditorWindow::autoIndentToggled, this,
          [this](bool on) { project_.settings.AutoIndent = on; });
  connect(editor_, &EditorWindow::showStatusRequested, progress_, &QWidget::show);
  connect(editor_, &EditorWindow::asciiTableRequested, ascii_, &QWidget::show);
  connect(editor_, &EditorWindow::symbolsRequested, this, [this] {
    if (symbols_->LoadProject(Q(project_.Directory()), Q(project_.Name()))) symbols_->show();
  });
  connect(editor_, &EditorWindow::codeMapRequested, this, [this] {
    map_->SetAreas(lastLink_.codeAreas, lastLink_.dataAreas);
    map_->show();
  });
}

// --- The project -------------------------------------------------------------

void MainWindow::ShowProject() {
  list_->clear();
  for (const std::string& item : project_.ProjectItems)
    list_->addItem(Q(item));
  ui_.SetDialogDirectory(Q(project_.Directory()));
}

void MainWindow::SyncEditors() {
  project_.editors.clear();
  const QStringList files = editor_->OpenFiles();
  for (const QString& file : files) {
    int line = 0;
    int column = 0;
    if (QsciScintilla* page = editor_->EditorOf(file)) page->getCursorPosition(&line, &column);
    project_.editors.push_back({S(file), line, column});
  }
  project_.currentEditor = std::max(0, editor_->CurrentIndex());
}

void MainWindow::MarkSaved() {
  SyncEditors();
  savedText_ = ProjectFileText(project_);
}

bool MainWindow::ProjectChanged() {
  SyncEditors();
  return ProjectFileText(project_) != savedText_;
}

void MainWindow::Say(std::string_view text) {
  ui_.MessageBox(text, kMessageCaption, platform::kOkOnly);
}

QString MainWindow::Ask(const std::string& title, const std::string& filter, bool forSaving) {
  const auto file = ui_.AskForFile({title, filter, forSaving});
  return file ? QFileInfo(Q(*file)).absoluteFilePath() : QString();
}

bool MainWindow::WriteProject(const Project& project, const std::string& path) {
  std::string error;
  if (!WriteProjectAsking(project, path, readFrom_, ui_, error)) {
    if (!error.empty()) Say(error);
    return false;
  }
  readFrom_ = path;
  return true;
}

bool MainWindow::SaveCurrentProjectAsking() {
  if (!ProjectChanged()) return true;
  const platform::Answer answer =
      ui_.MessageBox(kSaveCurrentProject, kMessageCaption, platform::kYesNoCancel);
  if (answer == platform::Answer::kCancel) return false;
  if (answer == platform::Answer::kNo) return true;
  for (const QString& file : editor_->OpenFiles()) {
    QsciScintilla* page = editor_->EditorOf(file);
    if (!page || !page->isModified()) continue;
    if (ui_.MessageBox(S(file) + std::string(kChangedSaveChanges), kMessageCaption,
                       platform::kYesNo) == platform::Answer::kYes) {
      if (!editor_->SaveIfModified(file)) return false;
    } else {
      // Declined here: the pages are closed next without asking again.
      page->setModified(false);
    }
  }
  SyncEditors();
  if (!WriteProject(project_, project_.PrjPath())) return false;
  MarkSaved();
  return true;
}

bool MainWindow::OpenProject(const QString& prjPath) {
  Project read;
  std::string error;
  const std::string path = S(QFileInfo(prjPath).absoluteFilePath());
  if (!ReadProjectFile(path, read, error)) {
    Say(error);
    return false;
  }
  project_ = std::move(read);
  readFrom_ = path;
  editor_->SetAutoIndent(project_.settings.AutoIndent);
  OpenEditors();
  ShowProject();
  MarkSaved();
  return true;
}

// Pages whose files are gone are skipped; `Current` counts the pages opened.
void MainWindow::OpenEditors() {
  const std::vector<OpenEditor> recorded = project_.editors;
  int current = -1;
  for (std::size_t k = 0; k < recorded.size(); ++k) {
    QString file = Q(recorded[k].file);
    if (QFileInfo(file).isRelative()) file = Q(project_.Directory()) + file;
    if (!QFileInfo(file).isFile()) continue;
    editor_->ShowPosition(file, recorded[k].PosY, recorded[k].PosX);
    if (static_cast<int>(k) == project_.currentEditor) current = editor_->CurrentIndex();
  }
  if (current >= 0) editor_->SetCurrentIndex(current);
}

bool MainWindow::AddFile(const QString& path, AddMode mode) {
  if (mode != AddMode::kAddOnly && !editor_->OpenFile(path)) return false;
  if (mode != AddMode::kOpenOnly && project_.AddFile(S(path))) ShowProject();
  return true;
}

void MainWindow::OpenEntry(int row) {
  if (row < static_cast<int>(kFirstFileItem)) return;
  const std::string path = project_.FilePath(static_cast<std::size_t>(row) - kFirstFileItem);
  if (NeverEdited(path)) return;
  if (!platform::FileExists(path)) {
    Say("File " + path + " not found");
    return;
  }
  AddFile(Q(path), AddMode::kOpenOnly);
  editor_->show();
  editor_->raise();
}

// --- Menu commands -----------------------------------------------------------

void MainWindow::NewProjectCommand() {
  if (!SaveCurrentProjectAsking() || !editor_->CloseAllPages()) return;
  project_ = NewProject(S(places_.programDirectory));
  readFrom_.clear();
  ShowProject();
  MarkSaved();
}

void MainWindow::OpenProjectCommand() {
  if (!SaveCurrentProjectAsking()) return;
  const QString file = Ask("Enter name of project to open", std::string(kProjectFilter), false);
  if (file.isEmpty() || !editor_->CloseAllPages()) return;
  OpenProject(file);
}

void MainWindow::SaveProjectAsCommand() {
  QString file = Ask("Enter name to save project as", std::string(kProjectFilter), true);
  if (file.isEmpty()) return;
  if (platform::UpperExtension(S(file)) != ".PRJ") file += ".Prj";
  const QFileInfo info(file);
  SyncEditors();
  const Project moved =
      ProjectMovedTo(project_, S(info.absolutePath()), S(info.completeBaseName()));
  if (!WriteProject(moved, S(info.absoluteFilePath()))) return;
  project_ = moved;
  ShowProject();
  MarkSaved();
}

void MainWindow::NewSourceFileCommand() {
  const QString file = Ask("Enter name of new source file", std::string(kSourceFilter), true);
  if (file.isEmpty()) return;
  if (QFileInfo::exists(file)) {
    Say(kFileExists);
    return;
  }
  if (NeverEdited(S(file))) return;
  std::string error;
  if (!platform::WriteFileAtomically(S(file), "", error)) {
    Say(error);
    return;
  }
  AddFile(file, AddMode::kOpenAndAdd);
  editor_->show();
}

void MainWindow::EditSourceFileCommand() {
  const QString file = Ask("Enter name of source file to edit", std::string(kSourceFilter), false);
  if (file.isEmpty() || NeverEdited(S(file))) return;
  if (AddFile(file, AddMode::kOpenAndAdd)) editor_->show();
}

void MainWindow::AddToProjectCommand() {
  const QString file = Ask("Enter name of file to add", std::string(kSourceFilter), false);
  if (file.isEmpty()) return;
  if (!QFileInfo(file).isFile()) {
    Say(kSelectExisting);
    return;
  }
  AddFile(file, NeverEdited(S(file)) ? AddMode::kAddOnly : AddMode::kOpenAndAdd);
}

void MainWindow::RemoveFromProjectCommand() {
  RemoveDialog dialog(
      project_, [this](const std::string& path) { editor_->ClosePageOf(Q(path)); }, this);
  dialog.exec();
  ShowProject();
}

void MainWindow::ChangeLinkOrderCommand() {
  LinkOrderDialog dialog(project_, this);
  dialog.exec();
  ShowProject();
}

void MainWindow::MainFileCommand() {
  const QString file = Ask("Select main Pascal source file", std::string(kPascalFilter), false);
  if (file.isEmpty()) return;
  if (!IsMainFileName(S(file))) {
    Say(kMainFileTypeMessage);
    return;
  }
  project_.settings.MainFileName = S(file);
}

void MainWindow::OptionsCommand() {
  ProjectOptionsDialog dialog(project_.settings, this);
  dialog.exec();
  project_.settings = dialog.Settings();
  project_.RefreshDescriptions();
  ShowProject();
}

void MainWindow::ShowEditorCommand() {
  editor_->show();
  editor_->raise();
  editor_->activateWindow();
}

void MainWindow::HelpContentsCommand() {
  help_->ShowContents();
}

void MainWindow::HelpSearchCommand() {
  help_->ShowSearch();
}

// --- Build commands ----------------------------------------------------------

bool MainWindow::RunBuild(bool compilesPascal, const std::function<bool(BuildSession&)>& work) {
  // A button pressed while the tools pump messages waits for no second build.
  if (building_) return false;
  building_ = true;
  ui_.ResetCancel();
  if (compilesPascal) {
    progress_->Reset();
    progress_->show();
  }
  messageWindow_->show();
  BuildSession session{project_, messages_, ui_, S(places_.programDirectory)};
  session.onDiagnostic = [this](const Diagnostic& d) { messageWindow_->MarkDiagnostic(d); };
  const bool ok = work(session);
  if (!session.lastLink.codeAreas.empty() || !session.lastLink.dataAreas.empty())
    lastLink_ = session.lastLink;
  progress_->hide();
  editor_->UpdateAsmPasButtons();
  messageWindow_->Resync();
  messageWindow_->ScrollToEnd(kMessageLinesInView);
  building_ = false;
  return ok;
}

bool MainWindow::CompileFile(const QString& path) {
  const bool pascal = platform::UpperExtension(S(path)) == ".PAS";
  return RunBuild(pascal, [&](BuildSession& session) {
    editor_->SaveIfModified(path);
    return BuildEditorFile(session, S(path));
  });
}

// What a user typed is what gets built: pages of the files that a command
// reads are saved first.
void MainWindow::SaveProjectPages() {
  for (std::size_t i = 0; i < project_.FileCount(); ++i)
    editor_->SaveIfModified(Q(project_.FilePath(i)));
  if (!project_.settings.MainFileName.empty())
    editor_->SaveIfModified(Q(project_.settings.MainFileName));
}

bool MainWindow::CompileMain() {
  if (!HasPascalMainFile(project_)) return true;
  SaveProjectPages();
  return RunBuild(true, [](BuildSession& session) { return CompileMainFile(session); });
}

bool MainWindow::CompileAll() {
  SaveProjectPages();
  return RunBuild(true, [](BuildSession& session) { return session.BuildAllFiles(); });
}

bool MainWindow::Link() {
  return RunBuild(false, [](BuildSession& session) { return session.Link(); });
}

// --- Start and end -----------------------------------------------------------

void MainWindow::Start(const QString& projectFile) {
  for (const char* library : kLibraryDirectories)
    QDir(places_.programDirectory).mkpath(library); // a failure is ignored
  IdeSettings settings;
  std::string error;
  ReadVelkorIni(S(places_.iniPath), S(places_.programDirectory), settings, error);
  editor_->resize(settings.EditorWidth, settings.EditorHeight);
  if (settings.MainLeft && settings.MainTop) move(*settings.MainLeft, *settings.MainTop);
  if (!projectFile.isEmpty()) {
    OpenProject(projectFile);
    return;
  }
  project_ = NewProject(settings.LastPath, settings.LastProject);
  project_.settings = settings.settings;
  project_.RefreshDescriptions();
  ShowProject();
  MarkSaved();
  const std::string last = project_.PrjPath();
  if (platform::FileExists(last)) OpenProject(Q(last));
}

IdeSettings MainWindow::CurrentIdeSettings() {
  SyncEditors();
  IdeSettings settings;
  settings.LastProject = project_.Name();
  settings.LastPath = project_.Directory();
  settings.settings = project_.settings;
  settings.EditorWidth = editor_->width();
  settings.EditorHeight = editor_->height();
  settings.MainTop = y();
  settings.MainLeft = x();
  settings.sources = project_.Files();
  settings.editors = project_.editors;
  settings.currentEditor = project_.currentEditor;
  return settings;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!SaveCurrentProjectAsking()) {
    event->ignore();
    return;
  }
  const IdeSettings settings = CurrentIdeSettings();
  // Pages the project question did not cover are asked for one by one.
  if (!editor_->CloseAllPages()) {
    event->ignore();
    return;
  }
  std::string error;
  if (!WriteVelkorIni(S(places_.iniPath), settings, error)) Say(error);
  for (QWidget* window : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
    if (window->isWindow()) window->close();
  event->accept();
}

} // namespace velkor::ui
