// velkor: the desktop program. `velkor PROJECT.Prj` opens that project;
// `velkor` alone opens the last one named in Velkor.ini.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "ide/core/project_file.h"
#include "ide/ui/main_window.h"
#include "ide/ui/qt_ui_host.h"
#include "platform/paths.h"

namespace {

// The help pages lie in docs/ beside the program's directory once
// installed, else in the source tree it was built from.
QString FindDocs(const QString& programDirectory) {
  const QStringList candidates = {programDirectory + "../share/velkor/docs",
                                  programDirectory + "docs",
                                  QStringLiteral(VELKOR_SOURCE_DIR "/docs")};
  for (const QString& candidate : candidates)
    if (QFileInfo(candidate).isDir()) return QDir(candidate).canonicalPath();
  return candidates.back();
}

} // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("velkor");
  const QStringList args = QApplication::arguments();
  if (args.size() > 2 || (args.size() == 2 && args[1].startsWith('-'))) {
    qWarning("usage: velkor [PROJECT.Prj]");
    return 2;
  }
  const QString programDirectory = QString::fromStdString(platform::ProgramDirectory());
  const QString docs = FindDocs(programDirectory);
  velkor::ui::QtUiHost ui;
  velkor::ui::MainWindow window(ui,
                                {programDirectory, QString::fromStdString(velkor::VelkorIniPath()),
                                 docs, QFileInfo(docs + "/../README.md").absoluteFilePath()});
  window.Start(args.size() == 2 ? QFileInfo(args[1]).absoluteFilePath() : QString());
  window.show();
  return QApplication::exec();
}
