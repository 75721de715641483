// Instructions per second of our core (MMU translating, port maps in place)
// against z80ex on the same instruction-mix program; the core also with the
// board model on, PRT0 counting and interrupts enabled (none comes: TIE is
// clear, so every instruction pays the checks and nothing else changes).

#include <z80ex/z80ex.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "simulator/core/machine.h"

namespace {

// A loop of loads, ALU, indexed and stack work, calls and a port write.
constexpr std::array<uint8_t, 0x2D> kProgram = {
    0x31, 0x00, 0xF0,       // 0000 LD SP,0F000H
    0xDD, 0x21, 0x00, 0x80, // 0003 LD IX,8000H
    0x21, 0x00, 0x90,       // 0007 loop: LD HL,9000H
    0x06, 0x10,             // 000A LD B,16
    0x7E,                   // 000C inner: LD A,(HL)
    0x80,                   // 000D ADD A,B
    0x77,                   // 000E LD (HL),A
    0x23,                   // 000F INC HL
    0xEE, 0x5A,             // 0010 XOR 5AH
    0xDD, 0x77, 0x03,       // 0012 LD (IX+3),A
    0xCD, 0x28, 0x00,       // 0015 CALL sub
    0xC5,                   // 0018 PUSH BC
    0xD1,                   // 0019 POP DE
    0xCB, 0x41,             // 001A BIT 0,C
    0xDD, 0x8E, 0x01,       // 001C ADC A,(IX+1)
    0x10, 0xEB,             // 001F DJNZ inner
    0xD3, 0x80,             // 0021 OUT (80H),A
    0xC3, 0x07, 0x00,       // 0023 JP loop
    0x00, 0x00,             // 0026
    0x07,                   // 0028 sub: RLCA
    0x0C,                   // 0029 INC C
    0xCB, 0x5F,             // 002A BIT 3,A
    0xC9,                   // 002C RET
};
constexpr int kInstructionsPerIteration = kavrin::kChunkSize;

void KavrinCore(benchmark::State& state) {
  const bool board = state.range(0) != 0;
  auto machine = std::make_unique<kavrin::Machine>();
  std::copy(kProgram.begin(), kProgram.end(), machine->PhysicalMemory.begin());
  machine->ConfigureBoard({.enabled = board});
  machine->Reset();
  if (board) {
    machine->PortWrite(kavrin::onchip::kTcr, 0x01); // TDE0
    machine->Cpu.InterruptsEnabled = true;
  }
  // Common area 1 from 8000H and a bank at 4000H, both away from 1:1.
  machine->PortWrite(kavrin::onchip::kCbar, 0x84);
  machine->PortWrite(kavrin::onchip::kBbr, 0x10);
  machine->PortWrite(kavrin::onchip::kCbr, 0x20);
  machine->BuildPortMaps(0x80, {0x90, 0x91, 0x92, 0x93, 0x94}, {0xA0, 0xA1, 0xA2, 0xA3, 0xA4});
  unsigned sent = 0;
  machine->SetPortWriteHandler(kavrin::kTerminalData, [&sent](uint8_t, uint8_t) { ++sent; });
  const uint64_t before = machine->InstructionCount();
  const kavrin::RunPlan oneChunk{.instructionLimit = kInstructionsPerIteration};
  bool looping = true;
  for (auto _ : state)
    looping &= machine->Run(oneChunk) == kavrin::StopReason::BudgetUsed;
  if (!looping || sent == 0) state.SkipWithError("the program did not loop");
  benchmark::DoNotOptimize(sent);
  state.SetItemsProcessed(static_cast<int64_t>(machine->InstructionCount() - before));
}
BENCHMARK(KavrinCore)->ArgName("board")->Arg(0)->Arg(1);

struct Z80exBoard {
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000);
  unsigned sent = 0;
};

Z80EX_BYTE ReadMemory(Z80EX_CONTEXT*, Z80EX_WORD addr, int, void* board) {
  return static_cast<Z80exBoard*>(board)->memory[addr];
}
void WriteMemory(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void* board) {
  static_cast<Z80exBoard*>(board)->memory[addr] = value;
}
Z80EX_BYTE ReadPort(Z80EX_CONTEXT*, Z80EX_WORD, void*) {
  return 0;
}
void WritePort(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void* board) {
  ++static_cast<Z80exBoard*>(board)->sent;
}
Z80EX_BYTE InterruptVector(Z80EX_CONTEXT*, void*) {
  return 0xFF;
}

void Z80ex(benchmark::State& state) {
  Z80exBoard board;
  std::copy(kProgram.begin(), kProgram.end(), board.memory.begin());
  Z80EX_CONTEXT* cpu = z80ex_create(ReadMemory, &board, WriteMemory, &board, ReadPort, &board,
                                    WritePort, &board, InterruptVector, &board);
  int64_t instructions = 0;
  for (auto _ : state) {
    for (int i = 0; i < kInstructionsPerIteration; ++i) {
      do
        z80ex_step(cpu);
      while (z80ex_last_op_type(cpu) != 0);
    }
    instructions += kInstructionsPerIteration;
  }
  if (board.sent == 0) state.SkipWithError("the program did not loop");
  state.SetItemsProcessed(instructions);
  z80ex_destroy(cpu);
}
BENCHMARK(Z80ex);

} // namespace
