#pragma once
// Runs a hand-written caller of the run-time library on the simulated board:
// the caller is assembled as a project's main module (code at 0000H, data at
// 8000H, SP = 0000H, HALT at its end), linked with the library objects that
// `velkor-cli new` lists for the CPU, and run on the simulator core.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/project.h"
#include "simulator/core/machine.h"

namespace rtltest {

struct BoardRun {
  bool built = false;
  std::string log; // the tools' messages
  bool halted = false;
  std::uint64_t instructions = 0;
  std::size_t imageSize = 0;
  std::string symText;
  std::unique_ptr<kavrin::Machine> machine;

  std::uint8_t Byte(std::uint16_t address) const { return machine->ReadByte(address); }
  std::uint16_t Word(std::uint16_t address) const { return machine->ReadWord(address); }
  // The address of a label in the .SYM text, or -1.
  long Symbol(const std::string& upperName) const;
};

struct BoardProgram {
  std::vector<std::string> code; // lines after CODE and the SP set-up
  std::vector<std::string> data; // lines of the DATA segment
  // Objects linked after the caller; empty: the library list for the CPU.
  std::vector<std::string> objects;
  int cpu = velkor::kCpuZ80;
  std::uint64_t maxInstructions = 20'000'000;
};

BoardRun RunOnBoard(const BoardProgram& program);

} // namespace rtltest
