#include "simulator/ui/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

#include "platform/text.h"
#include "simulator/ui/breakpoint_window.h"
#include "simulator/ui/disassembler_window.h"
#include "simulator/ui/dump_window.h"
#include "simulator/ui/flag_box.h"
#include "simulator/ui/io_page_window.h"
#include "simulator/ui/look.h"
#include "simulator/ui/terminal_window.h"

namespace kavrin::ui {
namespace {

// Between two chunks the window handles its events at most this often, so
// a free run keeps nearly all of the core's speed.
constexpr int kPumpIntervalMs = 20;
// Characters of an execution-point line the list shows without cutting.
constexpr int kExecutionLineWidth = 52;
// Digits a count field shows without cutting: an hour at 1000 MHz.
constexpr int kCountWidth = 13;
constexpr const char* kCpmEnded =
    "The CP/M program has ended: Reset CPU starts it again, or load another";

class ClickLabel : public QLabel {
public:
  using QLabel::QLabel;
  std::function<void()> onClick;

protected:
  void mousePressEvent(QMouseEvent*) override {
    if (onClick) onClick();
  }
};

struct RegisterCell {
  const char* caption;
  RegisterField edits; // H and L edit HL, and so on
  std::string (*text)(const CpuState&);
};

std::string B(std::uint8_t v) {
  return platform::Hex(v, 2);
}
std::string W(std::uint16_t v) {
  return platform::Hex(v, 4);
}

// The register fields in display order, four to a row.
const RegisterCell kRegisterCells[] = {
    {"A", RegisterField::A, [](const CpuState& c) { return B(c.A); }},
    {"B", RegisterField::BC, [](const CpuState& c) { return B(c.B); }},
    {"C", RegisterField::BC, [](const CpuState& c) { return B(c.C); }},
    {"I", RegisterField::I, [](const CpuState& c) { return B(c.I); }},
    {"D", RegisterField::DE, [](const CpuState& c) { return B(c.D); }},
    {"E", RegisterField::DE, [](const CpuState& c) { return B(c.E); }},
    {"H", RegisterField::HL, [](const CpuState& c) { return B(c.H); }},
    {"L", RegisterField::HL, [](const CpuState& c) { return B(c.L); }},
    {"A'", RegisterField::AltA, [](const CpuState& c) { return B(c.AltA); }},
    {"B'", RegisterField::AltBC, [](const CpuState& c) { return B(c.AltBC >> 8); }},
    {"C'", RegisterField::AltBC, [](const CpuState& c) { return B(c.AltBC & 0xFF); }},
    {"", RegisterField::A, nullptr},
    {"D'", RegisterField::AltDE, [](const CpuState& c) { return B(c.AltDE >> 8); }},
    {"E'", RegisterField::AltDE, [](const CpuState& c) { return B(c.AltDE & 0xFF); }},
    {"H'", RegisterField::AltHL, [](const CpuState& c) { return B(c.AltHL >> 8); }},
    {"L'", RegisterField::AltHL, [](const CpuState& c) { return B(c.AltHL & 0xFF); }},
    {"IX", RegisterField::IX, [](const CpuState& c) { return W(c.IX); }},
    {"IY", RegisterField::IY, [](const CpuState& c) { return W(c.IY); }},
    {"SP", RegisterField::SP, [](const CpuState& c) { return W(c.SP); }},
    {"PC", RegisterField::PC, [](const CpuState& c) { return W(c.PC); }},
};
constexpr int kRegisterColumns = 4;

// The rows of the counts box: since reset and on the stopwatch.
struct CountRow {
  const char* caption;
  std::string (*text)(const RunCounts&, double clockMhz);
};
const CountRow kCountRows[] = {
    {"Instructions", [](const RunCounts& c, double) { return std::to_string(c.instructions); }},
    {"T-states", [](const RunCounts& c, double) { return std::to_string(c.tStates); }},
    {"Time", [](const RunCounts& c, double mhz) { return SimulatedTime(c.tStates, mhz); }},
};

QLabel* ValueLabel(QWidget* parent, int characters) {
  auto* label = new ClickLabel(parent);
  label->setFont(FixedFont());
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setAutoFillBackground(true);
  label->setBackgroundRole(QPalette::Base);
  label->setAlignment(Qt::AlignCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QString(characters + 2, '0')));
  return label;
}

} // namespace

