// The counts and the stopwatch in the main window, and the Board dialog:
// its fields, the machine it configures and Kavrin.ini.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSpinBox>

#include "simulator/session/stopwatch.h"
#include "simulator/ui/board_dialog.h"
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

  void theCountsFollowStepsAndTheStopwatchZeroesWhileTheTotalsGoOn() {
    Click("Step");
    Click("Step"); // LD A,n and OUT0 (n),A: 6 and 13 states on the Z180
    QCOMPARE(Count(kInstructions, false), QStringLiteral("2"));
    QCOMPARE(Count(kStates, false), QStringLiteral("19"));
    QCOMPARE(Count(kTime, false), QString::fromStdString(SimulatedTime(19, 18.432)));
    Click("Zero stopwatch");
    Click("Step");
    QCOMPARE(Count(kInstructions, true), QStringLiteral("1"));
    QCOMPARE(Count(kInstructions, false), QStringLiteral("3"));
    QCOMPARE(Count(kStates, true), QStringLiteral("13"));
    QCOMPARE(Count(kTime, true), QString::fromStdString(SimulatedTime(13, 18.432)));
    Action(window_->SimulatorMenu(), "&Zero stopwatch")->trigger();
    QCOMPARE(Count(kStates, true), QStringLiteral("0"));
    Click("Step");
    Click("Reset CPU");
    for (int row : {kInstructions, kStates})
      for (bool stopwatch : {false, true})
        QCOMPARE(Count(row, stopwatch), QStringLiteral("0"));
    QCOMPARE(Count(kTime, false), QStringLiteral("0.000000 ms"));
  }

  void theBoardDialogGreysWhatNeedsTheBoardAndGivesItsFields() {
    BoardDialog dialog({.enabled = false, .clockKHz = 18432, .console = ConsoleKind::Asci1});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.RomSize()->isEnabled() && !dialog.Console()->isEnabled());
    QTest::keyClick(dialog.Enabled(), Qt::Key_Space);
    QVERIFY(dialog.RomSize()->isEnabled() && dialog.Console()->isEnabled());
    const std::pair<QAbstractSpinBox*, const char*> typed[] = {
        {dialog.Clock(), "6.144"}, {dialog.MemoryWaitStates(), "2"}, {dialog.RomSize(), "32"}};
    for (const auto& [field, text] : typed) {
      field->selectAll();
      QTest::keyClicks(field, text);
    }
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
    dialogs_.boards = {std::nullopt,     // cancelled: nothing changes
                       BoardSettings{.enabled = true,
                                     .clockKHz = 6144,
                                     .memoryWaitStates = 1,
                                     .ioWaitStates = 2,
                                     .console = ConsoleKind::Asci0}};
    Action(window_->SimulatorMenu(), "&Board...")->trigger();
    QVERIFY(!M().Board().enabled);
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
    Session again;
    again.OpenSettings(dir_.filePath("Kavrin.ini").toStdString());
    QVERIFY(again.machine().Board().enabled);
    QCOMPARE(again.board.clockKHz, 6144);
    QCOMPARE(again.board.ioWaitStates, 2);
    QCOMPARE(again.board.console, ConsoleKind::Asci0);
  }
};

QTEST_MAIN(CountsAndBoardTest)
#include "counts_and_board_test.moc"
