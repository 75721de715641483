// The disassembler window on the echo program: go to a symbol, moves that
// grow the list, Physical addresses.
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "simulator/ui/disassembler_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class DisassemblerWindowTest : public QObject {
  Q_OBJECT

private slots:
  void goToMoveAndSwitchSpace() {
    QTemporaryDir dir;
    Session session;
    QVERIFY(test::LoadEcho(dir.path(), session));
    test::ScriptedDialogs dialogs;
    DisassemblerWindow window(session, dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("Dissassembler"));
    QCOMPARE(window.List()->count(), kDisassemblyViewLines);

    dialogs.addressTexts = {"greet"};
    QTest::mouseClick(test::FindButton(window, "Go to ..."), Qt::LeftButton);
    QCOMPARE(window.List()->item(0)->text(),
             QStringLiteral("0015H  212000   GREET: LD HL,MESSAGE"));
    QCOMPARE(window.List()->item(3)->text(), QStringLiteral("001AH  C8        RET Z"));

    for (int i = 0; i < 4; ++i)
      QTest::mouseClick(test::FindButton(window, "Page down"), Qt::LeftButton);
    QCOMPARE(window.List()->currentRow(), 20);
    QCOMPARE(window.List()->count(), 2 * kDisassemblyViewLines);
    QTest::mouseClick(test::FindButton(window, "Line up"), Qt::LeftButton);
    QCOMPARE(window.List()->currentRow(), 19);

    window.findChildren<QRadioButton*>().at(1)->click(); // Physical
    QCOMPARE(window.List()->item(0)->text().left(8), QStringLiteral("00015H 2"));
  }
};

QTEST_MAIN(DisassemblerWindowTest)
#include "disassembler_window_test.moc"
