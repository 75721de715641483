// The counts and the stopwatch in the main window, and the Board dialog:
// its fields, Kavrin.ini and the machine it configures.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QSpinBox>
#include <QTest>

#include "simulator/session/stopwatch.h"
#include "simulator/ui/board_dialog.h"
#include "simulator/ui/main_window.h"
#include "simulator/ui/terminal_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

namespace {

// Starts PRT0 counting down from FFFFH and copies TMDR0L to port 87H
// (output 1 of the I/O page) in a loop.
const char kTicker[] = {
    '\x3E', '\xFF',         // LD A,0FFH
    '\xED', '\x39', '\x0E', // OUT0 (RLDR0L),A
    '\xED', '\x39', '\x0F', // OUT0 (RLDR0H),A
    '\xED', '\x39', '\x0C', // OUT0 (TMDR0L),A
    '\xED', '\x39', '\x0D', // OUT0 (TMDR0H),A
    '\x3E', '\x01',         // LD A,1 (TDE0)
    '\xED', '\x39', '\x10', // OUT0 (TCR),A
    '\xED', '\x38', '\x0C', // LOOP: IN0 A,(TMDR0L)
    '\xD3', '\x87',         // OUT (87H),A
    '\x18', '\xF9',         // JR LOOP
};
constexpr int kInstructions = 0, kStates = 1, kTime = 2;

} // namespace

class CountsAndBoardTest : public QObject, test::MainWindowFixture {
  Q_OBJECT

  QString image_;
  QString Count(int row, bool stopwatch) { return window_->CountLabel(row, stopwatch)->text(); }
  // TMDR0L as the program last copied it, after ten instructions more.
  std::uint8_t TickAfterTenSteps() {
    window_->MultiStepCount()->setValue(10);
    Click("Multi-Step");
    return session_->panel.Rows()[0].outputValue;
  }

private slots:
  void initTestCase() {
    image_ = dir_.filePath("Ticker.ROM");
    QFile file(image_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kTicker, sizeof kTicker);
  }

  void init() {
    OpenWindow();
    window_->LoadFile(image_);
  }

  void countsFollowStepsAndResetClearsThem() {
    QCOMPARE(Count(kInstructions, false), QStringLiteral("0"));
    Click("Step");
    Click("Step"); // LD A,n and OUT0 (n),A: 6 and 13 states on the Z180
    QCOMPARE(Count(kInstructions, false), QStringLiteral("2"));
    QCOMPARE(Count(kStates, false), QStringLiteral("19"));
    QCOMPARE(Count(kTime, false), QString::fromStdString(SimulatedTime(19, 18.432)));
    QCOMPARE(Count(kStates, true), QStringLiteral("19")); // never zeroed
    Click("Reset CPU");
    for (int row : {kInstructions, kStates})
      for (bool stopwatch : {false, true})
        QCOMPARE(Count(row, stopwatch), QStringLiteral("0"));
    QCOMPARE(Count(kTime, false), QStringLiteral("0.000000 ms"));
  }

  void theStopwatchZeroesWhileTheTotalsGoOn() {
    window_->MultiStepCount()->setValue(7);
    Click("Multi-Step");
    const std::uint64_t statesAtZero = M().TStates();
    Click("Zero stopwatch");
    QCOMPARE(Count(kInstructions, true), QStringLiteral("0"));
    QCOMPARE(Count(kInstructions, false), QStringLiteral("7"));
    Click("Step");
    QCOMPARE(Count(kInstructions, true), QStringLiteral("1"));
    QCOMPARE(Count(kInstructions, false), QStringLiteral("8"));
    const std::uint64_t lap = M().TStates() - statesAtZero;
    QCOMPARE(Count(kStates, true), QString::number(lap));
    QCOMPARE(Count(kTime, true), QString::fromStdString(SimulatedTime(lap, 18.432)));
    // The menu item does the same as the button.
    Click("Step");
    Action(window_->SimulatorMenu(), "&Zero stopwatch")->trigger();
    QCOMPARE(Count(kStates, true), QStringLiteral("0"));
  }

