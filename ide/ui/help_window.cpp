#include "ide/ui/help_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace velkor::ui {

namespace {

QString ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// The page's first "# " heading, else its file name.
QString TitleOf(const QString& path) {
  for (const QString& line : ReadText(path).split('\n')) {
    if (line.startsWith("# ")) return line.mid(2).trimmed();
  }
  return QFileInfo(path).completeBaseName();
}

} // namespace

HelpWindow::HelpWindow(const QStringList& firstPages, const QString& docsDirectory, QWidget* parent)
    : QWidget(parent, Qt::Window), search_(new QLineEdit), contents_(new QListWidget),
      page_(new QTextBrowser) {
  setWindowTitle("Velkor Help");
  for (const QString& page : firstPages)
    if (QFileInfo::exists(page)) files_ << page;
  const QDir docs(docsDirectory);
  for (const QString& name : docs.entryList({"*.md"}, QDir::Files, QDir::Name))
    files_ << docs.filePath(name);

  search_->setObjectName("search");
  search_->setPlaceholderText("Search for help on...");
  search_->setClearButtonEnabled(true);
  contents_->setObjectName("contents");
  page_->setObjectName("page");
  page_->setOpenExternalLinks(true);
  page_->setSearchPaths({docsDirectory});

  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(search_);
  leftLayout->addWidget(contents_);
  auto* splitter = new QSplitter;
  splitter->addWidget(left);
  splitter->addWidget(page_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({220, 620});
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);

  connect(contents_, &QListWidget::currentRowChanged, this, &HelpWindow::ShowPage);
  connect(search_, &QLineEdit::returnPressed, this, [this] { Search(search_->text()); });
  connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
    if (text.isEmpty()) Search(text);
  });
  Search(QString());
  resize(860, 600);
}

void HelpWindow::ShowPage(int row) {
  if (row < 0) return;
  const QString path = contents_->item(row)->data(Qt::UserRole).toString();
  page_->setSearchPaths({QFileInfo(path).absolutePath()});
  page_->setMarkdown(ReadText(path));
  const QString text = search_->text();
  if (!text.isEmpty()) page_->find(text);
}

bool HelpWindow::Search(const QString& text) {
  if (search_->text() != text) search_->setText(text);
  contents_->clear();
  for (const QString& path : files_) {
    if (!text.isEmpty() && !ReadText(path).contains(text, Qt::CaseInsensitive)) continue;
    auto* item = new QListWidgetItem(TitleOf(path), contents_);
    item->setData(Qt::UserRole, path);
  }
  if (contents_->count() == 0) {
    page_->setMarkdown(QString("Nothing found for \"%1\".").arg(text));
    return false;
  }
  contents_->setCurrentRow(0);
  return true;
}

void HelpWindow::ShowContents() {
  search_->clear();
  show();
  raise();
  activateWindow();
}

void HelpWindow::ShowSearch() {
  show();
  raise();
  activateWindow();
  search_->setFocus();
  search_->selectAll();
}

} // namespace velkor::ui
