#include "ide/ui/symbols_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "ide/ui/editor_icons.h"
#include "ide/ui/editor_texts.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor::ui {

SymbolsWindow::SymbolsWindow(platform::UiHost& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), ui_(ui), view_(new QPlainTextEdit) {
  setWindowTitle("Symbols");
  view_->setObjectName("symbols");
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSize(10);
  view_->setFont(fixed);

  auto* find = new QPushButton(EditorIcon("find"), "&Find...");
  find->setObjectName("findSymbol");
  find->setToolTip("Find a symbol");
  auto* close = new QPushButton("&Close");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(find);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(view_);
  layout->addLayout(buttons);
  connect(find, &QPushButton::clicked, this, &SymbolsWindow::AskAndFind);
  connect(close, &QPushButton::clicked, this, &QWidget::close);

  askText = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
    bool ok = false;
    QString text = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, {}, &ok);
    if (!ok) return std::nullopt;
    return text;
  };
  resize(460, 480);
}

bool SymbolsWindow::LoadProject(const QString& directory, const QString& name) {
  std::string wanted = (directory + name + ".SYM").toStdString();
  std::string bytes;
  std::string error;
  auto found = platform::FindCaseInsensitive(wanted);
  if (!found || !platform::ReadWholeFile(*found, bytes, error)) {
    ui_.MessageBox("Symbol file \"" + wanted + "\" not found", kMessageCaption, platform::kOkOnly);
    return false;
  }
  view_->setPlainText(QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())));
  return true;
}

bool SymbolsWindow::FindSymbol(const QString& text) {
  QString symbol = text.toUpper();
  if (symbol.isEmpty()) return false;
  QTextCursor start(view_->document());
  view_->setTextCursor(start);
  if (view_->find(symbol, QTextDocument::FindCaseSensitively)) {
    view_->ensureCursorVisible();
    return true;
  }
  QString message = '"' + symbol + "\" not found";
  ui_.MessageBox(message.toStdString(), kMessageCaption, platform::kOkOnly);
  return false;
}

void SymbolsWindow::AskAndFind() {
  if (auto text = askText("Symbol Search", "Enter symbol to search for...")) FindSymbol(*text);
}

} // namespace velkor::ui
