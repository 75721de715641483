// Pictures of every Velkor window with real content: the overlays example
// made a project and built by velkor-cli, then opened in the main window; its
// editor, the tool windows reached from the editor's menu, the dialogs, the
// message window (after a build and after an error) and help. scripts/screenshots.sh runs this
// under Xvfb with VELKOR_SCREENSHOT_DIR set; under ctest the pictures go to a temporary folder.

#include "ide/ui/ascii_table_window.h"
#include "ide/ui/map_view_window.h"
#include "ide/ui/project_dialogs.h"
#include "ide/ui/symbols_window.h"
#include "tests/ide/ui/window_test_support.h"
#include "tests/platform/run_program.h"

using namespace velkor::ui;

namespace {

bool Run(const QString& directory, const std::vector<std::string>& arguments) {
  return kit_test::RunProgram(directory.toStdString(), "velkor-cli", arguments).status == 0;
}

} // namespace

class VelkorScreenshots : public QObject {
  Q_OBJECT

  QTemporaryDir work_{QDir::tempPath() + "/overlays-XXXXXX"};
  QTemporaryDir scratch_;
  QString out_;
  QString project_;
  std::unique_ptr<TestMainWindow> main_;
  MainWindow* window_ = nullptr;

  QString Example(const QString& name) const { return project_ + name; }
  EditorWindow& Editor() { return *window_->Editor(); }
  void Trigger(const char* command) { Editor().findChild<QAction*>(command)->trigger(); }

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
    main_ = std::make_unique<TestMainWindow>(KIT_BIN_DIR "/", Example("Overlays.Prj"),
                                             scratch_.filePath("Velkor.ini"));
    window_ = main_->window.get();
  }

  void editor() {
    for (const char* file : {"Terminal.pas", "Overlays.Mac", "Overlays.Pas"})
      QVERIFY(Editor().OpenFile(Example(file)));
    Editor().ShowPosition(Example("Overlays.Pas"), 12, 2);
    Editor().resize(760, 560);
    Shoot(Editor(), "velkor-editor.png");
    // The generated assembler (the editor test checks it has no keyword colour).
    Trigger("showAsm");
    Editor().EditorOf(Example("Overlays.Mac"))->setCursorPosition(40, 0);
    Shoot(Editor(), "velkor-editor-asm.png");
    Trigger("showPas");
    Editor().EditorOf(Example("Overlays.Pas"))->setSelection(7, 2, 7, 7);
    Trigger("replace");
    auto* dialog = Editor().findChild<QDialog*>();
    QVERIFY(dialog);
    QVERIFY(Shoot(*dialog, "velkor-find.png").width() > 300);
    dialog->close();
  }

  // The tool windows as the editor's menu opens them, after a link.
  void toolWindows() {
    QVERIFY(window_->Link());
    Trigger("ascii");
    auto* ascii = window_->findChild<AsciiTableWindow*>();
    ascii->List()->setCurrentRow(65);
    ascii->List()->scrollToItem(ascii->List()->item(56), QAbstractItemView::PositionAtTop);
    Shoot(*ascii, "velkor-ascii-table.png");
    Trigger("symbols");
    auto* symbols = window_->findChild<SymbolsWindow*>();
    QVERIFY(symbols->isVisible() && symbols->FindSymbol("@overlays_first"));
    Shoot(*symbols, "velkor-symbols.png");
    Trigger("codeMap");
    auto* map = window_->findChild<MapViewWindow*>();
    map->resize(map->width(), 240);
    Shoot(*map, "velkor-map.png");
    Trigger("status");
    window_->Progress()->ShowProgress("Overlays.Pas", 30);
    Shoot(*window_->Progress(), "velkor-compile-progress.png");
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
    Shoot(*window_->MessageView(), "velkor-messages.png");
    QVERIFY(window_->MessageView()->ShownLines().size() > kMessageLinesInView);
    // A compile error typed in the editor, shown in the messages and at its place.
    QsciScintilla* page = Editor().EditorOf(Example("Overlays.Pas"));
    page->setCursorPosition(page->lines() - 6, 0);
    page->insert("  X := 1;\r\n");
    QVERIFY(!window_->CompileFile(Example("Overlays.Pas")));
    QCOMPARE(window_->MessageView()->ShownLines().back(), QString("Undefined identifier"));
    Shoot(*window_->MessageView(), "velkor-messages-error.png");
    Editor().resize(760, 520);
    Shoot(Editor(), "velkor-editor-error.png");
    // Help as its menu command opens it, searched.
    window_->Command("helpContents")->trigger();
    QVERIFY(window_->Help()->isVisible() && window_->Help()->Contents()->count() >= 2);
    QVERIFY(!window_->Help()->Search("no page says xyzzy"));
    QVERIFY(window_->Help()->Search("link order"));
    Shoot(*window_->Help(), "velkor-help.png");
  }

  void cleanupTestCase() {
    main_->questions.QueueAnswer(platform::Answer::kNo);
    window_->close();
    main_.reset();
  }
};

QTEST_MAIN(VelkorScreenshots)
#include "velkor_screenshots_test.moc"
