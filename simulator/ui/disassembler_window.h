#pragma once
// TDissasm, "Dissassembler": 20 lines of code from a start address, moved
// by lines and pages, Virtual or Physical addresses.

#include <QWidget>

#include "simulator/session/disasm_view.h"
#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

class QListWidget;
class QRadioButton;

namespace kavrin::ui {

class DisassemblerWindow : public QWidget {
  Q_OBJECT
public:
  DisassemblerWindow(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

  // Memory may have changed: the list is made again from its start.
  void Refresh();
  void GoToAddress();
  void SetPhysical(bool physical);
  void LineUp();
  void LineDown();
  void PageUp();
  void PageDown();

  QListWidget* List() const { return list_; }
  const DisassemblyView& View() const { return view_; }

private:
  void Show();

  Session& session_;
  Dialogs& dialogs_;
  DisassemblyView view_;
  QListWidget* list_;
};

} // namespace kavrin::ui
