// The editor window driven as a user drives it: pages, questions, find and
// replace, Asm/Pas, auto indent, saving, keys and colouring.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintilla.h>
#include <sys/stat.h>

#include "ide/ui/editor_window.h"
#include "ide/ui/pascal_lexer.h"
#include "tests/ide/ui/window_test_support.h"

using platform::Answer;
using velkor::ui::EditorWindow;
using velkor::ui::PascalLexer;

Q_DECLARE_METATYPE(QList<int>)

namespace {

std::vector<std::string> Texts(const platform::HeadlessUiHost& ui) {
  return ui.MessageBoxTexts();
}

struct ReplaceRow {
  const char* name = "";
  QString text, search, replacement;
  int selected = -1; // a selection's start; -1: the caret at 0
  QList<int> answers;
  QString result;
  int questions = 0;
  QString lastMessage; // "": none after the questions
};

} // namespace

Q_DECLARE_METATYPE(ReplaceRow)

class EditorWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }
  static void Queue(platform::HeadlessUiHost& ui, const QList<int>& answers) {
    for (int a : answers)
      ui.QueueAnswer(static_cast<Answer>(a));
  }
  static QTabWidget* Tabs(EditorWindow& w) { return w.findChild<QTabWidget*>("pages"); }
  static QAction* Act(EditorWindow& w, const char* id) { return w.findChild<QAction*>(id); }

