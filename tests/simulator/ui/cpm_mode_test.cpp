// CP/M mode in the main window: the File menu's item, a .COM at 0100H
// whose BDOS calls are answered as it runs or is stepped, the console on
// the terminal window, Stop during a wait for a key, the end of the program.
#include <QTimer>

#include "simulator/ui/terminal_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

namespace {

// Greets (function 9), reads a key (function 1, echoed) into KEY, prints
// '!' (function 2) and warm boots by JP 0.
const char kGreeter[] = "\x11\x1B\x01"      // LD DE,HELLO
                        "\x0E\x09"          // LD C,9
                        "\xCD\x05\x00"      // CALL 5
                        "\x0E\x01"          // LD C,1
                        "\xCD\x05\x00"      // CALL 5
                        "\x32\x2A\x01"      // LD (KEY),A
                        "\x1E!"             // LD E,'!'
                        "\x0E\x02"          // LD C,2
                        "\xCD\x05\x00"      // CALL 5
                        "\xC3\x00\x00"      // JP 0
                        "\x00"              //
                        "Hi from CP/M\r\n$" // HELLO at 011BH
                        "\x00";             // KEY at 012AH
constexpr std::uint16_t kKey = 0x012A;

} // namespace

class CpmModeTest : public QObject, test::MainWindowFixture {
  Q_OBJECT

  QString program_;
  void TypeLater(char key) {
    QTimer::singleShot(100, this,
                       [this, key] { QTest::keyClick(window_->TerminalTool()->Screen(), key); });
  }
  QString Line(int i) {
    return QString::fromStdString(session_->terminal.Lines()[static_cast<std::size_t>(i)]);
  }

private slots:
  void initTestCase() {
    program_ = dir_.filePath("GREETER.COM");
    QFile file(program_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(kGreeter, sizeof kGreeter - 1);
  }

  void init() {
    OpenWindow();
    Action(window_->FileMenu(), "&CP/M mode")->trigger();
    dialogs_.files.push_back(program_);
    Action(window_->FileMenu(), "&Load CP/M program")->trigger();
    QVERIFY(window_->Cpm());
  }

  void theProgramRunsWithItsConsoleOnTheTerminalUntilTheWarmBoot() {
    QCOMPARE(M().Cpu.PC, 0x0100);
    QCOMPARE(M().ReadByte(0x0005), 0xC3); // page zero: JP to the BDOS
    QVERIFY(window_->TerminalTool()->isVisible());
    TypeLater('x');
    Click("Run");
    QCOMPARE(Line(0), QStringLiteral("Hi from CP/M"));
    QCOMPARE(Line(1), QStringLiteral("x!"));
    QCOMPARE(M().ReadByte(kKey), 'x');
    QCOMPARE(dialogs_.messages, QStringList{"The CP/M program ended with a warm boot"});

    // Ended: runs are refused until Reset CPU starts it again.
    dialogs_.messages.clear();
    Click("Step");
    QCOMPARE(dialogs_.messages.size(), 1);
    QVERIFY(dialogs_.messages[0].startsWith("The CP/M program has ended"));
    Click("Reset CPU");
    QCOMPARE(M().Cpu.PC, 0x0100);
    QVERIFY(!window_->Cpm()->Ended());
  }

  void stepsAnswerACallWhenTheyReachItsTrap() {
    for (int i = 0; i < 3; ++i) // LD DE / LD C / CALL 5
      Click("Step");
    QCOMPARE(M().Cpu.PC, 0x0005);
    Click("Step");
    QCOMPARE(M().Cpu.PC, kCpmBdosEntry);
    Click("Step"); // the HALT there: the BDOS prints and returns
    QCOMPARE(M().Cpu.PC, 0x0108);
    QCOMPARE(Line(0), QStringLiteral("Hi from CP/M"));
    QVERIFY(dialogs_.messages.isEmpty());
  }

  void stopDuringAWaitForAKeyLeavesTheCallToBeMadeAgain() {
    QTimer::singleShot(100, this, [this] { Click("Stop"); });
    Click("Run");
    QCOMPARE(M().Cpu.PC, kCpmBdosEntry);
    QCOMPARE(M().Cpu.C, 1);
    QVERIFY(!window_->Running());
    QVERIFY(dialogs_.messages.isEmpty());
    TypeLater('y');
    Click("Run");
    QCOMPARE(Line(1), QStringLiteral("y!"));
    QCOMPARE(dialogs_.messages, QStringList{"The CP/M program ended with a warm boot"});
  }

  void theModeIsKeptInKavrinIni() {
    window_->close();
    Session again;
    MainWindow second(again, dialogs_, dir_.filePath("Kavrin.ini"));
    second.OpenSettings();
    QVERIFY(again.cpmMode);
    QVERIFY(Action(second.FileMenu(), "&CP/M mode")->isChecked());
  }
};

QTEST_MAIN(CpmModeTest)
#include "cpm_mode_test.moc"
