#pragma once
// "Board": the board model of the [Board] section, edited. Clock and wait
// states count with the board off too; the ROM and the console channel only
// mean something with it on, so they are greyed out while it is off.
//
//   BoardDialog dialog(session.board, this);
//   if (dialog.exec() == QDialog::Accepted) session.UseBoard(dialog.Settings());

#include <QDialog>

#include "simulator/session/settings.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;

namespace kavrin::ui {

class BoardDialog : public QDialog {
  Q_OBJECT
public:
  explicit BoardDialog(const BoardSettings& settings, QWidget* parent = nullptr);

  BoardSettings Settings() const;

  QCheckBox* Enabled() const { return enabled_; }
  QDoubleSpinBox* Clock() const { return clock_; }
  QSpinBox* MemoryWaitStates() const { return memoryWait_; }
  QSpinBox* IoWaitStates() const { return ioWait_; }
  QSpinBox* RomSize() const { return romSize_; }
  QComboBox* Console() const { return console_; }

private:
  void EnableBoardFields();

  QCheckBox* enabled_;
  QDoubleSpinBox* clock_;
  QSpinBox* memoryWait_;
  QSpinBox* ioWait_;
  QSpinBox* romSize_;
  QComboBox* console_;
};

} // namespace kavrin::ui
