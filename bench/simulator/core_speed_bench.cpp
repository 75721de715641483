// Instructions per second of our core against z80ex on the same programs, in
// one binary so that the ratios come from one run of a busy machine:
//   Exerciser: the generated instruction exerciser the tests run, to its HALT;
//   Mixed: a loop of common instructions with the MMU translating and port
//          maps in place.
// Our core runs each with the board model off and on; on, PRT0 counts and
// interrupts are enabled but none comes (TIE is clear), so every instruction
// pays the board's checks and nothing else changes.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bench/simulator/z80ex_board.h"
#include "simulator/core/machine.h"
#include "tests/simulator/cli/exerciser_image.h"

namespace kavrin {
namespace {

using bench::Z80exBoard;

constexpr uint8_t kOutputPort = 0x80;

// A loop of loads, ALU, indexed and stack work, calls and a port write.
constexpr std::array<uint8_t, 0x2D> kMixedProgram = {
    0x31, 0x00,        0xF0,       // 0000 LD SP,0F000H
    0xDD, 0x21,        0x00, 0x80, // 0003 LD IX,8000H
    0x21, 0x00,        0x90,       // 0007 loop: LD HL,9000H
    0x06, 0x10,                    // 000A LD B,16
    0x7E,                          // 000C inner: LD A,(HL)
    0x80,                          // 000D ADD A,B
    0x77,                          // 000E LD (HL),A
    0x23,                          // 000F INC HL
    0xEE, 0x5A,                    // 0010 XOR 5AH
    0xDD, 0x77,        0x03,       // 0012 LD (IX+3),A
    0xCD, 0x28,        0x00,       // 0015 CALL sub
    0xC5,                          // 0018 PUSH BC
    0xD1,                          // 0019 POP DE
    0xCB, 0x41,                    // 001A BIT 0,C
    0xDD, 0x8E,        0x01,       // 001C ADC A,(IX+1)
    0x10, 0xEB,                    // 001F DJNZ inner
    0xD3, kOutputPort,             // 0021 OUT (80H),A
    0xC3, 0x07,        0x00,       // 0023 JP loop
    0x00, 0x00,                    // 0026
    0x07,                          // 0028 sub: RLCA
    0x0C,                          // 0029 INC C
    0xCB, 0x5F,                    // 002A BIT 3,A
    0xC9,                          // 002C RET
};
constexpr int kMixedInstructionsPerIteration = kChunkSize;

// A machine whose port 80H output goes to output; with the board on, PRT0
// counts with interrupts enabled.
std::unique_ptr<Machine> MakeMachine(bool board, std::string& output) {
  auto machine = std::make_unique<Machine>();
  machine->ConfigureBoard({.enabled = board});
  machine->BuildPortMaps(kOutputPort, {0x90, 0x91, 0x92, 0x93, 0x94},
                         {0xA0, 0xA1, 0xA2, 0xA3, 0xA4});
  machine->SetPortWriteHandler(
      kTerminalData, [&output](uint8_t, uint8_t value) { output += static_cast<char>(value); });
  return machine;
}

// Every register 0 (Reset keeps F' and the alternate subtract flag).
void StartBoard(Machine& machine, bool board) {
  machine.Cpu = CpuState{};
  machine.Reset();
  if (!board) return;
  machine.PortWrite(onchip::kTcr, 0x01); // TDE0
  machine.Cpu.InterruptsEnabled = true;
}

const testing::ExerciserImage& Exerciser() {
  static const testing::ExerciserImage image =
      testing::BuildExerciserImage(0, testing::kMaxExerciserRecords, 0x5EED0000u);
  return image;
}

void ExerciserKavrin(benchmark::State& state) {
  const bool board = state.range(0) != 0;
  const std::vector<uint8_t>& image = Exerciser().bytes;
  std::string output;
  auto machine = MakeMachine(board, output);
  uint64_t instructions = 0;
  bool halted = true;
  for (auto _ : state) {
    output.clear();
    std::copy(image.begin(), image.end(), machine->PhysicalMemory.begin());
    StartBoard(*machine, board);
    halted &= machine->Run({}) == StopReason::Halt;
    instructions += machine->InstructionCount();
  }
  Z80exBoard reference(kOutputPort);
  std::copy(image.begin(), image.end(), reference.memory.begin());
  while (!z80ex_doing_halt(reference.cpu))
    reference.Step();
  if (!halted || output != reference.output) state.SkipWithError("the exerciser's output differs");
  state.SetItemsProcessed(static_cast<int64_t>(instructions));
}
BENCHMARK(ExerciserKavrin)->ArgName("board")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void ExerciserZ80ex(benchmark::State& state) {
  const std::vector<uint8_t>& image = Exerciser().bytes;
  int64_t instructions = 0;
  size_t lines = 0;
  for (auto _ : state) {
    Z80exBoard board(kOutputPort);
    std::copy(image.begin(), image.end(), board.memory.begin());
    while (!z80ex_doing_halt(board.cpu)) {
      board.Step();
      ++instructions;
    }
    lines = static_cast<size_t>(std::count(board.output.begin(), board.output.end(), '\n'));
  }
  if (lines != Exerciser().records.size()) state.SkipWithError("the exerciser did not finish");
  state.SetItemsProcessed(instructions);
}
BENCHMARK(ExerciserZ80ex)->Unit(benchmark::kMillisecond);

void MixedKavrin(benchmark::State& state) {
  const bool board = state.range(0) != 0;
  std::string output;
  auto machine = MakeMachine(board, output);
  std::copy(kMixedProgram.begin(), kMixedProgram.end(), machine->PhysicalMemory.begin());
  StartBoard(*machine, board);
  // Common area 1 from 8000H and a bank at 4000H, both away from 1:1.
  machine->PortWrite(onchip::kCbar, 0x84);
  machine->PortWrite(onchip::kBbr, 0x10);
  machine->PortWrite(onchip::kCbr, 0x20);
  const RunPlan oneChunk{.instructionLimit = kMixedInstructionsPerIteration};
  bool looping = true;
  for (auto _ : state) {
    looping &= machine->Run(oneChunk) == StopReason::BudgetUsed;
    output.clear();
  }
  if (!looping || machine->InstructionCount() == 0) state.SkipWithError("the program did not loop");
  state.SetItemsProcessed(static_cast<int64_t>(machine->InstructionCount()));
}
BENCHMARK(MixedKavrin)->ArgName("board")->Arg(0)->Arg(1);

void MixedZ80ex(benchmark::State& state) {
  Z80exBoard board(kOutputPort);
  std::copy(kMixedProgram.begin(), kMixedProgram.end(), board.memory.begin());
  int64_t instructions = 0;
  for (auto _ : state) {
    for (int i = 0; i < kMixedInstructionsPerIteration; ++i)
      board.Step();
    instructions += kMixedInstructionsPerIteration;
    board.output.clear();
  }
  if (board.memory[0x8003] == 0) state.SkipWithError("the program did not loop");
  state.SetItemsProcessed(instructions);
}
BENCHMARK(MixedZ80ex);

} // namespace
} // namespace kavrin
