// The entry dialogs: upper-casing, the initial text selected, the port
// field's two characters.
#include <QLineEdit>
#include <QTest>

#include "simulator/ui/enter_address_dialog.h"

using kavrin::ui::EnterAddressDialog;

class EnterAddressDialogTest : public QObject {
  Q_OBJECT

private slots:
  void shownWithItsTextSelectedAndFocused() {
    EnterAddressDialog dialog(EnterAddressDialog::Kind::Address);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Enter Address or Symbol"));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.Field()->selectedText(), QStringLiteral("00000"));
    QVERIFY(dialog.Field()->hasFocus());
  }

  void typing_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("address") << int(EnterAddressDialog::Kind::Address) << "start"
                             << "START";
    QTest::newRow("hex") << int(EnterAddressDialog::Kind::Address) << "12g4"
                         << "12G4";
    QTest::newRow("port") << int(EnterAddressDialog::Kind::Port) << "8f0"
                          << "8F";
  }
  void typing() {
    QFETCH(int, kind);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    EnterAddressDialog dialog(static_cast<EnterAddressDialog::Kind>(kind));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(dialog.Field(), typed); // replaces the selected text
    QCOMPARE(dialog.Text(), text);
    QTest::keyClick(dialog.Field(), Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
  }

  void portDialogCaption() {
    EnterAddressDialog dialog(EnterAddressDialog::Kind::Port);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Port base address"));
  }
};

QTEST_MAIN(EnterAddressDialogTest)
#include "enter_address_dialog_test.moc"
