// The main window driven as a user drives it: the project commands and
// dialogs, the build commands with their messages, error places, cancel,
// the questions before anything is overwritten. (Help is the screenshot test's.)
#include <functional>

#include "tests/ide/ui/window_test_support.h"

using platform::Answer;
using velkor::ui::MainWindow;

namespace {

const QByteArray kProgram = "PROGRAM P;\r\nVAR B: BYTE;\r\nBEGIN\r\n  B := 1;\r\nEND.\r\n";

// Runs `drive` on the next modal dialog once it is shown.
void WhenModal(std::function<void(QDialog*)> drive) {
  QTimer::singleShot(0, [drive] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) qFatal("no modal dialog");
    drive(dialog);
  });
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
    f.window->Command(command)->trigger();
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
      auto* swapWith = dialog->findChild<QListWidget*>("swapWith");
      QTest::mouseClick(swapWith->viewport(), Qt::LeftButton, {},
                        swapWith->visualItemRect(swapWith->item(2)).center());
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
    f->questions.QueueAnswer(Answer::kYes); // Save current project ?
    QVERIFY(f->window->close());
    QCOMPARE(f->questions.MessageBoxTexts().back(), std::string("Save current project ?"));

    // After the swap C, B, A, D; B removed; D's page opened last is active
    // (the file's layout key by key is the project file test's).
    auto reopened = Make(Path("work/Demo.Prj"));
    QCOMPARE(reopened->window->CurrentProject().ProjectItems,
             (std::vector<std::string>{"Demo", Path("work/").toStdString(), "No target device",
                                       "Z80 CPU", "C.RRO", "A.Pas", d.toStdString()}));
    QCOMPARE(reopened->window->Editor()->OpenFiles(), (QStringList{a, d}));
    QCOMPARE(reopened->window->Editor()->CurrentIndex(), 1);
    QVERIFY(Read(Path("prog/Velkor.ini")).contains("\nLastProject=Demo\n"));
  }

  // Each build command from the editor, after an edit, leaves its summary.
  void BuildCommands() {
    const std::pair<QString, QStringList> rows[] = {
        {"compile", {"Data size:      1 bytes", "Procedures:     1"}},
        {"compileMain", {"CodeBlocks:     1"}},
        {"compileAll", {"Compile: Prog.Pas", "Data size: 1 bytes"}},
    };
    for (const auto& [command, lines] : rows) {
      const QString dir = Path("build_" + command + "/");
      const QString prog = Write(dir + "Prog.Pas", kProgram);
      Write(dir + "Prog.Prj", "[General]\nTarget=6\nMainFileName=" + prog.toUtf8() +
                                  "\n[Sources]\nSource1=Prog.Pas\n");
      auto f = Make(dir + "Prog.Prj");
      f->window->Editor()->OpenFile(prog);
      QsciScintilla* page = f->window->Editor()->EditorOf(prog);
      page->setCursorPosition(3, 0);
      page->insert("  B := 2;\r\n");
      f->window->Editor()->findChild<QAction*>(command)->trigger();
      for (const QString& line : lines)
        QVERIFY2(HasLine(*f->window, line), qPrintable(line));
      QVERIFY(Read(prog).contains("B := 2")); // saved before building
      QVERIFY(f->window->Link());
      QCOMPARE(QFileInfo(dir + "Prog.ROM").size(), 32 * 1024);
      f->questions.QueueAnswer(Answer::kNo);
      f->window->close();
    }
  }

  // Enter on the report's last line opens the error's place: for an ASM
  // block the Pascal line, not the generated .Mac (which line the
  // command-line test's located diagnostics check); an include file named in
  // another case than its own is found.
  void ErrorPlaces() {
    struct Row {
      QByteArray include; // Blk.pas's text, "" for none
      QByteArray program;
      QString opened;
      QPoint place; // 0-based line and column
    };
    const Row rows[] = {
        {"", "PROGRAM A;\r\nVAR B: BYTE;\r\nBEGIN\r\n  B := ;\r\nEND.\r\n", "A.Pas", {3, 7}},
        {"{ the block }\r\n  ASM\r\n LD A,\r\n  END;\r\n",
         "PROGRAM A;\r\nBEGIN\r\n{#I BLK.PAS}\r\nEND.\r\n",
         "Blk.pas",
         {2, 0}},
    };
    for (const Row& r : rows) {
      const QString dir = Path(QString("error%1/").arg(&r - rows));
      if (!r.include.isEmpty()) Write(dir + "Blk.pas", r.include);
      const QString source = Write(dir + "A.Pas", r.program);
      Write(dir + "A.Prj", "[General]\nTarget=6\n[Sources]\nSource1=A.Pas\n");
      auto f = Make(dir + "A.Prj");
      QVERIFY(!f->window->CompileFile(source));
      QPlainTextEdit* text = f->window->MessageView()->Text();
      text->setFocus();
      text->moveCursor(QTextCursor::End);
      QTest::keyClick(text, Qt::Key_Return);
      QsciScintilla* page = f->window->Editor()->EditorOf(dir + r.opened);
      QVERIFY2(page, qPrintable(r.opened));
      QPoint caret;
      page->getCursorPosition(&caret.rx(), &caret.ry());
      QCOMPARE(caret, r.place);
    }
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

  // Closing with changed pages asks for each, also after No to the project;
  // Yes saves the page, No leaves its file as it was, Cancel keeps it open.
  void ClosingAsksForEachChangedPage() {
    const QString one = Write(Path("close/One.Pas"), kProgram);
    const QString two = Write(Path("close/Two.Pas"), kProgram);
    auto f = Make();
    for (const QString& file : {one, two}) {
      f->questions.QueueFile(file.toStdString());
      Trigger(*f, "addToProject");
      f->window->Editor()->EditorOf(file)->insert("{ changed }");
    }
    for (Answer a : {Answer::kNo, Answer::kCancel, Answer::kNo, Answer::kYes, Answer::kNo})
      f->questions.QueueAnswer(a);
    QVERIFY(!f->window->close()); // Cancel keeps the window and its pages
    QCOMPARE(f->window->Editor()->OpenFiles().size(), 2);
    QVERIFY(f->window->close());
    const auto& texts = f->questions.MessageBoxTexts();
    QCOMPARE(texts.size(), std::size_t(5));
    QCOMPARE(texts[3], one.toStdString() + " has changed. Save the changes ?");
    QVERIFY(texts[4].starts_with(two.toStdString()));
    QVERIFY(Read(one).startsWith("{ changed }"));
    QVERIFY(!Read(two).startsWith("{ changed }"));
  }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
