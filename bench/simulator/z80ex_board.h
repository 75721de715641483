#pragma once
// z80ex over a flat 64 KB memory, the yardstick our core is measured
// against: the same program runs on both.
//
//   Z80exBoard board(0x80);
//   std::copy(image.begin(), image.end(), board.memory.begin());
//   while (!z80ex_doing_halt(board.cpu)) z80ex_step(board.cpu);
//   // board.output holds what the program wrote to port 80H

#include <z80ex/z80ex.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kavrin::bench {

class Z80exBoard {
public:
  // Every register 0, as our board starts.
  explicit Z80exBoard(uint8_t outputPort)
      : cpu(z80ex_create(&ReadMemory, this, &WriteMemory, this, &ReadPort, this, &WritePort, this,
                         &InterruptVector, this)),
        output_port_(outputPort) {
    for (Z80_REG_T reg : {regAF, regBC, regDE, regHL, regAF_, regBC_, regDE_, regHL_, regIX, regIY,
                          regPC, regSP, regI})
      z80ex_set_reg(cpu, reg, 0);
  }
  ~Z80exBoard() { z80ex_destroy(cpu); }
  Z80exBoard(const Z80exBoard&) = delete;
  Z80exBoard& operator=(const Z80exBoard&) = delete;

  // One whole instruction, prefixes included.
  void Step() {
    do
      z80ex_step(cpu);
    while (z80ex_last_op_type(cpu) != 0);
  }

  Z80EX_CONTEXT* cpu;
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000);
  std::string output; // bytes written to the output port

private:
  static Z80EX_BYTE ReadMemory(Z80EX_CONTEXT*, Z80EX_WORD addr, int, void* board) {
    return static_cast<Z80exBoard*>(board)->memory[addr];
  }
  static void WriteMemory(Z80EX_CONTEXT*, Z80EX_WORD addr, Z80EX_BYTE value, void* board) {
    static_cast<Z80exBoard*>(board)->memory[addr] = value;
  }
  static Z80EX_BYTE ReadPort(Z80EX_CONTEXT*, Z80EX_WORD, void*) { return 0; }
  static void WritePort(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE value, void* board) {
    auto* self = static_cast<Z80exBoard*>(board);
    if ((port & 0xFF) == self->output_port_) self->output += static_cast<char>(value);
  }
  static Z80EX_BYTE InterruptVector(Z80EX_CONTEXT*, void*) { return 0xFF; }

  uint8_t output_port_;
};

} // namespace kavrin::bench
