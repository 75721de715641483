#pragma once
// What Velkor's window tests share: files written and read back, and a main
// window with a program directory of the test's own.

#include <Qsci/qsciscintilla.h>
#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "ide/ui/compile_progress_window.h"
#include "ide/ui/editor_window.h"
#include "ide/ui/help_window.h"
#include "ide/ui/main_window.h"
#include "ide/ui/message_window.h"
#include "ide/ui/qt_ui_host.h"

// Writes `text` to `path`, making its folders; the absolute path.
inline QString Write(const QString& path, const QByteArray& text) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
  file.write(text);
  return QFileInfo(path).absoluteFilePath();
}

inline QByteArray Read(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return file.readAll();
}

// The main window over `programDir` (its Lib/, and its Velkor.ini unless
// `ini` names another), started on `project`; its questions are answered
// from `questions`.
struct TestMainWindow {
  TestMainWindow(const QString& programDir, const QString& project, const QString& ini = {}) {
    window = std::make_unique<velkor::ui::MainWindow>(
        ui,
        velkor::ui::MainWindowPlaces{programDir, ini.isEmpty() ? programDir + "Velkor.ini" : ini,
                                     KIT_SOURCE_DIR "/docs", KIT_SOURCE_DIR "/README.md"});
    window->Start(project);
  }
  platform::HeadlessUiHost questions;
  velkor::ui::QtUiHost ui{&questions};
  std::unique_ptr<velkor::ui::MainWindow> window;
};