MainWindow::MainWindow(Session& session, Dialogs& dialogs, QString settingsPath, QWidget* parent)
    : QMainWindow(parent), session_(session), dialogs_(dialogs),
      settingsPath_(std::move(settingsPath)),
      cpmConsole_(
          session.terminal, [this] { WaitForKey(); }, [this] { return stopPressed_; }),
      disassembler_(new DisassemblerWindow(session, dialogs, this)),
      dump_(new DumpWindow(session, dialogs, this)),
      breakpoints_(new BreakpointWindow(session, dialogs, this)),
      terminal_(new TerminalWindow(session, dialogs, this)),
      ioPage_(new IoPageWindow(session, dialogs, this)) {
  setWindowTitle(QStringLiteral("Kavrin"));
  BuildMenus();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->addWidget(BuildButtons());
  auto* lower = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildRegisters());
  left->addWidget(BuildCounts());
  lower->addLayout(left);
  executionList_ = new QListWidget(central);
  FitRows(executionList_, kExecutionListLines, kExecutionLineWidth);
  executionList_->setFocusPolicy(Qt::NoFocus);
  executionList_->setSelectionMode(QAbstractItemView::NoSelection);
  executionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  executionList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  lower->addWidget(executionList_, 1);
  layout->addLayout(lower, 1);
  setCentralWidget(central);

  SetRunning(false);
  executionPoint_.Rebuild(session_.machine(), session_.symbols);
  RefreshDisplays();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildMenus() {
  fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
  loadAction_ =
      fileMenu_->addAction(QStringLiteral("&Load at 0000H"), this, &MainWindow::LoadAtZero);
  runActions_.push_back(loadAction_);
  runActions_.push_back(
      fileMenu_->addAction(QStringLiteral("Load &at ..."), this, &MainWindow::LoadAtAddress));
  cpmAction_ = fileMenu_->addAction(QStringLiteral("&CP/M mode"));
  cpmAction_->setCheckable(true);
  connect(cpmAction_, &QAction::triggered, this, [this](bool on) {
    OpenSettings();
    SetCpmMode(on);
  });
  runActions_.push_back(cpmAction_);
  fileMenu_->addSeparator();

  QMenu* simulator = menuBar()->addMenu(QStringLiteral("&Simulator"));
  simulatorMenu_ = simulator;
  struct Item {
    const char* text;
    void (MainWindow::*command)();
  };
  const Item runItems[] = {
      {"&Run", &MainWindow::Run},
      {"&Step one", &MainWindow::StepOne},
      {"&Multi-Step", &MainWindow::MultiStep},
      {"&Goto", &MainWindow::Goto},
      {"Step &Over", &MainWindow::StepOver},
  };
  for (const Item& item : runItems)
    runActions_.push_back(simulator->addAction(QString::fromLatin1(item.text), this, item.command));
  stopAction_ = simulator->addAction(QStringLiteral("S&top"), this, &MainWindow::Stop);
  simulator->addSeparator();
  simulator->addAction(QStringLiteral("&Zero stopwatch"), this, &MainWindow::ZeroStopwatch);
  runActions_.push_back(
      simulator->addAction(QStringLiteral("&Board..."), this, &MainWindow::EditBoard));

  QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
  tools->addAction(QStringLiteral("&Dissassembler"), this, [this] { ShowTool(disassembler_); });
  tools->addAction(QStringLiteral("&Memory Dump"), this, [this] { ShowTool(dump_); });
  tools->addAction(QStringLiteral("&Terminal"), this, [this] { ShowTool(terminal_); });
  tools->addAction(QStringLiteral("I/O ports"), this, [this] { ShowTool(ioPage_); });
  menuBar()->addAction(QStringLiteral("&Breakpoints"), this, [this] { ShowTool(breakpoints_); });
}

