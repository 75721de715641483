#include "simulator/ui/terminal_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "simulator/ui/look.h"

namespace kavrin::ui {

// The screen: painted lines and a block caret at the terminal's position.
class TerminalScreen : public QWidget {
public:
  TerminalScreen(kavrin::Terminal& terminal, QWidget* parent)
      : QWidget(parent), terminal_(terminal) {
    setFont(FixedFont());
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(0x10, 0x18, 0x10));
    setPalette(p);
    const QFontMetrics metrics(font());
    setFixedSize(metrics.horizontalAdvance(QString(kTerminalColumns + 1, 'M')) + 2 * kMargin,
                 metrics.lineSpacing() * kTerminalLines + 2 * kMargin);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lh = metrics.lineSpacing(), cw = metrics.horizontalAdvance(QLatin1Char('M'));
    painter.setPen(QColor(0x9C, 0xF0, 0x9C));
    for (int line = 0; line < kTerminalLines; ++line)
      painter.drawText(kMargin, kMargin + line * lh + metrics.ascent(),
                       QString::fromLatin1(terminal_.Lines()[static_cast<std::size_t>(line)]));
    if (hasFocus())
      painter.fillRect(kMargin + terminal_.Column() * cw, kMargin + terminal_.Line() * lh + lh - 3,
                       cw, 2, QColor(0x9C, 0xF0, 0x9C));
  }

  void keyPressEvent(QKeyEvent* event) override {
    constexpr std::uint8_t kEnter = 0x0D;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      terminal_.KeyPress(kEnter);
      return;
    }
    const QString text = event->text();
    if (text.size() == 1 && text[0].unicode() < 0x100) {
      terminal_.KeyPress(static_cast<std::uint8_t>(text[0].unicode()));
      return;
    }
    QWidget::keyPressEvent(event);
  }

  void focusInEvent(QFocusEvent* event) override {
    QWidget::focusInEvent(event);
    update();
  }
  void focusOutEvent(QFocusEvent* event) override {
    QWidget::focusOutEvent(event);
    update();
  }

private:
  static constexpr int kMargin = 6;
  kavrin::Terminal& terminal_;
};

TerminalWindow::TerminalWindow(Session& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), dialogs_(dialogs),
      screen_(new TerminalScreen(session.terminal, this)), ports_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Terminal Emulator"));
  auto* clear = new QPushButton(QStringLiteral("Clear"), this);
  auto* setup = new QPushButton(QStringLiteral("&Setup"), this);
  clear->setFocusPolicy(Qt::NoFocus);
  setup->setFocusPolicy(Qt::NoFocus);
  connect(clear, &QPushButton::clicked, this, &TerminalWindow::Clear);
  connect(setup, &QPushButton::clicked, this, &TerminalWindow::Setup);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(clear);
  buttons->addWidget(setup);
  buttons->addStretch(1);
  buttons->addWidget(ports_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(screen_);
  layout->addLayout(buttons);
  session_.terminal.Clear();
  Refresh();
}

QWidget* TerminalWindow::Screen() const {
  return screen_;
}

// With the board's console on an ASCI channel the caption names it too.
void TerminalWindow::Refresh() {
  std::string caption = TerminalPortsCaption(session_.TerminalPort());
  if (session_.board.enabled && session_.board.console != ConsoleKind::Port)
    caption += session_.board.console == ConsoleKind::Asci0 ? ", ASCI0" : ", ASCI1";
  ports_->setText(QString::fromStdString(caption));
  screen_->update();
}

void TerminalWindow::Clear() {
  session_.terminal.Clear();
  screen_->update();
}

void TerminalWindow::Setup() {
  if (const auto port = AskPort(dialogs_, session_.TerminalPort())) {
    session_.SetTerminalPort(*port);
    Refresh();
  }
}

void TerminalWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
  screen_->setFocus();
}

} // namespace kavrin::ui
