// The editor window driven as a user drives it: pages, questions, find and
// replace, Asm/Pas, saving, keys and colouring. (The questions on closing
// changed pages are the main window test's, which closes them all.)
#include <sys/stat.h>

#include "ide/ui/pascal_lexer.h"
#include "tests/ide/ui/window_test_support.h"

using platform::Answer;
using velkor::ui::EditorWindow;
using Sci = QsciScintillaBase;

namespace {

using Texts = std::vector<std::string>;
const Answer kYes = Answer::kYes, kNo = Answer::kNo, kCancel = Answer::kCancel, kAll = Answer::kAll;

// An editor window with its own folder; its questions get `answers`.
struct Editor {
  explicit Editor(const QList<Answer>& answers = {}) {
    for (Answer a : answers)
      ui.QueueAnswer(a);
  }
  QString Path(const QString& name) const { return dir.filePath(name); }
  QsciScintilla* Open(const QString& name, const QByteArray& text) {
    const QString file = Write(Path(name), text);
    return w.OpenFile(file) ? w.EditorOf(file) : nullptr;
  }
  void Do(const char* command) { w.findChild<QAction*>(command)->trigger(); }
  // The Asm and Pas buttons.
  QString Buttons() {
    QString state;
    for (const char* name : {"showAsm", "showPas"}) {
      const QAction* button = w.findChild<QAction*>(name);
      state += !button->isEnabled() ? '-' : button->isChecked() ? '*' : '+';
    }
    return state;
  }
  const std::vector<std::string>& Said() const { return ui.MessageBoxTexts(); }

  QTemporaryDir dir;
  platform::HeadlessUiHost ui;
  EditorWindow w{ui};
};

} // namespace

class EditorWindowTest : public QObject {
  Q_OBJECT

private slots:
  void find() {
    struct Row {
      QString search;
      bool matchCase, up;
      QList<int> starts; // -1: not found
    };
    for (const Row& row : {Row{"ab", false, false, {0, 3, 6, -1}}, Row{"Ab", true, false, {3, -1}},
                           Row{"ab", false, true, {6, 3, 0, -1}}}) {
      Editor e;
      QsciScintilla* page = e.Open("Find.Pas", "ab Ab ab");
      if (row.up) page->SendScintilla(Sci::SCI_DOCUMENTEND);
      e.Do("find");
      auto* dialog = e.w.findChild<QDialog*>();
      dialog->findChild<QLineEdit*>("findText")->setText(row.search);
      dialog->findChild<QAbstractButton*>("matchCase")->setChecked(row.matchCase);
      dialog->findChild<QAbstractButton*>("directionUp")->setChecked(row.up);
      for (int start : row.starts) {
        dialog->findChild<QPushButton*>("findNextButton")->click();
        if (start < 0) QCOMPARE(e.Said(), Texts{row.search.toStdString() + " not found."});
        if (start >= 0) QCOMPARE(page->SendScintilla(Sci::SCI_GETSELECTIONSTART), start);
      }
    }
  }

  void replace() {
    struct Row {
      QString text, search, replacement;
      int selected; // a selection's start; -1: the caret at 0
      QList<Answer> answers;
      QString result, last; // last: the message after the questions, if any
    };
    const Row rows[] = {
        // All must go on after the text it put in, or this never ends.
        {"a a a", "a", "aa", -1, {kAll}, "aa aa aa", "Done..."},
        {"x x x", "x", "yy", -1, {kYes, kNo, kYes}, "yy x yy", "Done..."},
        {"a a a", "a", "b", -1, {kYes, kCancel}, "b a a", ""},
        {"a a a", "a", "b", 2, {kAll}, "a b b", "Done..."},
    };
    for (const Row& row : rows) {
      Editor e(row.answers);
      QsciScintilla* page = e.Open("Replace.Pas", row.text.toUtf8());
      if (row.selected >= 0) page->SendScintilla(Sci::SCI_SETSEL, row.selected, row.selected + 1L);
      e.Do("replace");
      auto* dialog = e.w.findChild<QDialog*>();
      dialog->findChild<QLineEdit*>("findText")->setText(row.search);
      dialog->findChild<QLineEdit*>("replaceText")->setText(row.replacement);
      dialog->findChild<QPushButton*>("replaceButton")->click();
      QCOMPARE(page->text(), row.result);
      Texts expected(row.answers.size(),
                     "Replace this occurence of \"" + row.search.toStdString() + "\"");
      if (!row.last.isEmpty()) expected.push_back(row.last.toStdString());
      QCOMPARE(e.Said(), expected);
      page->undo(); // the whole replacement undoes at once
      QCOMPARE(page->text(), row.text);
    }
  }