QWidget* MainWindow::BuildButtons() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  auto group = [&](const char* heading) {
    auto* box = new QGroupBox(QString::fromLatin1(heading), bar);
    auto* inner = new QHBoxLayout(box);
    inner->setContentsMargins(6, 2, 6, 6);
    row->addWidget(box);
    return inner;
  };
  auto button = [&](QBoxLayout* into, const char* text, auto command, bool runControl = true) {
    auto* b = new QPushButton(QString::fromLatin1(text), bar);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this, command);
    into->addWidget(b);
    if (runControl) runControls_.push_back(b);
    return b;
  };

  QHBoxLayout* step = group("Step/Step over");
  button(step, "Step", &MainWindow::StepOne);
  button(step, "Step Over", &MainWindow::StepOver);
  QHBoxLayout* multi = group("Multi-Step");
  button(multi, "Multi-Step", &MainWindow::MultiStep);
  multiStepCount_ = new QSpinBox(bar);
  multiStepCount_->setRange(1, kMaxMultiStep);
  multiStepCount_->setValue(kDefaultMultiStep);
  multi->addWidget(multiStepCount_);
  runControls_.push_back(multiStepCount_);
  QHBoxLayout* run = group("Run/Stop");
  button(run, "Run", &MainWindow::Run);
  stopButton_ = button(run, "Stop", &MainWindow::Stop, false);
  indicator_ = new QLabel(bar);
  indicator_->setFixedSize(18, 18);
  indicator_->setAutoFillBackground(true);
  indicator_->setFrameShape(QFrame::Box);
  indicator_->setToolTip(QStringLiteral("Green: idle, red: running"));
  run->addWidget(indicator_);
  QHBoxLayout* go = group("Goto/Breakpoints");
  button(go, "Goto", &MainWindow::Goto);
  button(
      go, "Breakpoints", [this] { ShowTool(breakpoints_); }, false);
  QHBoxLayout* tools = group("Tools");
  button(
      tools, "Dissassembler", [this] { ShowTool(disassembler_); }, false);
  button(
      tools, "Dump", [this] { ShowTool(dump_); }, false);
  button(
      tools, "Terminal", [this] { ShowTool(terminal_); }, false);
  auto* rest = new QVBoxLayout;
  button(rest, "Reset CPU", &MainWindow::ResetCpu);
  button(
      rest, "I/O", [this] { ShowTool(ioPage_); }, false);
  row->addLayout(rest);
  row->addStretch(1);
  return bar;
}

QWidget* MainWindow::BuildRegisters() {
  auto* box = new QGroupBox(QStringLiteral("Registers"), this);
  auto* grid = new QGridLayout(box);
  int index = 0;
  for (const RegisterCell& cell : kRegisterCells) {
    const int row = index / kRegisterColumns, column = 2 * (index % kRegisterColumns);
    ++index;
    if (!cell.text) continue;
    auto* caption = new QLabel(QString::fromLatin1(cell.caption), box);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(caption, row, column);
    auto* value = static_cast<ClickLabel*>(ValueLabel(box, 4));
    const RegisterField field = cell.edits;
    value->onClick = [this, field] { EditRegister(field); };
    grid->addWidget(value, row, column + 1);
    registerLabels_.emplace(field, value); // the first of a pair's labels stands for it
    auto text = cell.text;
    registerTexts_.emplace_back(value, [this, text] { return text(session_.machine().Cpu); });
    runControls_.push_back(value);
  }
  int row = (index + kRegisterColumns - 1) / kRegisterColumns;
  auto flagRow = [&](const char* caption, bool alternate) {
    grid->addWidget(new QLabel(QString::fromLatin1(caption), box), row, 0, 1, 3,
                    Qt::AlignRight | Qt::AlignVCenter);
    auto* field = new FlagBox(box);
    field->onClick = [this, alternate](int x) {
      if (running_) return;
      CpuState& c = session_.machine().Cpu;
      if (alternate)
        ToggleFlagAt(c.AltF, c.AltSubtractFlag, x);
      else
        ToggleFlagAt(c.F, c.SubtractFlag, x);
      RefreshDisplays();
    };
    grid->addWidget(field, row, 3, 1, 3, Qt::AlignLeft);
    ++row;
    return field;
  };
  flags_ = flagRow("S Z P N C", false);
  altFlags_ = flagRow("S Z P N C '", true);
  auto areaRow = [&](const char* caption) {
    grid->addWidget(new QLabel(QString::fromLatin1(caption), box), row, 0, 1, 3,
                    Qt::AlignRight | Qt::AlignVCenter);
    QLabel* value = ValueLabel(box, 12);
    value->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(value, row, 3, 1, 5);
    ++row;
    return value;
  };
  bankLabel_ = areaRow("Bank");
  commonLabel_ = areaRow("Common");
  grid->setRowStretch(row, 1);
  return box;
}

