#pragma once
// TTerminal, "Terminal Emulator": the 14 x 40 screen of the terminal port;
// keys typed into it go to the receive buffer.

#include <QWidget>

#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

class QLabel;

namespace kavrin::ui {

class TerminalScreen;

class TerminalWindow : public QWidget {
  Q_OBJECT
public:
  TerminalWindow(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

  void Refresh();
  void Clear();
  void Setup();
  QWidget* Screen() const;
  QLabel* PortsLabel() const { return ports_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  Session& session_;
  Dialogs& dialogs_;
  TerminalScreen* screen_;
  QLabel* ports_;
};

} // namespace kavrin::ui
