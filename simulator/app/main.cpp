// kavrin: the Z180 board simulator's windows. "kavrin IMAGE" loads the
// image at 0000H with its .SYM file, as "&Load at 0000H" does.

#include <QApplication>
#include <filesystem>

#include "platform/paths.h"
#include "simulator/session/run_session.h"
#include "simulator/session/settings.h"
#include "simulator/ui/dialogs.h"
#include "simulator/ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList arguments = QApplication::arguments();
  kavrin::Session session;
  kavrin::ui::WindowDialogs dialogs;
  // Beside the program, or under the user's configuration folder.
  const std::string settings = platform::SettingsFilePath(kavrin::kSettingsFileName);
  platform::MakeDirectories(std::filesystem::path(settings).parent_path().string());
  kavrin::ui::MainWindow window(session, dialogs, QString::fromStdString(settings));
  dialogs.SetParent(&window);
  window.show();
  if (arguments.size() > 1) window.LoadFile(arguments.at(1));
  return app.exec();
}
