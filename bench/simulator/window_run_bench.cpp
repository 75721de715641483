// A free run in the main window against the same run as kavrin-cli drives
// it: the window must keep at least 80% of the command line's instructions
// per second. Both runs last kRunMs and end through Stop(), as a user's.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>

#include "simulator/session/run_session.h"
#include "simulator/ui/dialogs.h"
#include "simulator/ui/main_window.h"

namespace {

constexpr int kRunMs = 300;

// Loads, ALU, a call and a terminal write in an endless loop.
constexpr std::array<std::uint8_t, 0x1A> kProgram = {
    0x31, 0x00, 0xF0, // 0000 LD SP,0F000H
    0x21, 0x00, 0x90, // 0003 loop: LD HL,9000H
    0x06, 0x10,       // 0006 LD B,16
    0x7E,             // 0008 inner: LD A,(HL)
    0x80,             // 0009 ADD A,B
    0x77,             // 000A LD (HL),A
    0x23,             // 000B INC HL
    0xCD, 0x17, 0x00, // 000C CALL sub
    0x10, 0xF7,       // 000F DJNZ inner
    0xD3, 0x80,       // 0011 OUT (80H),A
    0xC3, 0x03, 0x00, // 0013 JP loop
    0x00,             // 0016
    0x07,             // 0017 sub: RLCA
    0x0C,             // 0018 INC C
    0xC9,             // 0019 RET
};

void Load(kavrin::Session& session) {
  std::copy(kProgram.begin(), kProgram.end(), session.machine().PhysicalMemory.begin());
  session.machine().Reset();
}

QApplication& App() {
  static int argc = 1;
  static char name[] = "window_run_bench";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

// kavrin-cli run's loop: the pump flushes the terminal's output.
void CommandLineRun(benchmark::State& state) {
  kavrin::Session session;
  Load(session);
  kavrin::Machine& machine = session.machine();
  std::uint64_t instructions = 0;
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    const std::uint64_t before = machine.InstructionCount();
    machine.Run({}, [&] {
      std::fflush(stdout);
      if (clock.elapsed() >= kRunMs) machine.Stop();
    });
    instructions += machine.InstructionCount() - before;
  }
  state.counters["instructions/s"] =
      benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}
BENCHMARK(CommandLineRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

// The window's Run, stopped from a timer as the Stop button does.
void WindowRun(benchmark::State& state) {
  App();
  kavrin::Session session;
  kavrin::ui::WindowDialogs dialogs;
  kavrin::ui::MainWindow window(session, dialogs, QString());
  window.show();
  Load(session);
  std::uint64_t instructions = 0;
  for (auto _ : state) {
    const std::uint64_t before = session.machine().InstructionCount();
    QTimer::singleShot(kRunMs, &window, [&] { window.Stop(); });
    window.Run();
    instructions += session.machine().InstructionCount() - before;
  }
  state.counters["instructions/s"] =
      benchmark::Counter(static_cast<double>(instructions), benchmark::Counter::kIsRate);
}
BENCHMARK(WindowRun)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace
