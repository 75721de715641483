#include "simulator/ui/disassembler_window.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "simulator/ui/look.h"
#include "simulator/ui/memory_choice.h"

namespace kavrin::ui {

DisassemblerWindow::DisassemblerWindow(Session& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs),
      view_(session.machine(), session.symbols), list_(new QListWidget(this)) {
  setWindowTitle(QStringLiteral("Dissassembler"));
  constexpr int kLineWidth = 52;
  FitRows(list_, kDisassemblyViewLines, kLineWidth);
  list_->setFocusPolicy(Qt::NoFocus);

  auto* buttons = new QGridLayout;
  struct Move {
    const char* text;
    void (DisassemblerWindow::*command)();
    int row, column;
  };
  const Move moves[] = {{"Line up", &DisassemblerWindow::LineUp, 0, 0},
                        {"Line down", &DisassemblerWindow::LineDown, 1, 0},
                        {"Page up", &DisassemblerWindow::PageUp, 0, 1},
                        {"Page down", &DisassemblerWindow::PageDown, 1, 1}};
  for (const Move& m : moves) {
    auto* b = new QPushButton(QString::fromLatin1(m.text), this);
    connect(b, &QPushButton::clicked, this, m.command);
    buttons->addWidget(b, m.row, m.column);
  }
  auto* go = new QPushButton(QStringLiteral("Go to ..."), this);
  connect(go, &QPushButton::clicked, this, &DisassemblerWindow::GoToAddress);
  buttons->addWidget(go, 2, 0, 1, 2);

  auto* side = new QVBoxLayout;
  side->addLayout(buttons);
  side->addWidget(MemoryChoice(this, [this](bool physical) { SetPhysical(physical); }));
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 1);
  layout->addLayout(side);
  Show();
}

void DisassemblerWindow::Show() {
  list_->clear();
  for (const std::string& line : view_.Lines())
    list_->addItem(QString::fromStdString(line));
  list_->setCurrentRow(view_.Cursor());
  list_->scrollToItem(list_->currentItem());
}

void DisassemblerWindow::Refresh() {
  const int cursor = view_.Cursor();
  view_.Refresh();
  for (int i = 0; i < cursor; ++i)
    view_.LineDown();
  Show();
}

void DisassemblerWindow::GoToAddress() {
  if (const auto address = AskAddress(dialogs_, session_.symbols)) {
    view_.GoTo(*address);
    Show();
  }
}

void DisassemblerWindow::SetPhysical(bool physical) {
  view_.SetSpace(physical ? AddressSpace::Physical : AddressSpace::Logical);
  Show();
}

void DisassemblerWindow::LineUp() {
  view_.LineUp();
  Show();
}
void DisassemblerWindow::LineDown() {
  view_.LineDown();
  Show();
}
void DisassemblerWindow::PageUp() {
  view_.PageUp();
  Show();
}
void DisassemblerWindow::PageDown() {
  view_.PageDown();
  Show();
}

} // namespace kavrin::ui