  void asmAndPasFollowTheFilesThatExist() {
    Editor e({kYes});
    for (const char* name : {"Alone.Pas", "Notes.txt", "Both.Pas", "Both.MAC"})
      Write(e.Path(name), "x");
    // Each button: "-" off, "+" on, "*" on and down.
    for (const auto& [name, buttons] :
         {std::pair{"Alone.Pas", "-*"}, {"Notes.txt", "--"}, {"Both.Pas", "+*"}}) {
      QVERIFY(e.w.OpenFile(e.Path(name)));
      QCOMPARE(e.Buttons(), buttons);
    }
    // Switching asks about the changed page, then shows the other in its place.
    e.w.EditorOf(e.Path("Both.Pas"))->insert("{y}");
    e.Do("showAsm");
    QCOMPARE(e.Said(), Texts{"Current file has changed. Save ?"});
    QCOMPARE(Read(e.Path("Both.Pas")), QByteArray("{y}x"));
    QCOMPARE(e.w.OpenFiles().size(), 3);
    QCOMPARE(e.w.ActiveFile(), e.Path("Both.MAC"));
    QCOMPARE(e.Buttons(), "*+");
    // The compile writes the .Mac: the button follows once told.
    QVERIFY(e.w.OpenFile(e.Path("Alone.Pas")));
    Write(e.Path("Alone.Mac"), "; now");
    e.w.UpdateAsmPasButtons();
    QCOMPARE(e.Buttons(), "+*");
  }

  void aFailedSaveKeepsTheTextAndSaysWhy() {
    for (const auto& [readOnly, reason] :
         {std::pair{true, "the file is read-only."}, {false, "does not exist."}}) {
      Editor e;
      const QString file = e.Path("Gone/Keep.Pas");
      e.Open("Gone/Keep.Pas", "old")->insert("typed ");
      if (readOnly) QCOMPARE(::chmod(file.toLocal8Bit().constData(), 0444), 0);
      if (!readOnly) QVERIFY(QDir(e.Path("Gone")).removeRecursively());
      e.Do("save");
      e.ui.QueueAnswer(kYes); // to the close question
      e.Do("close");
      QCOMPARE(e.w.OpenFiles().size(), 1);
      QCOMPARE(e.Said().size(), std::size_t{3});
      const QString said = QString::fromStdString(e.Said()[0]);
      QVERIFY2(said.startsWith("Cannot save " + file) && said.endsWith(reason), qPrintable(said));
      QCOMPARE(e.Said()[2], e.Said()[0]);
      QCOMPARE(e.w.EditorOf(file)->text(), "typed old");
      QVERIFY(e.w.EditorOf(file)->isModified());
    }
  }

