#pragma once
// TDump, "Memory Dump": 16 rows of 8 bytes painted with colours by value and
// a cursor rectangle; it only reads memory.

#include <QWidget>

#include "simulator/session/memory_dump.h"
#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

namespace kavrin::ui {

class DumpPage;

class DumpWindow : public QWidget {
  Q_OBJECT
public:
  DumpWindow(Session& session, Dialogs& dialogs, QWidget* parent = nullptr);

  void Refresh();
  void GoToAddress();
  void GoTo(std::uint32_t address);
  void SetPhysical(bool physical);
  const MemoryDump& Model() const { return dump_; }
  QWidget* Page() const;

protected:
  void keyPressEvent(QKeyEvent* event) override;

private:
  void Do(void (MemoryDump::*move)());

  Session& session_;
  Dialogs& dialogs_;
  MemoryDump dump_;
  DumpPage* page_;
};

} // namespace kavrin::ui