  void theBoardDialogGreysWhatNeedsTheBoardAndGivesItsFields() {
    BoardDialog dialog({.enabled = false, .clockKHz = 18432, .console = ConsoleKind::Asci1});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.RomSize()->isEnabled());
    QVERIFY(!dialog.Console()->isEnabled());
    QTest::keyClick(dialog.Enabled(), Qt::Key_Space);
    QVERIFY(dialog.RomSize()->isEnabled());
    QVERIFY(dialog.Console()->isEnabled());
    dialog.Clock()->selectAll();
    QTest::keyClicks(dialog.Clock(), "6.144");
    dialog.MemoryWaitStates()->selectAll();
    QTest::keyClicks(dialog.MemoryWaitStates(), "2");
    dialog.RomSize()->selectAll();
    QTest::keyClicks(dialog.RomSize(), "32");
    dialog.Console()->setCurrentIndex(1);
    const BoardSettings s = dialog.Settings();
    QVERIFY(s.enabled);
    QCOMPARE(s.clockKHz, 6144);
    QCOMPARE(s.memoryWaitStates, 2);
    QCOMPARE(s.ioWaitStates, 0);
    QCOMPARE(s.romSizeK, 32);
    QCOMPARE(s.console, ConsoleKind::Asci0);
  }

  void theBoardRunsTheTimerAndRoundTripsThroughKavrinIni() {
    Click("Multi-Step"); // the timer is set up and running, on paper
    const std::uint8_t bare = TickAfterTenSteps();
    QCOMPARE(TickAfterTenSteps(), bare); // the bare core has no timers

    dialogs_.boards.push_back(BoardSettings{.enabled = true,
                                            .romSizeK = 0,
                                            .clockKHz = 6144,
                                            .memoryWaitStates = 1,
                                            .ioWaitStates = 2,
                                            .console = ConsoleKind::Asci0});
    Action(window_->SimulatorMenu(), "&Board...")->trigger();
    QVERIFY(M().Board().enabled);
    QCOMPARE(M().MemoryWaitStates(), 1);
    QCOMPARE(M().IoWaitStates(), 2);
    QCOMPARE(window_->CountLabel(0, false)->parentWidget()->property("title").toString(),
             QStringLiteral("Counts at 6.144 MHz"));
    QCOMPARE(window_->TerminalTool()->PortsLabel()->text(),
             QStringLiteral("Ports: 80H, 81H, ASCI0"));
    Click("Reset CPU"); // the program sets the timer up again, now on the board
    Click("Multi-Step");
    const std::uint8_t first = TickAfterTenSteps();
    QVERIFY(TickAfterTenSteps() != first);

    window_->close();
    QFile ini(dir_.filePath("Kavrin.ini"));
    QVERIFY(ini.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(ini.readAll());
    QVERIFY2(text.contains("[Board]") && text.contains("Enabled=1") &&
                 text.contains("ClockKHz=6144") && text.contains("Console=asci0"),
             qPrintable(text));
    Session again;
    again.OpenSettings(dir_.filePath("Kavrin.ini").toStdString());
    QVERIFY(again.machine().Board().enabled);
    QCOMPARE(again.board.ioWaitStates, 2);
    QCOMPARE(again.board.console, ConsoleKind::Asci0);
  }

  void cancellingTheBoardDialogChangesNothing() {
    dialogs_.boards.push_back(std::nullopt);
    Action(window_->SimulatorMenu(), "&Board...")->trigger();
    QVERIFY(!M().Board().enabled);
    QCOMPARE(session_->board.clockKHz, kDefaultClockKHz);
  }
};

QTEST_MAIN(CountsAndBoardTest)
#include "counts_and_board_test.moc"