  // Saving keeps the file's bytes: Latin-1 text with CR LF line ends, as
  // files from older systems come, under a path longer than the 128
  // characters slot names once held. Past 255 a name is refused.
  void savingKeepsTheFilesBytesAndName() {
    Editor e;
    const QString file =
        QString(60, 'd') + "/" + QString(60, 'e') + "/" + QString(40, 'f') + "/Old.Pas";
    QsciScintilla* page = e.Open(file, "{ caf\xE9 }\r\nbegin");
    QVERIFY(page);
    page->SendScintilla(Sci::SCI_DOCUMENTEND);
    QTest::keyClick(page, Qt::Key_Return);
    QTest::keyClicks(page, "end.");
    e.Do("save");
    QCOMPARE(Read(e.Path(file)), QByteArray("{ caf\xE9 }\r\nbegin\r\nend."));
    QVERIFY(!e.Open(QString(120, 'g') + "/" + QString(120, 'h') + "/Long.Pas", "x"));
    QCOMPARE(e.Said().size(), std::size_t{1});
    QVERIFY(QString::fromStdString(e.Said()[0]).endsWith("at most 255 characters."));
  }

  void keys() {
    const std::tuple<const char*, QString, int> rows[] = {
        {"Ctrl+A", "ab\ncd", 0},  // start of file
        {"Ctrl+Z", "ab\ncd", 5},  // end of file
        {"Ctrl+Y", "ab\n", 3},    // deletes the line
        {"Ctrl+P", "ab\nc!d", 5}, // pastes
    };
    for (const auto& [key, text, caret] : rows) {
      Editor e;
      QsciScintilla* page = e.Open("Keys.Pas", "ab\ncd");
      e.w.show();
      QVERIFY(QTest::qWaitForWindowActive(&e.w));
      page->setFocus();
      page->setCursorPosition(1, 1);
      QApplication::clipboard()->setText("!");
      QTest::keySequence(page, QKeySequence(key));
      QCOMPARE(page->text(), text);
      QCOMPARE(page->SendScintilla(Sci::SCI_GETCURRENTPOS), caret);
      // Ctrl+C copies and F9 compiles the saved page.
      QSignalSpy compile(&e.w, &EditorWindow::compileFileRequested);
      page->setSelection(0, 0, 0, 2);
      QTest::keySequence(page, QKeySequence("Ctrl+C"));
      QCOMPARE(QApplication::clipboard()->text(), "ab");
      QTest::keySequence(page, QKeySequence("F9"));
      QCOMPARE(compile.count(), 1);
      QCOMPARE(QString::fromUtf8(Read(compile.front().front().toString())), text);
    }
  }

  // One style letter per character: . plain, K keyword, C comment, S string.
  void colouring() {
    const char* const rows[][3] = {
        {"K.Pas", "Begin endless END;", "KKKKK.........KKK."}, // not inside names
        {"C.Pas", "a{b}c(*d*)e", ".CCC.CCCCC."},
        {"L.Pas", "if // then\nif", "KK.CCCCCCC.KK"},
        {"P.Pas", "{*} x } {*}do", "CCCCCCCCCCCKK"},
        {"B.Pas", "{*!note} do", "CCCCCCCCCKK"}, // {*! ends at a blank
        {"S.Pas", "x:='begin';", "...SSSSSSS."},
        {"O.Pas", "'ab\ndo", "SSS.KK"}, // an open string ends with its line
        {"A.Mac", "ld a,';' ; if", ".....SSS.CCCC"},
        {"N.MAC", "begin", "....."}, // assembler has no keywords
    };
    for (const auto& [file, text, styles] : rows) {
      Editor e;
      QsciScintilla* page = e.Open(file, text);
      page->recolor();
      QString seen;
      for (int i = 0; text[i]; ++i)
        seen += text[i] == '\n' ? QChar('.')
                                : QString(".KCS")[page->SendScintilla(Sci::SCI_GETSTYLEAT, i)];
      QCOMPARE(seen, styles);
      // An edit restyles the lines below it: an open brace comments out the rest.
      if (QString(file) != "L.Pas") continue;
      page->insertAt("{", 0, 0);
      page->recolor();
      QCOMPARE(page->SendScintilla(Sci::SCI_GETSTYLEAT, 12), velkor::ui::PascalLexer::kComment);
    }
  }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
