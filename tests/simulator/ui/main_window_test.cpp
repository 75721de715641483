// The main window and the tool windows it opens, driven as a user drives
// them on the echo program: load, step, step over, run to a breakpoint set
// in the editor, stop an endless run, edit registers and flags, the history,
// the counts and the stopwatch, the Board dialog; the disassembler, the
// terminal and the I/O page; a CP/M program answered as it runs or steps.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "simulator/core/run_control.h"
#include "simulator/session/stopwatch.h"
#include "simulator/ui/board_dialog.h"
#include "simulator/ui/breakpoint_window.h"
#include "simulator/ui/disassembler_window.h"
#include "simulator/ui/dump_window.h"
#include "simulator/ui/flag_box.h"
#include "simulator/ui/io_page_window.h"
#include "simulator/ui/terminal_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class MainWindowTest : public QObject, test::MainWindowFixture {
  Q_OBJECT

  QString rom_;
  QString greeter_;
  // Instructions, T-states and time since reset, then since the stopwatch was zeroed.
  QString Counts() {
    QStringList texts;
    for (bool stopwatch : {false, true})
      for (int row = 0; row < 3; ++row)
        texts << window_->CountLabel(row, stopwatch)->text();
    return texts.join(' ');
  }
  QString MarkedLine() {
    for (int i = 0; i < window_->ExecutionList()->count(); ++i)
      if (window_->ExecutionList()->item(i)->text().startsWith('>'))
        return window_->ExecutionList()->item(i)->text();
    return {};
  }
  QColor IndicatorColour() { return window_->RunIndicator()->palette().color(QPalette::Window); }
  QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
      lines << list->item(i)->text();
    return lines;
  }