private slots:
  void findMovesOnAndSaysNotFound_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("search");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QList<int>>("selectionStarts"); // -1: not found
    QTest::newRow("forward") << "ab Ab ab"
                             << "ab" << false << false << QList<int>{0, 3, 6, -1};
    QTest::newRow("match case") << "ab Ab ab"
                                << "Ab" << true << false << QList<int>{3, -1};
    QTest::newRow("backward from the end") << "ab Ab ab"
                                           << "ab" << false << true << QList<int>{6, 3, 0, -1};
  }

  void findMovesOnAndSaysNotFound() {
    QFETCH(QString, text);
    QFETCH(QString, search);
    QFETCH(bool, matchCase);
    QFETCH(bool, up);
    QFETCH(QList<int>, selectionStarts);
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString file = Write(Path("Find.Pas"), text.toUtf8());
    QVERIFY(w.OpenFile(file));
    QsciScintilla* page = w.EditorOf(file);
    if (up) page->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    Act(w, "find")->trigger();
    auto* dialog = w.findChild<QDialog*>();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(dialog->windowTitle(), "Find");
    dialog->findChild<QLineEdit*>("findText")->setText(search);
    dialog->findChild<QAbstractButton*>("matchCase")->setChecked(matchCase);
    dialog->findChild<QAbstractButton*>("directionUp")->setChecked(up);
    for (int expected : selectionStarts) {
      dialog->findChild<QPushButton*>("findNextButton")->click();
      if (expected < 0) {
        QCOMPARE(Texts(ui).back(), search.toStdString() + " not found.");
      } else {
        QCOMPARE(page->SendScintilla(QsciScintillaBase::SCI_GETSELECTIONSTART), expected);
        QCOMPARE(page->selectedText(), text.mid(expected, search.size()));
      }
    }
    QCOMPARE(Texts(ui).size(), std::size_t{1});
  }

  void replaceAsksForEachOccurrence_data() {
    QTest::addColumn<ReplaceRow>("row");
    auto all = static_cast<int>(Answer::kAll);
    auto yes = static_cast<int>(Answer::kYes);
    auto no = static_cast<int>(Answer::kNo);
    auto cancel = static_cast<int>(Answer::kCancel);
    const ReplaceRow rows[] = {
        // All must go on after the text it put in, or this never ends.
        {"a with aa, All", "a a a", "a", "aa", -1, {all}, "aa aa aa", 1, "Done..."},
        {"yes no yes", "x x x", "x", "yy", -1, {yes, no, yes}, "yy x yy", 3, "Done..."},
        {"no then all", "ab ab ab", "ab", "c", -1, {no, all}, "ab c c", 2, "Done..."},
        {"cancel stops quietly", "a a a", "a", "b", -1, {yes, cancel}, "b a a", 2, ""},
        {"nothing found", "xyz", "q", "r", -1, {}, "xyz", 0, "q not found."},
        {"case-blind", "Pas pas", "PAS", "Mac", -1, {all}, "Mac Mac", 1, "Done..."},
        {"starts at the selected one", "a a a", "a", "b", 2, {all}, "a b b", 1, "Done..."},
    };
    for (const ReplaceRow& r : rows)
      QTest::newRow(r.name) << r;
  }

  void replaceAsksForEachOccurrence() {
    QFETCH(ReplaceRow, row);
    const auto& [name, text, search, replacement, selected, answers, result, questions,
                 lastMessage] = row;
    platform::HeadlessUiHost ui;
    Queue(ui, answers);
    EditorWindow w(ui);
    QString file = Write(Path("Replace.Pas"), text.toUtf8());
    QVERIFY(w.OpenFile(file));
    QsciScintilla* page = w.EditorOf(file);
    if (selected >= 0) page->SendScintilla(QsciScintillaBase::SCI_SETSEL, selected, selected + 1L);
    Act(w, "replace")->trigger();
    auto* dialog = w.findChild<QDialog*>();
    QCOMPARE(dialog->windowTitle(), "Find and Replace");
    dialog->findChild<QLineEdit*>("findText")->setText(search);
    dialog->findChild<QLineEdit*>("replaceText")->setText(replacement);
    dialog->findChild<QPushButton*>("replaceButton")->click();
    QCOMPARE(page->text(), result);
    std::vector<std::string> said = Texts(ui);
    std::string question = "Replace this occurence of \"" + search.toStdString() + "\"";
    QCOMPARE(std::count(said.begin(), said.end(), question), questions);
    QCOMPARE(said.size(), std::size_t(questions + (lastMessage.isEmpty() ? 0 : 1)));
    if (!lastMessage.isEmpty()) QCOMPARE(said.back(), lastMessage.toStdString());
    // The whole replacement undoes at once.
    page->undo();
    QCOMPARE(page->text(), text);
  }

  void closingAChangedPageAsks_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QByteArray>("onDisk");
    QTest::newRow("yes saves") << static_cast<int>(Answer::kYes) << true << QByteArray("new old");
    QTest::newRow("no discards") << static_cast<int>(Answer::kNo) << true << QByteArray("old");
    QTest::newRow("cancel keeps the page")
        << static_cast<int>(Answer::kCancel) << false << QByteArray("old");
  }

  void closingAChangedPageAsks() {
    QFETCH(int, answer);
    QFETCH(bool, closed);
    QFETCH(QByteArray, onDisk);
    platform::HeadlessUiHost ui;
    ui.QueueAnswer(static_cast<Answer>(answer));
    EditorWindow w(ui);
    QString file = Write(Path("Close.Pas"), "old");
    QVERIFY(w.OpenFile(file));
    w.EditorOf(file)->insert("new ");
    Act(w, "close")->trigger();
    QCOMPARE(Texts(ui),
             std::vector<std::string>{file.toStdString() + " has changed. Save the changes ?"});
    QCOMPARE(w.OpenFiles().isEmpty(), closed);
    QCOMPARE(Read(file), onDisk);
    if (!closed) QCOMPARE(w.EditorOf(file)->text(), "new old");
  }

  void closingTheWindowAsksForEachChangedPage_data() {
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QByteArray>("secondOnDisk");
    auto yes = static_cast<int>(Answer::kYes);
    auto no = static_cast<int>(Answer::kNo);
    auto cancel = static_cast<int>(Answer::kCancel);
    QTest::newRow("yes, yes") << QList<int>{yes, yes} << true << QByteArray("2 two");
    QTest::newRow("no, yes") << QList<int>{no, yes} << true << QByteArray("2 two");
    QTest::newRow("yes, no") << QList<int>{yes, no} << true << QByteArray("two");
    QTest::newRow("cancel stays open") << QList<int>{cancel} << false << QByteArray("two");
  }

  void closingTheWindowAsksForEachChangedPage() {
    QFETCH(QList<int>, answers);
    QFETCH(bool, hidden);
    QFETCH(QByteArray, secondOnDisk);
    platform::HeadlessUiHost ui;
    Queue(ui, answers);
    EditorWindow w(ui);
    QString one = Write(Path("One.Pas"), "one");
    QString unchanged = Write(Path("Same.Pas"), "same");
    QString two = Write(Path("Two.Mac"), "two");
    for (const QString& f : {one, unchanged, two})
      QVERIFY(w.OpenFile(f));
    w.EditorOf(one)->insert("1 ");
    w.EditorOf(two)->insert("2 ");
    w.show();
    QCOMPARE(w.close(), hidden);
    QCOMPARE(Texts(ui).size(), std::size_t(answers.size()));
    QCOMPARE(Texts(ui).front(), one.toStdString() + " has changed. Save changes ?");
    QCOMPARE(Read(two), secondOnDisk);
    // Unsaved text is never thrown away by closing the window.
    QCOMPARE(w.OpenFiles().size(), 3);
    QCOMPARE(w.EditorOf(two)->text(), "2 two");
  }

  void closeAllPagesStopsAtCancel() {
    platform::HeadlessUiHost ui;
    ui.QueueAnswer(Answer::kNo);
    ui.QueueAnswer(Answer::kCancel);
    EditorWindow w(ui);
    QStringList files;
    for (const char* name : {"A.Pas", "B.Pas", "C.Pas"}) {
      files << Write(Path(name), "x");
      QVERIFY(w.OpenFile(files.back()));
      w.EditorOf(files.back())->insert("y");
    }
    QVERIFY(!w.CloseAllPages());
    QCOMPARE(w.OpenFiles(), (QStringList{files[1], files[2]}));
    QCOMPARE(Read(files[0]), QByteArray("x"));
    QCOMPARE(w.EditorOf(files[1])->text(), "yx");
  }

  void the101stFileDoesNothing() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    for (int i = 0; i < 100; ++i)
      QVERIFY(w.OpenFile(Write(Path(QString("F%1.Pas").arg(i)), "x")));
    w.SetCurrentIndex(42);
    QString extra = Write(Path("Extra.Pas"), "x");
    QVERIFY(!w.OpenFile(extra));
    QCOMPARE(w.OpenFiles().size(), 100);
    QCOMPARE(w.CurrentIndex(), 42);
    QVERIFY(Texts(ui).empty());
    // An open file is still brought to the front.
    QVERIFY(w.OpenFile(Path("F7.Pas")));
    QCOMPARE(w.CurrentIndex(), 7);
  }

  void closingPage3Of5MovesTheLaterPagesDown() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QStringList files;
    for (int i = 1; i <= 5; ++i) {
      files << Write(Path(QString("P%1.Pas").arg(i)), "x");
      QVERIFY(w.OpenFile(files.back()));
    }
    w.SetCurrentIndex(2);
    Act(w, "close")->trigger();
    QCOMPARE(w.OpenFiles(), (QStringList{files[0], files[1], files[3], files[4]}));
    QTabWidget* tabs = Tabs(w);
    QCOMPARE(tabs->indexOf(w.EditorOf(files[3])), 2);
    QCOMPARE(tabs->indexOf(w.EditorOf(files[4])), 3);
    QCOMPARE(tabs->tabText(2), "P4.Pas");
    // A file opened now takes the next slot after them.
    QVERIFY(w.OpenFile(files[2]));
    QCOMPARE(w.OpenFiles().indexOf(files[2]), 4);
  }

  void asmAndPasFollowTheFilesThatExist() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString alone = Write(Path("Alone.Pas"), "begin end.");
    QString pascal = Write(Path("Both.Pas"), "begin end.");
    QString assembler = Write(Path("Both.MAC"), "; asm");
    QString text = Write(Path("Notes.txt"), "notes");
    struct Case {
      QString file;
      bool asmEnabled, asmDown, pasEnabled, pasDown;
    };
    for (const Case& c :
         {Case{alone, false, false, true, true}, Case{pascal, true, false, true, true},
          Case{assembler, true, true, true, false}, Case{text, false, false, false, false}}) {
      QVERIFY(w.OpenFile(c.file));
      QAction* showAsm = Act(w, "showAsm");
      QAction* showPas = Act(w, "showPas");
      QCOMPARE(showAsm->isEnabled(), c.asmEnabled);
      QCOMPARE(showAsm->isChecked(), c.asmDown);
      QCOMPARE(showPas->isEnabled(), c.pasEnabled);
      QCOMPARE(showPas->isChecked(), c.pasDown);
    }
    // The compile writes the .Mac: the button follows once told.
    w.OpenFile(alone);
    Write(Path("Alone.Mac"), "; now");
    w.UpdateAsmPasButtons();
    QVERIFY(Act(w, "showAsm")->isEnabled());
  }

  void switchingToTheAssemblerFileAsksAboutChanges() {
    platform::HeadlessUiHost ui;
    ui.QueueAnswer(Answer::kYes);
    EditorWindow w(ui);
    QString pascal = Write(Path("Sw.Pas"), "begin end.");
    QString assembler = Write(Path("Sw.Mac"), "\tret\n");
    QVERIFY(w.OpenFile(pascal));
    w.EditorOf(pascal)->insert("{x}");
    Act(w, "showAsm")->trigger();
    QCOMPARE(Texts(ui), std::vector<std::string>{"Current file has changed. Save ?"});
    QCOMPARE(Read(pascal), QByteArray("{x}begin end."));
    QCOMPARE(w.OpenFiles(), QStringList{assembler});
    QCOMPARE(w.EditorOf(assembler)->text(), "\tret\n");
    QCOMPARE(Tabs(w)->tabText(0), "Sw.Mac");
    QVERIFY(Act(w, "showAsm")->isChecked());
    Act(w, "showPas")->trigger();
    QCOMPARE(w.OpenFiles(), QStringList{pascal});
    QCOMPARE(Texts(ui).size(), std::size_t{1}); // unchanged: no question
  }

  void autoIndentRepeatsTheLeadingTabs() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString file = Write(Path("Indent.Pas"), "\t\tbegin");
    QVERIFY(w.OpenFile(file));
    QsciScintilla* page = w.EditorOf(file);
    page->setCursorPosition(0, 7);
    QTest::keyClick(page, Qt::Key_Return);
    QCOMPARE(page->text(), "\t\tbegin\n");
    QSignalSpy toggled(&w, &EditorWindow::autoIndentToggled);
    Act(w, "autoIndent")->trigger();
    QCOMPARE(toggled.count(), 1);
    QVERIFY(w.AutoIndent());
    QTest::keyClick(page, Qt::Key_Up);
    QTest::keyClick(page, Qt::Key_End);
    QTest::keyClick(page, Qt::Key_Return);
    QCOMPARE(page->text(), "\t\tbegin\n\t\t\n");
    int line = 0;
    int index = 0;
    page->getCursorPosition(&line, &index);
    QCOMPARE(line, 1);
    QCOMPARE(index, 2);
  }

  void aFailedSaveKeepsTheTextAndSaysWhy_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only file") << true << "the file is read-only.";
    QTest::newRow("missing folder") << false << "does not exist.";
  }

  void aFailedSaveKeepsTheTextAndSaysWhy() {
    QFETCH(bool, readOnly);
    QFETCH(QString, reason);
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString folder = Path("Gone");
    QString file = Write(folder + "/Keep.Pas", "old");
    QVERIFY(w.OpenFile(file));
    w.EditorOf(file)->insert("typed ");
    if (readOnly) {
      QVERIFY(::chmod(file.toLocal8Bit().constData(), 0444) == 0);
    } else {
      QVERIFY(QDir(folder).removeRecursively());
    }
    Act(w, "save")->trigger();
    ui.QueueAnswer(Answer::kYes); // to the close question
    QVERIFY(w.ClosePageOf(file) == false);
    std::vector<std::string> said = Texts(ui);
    QCOMPARE(said.size(), std::size_t{3});
    QVERIFY(QString::fromStdString(said[0]).startsWith("Cannot save " + file));
    QVERIFY(QString::fromStdString(said[0]).endsWith(reason));
    QCOMPARE(said[2], said[0]);
    QCOMPARE(w.EditorOf(file)->text(), "typed old");
    QVERIFY(w.EditorOf(file)->isModified());
    if (readOnly) QCOMPARE(Read(file), QByteArray("old"));
  }

  void aLongPathIsSavedUnderItsOwnName() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    // Longer than the 128 characters slot names once held.
    QString deep = Path(QString(60, 'd') + "/" + QString(60, 'e') + "/" + QString(40, 'f'));
    QString file = Write(deep + "/Long.Pas", "x");
    QVERIFY(file.size() > 160 && file.size() <= 255);
    QVERIFY(w.OpenFile(file));
    QCOMPARE(w.OpenFiles(), QStringList{file});
    w.EditorOf(file)->insert("y");
    Act(w, "save")->trigger();
    QCOMPARE(Read(file), QByteArray("yx"));
    QVERIFY(Texts(ui).empty());
  }

  void aNameTooLongForASlotIsRefused() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString file = Write(Path(QString(120, 'g') + "/" + QString(120, 'h') + "/Long.Pas"), "x");
    QVERIFY(file.size() > 255);
    QVERIFY(!w.OpenFile(file));
    QVERIFY(w.OpenFiles().isEmpty());
    QCOMPARE(Texts(ui).size(), std::size_t{1});
    QVERIFY(QString::fromStdString(Texts(ui).front()).endsWith("at most 255 characters."));
  }

  void savingKeepsTheFilesBytes() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    // Latin-1 text with CR LF line ends, as files from older systems come.
    QString file = Write(Path("Old.Pas"), "{ caf\xE9 }\r\nbegin");
    QVERIFY(w.OpenFile(file));
    QsciScintilla* page = w.EditorOf(file);
    page->SendScintilla(QsciScintillaBase::SCI_DOCUMENTEND);
    QTest::keyClick(page, Qt::Key_Return);
    QTest::keyClicks(page, "end.");
    Act(w, "save")->trigger();
    QCOMPARE(Read(file), QByteArray("{ caf\xE9 }\r\nbegin\r\nend."));
  }

  void showPositionOpensTheFileAtTheCaret() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString file = Write(Path("TERMINAL.PAS"), "line0\nline1\n  x := ;\n");
    // The compiler names include files in whatever case the source wrote.
    w.ShowPosition(Path("Terminal.pas"), 2, 7);
    QCOMPARE(w.OpenFiles(), QStringList{file});
    int line = 0;
    int index = 0;
    w.EditorOf(file)->getCursorPosition(&line, &index);
    QCOMPARE(line, 2);
    QCOMPARE(index, 7);
    QVERIFY(w.isVisible());
    QTRY_COMPARE(w.findChild<QLabel*>("caret")->text(), "Line 3, Col 8");
  }

  void keysReachTheirCommands_data() {
    QTest::addColumn<QKeySequence>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::newRow("Ctrl+A start of file") << QKeySequence("Ctrl+A") << "ab\ncd" << 0;
    QTest::newRow("Ctrl+Z end of file") << QKeySequence("Ctrl+Z") << "ab\ncd" << 5;
    QTest::newRow("Ctrl+Y deletes the line") << QKeySequence("Ctrl+Y") << "ab\n" << 3;
    QTest::newRow("Ctrl+P pastes") << QKeySequence("Ctrl+P") << "ab\nc!d" << 5;
    QTest::newRow("Ctrl+V pastes") << QKeySequence("Ctrl+V") << "ab\nc!d" << 5;
  }

  void keysReachTheirCommands() {
    QFETCH(QKeySequence, key);
    QFETCH(QString, text);
    QFETCH(int, caret);
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString file = Write(Path("Keys.Pas"), "ab\ncd");
    QVERIFY(w.OpenFile(file));
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QsciScintilla* page = w.EditorOf(file);
    page->setFocus();
    page->setCursorPosition(1, 1);
    QApplication::clipboard()->setText("!");
    QTest::keySequence(page, key);
    QCOMPARE(page->text(), text);
    QCOMPARE(page->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS), caret);
    // Ctrl+C copies and F9 compiles the saved page.
    QSignalSpy compile(&w, &EditorWindow::compileFileRequested);
    page->setSelection(0, 0, 0, 2);
    QTest::keySequence(page, QKeySequence("Ctrl+C"));
    QCOMPARE(QApplication::clipboard()->text(), "ab");
    QCOMPARE(compile.count(), 0);
    QTest::keySequence(page, QKeySequence("F9"));
    QCOMPARE(compile.count(), 1);
    QCOMPARE(compile.front().front().toString(), file);
    QCOMPARE(QString::fromUtf8(Read(file)), text);
  }

  void colouring_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("styles"); // one per character: . K C S
    const char* const rows[][4] = {
        {"keywords, not inside names", "K.Pas", "Begin endless END;", "KKKKK.........KKK."},
        {"brace and star comments", "C.Pas", "a{b}c(*d*)e", ".CCC.CCCCC."},
        {"slashes to the line end", "L.Pas", "if // then\nif", "KK.CCCCCCC.KK"},
        {"{*} pairs", "P.Pas", "{*} x } {*}do", "CCCCCCCCCCCKK"},
        {"{*! to a blank", "B.Pas", "{*!note} do", "CCCCCCCCCKK"},
        {"strings", "S.Pas", "x:='begin';", "...SSSSSSS."},
        {"open string ends with its line", "O.Pas", "'ab\ndo", "SSS.KK"},
        {"comments span lines", "M.Pas", "{a\nend}do", "CC.CCCCKK"},
        {"assembler", "A.Mac", "ld a,';' ; if", ".....SSS.CCCC"},
        {"assembler has no keywords", "N.MAC", "begin", "....."},
        {"other files stay plain", "T.txt", "begin {x}", "........."},
    };
    for (const auto& r : rows)
      QTest::newRow(r[0]) << QString(r[1]) << QString(r[2]) << QString(r[3]);
  }

  void colouring() {
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, styles);
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString path = Write(Path(file), text.toUtf8());
    QVERIFY(w.OpenFile(path));
    QsciScintilla* page = w.EditorOf(path);
    page->recolor();
    const QString letters = ".KCS";
    QString seen;
    for (int i = 0; i < text.size(); ++i) {
      long style = page->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, i);
      seen += text[i] == '\n' ? QChar('.') : letters[static_cast<int>(style)];
    }
    QCOMPARE(seen, styles);
  }

  void anEditRestylesTheLinesBelow() {
    platform::HeadlessUiHost ui;
    EditorWindow w(ui);
    QString path = Write(Path("Edit.Pas"), "x\nbegin\nend\n");
    QVERIFY(w.OpenFile(path));
    QsciScintilla* page = w.EditorOf(path);
    auto styleOfEnd = [&] {
      page->recolor();
      return page->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT,
                                 static_cast<int>(page->text().indexOf("end")));
    };
    QCOMPARE(styleOfEnd(), PascalLexer::kKeyword);
    page->insertAt("{", 0, 1); // "x{": the rest is a comment
    QCOMPARE(styleOfEnd(), PascalLexer::kComment);
    page->undo();
    QCOMPARE(styleOfEnd(), PascalLexer::kKeyword);
  }
};

QTEST_MAIN(EditorWindowTest)
#include "editor_window_test.moc"
