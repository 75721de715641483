// Pictures of the main window, its dialogs, the message window and help,
// with the hello example made a project by velkor-cli as a user would.
// scripts/screenshots.sh runs this under Xvfb with
// VELKOR_SCREENSHOT_DIR set; under ctest the pictures go to a temporary
// folder and only what they show is checked.
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <Qsci/qsciscintilla.h>

#include "ide/ui/editor_window.h"
#include "ide/ui/help_window.h"
#include "ide/ui/main_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/project_dialogs.h"
#include "ide/ui/qt_ui_host.h"

using namespace velkor::ui;

class MainScreenshots : public QObject {
  Q_OBJECT

  QTemporaryDir work_{QDir::tempPath() + "/hello-XXXXXX"};
  QTemporaryDir scratch_;
  QString out_;
  QString project_;
  platform::HeadlessUiHost questions_;
  QtUiHost ui_{&questions_};
  std::unique_ptr<MainWindow> window_;

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
    project_ = work_.path() + "/";
    QVERIFY(QFile::copy(KIT_SOURCE_DIR "/examples/hello/Hello.Pas", project_ + "Hello.Pas"));
    QProcess cli;
    cli.setWorkingDirectory(project_);
    cli.start(KIT_BIN_DIR "/velkor-cli", {"new", "Hello.Prj", "Hello.Pas"});
    QVERIFY(cli.waitForFinished(120000) && cli.exitCode() == 0);
    window_ = std::make_unique<MainWindow>(
        ui_, MainWindowPlaces{KIT_BIN_DIR "/", scratch_.filePath("Velkor.ini"),
                              KIT_SOURCE_DIR "/docs", KIT_SOURCE_DIR "/README.md"});
    window_->Start(project_ + "Hello.Prj");
  }

  void mainWindow() {
    const QImage image = Shoot(*window_, "velkor-main.png");
    QVERIFY(window_->ProjectList()->count() > 5);
    QVERIFY(image.width() >= 400);
  }

  void dialogs() {
    velkor::Project project = window_->CurrentProject();
    ProjectOptionsDialog options(project.settings);
    QVERIFY(!Shoot(options, "velkor-options.png").isNull());
    LinkOrderDialog order(project);
    order.SourceList()->setCurrentRow(1);
    QVERIFY(!Shoot(order, "velkor-link-order.png").isNull());
    RemoveDialog remove(project, nullptr);
    remove.List()->setCurrentRow(1);
    QVERIFY(!Shoot(remove, "velkor-remove.png").isNull());
  }

  void messagesAfterBuild() {
    QVERIFY(window_->CompileAll());
    QVERIFY(window_->Link());
    MessageWindow* messages = window_->MessageView();
    Shoot(*messages, "velkor-messages.png");
    QVERIFY(messages->ShownLines().size() > kMessageLinesInView);
  }

  void messagesAfterError() {
    QFile source(project_ + "Hello.Pas");
    QVERIFY(source.open(QIODevice::ReadOnly));
    QByteArray text = source.readAll();
    source.close();
    text.replace("BEGIN", "BEGIN\r\n  X := 1;");
    QVERIFY(source.open(QIODevice::WriteOnly | QIODevice::Truncate));
    source.write(text);
    source.close();
    QVERIFY(!window_->CompileFile(project_ + "Hello.Pas"));
    QCOMPARE(window_->MessageView()->ShownLines().back(), QString("Undefined identifier"));
    QCOMPARE(window_->Editor()->ActiveFile(), project_ + "Hello.Pas");
    Shoot(*window_->MessageView(), "velkor-messages-error.png");
    window_->Editor()->resize(760, 520);
    Shoot(*window_->Editor(), "velkor-editor-error.png");
  }

  void help() {
    window_->Help()->Search("link order");
    QVERIFY(window_->Help()->Contents()->count() >= 1);
    Shoot(*window_->Help(), "velkor-help.png");
  }

  void cleanupTestCase() {
    window_->Editor()->EditorOf(project_ + "Hello.Pas")->setModified(false);
    questions_.QueueAnswer(platform::Answer::kNo);
    window_->close();
    window_.reset();
  }
};

QTEST_MAIN(MainScreenshots)
#include "main_screenshots_test.moc"
