// The I/O page: a joined row shows the program's output on its input, the
// lamps, typed inputs, and the port numbers.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "simulator/core/run_control.h"
#include "simulator/ui/io_page_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class IoPageWindowTest : public QObject {
  Q_OBJECT

private slots:
  void joinedRowShowsTheOutputOnItsInput() {
    QTemporaryDir dir;
    Session session;
    QVERIFY(test::LoadEcho(dir.path(), session));
    test::ScriptedDialogs dialogs;
    IoPageWindow window(session, dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("Simulated I/O ports"));
    QCOMPARE(window.Output(0).port->text(), QStringLiteral("87H"));
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTest::mouseClick(window.Join(0), Qt::LeftButton);
    QVERIFY(session.panel.Rows()[0].joined);

    GotoAddress(session.machine(), 0x0007); // past OUT (87H),5AH
    window.Refresh();
    for (bool input : {false, true}) {
      const IoPageWindow::PortRow& row = input ? window.Input(0) : window.Output(0);
      QCOMPARE(row.hex->text(), QStringLiteral("5A"));
      QCOMPARE(row.decimal->text(), QStringLiteral("90"));
      QCOMPARE(window.Lamps(0, input), 0x5A);
    }

    // Typing into a joined row is refused with the message.
    window.Input(0).hex->setFocus();
    window.Input(0).hex->selectAll();
    QTest::keyClicks(window.Input(0).hex, "1");
    QTest::keyClick(window.Input(0).hex, Qt::Key_Return);
    QCOMPARE(dialogs.messages, QStringList{"Value cannot be changed with joined ports..."});
    QCOMPARE(window.Input(0).hex->text(), QStringLiteral("5A"));
  }

  void typedInputsAndPortNumbers() {
    Session session;
    test::ScriptedDialogs dialogs;
    IoPageWindow window(session, dialogs);
    struct Case {
      bool hex;
      const char* typed;
      std::uint8_t value;
    } cases[] = {{false, "200", 200}, {true, "7f", 0x7F}, {false, "x", 0}, {false, "300", 44}};
    for (const Case& c : cases) {
      QLineEdit* field = c.hex ? window.Input(1).hex : window.Input(1).decimal;
      field->selectAll();
      QTest::keyClicks(field, c.typed);
      QTest::keyClick(field, Qt::Key_Return);
      QCOMPARE(session.panel.ReadInput(1), c.value);
    }
    dialogs.portTexts = {"90"};
    QTest::mouseClick(window.Input(1).port, Qt::LeftButton);
    QCOMPARE(window.Input(1).port->text(), QStringLiteral("90H"));
    QCOMPARE(session.machine().ReadPortMap[0x90], kIoPageFirst + 1);
    QVERIFY(dialogs.messages.isEmpty());
  }
};

QTEST_MAIN(IoPageWindowTest)
#include "io_page_window_test.moc"
