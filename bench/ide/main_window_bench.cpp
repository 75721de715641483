// A build of the sieve example and of a 3,000-line program (every entry
// compiled or assembled, then linked) three ways: from the main window, through the same core in
// the process as velkor-cli runs it, and by starting velkor-cli itself. The window should cost no
// more than a fifth over the core. Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says
// otherwise.

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

// A firmware-sized program: 250 routines of loops, arithmetic and strings.
QByteArray LargeProgram() {
  QByteArray text = "PROGRAM Large;\nVAR Total: LONGINT;\n";
  for (int i = 1; i <= 250; ++i) {
    text += QByteArray("PROCEDURE Step") + QByteArray::number(i) +
            "(N: WORD);\nVAR I, J: WORD; S: STRING[20];\nBEGIN\n  J := 0;\n"
            "  FOR I := 1 TO N DO BEGIN\n    J := J + I * " +
            QByteArray::number(i) +
            ";\n    IF J > 1000 THEN J := J - 1000;\n  END;\n"
            "  S := 'step';\n  Total := Total + J + LENGTH(S);\nEND;\n\n";
  }
  text += "BEGIN\n  Total := 0;\n";
  for (int i = 1; i <= 250; ++i)
    text += "  Step" + QByteArray::number(i) + "(10);\n";
  return text + "END.\n";
}

// Argument 0: the sieve example; 1: the large program. Each made a project
// by velkor-cli once per run.
QString Project(int which) {
  static QTemporaryDir dir;
  static QString made[2];
  if (made[which].isEmpty()) {
    const QString work = dir.path() + (which ? "/large/" : "/sieve/");
    QDir().mkpath(work);
    const QString name = which ? "Large" : "Sieve";
    if (which) {
      QFile file(work + "Large.Pas");
      if (!file.open(QIODevice::WriteOnly)) std::abort();
      file.write(LargeProgram());
    } else {
      QFile::copy(VELKOR_SOURCE_DIR "/examples/sieve/Sieve.Pas", work + "Sieve.Pas");
    }
    QProcess cli;
    cli.setWorkingDirectory(work);
    cli.start(ProgramDirectory() + "velkor-cli", {"new", name + ".Prj", name + ".Pas"});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) std::abort();
    made[which] = work + name + ".Prj";
  }
  return made[which];
}

void BM_BuildFromWindow(benchmark::State& state) {
  Application();
  platform::HeadlessUiHost questions;
  velkor::ui::QtUiHost ui(&questions);
  const QString scratch = QDir::tempPath() + "/main_window_bench.ini";
  velkor::ui::MainWindow window(ui, {ProgramDirectory(), scratch, QString(), QString()});
  window.Start(Project(static_cast<int>(state.range(0))));
  window.show();
  for (auto _ : state) {
    if (!window.CompileAll() || !window.Link()) state.SkipWithError("the build failed");
  }
  window.hide();
  QFile::remove(scratch);
}
BENCHMARK(BM_BuildFromWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BuildWithCore(benchmark::State& state) {
  velkor::Project project;
  std::string error;
  if (!velkor::ReadProjectFile(Project(static_cast<int>(state.range(0))).toStdString(), project,
                               error))
    std::abort();
  for (auto _ : state) {
    velkor::MessageList messages;
    platform::HeadlessUiHost ui;
    velkor::BuildSession session{project, messages, ui, platform::ProgramDirectory()};
    if (!session.Build()) state.SkipWithError("the build failed");
  }
}
BENCHMARK(BM_BuildWithCore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BuildWithCliProgram(benchmark::State& state) {
  for (auto _ : state) {
    QProcess cli;
    cli.start(ProgramDirectory() + "velkor-cli",
              {"build", Project(static_cast<int>(state.range(0)))});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0) state.SkipWithError("the build failed");
  }
}
BENCHMARK(BM_BuildWithCliProgram)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
