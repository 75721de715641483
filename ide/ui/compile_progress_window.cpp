#include "ide/ui/compile_progress_window.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkor::ui {

CompileProgressWindow::CompileProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool), file_(new QLineEdit), lines_(new QLineEdit),
      cancel_(new QPushButton("Cancel")) {
  setWindowTitle("Pascal Compiler Progress");
  file_->setObjectName("currentlyCompiling");
  lines_->setObjectName("currentLine");
  cancel_->setObjectName("cancel");
  for (QLineEdit* field : {file_, lines_}) {
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
  }
  file_->setMinimumWidth(220);
  auto* fields = new QFormLayout;
  fields->addRow("Currently compiling", file_);
  fields->addRow("Current Line (Total)", lines_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addLayout(buttons);
  connect(cancel_, &QPushButton::clicked, this, [this] {
    hide();
    emit cancelRequested();
  });
  Reset();
}

void CompileProgressWindow::Reset() {
  ShowProgress(QString(), 0);
}

void CompileProgressWindow::ShowProgress(const QString& file, int lines) {
  ShowFile(file);
  ShowLineCount(lines);
}

void CompileProgressWindow::ShowFile(const QString& file) {
  file_->setText(file);
}

void CompileProgressWindow::ShowLineCount(int lines) {
  lines_->setText(QString::number(lines));
}

} // namespace velkor::ui
