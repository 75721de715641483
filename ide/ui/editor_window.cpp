#include "ide/ui/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>

#include "common/project.h"
#include "ide/ui/editor_page.h"
#include "ide/ui/editor_texts.h"
#include "ide/ui/find_replace_dialog.h"
#include "ide/ui/pascal_lexer.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor::ui {
namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// One spelling per file, so a file is never open on two pages.
QString SlotName(const QString& path) {
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The file itself, or the one whose name differs only in case (include
// names are written in any case).
QString ExistingFile(const QString& path) {
  if (auto found = platform::FindCaseInsensitive(path.toStdString())) {
    return QString::fromStdString(*found);
  }
  return path;
}

const char* const kFileFilter =
    "Pascal and assembler files (*.Pas *.Mac)|*.Pas;*.Mac|All files (*)|*";

} // namespace

EditorWindow::EditorWindow(platform::UiHost& ui, QWidget* parent)
    : QMainWindow(parent), ui_(ui), tabs_(new QTabWidget), fileLabel_(new QLabel),
      caretLabel_(new QLabel), findDialog_(new FindReplaceDialog(this)) {
  setWindowTitle(Text(kEditorCaption));
  BuildActions();
  tabs_->setObjectName("pages");
  tabs_->setTabsClosable(true);
  tabs_->setDocumentMode(true);
  tabs_->setElideMode(Qt::ElideNone);
  setCentralWidget(tabs_);
  caretLabel_->setObjectName("caret");
  caretLabel_->setMinimumWidth(caretLabel_->fontMetrics().horizontalAdvance("Line 00000, Col 000"));
  statusBar()->addWidget(fileLabel_, 1);
  statusBar()->addPermanentWidget(caretLabel_);
  connect(tabs_, &QTabWidget::currentChanged, this, &EditorWindow::PageActivated);
  connect(tabs_, &QTabWidget::tabCloseRequested, this, &EditorWindow::ClosePage);
  connect(findDialog_, &FindReplaceDialog::findNextRequested, this, &EditorWindow::FindNextInPage);
  connect(findDialog_, &FindReplaceDialog::replaceRequested, this, &EditorWindow::ReplaceInPage);
  resize(600, 440);
  PageActivated();
}

// --- pages ------------------------------------------------------------------

EditorPage* EditorWindow::PageAt(int index) const {
  return qobject_cast<EditorPage*>(tabs_->widget(index));
}

EditorPage* EditorWindow::ActivePage() const {
  return PageAt(tabs_->currentIndex());
}

int EditorWindow::IndexOf(const QString& path) const {
  QString name = SlotName(ExistingFile(path));
  for (int i = 0; i < tabs_->count(); ++i) {
    if (PageAt(i)->File() == name) return i;
  }
  return -1;
}

bool EditorWindow::OpenFile(const QString& path) {
  QString name = SlotName(ExistingFile(path));
  if (int open = IndexOf(path); open >= 0) {
    tabs_->setCurrentIndex(open);
    return true;
  }
  if (tabs_->count() >= static_cast<int>(kEditorSlots)) return false;
  if (!FitsInSlot(name)) return false;
  if (!QFileInfo::exists(name)) {
    Say(Text(kFileNotFound).arg(name));
    return false;
  }
  auto* page = new EditorPage;
  QString error;
  if (!page->Load(name, error)) {
    delete page;
    Say(error);
    return false;
  }
  page->SetAutoIndent(autoIndent_);
  connect(page, &QsciScintilla::modificationChanged, this, [this, page] { RefreshCaption(page); });
  connect(page, &QsciScintilla::cursorPositionChanged, this, [this, page](int line, int index) {
    if (page == ActivePage()) ShowCaret(line, index);
  });
  int index = tabs_->addTab(page, QString());
  RefreshCaption(page);
  tabs_->setCurrentIndex(index);
  return true;
}

void EditorWindow::ShowPosition(const QString& path, int line, int column) {
  if (!OpenFile(path)) return;
  EditorPage* page = ActivePage();
  page->setCursorPosition(line, column);
  page->ensureLineVisible(line);
  show();
  raise();
  activateWindow();
  page->setFocus();
}

bool EditorWindow::SaveIfModified(const QString& path) {
  int index = IndexOf(path);
  if (index < 0 || !PageAt(index)->IsChanged()) return true;
  return SavePage(PageAt(index));
}

bool EditorWindow::ClosePageOf(const QString& path) {
  int index = IndexOf(path);
  return index < 0 || ClosePage(index);
}

bool EditorWindow::CloseAllPages() {
  while (tabs_->count() > 0) {
    if (!ClosePage(0)) return false;
  }
  return true;
}

bool EditorWindow::ClosePage(int index) {
  EditorPage* page = PageAt(index);
  if (!page) return true;
  if (page->IsChanged()) {
    platform::Answer answer =
        Ask(page->File() + Text(kChangedSaveTheChanges), platform::kYesNoCancel);
    if (answer == platform::Answer::kCancel) return false;
    if (answer == platform::Answer::kYes && !SavePage(page)) return false;
  }
  // Later pages move down by one; their tab index is their slot.
  tabs_->removeTab(index);
  delete page;
  return true;
}

bool EditorWindow::SavePage(EditorPage* page) {
  QString error;
  if (page->Save(error)) return true;
  Say(error);
  return false;
}

QStringList EditorWindow::OpenFiles() const {
  QStringList files;
  for (int i = 0; i < tabs_->count(); ++i)
    files << PageAt(i)->File();
  return files;
}

int EditorWindow::CurrentIndex() const {
  return tabs_->currentIndex();
}

void EditorWindow::SetCurrentIndex(int index) {
  if (index >= 0 && index < tabs_->count()) tabs_->setCurrentIndex(index);
}

QString EditorWindow::ActiveFile() const {
  EditorPage* page = ActivePage();
  return page ? page->File() : QString();
}

QsciScintilla* EditorWindow::EditorOf(const QString& path) const {
  int index = IndexOf(path);
  return index < 0 ? nullptr : PageAt(index);
}

void EditorWindow::SetAutoIndent(bool on) {
  autoIndent_ = on;
  Act("autoIndent")->setChecked(on);
  for (int i = 0; i < tabs_->count(); ++i)
    PageAt(i)->SetAutoIndent(on);
}

bool EditorWindow::FitsInSlot(const QString& name) {
  if (name.size() <= kSlotNameLength) return true;
  Say(Text(kNameTooLong).arg(name).arg(kSlotNameLength));
  return false;
}

void EditorWindow::Say(const QString& text) {
  ui_.MessageBox(text.toStdString(), kMessageCaption, platform::kOkOnly);
}

platform::Answer EditorWindow::Ask(const QString& text, platform::AnswerSet buttons) {
  return ui_.MessageBox(text.toStdString(), kMessageCaption, buttons);
}

void EditorWindow::RefreshCaption(EditorPage* page) {
  int index = tabs_->indexOf(page);
  if (index < 0) return;
  QString name = QFileInfo(page->File()).fileName();
  tabs_->setTabText(index, page->IsChanged() ? name + " *" : name);
  tabs_->setTabToolTip(index, page->File());
  if (page == ActivePage()) fileLabel_->setText(page->File());
}

void EditorWindow::ShowCaret(int line, int index) {
  caretLabel_->setText(QString("Line %1, Col %2").arg(line + 1).arg(index + 1));
}

void EditorWindow::PageActivated() {
  EditorPage* page = ActivePage();
  bool any = page != nullptr;
  for (const char* id :
       {"save", "saveAs", "close", "find", "replace", "copy", "cut", "paste", "deleteLine", "undo",
        "selectAll", "startOfFile", "endOfFile", "compile"}) {
    Act(id)->setEnabled(any);
  }
  fileLabel_->setText(any ? page->File() : QString());
  if (any) {
    int line = 0;
    int index = 0;
    page->getCursorPosition(&line, &index);
    ShowCaret(line, index);
  } else {
    caretLabel_->clear();
  }
  UpdateAsmPasButtons();
}

void EditorWindow::UpdateAsmPasButtons() {
  QAction* showAsm = Act("showAsm");
  QAction* showPas = Act("showPas");
  EditorPage* page = ActivePage();
  SourceKind kind = page ? SourceKindOf(page->File()) : SourceKind::kPlain;
  auto otherExists = [page](const char* extension) {
    return platform::FindCaseInsensitive(
               platform::ChangeExtension(page->File().toStdString(), extension))
        .has_value();
  };
  bool pascal = kind == SourceKind::kPascal;
  bool assembler = kind == SourceKind::kAssembler;
  showPas->setChecked(pascal);
  showPas->setEnabled(pascal || (assembler && otherExists(".Pas")));
  showAsm->setChecked(assembler);
  showAsm->setEnabled(assembler || (pascal && otherExists(".Mac")));
}

void EditorWindow::closeEvent(QCloseEvent* event) {
  // The pages stay open behind the hidden window; only their changes are asked for.
  for (int i = 0; i < tabs_->count(); ++i) {
    EditorPage* page = PageAt(i);
    if (!page->IsChanged()) continue;
    platform::Answer answer = Ask(page->File() + Text(kChangedSaveChanges), platform::kYesNoCancel);
    if (answer == platform::Answer::kCancel ||
        (answer == platform::Answer::kYes && !SavePage(page))) {
      tabs_->setCurrentIndex(i);
      event->ignore();
      return;
    }
  }
  findDialog_->hide();
  event->accept();
}

void EditorWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateAsmPasButtons();
  QMainWindow::changeEvent(event);
}

