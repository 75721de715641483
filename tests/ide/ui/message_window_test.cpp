// The message window sends the user where the diagnostics point: an error
// in a Pascal ASM block opens the .Pas (or the include file holding the
// block) at that line, not the generated .Mac.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <Qsci/qsciscintilla.h>

#include "ide/ui/editor_window.h"
#include "ide/ui/main_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/qt_ui_host.h"
#include "tests/ide/ui/window_test_support.h"

class MessageWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

  // The project in `dir` holding A.Pas: include files are looked for beside it.
  std::unique_ptr<TestMainWindow> Make(const QString& dir) {
    Write(dir + "A.Prj", "[General]\nTarget=6\n[Sources]\nSource1=A.Pas\n");
    return std::make_unique<TestMainWindow>(Path("prog/"), dir + "A.Prj");
  }

private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void AsmBlockErrorOpensThePascalLine_data() {
    QTest::addColumn<QString>("include"); // the include file's text, "" for none
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("opened"); // the file the window must open
    QTest::addColumn<int>("line");       // 0-based
    QTest::newRow("main file")
        << ""
        << "PROGRAM A;\r\nBEGIN\r\n  ASM\r\n NOP\r\n LD A,\r\n  END;\r\nEND.\r\n"
        << "A.Pas" << 4;
    QTest::newRow("include file") << "{ the block }\r\n  ASM\r\n LD A,\r\n  END;\r\n"
                                  << "PROGRAM A;\r\nBEGIN\r\n{#I Blk.pas}\r\nEND.\r\n"
                                  << "Blk.pas" << 2;
  }
  void AsmBlockErrorOpensThePascalLine() {
    QFETCH(QString, include);
    QFETCH(QString, program);
    QFETCH(QString, opened);
    QFETCH(int, line);
    const QString dir = Path(QString(QTest::currentDataTag()).replace(' ', '_') + "/");
    if (!include.isEmpty()) Write(dir + "Blk.pas", include.toUtf8());
    const QString source = Write(dir + "A.Pas", program.toUtf8());
    auto f = Make(dir);
    QVERIFY(!f->window->CompileFile(source));
    velkor::ui::EditorWindow* editor = f->window->Editor();
    const QString target = QFileInfo(dir + opened).absoluteFilePath();
    QVERIFY(!editor->EditorOf(target)); // the assembler's own jump went to the .Mac

    // Enter on the report's last line, the message, opens the place.
    QPlainTextEdit* text = f->window->MessageView()->Text();
    text->setFocus();
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QsciScintilla* page = editor->EditorOf(target);
    QVERIFY2(page, qPrintable(target));
    int row = -1, column = -1;
    page->getCursorPosition(&row, &column);
    QCOMPARE(row, line);
    QCOMPARE(column, 0);

    // A double click does the same from anywhere.
    page->setCursorPosition(0, 0);
    QTest::mouseDClick(text->viewport(), Qt::LeftButton, {},
                       text->cursorRect(QTextCursor(text->document()->lastBlock())).center());
    page->getCursorPosition(&row, &column);
    QCOMPARE(row, line);
  }
};

QTEST_MAIN(MessageWindowTest)
#include "message_window_test.moc"
