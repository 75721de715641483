// The main window driven as a user drives it: load, step, step over, run to
// a breakpoint, stop an endless run, edit registers and flags, the history.
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "simulator/ui/flag_box.h"
#include "simulator/ui/main_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class MainWindowTest : public QObject, test::MainWindowFixture {
  Q_OBJECT

  QString rom_;
  QString MarkedLine() {
    for (int i = 0; i < window_->ExecutionList()->count(); ++i)
      if (window_->ExecutionList()->item(i)->text().startsWith('>'))
        return window_->ExecutionList()->item(i)->text();
    return {};
  }
  QColor IndicatorColour() { return window_->RunIndicator()->palette().color(QPalette::Window); }

private slots:
  void initTestCase() {
    rom_ = test::BuildEcho(dir_.path());
    QVERIFY(!rom_.isEmpty());
  }

  void init() {
    OpenWindow();
    dialogs_.files.push_back(rom_);
    Action(window_->FileMenu(), "&Load at 0000H")->trigger();
  }

  void loadShowsCodeWithSymbolsAndTheMarkerAtPc() {
    QCOMPARE(window_->ExecutionList()->count(), kExecutionListLines);
    QCOMPARE(MarkedLine(), QStringLiteral(">0000H 310000   START: LD SP,START"));
    QVERIFY(window_->ExecutionList()->item(3)->text().endsWith("CALL GREET"));
    QCOMPARE(window_->RegisterLabel(RegisterField::PC)->text(), QStringLiteral("0000"));
    QVERIFY(dialogs_.messages.isEmpty());
    // The history item names the file.
    QVERIFY(Action(window_->FileMenu(), "&1 Echo.ROM at 00000H"));
  }

  void loadAtAnAddressThenTheHistoryItemReloadsAndResets() {
    Click("Step");
    dialogs_.addressTexts.push_back(QStringLiteral("8000"));
    dialogs_.files.push_back(rom_);
    Action(window_->FileMenu(), "Load &at ...")->trigger();
    QCOMPARE(M().PhysicalMemory[0x8000], 0x31);
    QCOMPARE(M().Cpu.PC, 0x0003); // no reset
    QVERIFY(Action(window_->FileMenu(), "&1 Echo.ROM at 08000H"));
    QVERIFY(Action(window_->FileMenu(), "&2 Echo.ROM at 00000H") == nullptr); // same path replaced

    M().PhysicalMemory[0x8000] = 0;
    Action(window_->FileMenu(), "&1 Echo.ROM at 08000H")->trigger();
    QCOMPARE(M().PhysicalMemory[0x8000], 0x31);
    QCOMPARE(M().Cpu.PC, 0x0000);
    QVERIFY(dialogs_.messages.isEmpty());
  }

  void stepThenStepOverTheCallLandsOnTheNextLine() {
    for (int i = 0; i < 3; ++i)
      Click("Step");
    QCOMPARE(M().Cpu.PC, 0x0007);
    QVERIFY(MarkedLine().endsWith("CALL GREET"));
    Click("Step Over");
    QCOMPARE(M().Cpu.PC, 0x000A);
    QVERIFY(MarkedLine().startsWith(">000AH"));
    QCOMPARE(session_->terminal.Lines()[0], std::string("Hello"));
    QCOMPARE(window_->RegisterLabel(RegisterField::PC)->text(), QStringLiteral("000A"));
  }

  void multiStepTakesTheSpinCount() {
    QCOMPARE(window_->MultiStepCount()->value(), kDefaultMultiStep);
    QCOMPARE(window_->MultiStepCount()->maximum(), 250);
    window_->MultiStepCount()->setValue(2);
    Click("Multi-Step");
    QCOMPARE(M().Cpu.PC, 0x0005);
  }

  void runStopsAtABreakpointWithItsMessage() {
    session_->breakpoints = {0x000A};
    Click("Run");
    QCOMPARE(M().Cpu.PC, 0x000A);
    QCOMPARE(dialogs_.messages, QStringList{"Breakpoint at 000AH reached"});
  }

  void stopEndsAnEndlessRunAndTheIndicatorTurnsGreen() {
    QColor during;
    bool stopEnabled = false;
    QTimer::singleShot(200, this, [&] {
      during = IndicatorColour();
      stopEnabled = window_->Button("Stop")->isEnabled();
      Click("Stop");
    });
    Click("Run"); // the program waits for a key forever
    QCOMPARE(during, QColor(Qt::red));
    QVERIFY(stopEnabled);
    QVERIFY(!window_->Running());
    QCOMPARE(IndicatorColour(), QColor(Qt::green));
    QVERIFY(!window_->Button("Stop")->isEnabled());
    QVERIFY(window_->Button("Run")->isEnabled());
    QVERIFY(M().Cpu.PC >= 0x000A && M().Cpu.PC < 0x0015);
    QVERIFY(dialogs_.messages.isEmpty());
  }

  void gotoRunsToTheTypedSymbol() {
    dialogs_.addressTexts.push_back(QStringLiteral("greet"));
    Action(window_->menuBar()->actions()[1]->menu(), "&Goto")->trigger();
    QCOMPARE(M().Cpu.PC, 0x0015);
    QVERIFY(dialogs_.messages.isEmpty());
  }

  void registerEditTakesASymbolAndRefusesBadText() {
    dialogs_.addressTexts = {QStringLiteral("greet"), QStringLiteral("12g4")};
    QTest::mouseClick(window_->RegisterLabel(RegisterField::PC), Qt::LeftButton);
    QCOMPARE(dialogs_.lastInitial, QStringLiteral("0000"));
    QCOMPARE(M().Cpu.PC, 0x0015);
    QVERIFY(MarkedLine().contains("GREET: LD HL,MESSAGE"));
    QTest::mouseClick(window_->RegisterLabel(RegisterField::PC), Qt::LeftButton);
    QCOMPARE(M().Cpu.PC, 0x0015);
    QCOMPARE(dialogs_.messages, QStringList{"Cannot resolve 12G4"});
  }

  void aClickInTheFlagFieldTogglesTheFlagUnderIt() {
    const std::uint8_t before = M().Cpu.F;
    QTest::mouseClick(window_->Flags(), Qt::LeftButton, {}, QPoint(20, 5)); // Z: 15-32
    QCOMPARE(M().Cpu.F, static_cast<std::uint8_t>(before ^ kFlagZ));
    QCOMPARE(window_->Flags()->Text().split(' ')[1], (before & kFlagZ) ? "0" : "1");
    QTest::mouseClick(window_->Flags(), Qt::LeftButton, {}, QPoint(50, 5)); // N: 49-64
    QCOMPARE(M().Cpu.SubtractFlag, 1);
  }

  void resetAndBankFields() {
    Click("Step");
    Click("Reset CPU");
    QCOMPARE(M().Cpu.PC, 0x0000);
    QVERIFY(MarkedLine().startsWith(">0000H"));
    QCOMPARE(window_->BankLabel()->text(), QString::fromStdString(BankField(M())));
  }

  void settingsAreWrittenAtClose() {
    window_->OpenSettings();
    session_->SetTerminalPort(0x90);
    window_->close();
    Session again;
    again.OpenSettings(dir_.filePath("Kavrin.ini").toStdString());
    QCOMPARE(again.TerminalPort(), 0x90);
    QCOMPARE(QString::fromStdString(again.history.Entries().at(0).path), rom_);
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