// --- commands ---------------------------------------------------------------

void EditorWindow::NewFile() {
  auto chosen = ui_.AskForFile({"New (Non project file)", kFileFilter, true});
  if (!chosen) return;
  QString path = QString::fromStdString(*chosen);
  if (QFileInfo::exists(path)) {
    Say(Text(kFileExists));
    return;
  }
  std::string error;
  if (!platform::WriteFileAtomically(path.toStdString(), std::string_view(), error)) {
    Say(QString::fromStdString(error));
    return;
  }
  OpenFile(path);
}

void EditorWindow::OpenAsked() {
  if (auto chosen = ui_.AskForFile({"Open", kFileFilter, false})) {
    OpenFile(QString::fromStdString(*chosen));
  }
}

void EditorWindow::SaveActive() {
  if (EditorPage* page = ActivePage()) SavePage(page);
}

void EditorWindow::SaveActiveAs() {
  EditorPage* page = ActivePage();
  if (!page) return;
  auto chosen = ui_.AskForFile({"Save as", kFileFilter, true});
  if (!chosen) return;
  QString path = SlotName(QString::fromStdString(*chosen));
  if (path == page->File()) {
    SavePage(page);
    return;
  }
  if (IndexOf(path) >= 0) {
    Say(Text(kOpenOnAnotherPage).arg(path));
    return;
  }
  if (!FitsInSlot(path)) return;
  if (QFileInfo::exists(path) &&
      Ask(path + Text(kOverwrite), platform::kYesNo) != platform::Answer::kYes) {
    return;
  }
  QString error;
  if (!page->SaveAs(path, error)) {
    Say(error);
    return;
  }
  RefreshCaption(page);
  UpdateAsmPasButtons();
}

