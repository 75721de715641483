#pragma once
// TBreakPoints, "Break Point editor": up to four lines; the session's user
// breakpoints are rebuilt from them after every change.

#include <QWidget>

#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

class QListWidget;

namespace kavrin::ui {

class BreakpointWindow : public QWidget {
  Q_OBJECT
public:
  BreakpointWindow(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

  void Add();
  void Remove();
  QListWidget* List() const { return list_; }

private:
  void Rebuild();

  Session& session_;
  Dialogs& dialogs_;
  QListWidget* list_;
};

} // namespace kavrin::ui