QWidget* MainWindow::BuildCounts() {
  countsBox_ = new QGroupBox(this);
  auto* grid = new QGridLayout(countsBox_);
  int column = 1;
  for (const char* heading : {"Since reset", "Stopwatch"})
    grid->addWidget(new QLabel(QString::fromLatin1(heading), countsBox_), 0, column++,
                    Qt::AlignCenter);
  int row = 1;
  for (const CountRow& count : kCountRows) {
    grid->addWidget(new QLabel(QString::fromLatin1(count.caption), countsBox_), row, 0,
                    Qt::AlignRight | Qt::AlignVCenter);
    std::array<QLabel*, 2> labels{};
    for (int i = 0; i < 2; ++i) {
      labels[static_cast<std::size_t>(i)] = ValueLabel(countsBox_, kCountWidth);
      labels[static_cast<std::size_t>(i)]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      grid->addWidget(labels[static_cast<std::size_t>(i)], row, 1 + i);
    }
    countLabels_.push_back(labels);
    ++row;
  }
  auto* zero = new QPushButton(QStringLiteral("Zero stopwatch"), countsBox_);
  zero->setFocusPolicy(Qt::NoFocus);
  connect(zero, &QPushButton::clicked, this, &MainWindow::ZeroStopwatch);
  grid->addWidget(zero, row, 2);
  return countsBox_;
}

QPushButton* MainWindow::Button(const QString& text) const {
  for (QPushButton* b : findChildren<QPushButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

void MainWindow::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) OpenSettings();
}

void MainWindow::OpenSettings() {
  if (settingsRead_) return;
  settingsRead_ = true;
  session_.OpenSettings(settingsPath_.toStdString());
  SetCpmMode(session_.cpmMode);
  RebuildHistoryMenu();
  RefreshDisplays();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  Stop();
  std::string error;
  if (settingsRead_ && !session_.SaveSettings(error))
    dialogs_.ShowMessage(QString::fromStdString(error));
  for (QWidget* tool :
       std::initializer_list<QWidget*>{disassembler_, dump_, breakpoints_, terminal_, ioPage_})
    tool->close();
  event->accept();
}

void MainWindow::RebuildHistoryMenu() {
  for (QAction* action : historyActions_) {
    fileMenu_->removeAction(action);
    std::erase(runActions_, action);
    action->deleteLater();
  }
  historyActions_.clear();
  const std::vector<std::string> captions = session_.history.MenuCaptions();
  for (std::size_t i = 0; i < captions.size(); ++i) {
    QAction* action = fileMenu_->addAction(QString::fromStdString(captions[i]), this,
                                           [this, i] { LoadHistoryItem(static_cast<int>(i)); });
    historyActions_.push_back(action);
    runActions_.push_back(action);
  }
}

void MainWindow::LoadFile(const QString& path) {
  OpenSettings();
  std::string symbolMessage;
  const LoadResult result = session_.LoadAndReset(
      path.toStdString(), session_.cpmMode ? kCpmProgramStart : 0, true, &symbolMessage);
  if (result.ok && session_.cpmMode) StartCpm(path.toStdString(), result.fileSize);
  AfterLoad(result, symbolMessage);
}

void MainWindow::LoadAtZero() {
  if (const auto path = dialogs_.AskFile(QStringLiteral("Select file to load"))) LoadFile(*path);
}

void MainWindow::LoadAtAddress() {
  const auto address = AskAddress(dialogs_, session_.symbols);
  if (!address) return;
  const auto path = dialogs_.AskFile(QStringLiteral("Select file to load"));
  if (!path) return;
  OpenSettings();
  AfterLoad(session_.LoadAt(path->toStdString(), *address & kPhysicalMask), {});
}

void MainWindow::LoadHistoryItem(int index) {
  std::string symbolMessage;
  const LoadResult result = session_.LoadHistoryItem(index, &symbolMessage);
  if (result.ok && session_.cpmMode)
    StartCpm(session_.history.Entries()[static_cast<std::size_t>(index)].path, result.fileSize);
  AfterLoad(result, symbolMessage);
}

