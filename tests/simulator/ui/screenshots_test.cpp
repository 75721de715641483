// Pictures of every Kavrin window with the echo program loaded and stopped
// inside it: registers, counts and a stopwatch, code with symbols, a dump of
// its data, two breakpoints, terminal output, lit lamps and the board.
// scripts/screenshots.sh runs this under Xvfb with
// KAVRIN_SCREENSHOT_DIR set; under ctest the pictures go to a temporary
// folder and only their size is checked.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>

#include "simulator/core/run_control.h"
#include "simulator/ui/board_dialog.h"
#include "simulator/ui/breakpoint_window.h"
#include "simulator/ui/disassembler_window.h"
#include "simulator/ui/dump_window.h"
#include "simulator/ui/enter_address_dialog.h"
#include "simulator/ui/io_page_window.h"
#include "simulator/ui/main_window.h"
#include "simulator/ui/terminal_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class KavrinScreenshots : public QObject, test::MainWindowFixture {
  Q_OBJECT

  QTemporaryDir scratch_;
  QString out_;

  // The window at its default size shows all of its contents.
  void Shoot(QWidget& window, const QString& name) {
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(50);
    QVERIFY2(window.width() >= window.minimumSizeHint().width() &&
                 window.height() >= window.minimumSizeHint().height(),
             qPrintable(name));
    const QImage image = window.grab().toImage();
    QVERIFY(!image.isNull());
    QVERIFY(image.save(out_ + "/" + name, "PNG"));
  }

private slots:
  void initTestCase() {
    out_ = qEnvironmentVariable("KAVRIN_SCREENSHOT_DIR", scratch_.path());
    const QString rom = test::WriteEcho(dir_.path());
    QVERIFY(!rom.isEmpty());
    OpenWindow();
    window_->LoadFile(rom);

    dialogs_.addressTexts = {"ECHO", "1B"};
    window_->BreakpointEditor()->Add();
    window_->BreakpointEditor()->Add();
    window_->IoPage()->Join(0)->setChecked(true);
    session_->panel.SetInputValue(1, 0xC3, nullptr);

    // Greets, then echoes a line typed on the terminal.
    Machine& m = M();
    GotoAddress(m, 0x000A);
    for (char c : std::string("Kavrin echoes this line\r")) {
      session_->terminal.KeyPress(static_cast<std::uint8_t>(c));
      StepOne(m);
      GotoAddress(m, 0x000A);
    }
    for (int i = 0; i < 2; ++i) { // the LF after the CR
      StepOne(m);
      GotoAddress(m, 0x000A);
    }
    window_->MultiStepCount()->setValue(4);
    window_->ZeroStopwatch();
    window_->MultiStep();
    window_->Dump()->GoTo(0x0000);
    dialogs_.messages.clear();
    window_->RefreshDisplays();
  }

  void mainWindow() { Shoot(*window_, "kavrin-main.png"); }
  void disassembler() { Shoot(*window_->Disassembler(), "kavrin-disassembler.png"); }
  void dump() { Shoot(*window_->Dump(), "kavrin-dump.png"); }
  void breakpoints() { Shoot(*window_->BreakpointEditor(), "kavrin-breakpoints.png"); }
  void terminal() { Shoot(*window_->TerminalTool(), "kavrin-terminal.png"); }
  void ioPage() { Shoot(*window_->IoPage(), "kavrin-io.png"); }
  void board() {
    BoardDialog dialog({.enabled = true, .romSizeK = 32, .console = ConsoleKind::Asci0});
    Shoot(dialog, "kavrin-board.png");
  }
  void addressEntry() {
    EnterAddressDialog dialog(EnterAddressDialog::Kind::Address);
    Shoot(dialog, "kavrin-address.png");
  }
  void cleanupTestCase() { QVERIFY(dialogs_.messages.isEmpty()); }
};

QTEST_MAIN(KavrinScreenshots)
#include "screenshots_test.moc"
