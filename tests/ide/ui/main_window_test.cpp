// The main window driven as a user drives it: the project commands and
// dialogs, the build commands with their messages, error places, cancel,
// the questions before anything is overwritten, and help.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <Qsci/qsciscintilla.h>
#include <functional>
#include <map>

#include "ide/ui/compile_progress_window.h"
#include "ide/ui/editor_window.h"
#include "ide/ui/help_window.h"
#include "ide/ui/main_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/qt_ui_host.h"
#include "tests/ide/ui/window_test_support.h"

using platform::Answer;
using velkor::ui::MainWindow;

namespace {

const QByteArray kProgram = "PROGRAM P;\r\nVAR B: BYTE;\r\nBEGIN\r\n  B := 1;\r\nEND.\r\n";

// "Section/Key" -> value of an ini file.
std::map<QString, QString> Keys(const QString& path) {
  std::map<QString, QString> keys;
  QString section;
  for (const QByteArray& raw : Read(path).split('\n')) {
    const QString line = QString::fromUtf8(raw).trimmed();
    if (line.startsWith('[')) {
      section = line.mid(1, line.size() - 2);
    } else if (const qsizetype eq = line.indexOf('='); eq > 0) {
      keys[section + "/" + line.left(eq)] = line.mid(eq + 1);
    }
  }
  return keys;
}

// Runs `drive` on the next modal dialog once it is shown.
void WhenModal(std::function<void(QDialog*)> drive) {
  QTimer::singleShot(0, [drive] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) qFatal("no modal dialog");
    drive(dialog);
  });
}

void Click(QListWidget* list, int row) {
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(row)).center());
}

