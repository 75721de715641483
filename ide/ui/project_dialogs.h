#pragma once
// The main window's three project dialogs. Each works on the project it is
// given and changes it only as its commands say.
//
//   ProjectOptionsDialog options(project.settings);
//   options.exec();  project.settings = options.Settings();  project.RefreshDescriptions();
//   LinkOrderDialog order(project);  order.exec();          // swaps as the user clicks
//   RemoveDialog remove(project, [&](const std::string& path) { editor.ClosePageOf(...); });

#include <QDialog>
#include <functional>
#include <string>

#include "common/project.h"

class QButtonGroup;
class QCheckBox;
class QListWidget;

namespace velkor::ui {

// "Project Options": target, CPU and the build switches.
class ProjectOptionsDialog : public QDialog {
  Q_OBJECT
public:
  explicit ProjectOptionsDialog(const ProjectSettings& settings, QWidget* parent = nullptr);
  // The given settings with the dialog's choices.
  ProjectSettings Settings() const;

private:
  ProjectSettings settings_;
  QButtonGroup* target_;
  QButtonGroup* cpu_;
  QCheckBox* includePas_;
  QCheckBox* writeSym_;
  QCheckBox* pasInSym_;
};

// "Change link order": a click in "Swap position with" swaps that entry with
// the one selected in "Source file", in both lists and in the project.
class LinkOrderDialog : public QDialog {
  Q_OBJECT
public:
  explicit LinkOrderDialog(Project& project, QWidget* parent = nullptr);
  QListWidget* SourceList() const { return sources_; }
  QListWidget* SwapList() const { return swapWith_; }

private:
  void Swap(int with);
  void Fill();

  Project& project_;
  QListWidget* sources_;
  QListWidget* swapWith_;
};

// "Remove from Project": "&Remove" takes the selected entry out of the
// project and has its editor page closed (given the entry's full path).
class RemoveDialog : public QDialog {
  Q_OBJECT
public:
  RemoveDialog(Project& project, std::function<void(const std::string& path)> closePage,
               QWidget* parent = nullptr);
  QListWidget* List() const { return list_; }

private:
  void RemoveSelected();

  Project& project_;
  std::function<void(const std::string&)> closePage_;
  QListWidget* list_;
};

} // namespace velkor::ui
