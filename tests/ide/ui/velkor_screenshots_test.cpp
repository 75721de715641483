// Pictures of every Velkor window with real content: the overlays example
// built by velkor-cli, open in the editor, its symbols and its map; the hello
// example made a project as a user would, in the main window, its dialogs,
// the message window and help. scripts/screenshots.sh runs this under Xvfb with
// VELKOR_SCREENSHOT_DIR set; under ctest the pictures go to a temporary
// folder and only their content is checked.
#include <QAction>
#include <QDialog>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include "common/message_list.h"
#include "ide/core/build_commands.h"
#include "ide/core/project_file.h"
#include "ide/ui/ascii_table_window.h"
#include "ide/ui/compile_progress_window.h"
#include "ide/ui/editor_window.h"
#include "ide/ui/help_window.h"
#include "ide/ui/map_view_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/project_dialogs.h"
#include "ide/ui/symbols_window.h"
#include "tests/ide/ui/window_test_support.h"
#include "tests/platform/run_program.h"

using namespace velkor::ui;

namespace {

bool Run(const QString& directory, const std::vector<std::string>& arguments) {
  return kit_test::RunProgram(directory.toStdString(), "velkor-cli", arguments).status == 0;
}

// How many pixels are close to `colour`.
int Count(const QImage& image, const QColor& colour) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const int distance = std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                           std::abs(c.blue() - colour.blue());
      count += distance < 40;
    }
  return count;
}

} // namespace

class VelkorScreenshots : public QObject {
  Q_OBJECT

  QTemporaryDir work_{QDir::tempPath() + "/overlays-XXXXXX"};
  QTemporaryDir scratch_;
  QString out_;
  QString project_;
  platform::HeadlessUiHost ui_;
  // The main window's: its questions are answered from questions_.
  QTemporaryDir helloWork_{QDir::tempPath() + "/hello-XXXXXX"};
  QString hello_;
  platform::HeadlessUiHost questions_;
  QtUiHost mainUi_{&questions_};
  std::unique_ptr<MainWindow> window_;

  QString Example(const QString& name) const { return project_ + name; }

  QImage Shoot(QWidget& window, const QString& name) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) qWarning("%s was not exposed", qPrintable(name));
    QTest::qWait(50);
    QImage image = window.grab().toImage();
    if (!image.save(out_ + "/" + name, "PNG", 0)) qWarning("cannot write %s", qPrintable(name));
    return image;
  }

