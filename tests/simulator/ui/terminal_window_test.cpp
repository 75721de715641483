// The terminal: a key typed during a run reaches the echo program, Clear,
// and the port set-up.
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "simulator/core/run_control.h"
#include "simulator/ui/terminal_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class TerminalWindowTest : public QObject {
  Q_OBJECT

private slots:
  void aKeyTypedDuringTheRunIsEchoed() {
    QTemporaryDir dir;
    Session session;
    QVERIFY(test::LoadEcho(dir.path(), session));
    test::ScriptedDialogs dialogs;
    TerminalWindow window(session, dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("Terminal Emulator"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QTimer::singleShot(50, &window, [&] { QTest::keyClick(window.Screen(), 'A'); });
    QTimer::singleShot(150, &window, [&] { QTest::keyClick(window.Screen(), Qt::Key_Return); });
    QTimer::singleShot(300, &window, [&] { session.machine().Stop(); });
    RunToBreakpoints(session.machine(), {}, [] { QCoreApplication::processEvents(); });
    QCOMPARE(session.terminal.Lines()[0], std::string("Hello"));
    QCOMPARE(session.terminal.Lines()[1], std::string("A"));
    QCOMPARE(session.terminal.Line(), 2); // Enter came back as CR and LF

    QTest::mouseClick(test::FindButton(window, "Clear"), Qt::LeftButton);
    QCOMPARE(session.terminal.Lines()[1], std::string());
  }

  void setupTakesAPortBelowFFH() {
    Session session;
    test::ScriptedDialogs dialogs;
    TerminalWindow window(session, dialogs);
    QCOMPARE(window.PortsLabel()->text(), QStringLiteral("Ports: 80H, 81H"));
    dialogs.portTexts = {"FF", "a0"};
    QTest::mouseClick(test::FindButton(window, "&Setup"), Qt::LeftButton);
    QCOMPARE(session.TerminalPort(), 0x80);
    QTest::mouseClick(test::FindButton(window, "&Setup"), Qt::LeftButton);
    QCOMPARE(session.TerminalPort(), 0xA0);
    QCOMPARE(window.PortsLabel()->text(), QStringLiteral("Ports: A0H, A1H"));
    QCOMPARE(session.machine().ReadPortMap[0xA1], kTerminalStatus);
    QVERIFY(dialogs.messages.isEmpty());
  }
};

QTEST_MAIN(TerminalWindowTest)
#include "terminal_window_test.moc"