private slots:
  void initTestCase() {
    rom_ = test::WriteEcho(dir_.path());
    QVERIFY(!rom_.isEmpty());
    // LD DE,HELLO / LD C,9 / CALL 5 / LD C,1 / CALL 5 / LD (KEY),A /
    // LD E,'!' / LD C,2 / CALL 5 / JP 0 / NOP / HELLO at 011BH / KEY at 012AH:
    // greets, reads a key (echoed), prints '!' and warm boots.
    greeter_ = dir_.filePath("GREETER.COM");
    QFile file(greeter_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    static const char kGreeter[] =
        "\x11\x1B\x01\x0E\x09\xCD\x05\x00\x0E\x01\xCD\x05\x00\x32\x2A\x01\x1E!\x0E\x02"
        "\xCD\x05\x00\xC3\x00\x00\x00Hi from CP/M\r\n$\x00";
    file.write(kGreeter, sizeof kGreeter - 1);
  }

  void init() {
    OpenWindow();
    dialogs_.files.push_back(rom_);
    Action(window_->FileMenu(), "&Load at 0000H")->trigger();
  }

  void loadShowsCodeWithSymbolsAndTheHistoryReloads() {
    QCOMPARE(MarkedLine(), QStringLiteral(">0000H 310000   START: LD SP,START"));
    QVERIFY(Action(window_->FileMenu(), "&1 Echo.ROM at 00000H"));
    Click("Step");
    dialogs_.addressTexts.push_back(QStringLiteral("8000"));
    dialogs_.files.push_back(rom_);
    Action(window_->FileMenu(), "Load &at ...")->trigger();
    QCOMPARE(M().PhysicalMemory[0x8000], 0x31);
    QCOMPARE(M().Cpu.PC, 0x0003); // no reset
    QVERIFY(Action(window_->FileMenu(), "&1 Echo.ROM at 08000H"));
    QVERIFY(!Action(window_->FileMenu(), "&2 Echo.ROM at 00000H")); // same path replaced
    M().PhysicalMemory[0x8000] = 0;
    Action(window_->FileMenu(), "&1 Echo.ROM at 08000H")->trigger();
    QCOMPARE(M().PhysicalMemory[0x8000], 0x31);
    QCOMPARE(M().Cpu.PC, 0x0000);
  }

  void stepMultiStepAndStepOverTheCall() {
    window_->MultiStepCount()->setValue(2);
    Click("Multi-Step");
    Click("Step");
    QCOMPARE(M().Cpu.PC, 0x0007);
    QVERIFY(MarkedLine().endsWith("CALL GREET"));
    Click("Step Over");
    QCOMPARE(M().Cpu.PC, 0x000A);
    QVERIFY(MarkedLine().startsWith(">000AH"));
    QCOMPARE(session_->terminal.Lines()[0], std::string("Hello"));
    QCOMPARE(window_->RegisterLabel(RegisterField::PC)->text(), QStringLiteral("000A"));
  }

  void theEditorKeepsFourBreakpointsAndRunStopsAtOne() {
    BreakpointWindow& editor = *window_->BreakpointEditor();
    dialogs_.addressTexts = {"a", "greet", "12g4", "1234", "77", "88"};
    for (int i = 0; i < 6; ++i)
      QTest::mouseClick(test::FindButton(editor, "&Add"), Qt::LeftButton);
    QCOMPARE(Lines(editor.List()),
             (QStringList{"000AH ECHO", "0015H GREET", "1234 No symbol", "0077 No symbol"}));
    QCOMPARE(dialogs_.messages, QStringList{"Cannot resolve 12G4"});
    QCOMPARE(dialogs_.addressTexts.size(), std::size_t{1}); // the fifth Add asked nothing
    editor.List()->setCurrentRow(1);
    QTest::mouseClick(test::FindButton(editor, "&Remove"), Qt::LeftButton);
    QCOMPARE(session_->breakpoints, (BreakpointList{0x000A, 0x1234, 0x0077, 0}));
    dialogs_.messages.clear();
    Click("Run");
    QCOMPARE(M().Cpu.PC, 0x000A);
    QCOMPARE(dialogs_.messages, QStringList{"Breakpoint at 000AH reached"});
  }

  void stopEndsAnEndlessRunAndTheIndicatorTurnsGreen() {
    QColor during;
    QTimer::singleShot(200, this, [&] {
      during = IndicatorColour();
      Click("Stop");
    });
    Click("Run"); // the program waits for a key forever
    QCOMPARE(during, QColor(Qt::red));
    QVERIFY(!window_->Running());
    QCOMPARE(IndicatorColour(), QColor(Qt::green));
    QVERIFY(!window_->Button("Stop")->isEnabled());
    QVERIFY(M().Cpu.PC >= 0x000A && M().Cpu.PC < 0x0015);
  }

  void gotoAndTheRegisterAndFlagFields() {
    dialogs_.addressTexts = {QStringLiteral("greet"), QStringLiteral("start")};
    Action(window_->menuBar()->actions()[1]->menu(), "&Goto")->trigger();
    QCOMPARE(M().Cpu.PC, 0x0015);
    QTest::mouseClick(window_->RegisterLabel(RegisterField::PC), Qt::LeftButton);
    QCOMPARE(M().Cpu.PC, 0x0000);
    QVERIFY(MarkedLine().contains("START: LD SP,START"));

    const std::uint8_t before = M().Cpu.F;
    QTest::mouseClick(window_->Flags(), Qt::LeftButton, {}, QPoint(20, 5)); // Z: 15-32
    QCOMPARE(M().Cpu.F, static_cast<std::uint8_t>(before ^ kFlagZ));
    QCOMPARE(window_->Flags()->Text().split(' ')[1], (before & kFlagZ) ? "0" : "1");
  }

  void theDisassemblerGoesToASymbolMovesAndShowsPhysicalAddresses() {
    DisassemblerWindow& window = *window_->Disassembler();
    dialogs_.addressTexts = {"greet"};
    QTest::mouseClick(test::FindButton(window, "Go to ..."), Qt::LeftButton);
    QCOMPARE(window.List()->item(0)->text(),
             QStringLiteral("0015H  212000   GREET: LD HL,MESSAGE"));
    QTest::mouseClick(test::FindButton(window, "Page down"), Qt::LeftButton);
    QCOMPARE(window.List()->currentRow(), 5);
    window.findChildren<QRadioButton*>().at(1)->click(); // Physical
    QCOMPARE(window.List()->item(0)->text().left(8), QStringLiteral("00015H 2"));
  }

  void aKeyTypedOnTheTerminalDuringTheRunIsEchoed() {
    TerminalWindow& terminal = *window_->TerminalTool();
    terminal.show();
    QVERIFY(QTest::qWaitForWindowExposed(&terminal));
    QTimer::singleShot(100, this, [&] { QTest::keyClick(terminal.Screen(), 'A'); });
    QTimer::singleShot(200, this, [&] { QTest::keyClick(terminal.Screen(), Qt::Key_Return); });
    QTimer::singleShot(400, this, [this] { Click("Stop"); });
    Click("Run");
    QCOMPARE(session_->terminal.Lines()[0], std::string("Hello"));
    QCOMPARE(session_->terminal.Lines()[1], std::string("A"));
    QCOMPARE(session_->terminal.Line(), 2); // Enter came back as CR and LF

    dialogs_.portTexts = {"a0"};
    QTest::mouseClick(test::FindButton(terminal, "&Setup"), Qt::LeftButton);
    QCOMPARE(terminal.PortsLabel()->text(), QStringLiteral("Ports: A0H, A1H"));
  }

  void theIoPageShowsAJoinedOutputOnItsInputAndTakesTypedValues() {
    IoPageWindow& page = *window_->IoPage();
    QCOMPARE(page.Output(0).port->text(), QStringLiteral("87H"));
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QTest::mouseClick(page.Join(0), Qt::LeftButton);
    window_->MultiStepCount()->setValue(3); // past OUT (87H),5AH
    Click("Multi-Step");
    for (bool input : {false, true}) {
      const IoPageWindow::PortRow& row = input ? page.Input(0) : page.Output(0);
      QCOMPARE(row.hex->text(), QStringLiteral("5A"));
      QCOMPARE(page.Lamps(0, input), 0x5A);
    }
    // Typing into a joined row is refused with the message.
    page.Input(0).hex->selectAll();
    QTest::keyClicks(page.Input(0).hex, "1");
    QTest::keyClick(page.Input(0).hex, Qt::Key_Return);
    QCOMPARE(dialogs_.messages, QStringList{"Value cannot be changed with joined ports..."});
    QCOMPARE(page.Input(0).hex->text(), QStringLiteral("5A"));
    page.Input(1).hex->selectAll();
    QTest::keyClicks(page.Input(1).hex, "7f");
    QTest::keyClick(page.Input(1).hex, Qt::Key_Return);
    QCOMPARE(page.Input(1).decimal->text(), QStringLiteral("127"));
    QCOMPARE(int(session_->panel.ReadInput(1)), 0x7F);
  }

  void theCountsFollowStepsAndTheStopwatchZeroesWhileTheTotalsGoOn() {
    const auto time = [](int states) {
      return QString::fromStdString(SimulatedTime(states, 18.432));
    };
    Click("Step");
    Click("Step"); // LD SP,nn and LD A,n: 9 and 6 states on the Z180
    QCOMPARE(Counts(), "2 15 " + time(15) + " 2 15 " + time(15));
    Click("Zero stopwatch");
    Click("Step"); // OUT (n),A: 10 states
    QCOMPARE(Counts(), "3 25 " + time(25) + " 1 10 " + time(10));
    Click("Step");
    Click("Reset CPU");
    QVERIFY(MarkedLine().startsWith(">0000H"));
    QCOMPARE(Counts(), QStringLiteral("0 0 0.000000 ms 0 0 0.000000 ms"));
  }

  void theBoardDialogGreysWhatNeedsTheBoardAndGivesItsFields() {
    BoardDialog dialog({.enabled = false, .clockKHz = 18432, .console = ConsoleKind::Asci1});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(!dialog.Console()->isEnabled());
    QTest::keyClick(dialog.Enabled(), Qt::Key_Space);
    dialog.Clock()->selectAll();
    QTest::keyClicks(dialog.Clock(), "6.144");
    dialog.Console()->setCurrentIndex(1);
    const BoardSettings s = dialog.Settings();
    QVERIFY(s.enabled);
    QCOMPARE(s.clockKHz, 6144);
    QCOMPARE(s.console, ConsoleKind::Asci0);
  }

  void theBoardMenuConfiguresTheMachine() {
    dialogs_.boards = {BoardSettings{.enabled = true,
                                     .clockKHz = 6144,
                                     .memoryWaitStates = 1,
                                     .ioWaitStates = 2,
                                     .console = ConsoleKind::Asci0}};
    Action(window_->SimulatorMenu(), "&Board...")->trigger();
    QVERIFY(M().Board().enabled);
    QCOMPARE(M().MemoryWaitStates(), 1);
    QCOMPARE(M().IoWaitStates(), 2);
    QCOMPARE(window_->CountLabel(0, false)->parentWidget()->property("title").toString(),
             QStringLiteral("Counts at 6.144 MHz"));
    QCOMPARE(window_->TerminalTool()->PortsLabel()->text(),
             QStringLiteral("Ports: 80H, 81H, ASCI0"));
  }

  void aCpmProgramRunsWithItsConsoleOnTheTerminalUntilTheWarmBoot() {
    Action(window_->FileMenu(), "&CP/M mode")->trigger();
    dialogs_.files.push_back(greeter_);
    Action(window_->FileMenu(), "&Load CP/M program")->trigger();
    QCOMPARE(M().Cpu.PC, 0x0100);
    QVERIFY(window_->TerminalTool()->isVisible());
    for (int i = 0; i < 4; ++i) // LD DE / LD C / CALL 5 / the JP at 0005H
      Click("Step");
    QCOMPARE(M().Cpu.PC, kCpmBdosEntry);
    Click("Step"); // the HALT there: the BDOS prints and returns
    QCOMPARE(M().Cpu.PC, 0x0108);
    QCOMPARE(session_->terminal.Lines()[0], std::string("Hi from CP/M"));
    // Stop during the wait for a key leaves the call to be made again.
    QTimer::singleShot(100, this, [this] { Click("Stop"); });
    Click("Run");
    QCOMPARE(M().Cpu.PC, kCpmBdosEntry);
    QCOMPARE(M().Cpu.C, 1);
    QVERIFY(dialogs_.messages.isEmpty());
    QTimer::singleShot(100, this,
                       [this] { QTest::keyClick(window_->TerminalTool()->Screen(), 'x'); });
    Click("Run");
    QCOMPARE(session_->terminal.Lines()[1], std::string("x!"));
    QCOMPARE(M().ReadByte(0x012A), 'x');
    QCOMPARE(dialogs_.messages, QStringList{"The CP/M program ended with a warm boot"});
    // Ended: runs are refused until Reset CPU starts it again.
    Click("Step");
    QVERIFY(dialogs_.messages.value(1).startsWith("The CP/M program has ended"));
    Click("Reset CPU");
    QCOMPARE(M().Cpu.PC, 0x0100);
    QVERIFY(!window_->Cpm()->Ended());
    // The mode is kept in Kavrin.ini.
    window_->close();
    Session again;
    MainWindow second(again, dialogs_, dir_.filePath("Kavrin.ini"));
    second.OpenSettings();
    QVERIFY(again.cpmMode);
    QVERIFY(Action(second.FileMenu(), "&CP/M mode")->isChecked());
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