private slots:
  void initTestCase() {
    out_ = qEnvironmentVariable("VELKOR_SCREENSHOT_DIR", scratch_.path());
    QVERIFY(QDir().mkpath(out_));
    QDir source(KIT_SOURCE_DIR "/examples/overlays");
    project_ = work_.path() + "/";
    for (const QString& file : source.entryList(QDir::Files))
      QVERIFY(QFile::copy(source.filePath(file), project_ + file));
    QVERIFY(Run(project_, {"new", "Overlays.Prj", "Overlays.Pas"}));
    QVERIFY(Run(project_, {"build", "Overlays.Prj"}));
    hello_ = helloWork_.path() + "/";
    QVERIFY(QFile::copy(KIT_SOURCE_DIR "/examples/hello/Hello.Pas", hello_ + "Hello.Pas"));
    QVERIFY(Run(hello_, {"new", "Hello.Prj", "Hello.Pas"}));
    window_ = std::make_unique<MainWindow>(
        mainUi_, MainWindowPlaces{KIT_BIN_DIR "/", scratch_.filePath("Velkor.ini"),
                                  KIT_SOURCE_DIR "/docs", KIT_SOURCE_DIR "/README.md"});
    window_->Start(hello_ + "Hello.Prj");
  }

  void editor() {
    EditorWindow window(ui_);
    for (const char* file : {"Terminal.pas", "Overlays.Mac", "Overlays.Pas"})
      QVERIFY(window.OpenFile(Example(file)));
    window.ShowPosition(Example("Overlays.Pas"), 12, 2);
    window.resize(760, 560);
    QImage image = Shoot(window, "velkor-editor.png");
    // The generated assembler, without the keyword colour.
    window.findChild<QAction*>("showAsm")->trigger();
    QCOMPARE(window.ActiveFile(), Example("Overlays.Mac"));
    window.EditorOf(Example("Overlays.Mac"))->setCursorPosition(40, 0);
    image = Shoot(window, "velkor-editor-asm.png");
    QCOMPARE(Count(image, QColor(0x00, 0x00, 0x99)), 0);
    window.EditorOf(Example("Overlays.Mac"))->setSelection(40, 1, 40, 3);
    window.findChild<QAction*>("replace")->trigger();
    auto* dialog = window.findChild<QDialog*>();
    QVERIFY(dialog);
    QVERIFY(Shoot(*dialog, "velkor-find.png").width() > 300);
  }

  void toolWindows() {
    AsciiTableWindow ascii;
    ascii.List()->setCurrentRow(65);
    ascii.List()->scrollToItem(ascii.List()->item(56), QAbstractItemView::PositionAtTop);
    Shoot(ascii, "velkor-ascii-table.png");
    SymbolsWindow symbols(ui_);
    QVERIFY(symbols.LoadProject(project_, "Overlays"));
    QVERIFY(symbols.FindSymbol("@overlays_first"));
    Shoot(symbols, "velkor-symbols.png");
    CompileProgressWindow progress;
    progress.ShowProgress("Overlays.Pas", 30);
    Shoot(progress, "velkor-compile-progress.png");
  }

  void map() {
    velkor::Project project;
    std::string error;
    QVERIFY(velkor::ReadProjectFile((project_ + "Overlays.Prj").toStdString(), project, error));
    velkor::MessageList messages;
    velkor::BuildSession session{project, messages, ui_, KIT_BIN_DIR "/"};
    QVERIFY(session.Link(false));
    MapViewWindow window;
    window.resize(window.width(), 240);
    window.SetAreas(session.lastLink.codeAreas, session.lastLink.dataAreas);
    QImage image = Shoot(window, "velkor-map.png");
    // One white box per non-empty area, outlined in black.
    QVERIFY(Count(image, Qt::white) > 4 * 50 * 20);
    QVERIFY(Count(image, Qt::black) > 100);
  }

  void mainWindowAndDialogs() {
    Shoot(*window_, "velkor-main.png");
    QVERIFY(window_->ProjectList()->count() > 5);
    velkor::Project project = window_->CurrentProject();
    ProjectOptionsDialog options(project.settings);
    Shoot(options, "velkor-options.png");
    LinkOrderDialog order(project);
    order.SourceList()->setCurrentRow(1);
    Shoot(order, "velkor-link-order.png");
    RemoveDialog remove(project, nullptr);
    remove.List()->setCurrentRow(1);
    Shoot(remove, "velkor-remove.png");
  }

  void messagesAndHelp() {
    QVERIFY(window_->CompileAll());
    QVERIFY(window_->Link());
    MessageWindow* messages = window_->MessageView();
    Shoot(*messages, "velkor-messages.png");
    QVERIFY(messages->ShownLines().size() > kMessageLinesInView);
    // A compile error, shown in the messages and at its place.
    Write(hello_ + "Hello.Pas", Read(hello_ + "Hello.Pas").replace("BEGIN", "BEGIN\r\n  X := 1;"));
    QVERIFY(!window_->CompileFile(hello_ + "Hello.Pas"));
    QCOMPARE(window_->MessageView()->ShownLines().back(), QString("Undefined identifier"));
    QCOMPARE(window_->Editor()->ActiveFile(), hello_ + "Hello.Pas");
    Shoot(*window_->MessageView(), "velkor-messages-error.png");
    window_->Editor()->resize(760, 520);
    Shoot(*window_->Editor(), "velkor-editor-error.png");
    QVERIFY(window_->Help()->Search("link order"));
    Shoot(*window_->Help(), "velkor-help.png");
  }

  void cleanupTestCase() {
    window_->Editor()->EditorOf(hello_ + "Hello.Pas")->setModified(false);
    questions_.QueueAnswer(platform::Answer::kNo);
    window_->close();
    window_.reset();
  }
};

QTEST_MAIN(VelkorScreenshots)
#include "velkor_screenshots_test.moc"
