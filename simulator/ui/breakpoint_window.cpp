#include "simulator/ui/breakpoint_window.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "simulator/session/breakpoint_lines.h"
#include "simulator/ui/look.h"

namespace kavrin::ui {

BreakpointWindow::BreakpointWindow(Session& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs),
      list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Break Point editor"));
  constexpr int kLineWidth = 30;
  FitRows(list_, static_cast<int>(kMaxBreakpointLines), kLineWidth);
  auto* add = new QPushButton(QStringLiteral("&Add"), this);
  auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
  connect(add, &QPushButton::clicked, this, &BreakpointWindow::Add);
  connect(remove, &QPushButton::clicked, this, &BreakpointWindow::Remove);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);
}

void BreakpointWindow::Add() {
  if (static_cast<std::size_t>(list_->count()) >= kMaxBreakpointLines) return;
  const auto text = dialogs_.AskAddressText(QStringLiteral("00000"));
  if (!text) return;
  const BreakpointLine made = MakeBreakpointLine(text->toStdString(), session_.symbols);
  if (made.line.empty()) {
    dialogs_.ShowMessage(QString::fromStdString(made.message));
    return;
  }
  list_->addItem(QString::fromStdString(made.line));
  Rebuild();
}

void BreakpointWindow::Remove() {
  delete list_->currentItem();
  Rebuild();
}

void BreakpointWindow::Rebuild() {
  std::vector<std::string> lines;
  for (int i = 0; i < list_->count(); ++i)
    lines.push_back(list_->item(i)->text().toStdString());
  session_.breakpoints = BreakpointsFromLines(lines);
}

} // namespace kavrin::ui
