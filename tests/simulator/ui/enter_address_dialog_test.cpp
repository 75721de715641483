// The entry dialogs: shown with the initial text selected and focused,
// typing upper-cased, the port field's two characters.
#include <QLineEdit>
#include <QTest>

#include "simulator/ui/enter_address_dialog.h"

using kavrin::ui::EnterAddressDialog;

class EnterAddressDialogTest : public QObject {
  Q_OBJECT

private slots:
  void typing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    const int address = int(EnterAddressDialog::Kind::Address);
    QTest::newRow("symbol") << address << "Enter Address or Symbol"
                            << "00000"
                            << "start"
                            << "START";
    QTest::newRow("hex") << address << "Enter Address or Symbol"
                         << "00000"
                         << "12g4"
                         << "12G4";
    QTest::newRow("port") << int(EnterAddressDialog::Kind::Port) << "Port base address"
                          << "00"
                          << "8f0"
                          << "8F";
  }
  void typing() {
    QFETCH(int, kind);
    QFETCH(QString, caption);
    QFETCH(QString, initial);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    EnterAddressDialog dialog(static_cast<EnterAddressDialog::Kind>(kind));
    QCOMPARE(dialog.windowTitle(), caption);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(dialog.Field()->hasFocus());
    QCOMPARE(dialog.Field()->selectedText(), initial);
    QTest::keyClicks(dialog.Field(), typed); // replaces the selected text
    QCOMPARE(dialog.Text(), text);
    QTest::keyClick(dialog.Field(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }
};

QTEST_MAIN(EnterAddressDialogTest)
#include "enter_address_dialog_test.moc"