// The program's folder is its drive A.
void MainWindow::StartCpm(const std::string& path, std::uintmax_t size) {
  cpmPath_ = path;
  cpmSize_ = size;
  cpm_.reset();
  const std::string folder = std::filesystem::path(path).parent_path().string();
  auto cpm = std::make_unique<CpmSystem>(session_.machine(), cpmConsole_,
                                         folder.empty() ? std::string(".") : folder);
  if (const std::string error = cpm->Start(size, {}); !error.empty()) {
    dialogs_.ShowMessage(QFileInfo(QString::fromStdString(path)).fileName() + ": " +
                         QString::fromStdString(error));
    return;
  }
  cpm_ = std::move(cpm);
  ShowTool(terminal_);
}

void MainWindow::SetCpmMode(bool on) {
  session_.cpmMode = on;
  cpmAction_->setChecked(on);
  loadAction_->setText(on ? QStringLiteral("&Load CP/M program")
                          : QStringLiteral("&Load at 0000H"));
  if (!on) cpm_.reset();
}

void MainWindow::AfterLoad(const LoadResult& result, const std::string& symbolMessage) {
  for (const std::string& message : {result.message, symbolMessage})
    if (!message.empty()) dialogs_.ShowMessage(QString::fromStdString(message));
  if (!result.ok) return;
  RebuildHistoryMenu();
  executionPoint_.Rebuild(session_.machine(), session_.symbols);
  RefreshDisplays();
}

void MainWindow::PumpEvents() {
  if (sinceEvents_.isValid() && sinceEvents_.elapsed() < kPumpIntervalMs) return;
  QApplication::processEvents();
  // The devices the program talks to show its progress during the run.
  terminal_->Refresh();
  ioPage_->Refresh();
  RefreshCounts();
  sinceEvents_.start();
}

void MainWindow::SetRunning(bool running) {
  running_ = running;
  for (QWidget* w : runControls_)
    w->setEnabled(!running);
  for (QAction* a : runActions_)
    a->setEnabled(!running);
  stopButton_->setEnabled(running);
  stopAction_->setEnabled(running);
  QPalette palette = indicator_->palette();
  palette.setColor(QPalette::Window, running ? Qt::red : Qt::green);
  indicator_->setPalette(palette);
}

// In CP/M mode a run that stops at a BDOS or BIOS trap has the call answered
// by the same code as kavrin-cli's CP/M runs (CpmSystem::AfterRun), then goes
// on unless the command was a step.
void MainWindow::Execute(const std::function<RunOutcome(const Pump&)>& mode, AfterCall afterCall) {
  if (running_) return;
  if (cpm_ && cpm_->Ended()) {
    dialogs_.ShowMessage(QString::fromLatin1(kCpmEnded));
    return;
  }
  SetRunning(true);
  stopPressed_ = false;
  sinceEvents_.invalidate();
  const Pump pump = [this] { PumpEvents(); };
  RunOutcome outcome = mode(pump);
  std::string message = outcome.message;
  while (cpm_) {
    if (const auto end = cpm_->AfterRun(outcome.reason)) {
      message = CpmEndMessage(*end, outcome);
      break;
    }
    if (afterCall == AfterCall::Stop || stopPressed_) break;
    outcome = mode(pump);
  }
  SetRunning(false);
  executionPoint_.Update(session_.machine(), session_.symbols);
  RefreshDisplays();
  if (!message.empty()) dialogs_.ShowMessage(QString::fromStdString(message));
}

std::string MainWindow::CpmEndMessage(const CpmOutcome& end, const RunOutcome& run) const {
  switch (end.end) {
  case CpmEnd::Exit:
    return "The CP/M program ended with " + end.message;
  case CpmEnd::InputEnded:
  case CpmEnd::Error:
    return end.message;
  case CpmEnd::MachineStop:
    break;
  }
  return run.message; // a breakpoint's
}

