// The editor window's commands: one row per command, then where each one
// appears in the menus and on the tool bar.
#include <QAction>
#include <QKeySequence>
#include <QMenuBar>
#include <QToolBar>

#include "ide/ui/editor_icons.h"
#include "ide/ui/editor_window.h"

namespace velkor::ui {

struct EditorWindow::Command {
  std::string_view id;        // the action's object name
  std::string_view caption;   // menu caption; the text of a button without a picture
  std::string_view hint;      // the tool button's hint
  std::string_view icon;      // EditorIcon name
  std::string_view shortcuts; // "; "-separated
  bool checkable;
  void (EditorWindow::*run)();
};

std::span<const EditorWindow::Command> EditorWindow::Commands() {
  // Ctrl+C copies, so "&Compile" answers F9; Ctrl+V pastes besides Ctrl+P.
  static const Command kCommands[] = {
      {"newFile", "&New (Non project file)", "", "", "", false, &EditorWindow::NewFile},
      {"open", "&Open", "", "", "F3", false, &EditorWindow::OpenAsked},
      {"save", "&Save", "Save to file", "save", "", false, &EditorWindow::SaveActive},
      {"saveAs", "Sa&ve as", "", "", "", false, &EditorWindow::SaveActiveAs},
      {"saveAll", "Save &All", "Save all", "saveAll", "Ctrl+S", false,
       &EditorWindow::SaveAllAsking},
      {"close", "&Close", "Close File", "close", "Ctrl+F3", false, &EditorWindow::CloseActive},
      {"find", "&Find", "Find", "find", "Ctrl+F", false, &EditorWindow::ShowFind},
      {"replace", "Find and &Replace", "Find and Replace", "replace", "Ctrl+R", false,
       &EditorWindow::ShowReplace},
      {"copy", "&Copy", "", "", "Ctrl+C", false, &EditorWindow::Copy},
      {"cut", "C&ut", "", "", "", false, &EditorWindow::Cut},
      {"paste", "&Paste", "", "", "Ctrl+P; Ctrl+V", false, &EditorWindow::Paste},
      {"deleteLine", "&Delete line", "", "", "Ctrl+Y", false, &EditorWindow::DeleteLine},
      {"undo", "U&ndo", "Undo last edit", "undo", "Alt+Backspace", false, &EditorWindow::Undo},
      {"selectAll", "&Select all", "", "", "", false, &EditorWindow::SelectAll},
      {"startOfFile", "Start &of file", "", "", "Ctrl+A", false, &EditorWindow::StartOfFile},
      {"endOfFile", "&End of file", "", "", "Ctrl+Z", false, &EditorWindow::EndOfFile},
      {"autoIndent", "&Auto indent", "", "", "", true, &EditorWindow::ToggleAutoIndent},
      {"compile", "&Compile", "Compile/Assemble file", "compileFile", "F9", false,
       &EditorWindow::CompileActive},
      {"compileMain", "Compile &main file", "Compile main file", "compileMain", "", false,
       &EditorWindow::compileMainRequested},
      {"compileAll", "Compile/Assemble &all files", "Compile/Assemble all files in project",
       "compileAll", "", false, &EditorWindow::compileAllRequested},
      {"link", "&Link", "Link", "link", "Ctrl+L", false, &EditorWindow::linkRequested},
      {"project", "&Project", "", "", "", false, &EditorWindow::projectWindowRequested},
      {"showAsm", "Asm", "Show assembler file", "", "", true, &EditorWindow::ShowAssembler},
      {"showPas", "Pas", "Show Pascal File", "", "", true, &EditorWindow::ShowPascal},
      {"status", "Compiler status", "Show Assembler/Compiler status", "status", "", false,
       &EditorWindow::showStatusRequested},
      {"ascii", "Ascii table", "Ascii table", "ascii", "", false,
       &EditorWindow::asciiTableRequested},
      {"symbols", "Symbols", "Show Symbols", "symbols", "", false, &EditorWindow::symbolsRequested},
      {"codeMap", "Code map", "Code map", "codeMap", "", false, &EditorWindow::codeMapRequested},
  };
  return kCommands;
}

namespace {

// "" is a separator.
struct MenuLayout {
  const char* title;
  std::initializer_list<std::string_view> ids;
};
const MenuLayout kMenus[] = {
    {"&File", {"newFile", "open", "save", "saveAs", "saveAll", "close"}},
    {"&Edit",
     {"find", "replace", "", "copy", "cut", "paste", "deleteLine", "undo", "selectAll", "",
      "startOfFile", "endOfFile", "autoIndent", "", "compile", "link", "project"}},
};
constexpr std::string_view kToolBar[] = {
    "compile", "compileMain", "compileAll", "link",    "",        "save",    "saveAll",
    "close",   "undo",        "",           "showAsm", "showPas", "",        "status",
    "ascii",   "symbols",     "codeMap",    "",        "find",    "replace",
};

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void EditorWindow::BuildActions() {
  for (const Command& command : Commands()) {
    auto* action = new QAction(Text(command.caption), this);
    action->setObjectName(Text(command.id));
    if (!command.hint.empty()) {
      action->setToolTip(Text(command.hint));
      action->setStatusTip(Text(command.hint));
    }
    action->setIcon(EditorIcon(command.icon));
    action->setShortcuts(QKeySequence::listFromString(Text(command.shortcuts)));
    action->setCheckable(command.checkable);
    connect(action, &QAction::triggered, this, [this, run = command.run] { (this->*run)(); });
    actions_.insert(action->objectName(), action);
  }
  for (const MenuLayout& layout : kMenus) {
    QMenu* menu = menuBar()->addMenu(layout.title);
    for (std::string_view id : layout.ids) {
      if (id.empty()) {
        menu->addSeparator();
      } else {
        menu->addAction(Act(id));
      }
    }
  }
  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("tools");
  bar->setMovable(false);
  bar->setIconSize(QSize(22, 22));
  for (std::string_view id : kToolBar) {
    if (id.empty()) {
      bar->addSeparator();
    } else {
      bar->addAction(Act(id));
    }
  }
}

QAction* EditorWindow::Act(std::string_view id) const {
  return actions_.value(Text(id));
}

} // namespace velkor::ui
