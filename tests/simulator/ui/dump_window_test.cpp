// The memory dump: go to a physical address, the keys and the buttons that move it; the entry
// dialog that asks for addresses and ports.
#include <QLineEdit>
#include <QRadioButton>

#include "simulator/ui/dump_window.h"
#include "simulator/ui/enter_address_dialog.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class DumpWindowTest : public QObject {
  Q_OBJECT

  Session session_;
  test::ScriptedDialogs dialogs_;

private slots:
  void physicalGoToShowsTheRowLabelledWithFiveDigitsAndPaintsIt() {
    session_.machine().PhysicalMemory[0x12340] = 0xE5;
    DumpWindow window(session_, dialogs_);
    window.findChildren<QRadioButton*>().at(1)->click(); // Physical
    dialogs_.addressTexts = {"12340", "NOWHERE"};
    QTest::mouseClick(test::FindButton(window, "Go to ..."), Qt::LeftButton);
    QCOMPARE(QString::fromStdString(window.Model().RowText(0)).left(9), "12340 E5 ");
    QTest::mouseClick(test::FindButton(window, "Go to ..."), Qt::LeftButton);
    QCOMPARE(dialogs_.messages, QStringList{"Cannot resolve NOWHERE"});
    QCOMPARE(window.Model().Start(), 0x12340u);
  }

  void keysAndButtonsMoveTheCursorAndThePageAndEscCloses() {
    DumpWindow window(session_, dialogs_);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (Qt::Key key : {Qt::Key_PageDown, Qt::Key_Down, Qt::Key_Right})
      QTest::keyClick(&window, key);
    QCOMPARE(window.Model().Start(), 0x80u);
    QCOMPARE(window.Model().CursorRow(), 1);
    QCOMPARE(window.Model().CursorColumn(), 1);
    QTest::keyClick(&window, Qt::Key_PageUp);
    QCOMPARE(window.Model().Start(), 0u);
    for (const auto& [button, start] : {std::pair{"Page down", 0x80u},
                                        {"Line down", 0x88u},
                                        {"Line up", 0x80u},
                                        {"Page up", 0x00u}}) {
      QTest::mouseClick(test::FindButton(window, button), Qt::LeftButton);
      QCOMPARE(window.Model().Start(), start);
    }
    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
  }

  void theEntryDialogSelectsItsTextAndUpperCasesTyping() {
    const struct {
      EnterAddressDialog::Kind kind;
      QString caption, initial, typed, text;
    } cases[] = {
        {EnterAddressDialog::Kind::Address, "Enter Address or Symbol", "00000", "start", "START"},
        {EnterAddressDialog::Kind::Port, "Port base address", "00", "8f0", "8F"},
    };
    for (const auto& c : cases) {
      EnterAddressDialog dialog(c.kind);
      QCOMPARE(dialog.windowTitle(), c.caption);
      dialog.show();
      QVERIFY(QTest::qWaitForWindowExposed(&dialog));
      QVERIFY(dialog.Field()->hasFocus());
      QCOMPARE(dialog.Field()->selectedText(), c.initial);
      QTest::keyClicks(dialog.Field(), c.typed); // replaces the selected text
      QCOMPARE(dialog.Text(), c.text);
      QTest::keyClick(dialog.Field(), Qt::Key_Return);
      QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
  }
};

QTEST_MAIN(DumpWindowTest)
#include "dump_window_test.moc"