// A CP/M program waits for a key: the user types it into the terminal.
void MainWindow::WaitForKey() {
  if (!terminal_->isVisible()) ShowTool(terminal_);
  terminal_->Refresh();
  RefreshCounts();
  QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void MainWindow::StepOne() {
  Execute([this](const Pump& pump) { return kavrin::StepOne(session_.machine(), pump); },
          AfterCall::Stop);
}

// A CP/M call on the way does not shorten the count.
void MainWindow::MultiStep() {
  const int count = multiStepCount_->value();
  const std::uint64_t start = session_.machine().InstructionCount();
  Execute(
      [this, count, start](const Pump& pump) {
        const auto done = static_cast<int>(session_.machine().InstructionCount() - start);
        if (done >= count) return RunOutcome{};
        return kavrin::MultiStep(session_.machine(), count - done, pump);
      },
      AfterCall::GoOn);
}

void MainWindow::Run() {
  const BreakpointList breakpoints = session_.breakpoints;
  Execute([this, breakpoints](
              const Pump& pump) { return RunToBreakpoints(session_.machine(), breakpoints, pump); },
          AfterCall::GoOn);
}

void MainWindow::Stop() {
  if (!running_) return;
  stopPressed_ = true;
  session_.machine().Stop();
}

void MainWindow::Goto() {
  const auto target = AskAddress(dialogs_, session_.symbols);
  if (!target) return;
  const auto address = static_cast<std::uint16_t>(*target);
  Execute(
      [this, address](const Pump& pump) { return GotoAddress(session_.machine(), address, pump); },
      AfterCall::GoOn);
}

// The return address is taken once: a CP/M call inside the subroutine must
// not make the run step over whatever follows it.
void MainWindow::StepOver() {
  std::uint16_t next = 0;
  if (!IsCallAt(session_.machine(), &next)) {
    StepOne();
    return;
  }
  Execute([this, next](const Pump& pump) { return GotoAddress(session_.machine(), next, pump); },
          AfterCall::GoOn);
}

// In CP/M mode the program starts again: page zero, the stack and PC 0100H.
void MainWindow::ResetCpu() {
  session_.ResetCpu();
  if (cpm_) StartCpm(cpmPath_, cpmSize_);
  executionPoint_.Rebuild(session_.machine(), session_.symbols);
  RefreshDisplays();
}

void MainWindow::ZeroStopwatch() {
  session_.stopwatch.Zero(session_.machine());
  RefreshCounts();
}

void MainWindow::EditBoard() {
  if (running_) return;
  OpenSettings();
  const auto settings = dialogs_.AskBoard(session_.board);
  if (!settings) return;
  session_.UseBoard(*settings);
  RefreshDisplays();
}

void MainWindow::RefreshCounts() {
  const Machine& machine = session_.machine();
  const double clockMhz = session_.board.clockKHz / 1000.0;
  countsBox_->setTitle(QStringLiteral("Counts at ") + QString::fromStdString(ClockText(clockMhz)));
  const RunCounts counts[] = {CountsOf(machine), session_.stopwatch.Since(machine)};
  for (std::size_t row = 0; row < std::size(kCountRows); ++row)
    for (std::size_t i = 0; i < 2; ++i)
      countLabels_[row][i]->setText(
          QString::fromStdString(kCountRows[row].text(counts[i], clockMhz)));
}

void MainWindow::EditRegister(RegisterField field) {
  if (running_) return;
  const auto text =
      dialogs_.AskAddressText(QString::fromStdString(RegisterEditText(session_.machine(), field)));
  if (!text) return;
  std::string message;
  if (!ApplyRegisterEdit(session_.machine(), field, text->toStdString(), session_.symbols,
                         &message)) {
    dialogs_.ShowMessage(QString::fromStdString(message));
    return;
  }
  executionPoint_.Update(session_.machine(), session_.symbols);
  RefreshDisplays();
}

void MainWindow::RefreshDisplays() {
  const Machine& machine = session_.machine();
  for (const auto& [label, text] : registerTexts_)
    label->setText(QString::fromStdString(text()));
  flags_->SetText(
      QString::fromStdString(kavrin::FlagField(machine.Cpu.F, machine.Cpu.SubtractFlag)));
  altFlags_->SetText(
      QString::fromStdString(kavrin::FlagField(machine.Cpu.AltF, machine.Cpu.AltSubtractFlag)));
  bankLabel_->setText(QString::fromStdString(BankField(machine)));
  commonLabel_->setText(QString::fromStdString(CommonField(machine)));
  RefreshCounts();
  executionList_->clear();
  for (const std::string& line : executionPoint_.Lines())
    executionList_->addItem(QString::fromStdString(line));
  disassembler_->Refresh();
  dump_->Refresh();
  terminal_->Refresh();
  ioPage_->Refresh();
}

void MainWindow::ShowTool(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
}

} // namespace kavrin::ui