bool HasLine(const MainWindow& window, const QString& line) {
  return window.MessageView()->ShownLines().contains(line);
}

} // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

  // A program directory of its own with the run-time library, so the
  // window's Velkor.ini and Lib/ are the test's.
  std::unique_ptr<TestMainWindow> Make(const QString& project = QString()) {
    return std::make_unique<TestMainWindow>(Path("prog/"), project);
  }
  static void Trigger(TestMainWindow& f, const char* command) {
    QAction* action = f.window->Command(command);
    if (!action) qFatal("no command %s", command);
    action->trigger();
  }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QDir().mkpath(Path("prog"));
    for (const char* library : {"Lib", "Default"})
      QVERIFY(QFile::link(KIT_BIN_DIR "/" + QString(library), Path("prog/") + library));
  }

  // Create, add, swap the first and third, remove one, save, reopen.
  void ProjectRoundTrip() {
    const QString a = Write(Path("work/A.Pas"), kProgram);
    const QString b = Write(Path("work/B.Mac"), "\tCODE\r\n\tEND\r\n");
    const QString c = Write(Path("work/C.RRO"), "");
    const QString d = Write(Path("other/D.Mac"), "\tCODE\r\n\tEND\r\n");
    auto f = Make();
    for (const QString& file : {a, b, c, d}) {
      f->questions.QueueFile(file.toStdString());
      Trigger(*f, "addToProject");
    }
    f->questions.QueueFile(Path("work/Demo.Prj").toStdString());
    Trigger(*f, "saveProjectAs");
    WhenModal([](QDialog* dialog) {
      auto* sources = dialog->findChild<QListWidget*>("sourceFile");
      sources->setCurrentRow(0);
      Click(dialog->findChild<QListWidget*>("swapWith"), 2);
      dialog->accept();
    });
    Trigger(*f, "changeLinkOrder");
    WhenModal([](QDialog* dialog) {
      auto* files = dialog->findChild<QListWidget*>("files");
      files->setCurrentRow(1); // B.Mac, open in the editor
      for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->text() == "&Remove") button->click();
      QCOMPARE(files->count(), 3);
      dialog->accept();
    });
    Trigger(*f, "removeFromProject");
    QVERIFY(!f->window->Editor()->OpenFiles().contains(b));
    QVERIFY(f->window->ProjectChanged());
    f->questions.QueueAnswer(Answer::kYes); // Save current project ?
    QVERIFY(f->window->close());
    QCOMPARE(f->questions.MessageBoxTexts().back(), std::string("Save current project ?"));

    const auto keys = Keys(Path("work/Demo.Prj"));
    // After the swap C, B, A, D; B removed; D's page opened last is active.
    const std::map<QString, QString> expected = {
        {"General/Target", "0"},
        {"General/CPU", "0"},
        {"General/IncludePAS", "1"},
        {"General/WriteSym", "0"},
        {"General/PasInSym", "0"},
        {"General/AutoIndent", "0"},
        {"General/MainFileName", ""},
        {"Sources/Source1", "C.RRO"},
        {"Sources/Source2", "A.Pas"},
        {"Sources/Source3", d},
        {"Sources/Source4", "Undefined"},
        {"Editor/Source1", a},
        {"Editor/PosY1", "0"},
        {"Editor/PosX1", "0"},
        {"Editor/Source2", d},
        {"Editor/PosY2", "0"},
        {"Editor/PosX2", "0"},
        {"Editor/Source3", "Undefined"},
        {"Editor/Current", "1"},
    };
    QCOMPARE(keys, expected);
    auto reopened = Make(Path("work/Demo.Prj"));
    QCOMPARE(reopened->window->CurrentProject().ProjectItems,
             (std::vector<std::string>{"Demo", Path("work/").toStdString(), "No target device",
                                       "Z80 CPU", "C.RRO", "A.Pas", d.toStdString()}));
    QCOMPARE(reopened->window->Editor()->OpenFiles(), (QStringList{a, d}));
    QCOMPARE(reopened->window->Editor()->CurrentIndex(), 1);
    QCOMPARE(Keys(Path("prog/Velkor.ini"))["General/LastProject"], QString("Demo"));
  }

  // Each build command from the editor, after an edit, leaves its summary.
  void BuildCommands_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("compile") << "compile"
                             << QStringList{"Data size:      1 bytes", "Procedures:     1"};
    QTest::newRow("main") << "compileMain" << QStringList{"CodeBlocks:     1"};
    QTest::newRow("all") << "compileAll" << QStringList{"Compile: Prog.Pas", "Data size: 1 bytes"};
  }
  void BuildCommands() {
    QFETCH(QString, command);
    QFETCH(QStringList, lines);
    const QString dir = Path("build_" + command + "/");
    const QString prog = Write(dir + "Prog.Pas", kProgram);
    Write(dir + "Prog.Prj",
          "[General]\nTarget=6\nMainFileName=" + prog.toUtf8() + "\n[Sources]\nSource1=Prog.Pas\n");
    auto f = Make(dir + "Prog.Prj");
    f->window->Editor()->OpenFile(prog);
    QsciScintilla* page = f->window->Editor()->EditorOf(prog);
    page->setCursorPosition(3, 0);
    page->insert("  B := 2;\r\n");
    f->window->Editor()->findChild<QAction*>(command)->trigger();
    for (const QString& line : lines)
      QVERIFY2(HasLine(*f->window, line), qPrintable(line));
    QVERIFY(QFileInfo::exists(dir + "Prog.RRO"));
    QVERIFY(Read(prog).contains("B := 2")); // saved before building
    QVERIFY(!f->window->Progress()->isVisible());
    QVERIFY(f->window->Link());
    QVERIFY(QFileInfo(dir + "Prog.ROM").size() == 32 * 1024);
    f->questions.QueueAnswer(Answer::kNo);
    f->window->close();
  }

  // The caret lands on the error; a double click on the report goes there too.
  void CompileErrorPlacesTheCaret() {
    const QString prog =
        Write(Path("error/Bad.Pas"), "PROGRAM P;\r\nVAR B: BYTE;\r\nBEGIN\r\n  B := ;\r\nEND.\r\n");
    auto f = Make();
    QVERIFY(!f->window->CompileFile(prog));
    QsciScintilla* page = f->window->Editor()->EditorOf(prog);
    QVERIFY(page);
    int line = -1, column = -1;
    page->getCursorPosition(&line, &column);
    QCOMPARE(line, 3);
    QCOMPARE(column, 7);
    page->setCursorPosition(0, 0);
    velkor::ui::MessageWindow* messages = f->window->MessageView();
    QCOMPARE(messages->ShownLines().back(), QString("Cannot evaluate expression"));
    QPlainTextEdit* text = messages->Text();
    QTextCursor last(text->document()->lastBlock());
    QTest::mouseDClick(text->viewport(), Qt::LeftButton, {}, text->cursorRect(last).center());
    page->getCursorPosition(&line, &column);
    QCOMPARE(line, 3);
    QCOMPARE(column, 7);
  }

  // The progress window's button ends a long compile with error 111.
  void CancelEndsTheCompile() {
    QByteArray source = "PROGRAM P;\r\nVAR W: WORD;\r\nBEGIN\r\n";
    for (int i = 0; i < 5000; ++i)
      source += "  W := W + 1;\r\n";
    const QString prog = Write(Path("cancel/Long.Pas"), source + "END.\r\n");
    auto f = Make();
    QTimer::singleShot(0,
                       [&] { f->window->Progress()->findChild<QPushButton*>("cancel")->click(); });
    QVERIFY(!f->window->CompileFile(prog));
    QVERIFY(HasLine(*f->window, "Compile canceled by user"));
    const int lines = f->window->Progress()->findChild<QLineEdit*>("currentLine")->text().toInt();
    QVERIFY2(lines > 0 && lines <= 20, qPrintable(QString::number(lines)));
    QVERIFY(!QFileInfo::exists(Path("cancel/Long.Mac")));
  }

  // A new Project1 saved where a Project1.Prj is: asked, and No keeps it.
  void OverwriteQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("overwritten");
    QTest::newRow("yes") << int(Answer::kYes) << true;
    QTest::newRow("no") << int(Answer::kNo) << false;
  }
  void OverwriteQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, overwritten);
    const QByteArray old = "[General]\nTarget=3\n";
    Write(Path("prog/Project1.Prj"), old);
    QFile::remove(Path("prog/Velkor.ini"));
    auto f = Make();
    QCOMPARE(f->window->CurrentProject().settings.Target, 3); // the last project, opened
    Trigger(*f, "newProject");
    f->questions.QueueFile(Write(Path("prog/New.Mac"), "").toStdString());
    Trigger(*f, "addToProject");
    for (Answer a : {Answer::kYes, static_cast<Answer>(answer)})
      f->questions.QueueAnswer(a); // Save current project ? / Overwrite ?
    f->window->close();
    QCOMPARE(f->questions.MessageBoxTexts().back(),
             std::string("Project file exists. Overwrite ?"));
    QCOMPARE(Read(Path("prog/Project1.Prj")) != old, overwritten);
    QFile::remove(Path("prog/Project1.Prj"));
  }

  // Editor entries whose files are gone, and a Current past them, are skipped.
  void StaleEditorsAreSkipped() {
    const QString kept = Write(Path("stale/Kept.Pas"), kProgram);
    Write(Path("stale/Stale.Prj"),
          "[Sources]\nSource1=Kept.Pas\n[Editor]\nSource1=" + Path("stale/Gone.Pas").toUtf8() +
              "\nSource2=" + kept.toUtf8() + "\nPosY2=2\nSource3=Undefined\n" + "Current=7\n");
    auto f = Make(Path("stale/Stale.Prj"));
    QCOMPARE(f->window->CurrentProject().Name(), std::string("Stale"));
    QCOMPARE(f->window->Editor()->OpenFiles(), QStringList{kept});
    QVERIFY(f->questions.MessageBoxTexts().empty());
  }

  // Closing with changed pages asks for each, also after No to the project.
  void ClosingAsksForEachChangedPage() {
    const QString one = Write(Path("close/One.Pas"), kProgram);
    const QString two = Write(Path("close/Two.Pas"), kProgram);
    auto f = Make();
    for (const QString& file : {one, two}) {
      f->questions.QueueFile(file.toStdString());
      Trigger(*f, "addToProject");
      f->window->Editor()->EditorOf(file)->insert("{ changed }");
    }
    for (Answer a : {Answer::kNo, Answer::kYes, Answer::kNo})
      f->questions.QueueAnswer(a);
    QVERIFY(f->window->close());
    const auto& texts = f->questions.MessageBoxTexts();
    QCOMPARE(texts.size(), std::size_t(3));
    QVERIFY(texts[1].starts_with(one.toStdString()));
    QVERIFY(texts[2].starts_with(two.toStdString()));
    QVERIFY(Read(one).startsWith("{ changed }"));
    QVERIFY(!Read(two).startsWith("{ changed }"));
  }

  // Linux names files in any case: the dialogs list every spelling.
  void FileFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("qt");
    QTest::newRow("project") << "Project files (*.Prj)|*.Prj"
                             << "Project files (*.Prj *.prj *.PRJ);;All files (*)";
    QTest::newRow("two patterns") << "Sources|*.Pas;*.Mac"
                                  << "Sources (*.Pas *.pas *.PAS *.Mac *.mac *.MAC);;All files (*)";
  }
  void FileFilters() {
    QFETCH(QString, filter);
    QFETCH(QString, qt);
    QCOMPARE(velkor::ui::QtFileFilter(filter.toStdString()), qt);
  }

  void Help() {
    auto f = Make();
    Trigger(*f, "helpContents");
    velkor::ui::HelpWindow* help = f->window->Help();
    QVERIFY(help->isVisible());
    QVERIFY(help->Contents()->count() >= 2); // the README and the guide to the windows
    QVERIFY(help->Search("Change link order"));
    QVERIFY(help->Page()->textCursor().hasSelection());
    QVERIFY(!help->Search("no page says xyzzy"));
    f->window->close();
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
