// A build of the sieve example (every entry compiled or assembled, then
// linked) three ways: from the main window, through the same core in the
// process as velkor-cli runs it, and by starting velkor-cli itself. The
// window should cost no more than a fifth over the core.
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>

#include "ide/core/build_commands.h"
#include "ide/core/project_file.h"
#include "ide/ui/main_window.h"
#include "ide/ui/qt_ui_host.h"
#include "platform/paths.h"

namespace {

QApplication& Application() {
  static int argc = 1;
  static char name[] = "main_window_bench";
  static char* argv[] = {name, nullptr};
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // Never destroyed: a QApplication that outlives main() crashes in Qt's own
  // teardown once a window has been shown.
  static auto* app = new QApplication(argc, argv);
  return *app;
}

QString ProgramDirectory() {
  return QString::fromStdString(platform::ProgramDirectory());
}

// The sieve example made a project by velkor-cli, once per run.
const QString& SieveProject() {
  static QTemporaryDir dir;
  static const QString prj = [] {
    const QString work = dir.path() + "/";
    QFile::copy(VELKOR_SOURCE_DIR "/examples/sieve/Sieve.Pas", work + "Sieve.Pas");
    QProcess cli;
    cli.setWorkingDirectory(work);
    cli.start(ProgramDirectory() + "velkor-cli", {"new", "Sieve.Prj", "Sieve.Pas"});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) std::abort();
    return work + "Sieve.Prj";
  }();
  return prj;
}

void BM_BuildFromWindow(benchmark::State& state) {
  Application();
  platform::HeadlessUiHost questions;
  velkor::ui::QtUiHost ui(&questions);
  const QString scratch = QDir::tempPath() + "/main_window_bench.ini";
  velkor::ui::MainWindow window(ui, {ProgramDirectory(), scratch, QString(), QString()});
  window.Start(SieveProject());
  window.show();
  for (auto _ : state) {
    if (!window.CompileAll() || !window.Link()) state.SkipWithError("the build failed");
  }
  window.hide();
  QFile::remove(scratch);
}
BENCHMARK(BM_BuildFromWindow)->Unit(benchmark::kMillisecond);

void BM_BuildWithCore(benchmark::State& state) {
  velkor::Project project;
  std::string error;
  if (!velkor::ReadProjectFile(SieveProject().toStdString(), project, error)) std::abort();
  for (auto _ : state) {
    velkor::MessageList messages;
    platform::HeadlessUiHost ui;
    velkor::BuildSession session{project, messages, ui, platform::ProgramDirectory()};
    if (!session.Build()) state.SkipWithError("the build failed");
  }
}
BENCHMARK(BM_BuildWithCore)->Unit(benchmark::kMillisecond);

void BM_BuildWithCliProgram(benchmark::State& state) {
  for (auto _ : state) {
    QProcess cli;
    cli.start(ProgramDirectory() + "velkor-cli", {"build", SieveProject()});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) state.SkipWithError("the build failed");
  }
}
BENCHMARK(BM_BuildWithCliProgram)->Unit(benchmark::kMillisecond);

} // namespace
