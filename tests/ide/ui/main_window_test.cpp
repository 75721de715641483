// The main window driven as a user drives it: the project commands and
// dialogs, the build commands with their messages, error places, cancel,
// the questions before anything is overwritten, and help.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
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

using platform::Answer;
using velkor::ui::MainWindow;

namespace {

const QByteArray kProgram = "PROGRAM P;\r\nVAR B: BYTE;\r\nBEGIN\r\n  B := 1;\r\nEND.\r\n";

QString Write(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write(text);
  return QFileInfo(path).absoluteFilePath();
}

QByteArray Read(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

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
  const QListWidget* list = window.MessageView()->List();
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == line) return true;
  return false;
}

} // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

  // A program directory of its own with the run-time library, so the
  // window's Velkor.ini and Lib/ are the test's.
  struct Fixture {
    platform::HeadlessUiHost questions;
    velkor::ui::QtUiHost ui{&questions};
    std::unique_ptr<MainWindow> window;
  };
  std::unique_ptr<Fixture> Make(const QString& project = QString()) {
    auto f = std::make_unique<Fixture>();
    f->window = std::make_unique<MainWindow>(
        f->ui, velkor::ui::MainWindowPlaces{Path("prog/"), Path("prog/Velkor.ini"),
                                            KIT_SOURCE_DIR "/docs", KIT_SOURCE_DIR "/README.md"});
    f->window->Start(project);
    return f;
  }
  static void Trigger(Fixture& f, const char* command) {
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
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