void EditorWindow::SaveAllAsking() {
  for (int i = 0; i < tabs_->count(); ++i) {
    EditorPage* page = PageAt(i);
    if (page->IsChanged() &&
        Ask(page->File() + Text(kChangedSaveChanges), platform::kYesNo) == platform::Answer::kYes) {
      SavePage(page);
    }
  }
}

void EditorWindow::CloseActive() {
  if (tabs_->count() > 0) ClosePage(tabs_->currentIndex());
}

void EditorWindow::ShowFind() {
  if (EditorPage* page = ActivePage())
    findDialog_->ShowFor(FindReplaceDialog::kFind, page->selectedText());
}

void EditorWindow::ShowReplace() {
  if (EditorPage* page = ActivePage())
    findDialog_->ShowFor(FindReplaceDialog::kReplace, page->selectedText());
}

void EditorWindow::FindNextInPage() {
  if (EditorPage* page = ActivePage()) FindAndSay(*page, findDialog_->Request(), ui_);
}

void EditorWindow::ReplaceInPage() {
  if (EditorPage* page = ActivePage()) ReplaceAsking(*page, findDialog_->Request(), ui_);
}

void EditorWindow::Copy() {
  if (EditorPage* page = ActivePage()) page->copy();
}

void EditorWindow::Cut() {
  if (EditorPage* page = ActivePage()) page->cut();
}

void EditorWindow::Paste() {
  if (EditorPage* page = ActivePage()) page->paste();
}

void EditorWindow::DeleteLine() {
  if (EditorPage* page = ActivePage()) page->DeleteCaretLine();
}

void EditorWindow::Undo() {
  if (EditorPage* page = ActivePage()) page->undo();
}

void EditorWindow::SelectAll() {
  if (EditorPage* page = ActivePage()) page->selectAll();
}

void EditorWindow::StartOfFile() {
  if (EditorPage* page = ActivePage()) page->GoToStart();
}

void EditorWindow::EndOfFile() {
  if (EditorPage* page = ActivePage()) page->GoToEnd();
}

void EditorWindow::ToggleAutoIndent() {
  SetAutoIndent(Act("autoIndent")->isChecked());
  emit autoIndentToggled(autoIndent_);
}

void EditorWindow::CompileActive() {
  EditorPage* page = ActivePage();
  if (!page || (page->IsChanged() && !SavePage(page))) return;
  emit compileFileRequested(page->File());
}

void EditorWindow::ShowAssembler() {
  SwitchTo(".Mac");
}

void EditorWindow::ShowPascal() {
  SwitchTo(".Pas");
}

void EditorWindow::SwitchTo(const char* extension) {
  EditorPage* page = ActivePage();
  if (!page) return;
  QString other = SlotName(ExistingFile(
      QString::fromStdString(platform::ChangeExtension(page->File().toStdString(), extension))));
  if (other == page->File() || !QFileInfo::exists(other)) {
    UpdateAsmPasButtons();
    return;
  }
  if (int open = IndexOf(other); open >= 0) {
    tabs_->setCurrentIndex(open);
    return;
  }
  if (page->IsChanged() &&
      Ask(Text(kCurrentFileChanged), platform::kYesNo) == platform::Answer::kYes &&
      !SavePage(page)) {
    UpdateAsmPasButtons();
    return;
  }
  QString error;
  if (!page->Load(other, error)) Say(error);
  RefreshCaption(page);
  UpdateAsmPasButtons();
}

} // namespace velkor::ui
