// The breakpoint editor: the line formats, four at most, removal.
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "simulator/ui/breakpoint_window.h"
#include "tests/simulator/ui/kavrin_windows_fixture.h"

using namespace kavrin;
using namespace kavrin::ui;

class BreakpointWindowTest : public QObject {
  Q_OBJECT

  QStringList Lines(const QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
      lines << list->item(i)->text();
    return lines;
  }

private slots:
  void fiveAddsKeepFourAndRemoveMovesTheRestUp() {
    Session session;
    session.symbols.Add("000A", 0x000A, "ECHO");
    session.symbols.Add("0015", 0x0015, "GREET");
    test::ScriptedDialogs dialogs;
    BreakpointWindow window(session, dialogs);
    QCOMPARE(window.windowTitle(), QStringLiteral("Break Point editor"));
    auto* add = window.findChild<QPushButton*>();
    QCOMPARE(add->text(), QStringLiteral("&Add"));
    dialogs.addressTexts = {"a", "greet", "12g4", "1234", "77", "88"};
    for (int i = 0; i < 6; ++i)
      QTest::mouseClick(add, Qt::LeftButton);
    QCOMPARE(Lines(window.List()),
             (QStringList{"000AH ECHO", "0015H GREET", "1234 No symbol", "0077 No symbol"}));
    QCOMPARE(dialogs.messages, QStringList{"Cannot resolve 12G4"});
    QCOMPARE(dialogs.addressTexts.size(), std::size_t{1}); // the fifth Add asked nothing
    QCOMPARE(session.breakpoints, (BreakpointList{0x000A, 0x0015, 0x1234, 0x0077}));

    window.List()->setCurrentRow(0);
    QTest::mouseClick(window.findChildren<QPushButton*>().at(1), Qt::LeftButton);
    QCOMPARE(session.breakpoints, (BreakpointList{0x0015, 0x1234, 0x0077, 0}));
  }
};

QTEST_MAIN(BreakpointWindowTest)
#include "breakpoint_window_test.moc"
