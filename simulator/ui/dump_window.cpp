#include "simulator/ui/dump_window.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "simulator/ui/look.h"
#include "simulator/ui/memory_choice.h"

namespace kavrin::ui {

// The painted page: one text row per dump row, the hex digits coloured.
class DumpPage : public QWidget {
public:
  DumpPage(const MemoryDump& dump, QWidget* parent) : QWidget(parent), dump_(dump) {
    setFont(FixedFont());
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    const QFontMetrics metrics(font());
    setMinimumSize(metrics.horizontalAdvance(QString(kRowCharacters, '0')) + 2 * kMargin,
                   metrics.lineSpacing() * kDumpRows + 2 * kMargin);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int cw = metrics.horizontalAdvance(QLatin1Char('0'));
    const int lh = metrics.lineSpacing();
    // Every piece at its own column, so the colours line up with the text.
    auto draw = [&](int column, int row, const QString& text, const QColor& colour) {
      painter.setPen(colour);
      painter.drawText(kMargin + column * cw, kMargin + row * lh + metrics.ascent(), text);
    };
    constexpr int kCharacterColumn = kDumpHexColumn + 3 * kDumpRowBytes;
    for (int row = 0; row < kDumpRows; ++row) {
      const QString text = QString::fromStdString(dump_.RowText(row));
      draw(0, row, text.left(kDumpHexColumn), Qt::black);
      for (int column = 0; column < kDumpRowBytes; ++column)
        draw(kDumpHexColumn + 3 * column, row, text.mid(kDumpHexColumn + 3 * column, 2),
             Shade(dump_.ByteAt(row, column)));
      draw(kCharacterColumn, row, text.mid(kCharacterColumn), Qt::black);
    }
    painter.setPen(QPen(Qt::darkGreen, 1));
    const int x = kMargin + (kDumpHexColumn + 3 * dump_.CursorColumn()) * cw;
    painter.drawRect(x - 2, kMargin + dump_.CursorRow() * lh, 2 * cw + 3, lh - 1);
  }

private:
  static constexpr int kMargin = 6;
  static constexpr int kRowCharacters = kDumpHexColumn + 3 * kDumpRowBytes + kDumpRowBytes;
  static QColor Shade(std::uint8_t value) {
    switch (ShadeOf(value)) {
    case ByteShade::Top:
      return Qt::red;
    case ByteShade::High:
      return Qt::blue;
    case ByteShade::Low:
      break;
    }
    return Qt::black;
  }
  const MemoryDump& dump_;
};

DumpWindow::DumpWindow(Session& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs), dump_(session.machine()),
      page_(new DumpPage(dump_, this)) {
  setWindowTitle(QStringLiteral("Memory Dump"));
  auto* buttons = new QGridLayout;
  struct Button {
    const char* text;
    void (MemoryDump::*move)();
    int row, column;
  };
  const Button moves[] = {{"Line up", &MemoryDump::LineUp, 0, 0},
                          {"Line down", &MemoryDump::LineDown, 1, 0},
                          {"Page up", &MemoryDump::PageUp, 0, 1},
                          {"Page down", &MemoryDump::PageDown, 1, 1}};
  for (const Button& m : moves) {
    auto* b = new QPushButton(QString::fromLatin1(m.text), this);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, [this, move = m.move] { Do(move); });
    buttons->addWidget(b, m.row, m.column);
  }
  auto* go = new QPushButton(QStringLiteral("Go to ..."), this);
  auto* refresh = new QPushButton(QStringLiteral("Refresh"), this);
  go->setFocusPolicy(Qt::NoFocus);
  refresh->setFocusPolicy(Qt::NoFocus);
  connect(go, &QPushButton::clicked, this, &DumpWindow::GoToAddress);
  connect(refresh, &QPushButton::clicked, this, &DumpWindow::Refresh);
  buttons->addWidget(go, 2, 0);
  buttons->addWidget(refresh, 2, 1);

  auto* side = new QVBoxLayout;
  side->addLayout(buttons);
  side->addWidget(MemoryChoice(this, [this](bool physical) { SetPhysical(physical); }));
  side->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(page_, 1);
  layout->addLayout(side);
  setFocusPolicy(Qt::StrongFocus);
}

QWidget* DumpWindow::Page() const {
  return page_;
}

void DumpWindow::Refresh() {
  page_->update();
}

void DumpWindow::Do(void (MemoryDump::*move)()) {
  (dump_.*move)();
  page_->update();
}

void DumpWindow::GoToAddress() {
  if (const auto address = AskAddress(dialogs_, session_.symbols)) GoTo(*address);
}

void DumpWindow::GoTo(std::uint32_t address) {
  dump_.GoTo(address);
  page_->update();
}

void DumpWindow::SetPhysical(bool physical) {
  dump_.SetSpace(physical ? AddressSpace::Physical : AddressSpace::Logical);
  page_->update();
}

void DumpWindow::keyPressEvent(QKeyEvent* event) {
  static const std::pair<int, void (MemoryDump::*)()> kKeys[] = {
      {Qt::Key_PageUp, &MemoryDump::PageUp},   {Qt::Key_PageDown, &MemoryDump::PageDown},
      {Qt::Key_Up, &MemoryDump::CursorUp},     {Qt::Key_Down, &MemoryDump::CursorDown},
      {Qt::Key_Left, &MemoryDump::CursorLeft}, {Qt::Key_Right, &MemoryDump::CursorRight},
  };
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  for (const auto& [key, move] : kKeys) {
    if (event->key() == key) {
      Do(move);
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

} // namespace kavrin::ui
