#pragma once
// TForm1, Kavrin's main window: loading, the registers and the execution
// point, the counts and the stopwatch, the run commands, the board settings
// and the tool windows. Runs go through the core's run modes (run_control.h);
// the window only pumps its events between chunks and refreshes its displays
// when a run ends. In CP/M mode a load starts the program at 0100H under the
// session's CP/M, which answers each BDOS or BIOS call a run stops at.
//
//   kavrin::Session session;
//   kavrin::ui::WindowDialogs dialogs;
//   kavrin::ui::MainWindow window(session, dialogs, "/opt/kavrin/Kavrin.ini");
//   window.show();
//   window.LoadFile("Hello.ROM");

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "simulator/core/run_control.h"
#include "simulator/session/cpm_system.h"
#include "simulator/session/cpm_terminal.h"
#include "simulator/session/run_display.h"
#include "simulator/session/run_registers.h"
#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"

class QAction;
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QSpinBox;

namespace kavrin::ui {

class BreakpointWindow;
class DisassemblerWindow;
class DumpWindow;
class FlagBox;
class IoPageWindow;
class TerminalWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
public:
  MainWindow(Session& session, Dialogs& dialogs, QString settingsPath, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Reads Kavrin.ini once: at the first activation, or before a load that comes first.
  void OpenSettings();
  // "&Load at 0000H" with a file already chosen (the command line's image).
  void LoadFile(const QString& path);

  // The commands of the menus and buttons.
  void LoadAtZero();
  void LoadAtAddress();
  void LoadHistoryItem(int index);
  void StepOne();
  void MultiStep();
  void Run();
  void Stop();
  void Goto();
  void StepOver();
  void ResetCpu();
  void ZeroStopwatch();
  void EditBoard();
  void SetCpmMode(bool on);
  void EditRegister(RegisterField field);
  void RefreshDisplays();

  bool Running() const { return running_; }
  QListWidget* ExecutionList() const { return executionList_; }
  QLabel* RunIndicator() const { return indicator_; }
  QSpinBox* MultiStepCount() const { return multiStepCount_; }
  QLabel* RegisterLabel(RegisterField field) const { return registerLabels_.at(field); }
  FlagBox* Flags() const { return flags_; }
  QLabel* BankLabel() const { return bankLabel_; }
  // Since reset and since the stopwatch was zeroed: instructions, T-states, time.
  QLabel* CountLabel(std::size_t row, bool stopwatch) const {
    return countLabels_.at(row).at(stopwatch ? 1 : 0);
  }
  QMenu* FileMenu() const { return fileMenu_; }
  QMenu* SimulatorMenu() const { return simulatorMenu_; }
  // Null unless a CP/M program was loaded in CP/M mode.
  const CpmSystem* Cpm() const { return cpm_.get(); }
  QPushButton* Button(const QString& text) const;

  DisassemblerWindow* Disassembler() const { return disassembler_; }
  DumpWindow* Dump() const { return dump_; }
  BreakpointWindow* BreakpointEditor() const { return breakpoints_; }
  TerminalWindow* TerminalTool() const { return terminal_; }
  IoPageWindow* IoPage() const { return ioPage_; }

protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

private:
  // What a run command does after a CP/M call answered on its way.
  enum class AfterCall { Stop, GoOn };

  QWidget* BuildButtons();
  QWidget* BuildRegisters();
  QWidget* BuildCounts();
  void BuildMenus();
  void RebuildHistoryMenu();
  void Execute(const std::function<RunOutcome(const Pump&)>& mode, AfterCall afterCall);
  std::string CpmEndMessage(const CpmOutcome& end, const RunOutcome& run) const;
  void StartCpm(const std::string& path, std::uintmax_t size);
  void RefreshCounts();
  void WaitForKey();
  void PumpEvents();
  void SetRunning(bool running);
  void AfterLoad(const LoadResult& result, const std::string& symbolMessage);
  void ShowTool(QWidget* window);

  Session& session_;
  Dialogs& dialogs_;
  QString settingsPath_;
  bool settingsRead_ = false;
  bool running_ = false;
  bool stopPressed_ = false; // during a run
  QElapsedTimer sinceEvents_;
  ExecutionPointList executionPoint_;

  QMenu* fileMenu_ = nullptr;
  QMenu* simulatorMenu_ = nullptr;
  QAction* loadAction_ = nullptr;
  QAction* cpmAction_ = nullptr;
  std::vector<QAction*> historyActions_;
  std::vector<QWidget*> runControls_; // disabled while a run goes on
  std::vector<QAction*> runActions_;
  QAction* stopAction_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  QLabel* indicator_ = nullptr;
  QSpinBox* multiStepCount_ = nullptr;
  QListWidget* executionList_ = nullptr;
  std::map<RegisterField, QLabel*> registerLabels_;
  std::vector<std::pair<QLabel*, std::function<std::string()>>> registerTexts_;
  FlagBox* flags_ = nullptr;
  FlagBox* altFlags_ = nullptr;
  QLabel* bankLabel_ = nullptr;
  QLabel* commonLabel_ = nullptr;
  std::vector<std::array<QLabel*, 2>> countLabels_;
  QGroupBox* countsBox_ = nullptr;

  TerminalCpmConsole cpmConsole_;
  std::unique_ptr<CpmSystem> cpm_;
  std::string cpmPath_; // the program cpm_ runs
  std::uintmax_t cpmSize_ = 0;

  DisassemblerWindow* disassembler_;
  DumpWindow* dump_;
  BreakpointWindow* breakpoints_;
  TerminalWindow* terminal_;
  IoPageWindow* ioPage_;
};

} // namespace kavrin::ui
