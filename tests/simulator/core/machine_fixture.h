#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "simulator/core/machine.h"

namespace kavrin::testing {

// A reset board with code placed at 0000H (logical = physical after reset).
class MachineTest : public ::testing::Test {
protected:
  void Load(const std::vector<uint8_t>& code, uint16_t at = 0) {
    uint16_t address = at;
    for (uint8_t b : code)
      m->WriteByte(address++, b);
  }
  // Runs n instructions as a multi-step does.
  StopReason Step(uint64_t n = 1) { return m->Run({.instructionLimit = n}); }

  std::unique_ptr<Machine> m = std::make_unique<Machine>();
  CpuState& c = m->Cpu;
};

// The same with the board model on: timers, serial channels, interrupts.
class BoardMachineTest : public MachineTest {
protected:
  void SetUp() override { m->ConfigureBoard({.enabled = true}); }
};

} // namespace kavrin::testing
