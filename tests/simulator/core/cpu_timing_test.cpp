// Clock cycles per instruction against the Z180 instruction summary, written
// out from the manual's table (not from the core's form rows): one row per
// timing class of each page, branches taken and not, repeats over passes.

#include <string>
#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

struct Timed {
  const char* name;
  std::vector<uint8_t> code;
  uint64_t states;
  uint8_t flags = 0; // F before the instruction
  uint16_t bc = 0x0180;
};

constexpr uint8_t Z = kFlagZ, C = kFlagC;

const Timed kTimed[] = {
    {"NOP", {0x00}, 3},
    {"LD A,n", {0x3E, 0x05}, 6},
    {"LD (HL),n", {0x36, 0x12}, 9},
    {"LD A,(nn)", {0x3A, 0x00, 0x20}, 12},
    {"LD (nn),A", {0x32, 0x00, 0x20}, 13},
    {"EX (SP),HL", {0xE3}, 16},
    {"JP NZ not taken", {0xC2, 0x00, 0x02}, 6, Z},
    {"JR C taken", {0x38, 0x05}, 8, C},
    {"DJNZ taken", {0x10, 0x05}, 9, 0, 0x0200},
    {"CALL Z taken", {0xCC, 0x00, 0x02}, 16, Z},
    {"RET NC taken", {0xD0}, 10},
    {"OUT (n),A", {0xD3, 0x80}, 10},
    {"LD A,(IX+d)", {0xDD, 0x7E, 0x05}, 14},
    {"LD (IX+d),n", {0xDD, 0x36, 0x05, 0x12}, 15},
    {"INC (IY+d)", {0xFD, 0x34, 0x05}, 18},
    {"SRL (HL)", {0xCB, 0x3E}, 13},
    {"RLC (IX+d)", {0xDD, 0xCB, 0x05, 0x06}, 19},
    {"IN0 A,(n)", {0xED, 0x38, 0x05}, 12},
    {"OUT0 (n),A", {0xED, 0x39, 0x05}, 13},
    {"TST (HL)", {0xED, 0x34}, 10},
    {"MLT DE", {0xED, 0x5C}, 17},
    {"RRD", {0xED, 0x67}, 16},
    {"SLP", {0xED, 0x76}, 8},
    {"OTIM", {0xED, 0x83}, 14},
    // Repeats: 14 (OTIMR 16) for each pass that repeats, 12 (14) for the last.
    {"LDIR 3 passes", {0xED, 0xB0}, 14 + 14 + 12, 0, 0x0003},
    {"OTIMR 3 passes", {0xED, 0x93}, 16 + 16 + 14, 0, 0x0380},
};

class TimingTest : public MachineTest {
protected:
  // Runs the code at 0100H with HL, IX, IY at 4000H (bytes FFH there) and SP
  // at F000H.
  StopReason RunOne(const std::vector<uint8_t>& code, uint8_t flags = 0, uint16_t bc = 0x0180) {
    m->Reset();
    Load(std::vector<uint8_t>(16, 0xFF), 0x4000);
    Load(code, 0x0100);
    c.PC = 0x0100;
    c.SP = 0xF000;
    c.SetHL(0x4000);
    c.IX = c.IY = 0x4000;
    c.SetBC(bc);
    c.F = flags;
    return Step();
  }
};

TEST_F(TimingTest, EachInstructionTakesTheStatesOfTheTable) {
  for (const Timed& t : kTimed) {
    RunOne(t.code, t.flags, t.bc);
    EXPECT_EQ(m->TStates(), t.states) << t.name;
    EXPECT_EQ(m->InstructionCount(), 1u) << t.name;
  }
}

// Every opcode of every page either takes time or is one the run stops on.
TEST_F(TimingTest, NoOpcodeRunsForFree) {
  const std::vector<std::vector<uint8_t>> prefixes = {{},     {0xDD}, {0xFD},
                                                      {0xCB}, {0xED}, {0xDD, 0xCB, 0x05}};
  for (const auto& prefix : prefixes)
    for (int op = 0; op < 256; ++op) {
      std::vector<uint8_t> code = prefix;
      code.insert(code.end(), {static_cast<uint8_t>(op), 0x00, 0x00, 0x00});
      const bool stops = RunOne(code) == StopReason::IllegalOpcode;
      EXPECT_EQ(m->TStates() == 0, stops) << "prefix " << prefix.size() << " op " << op;
    }
}

// A wait state stretches each memory bus cycle (fetches included), an I/O
// wait state each I/O cycle; a reset keeps them.
TEST_F(TimingTest, WaitStatesStretchEachBusCycle) {
  const struct {
    int memoryWait, ioWait;
    Timed timed;
  } cases[] = {
      {1, 0, {"LD A,(nn): 4 memory cycles", {0x3A, 0x00, 0x20}, 12 + 4}},
      {1, 2, {"OUT (n),A: 2 memory, 1 I/O", {0xD3, 0x80}, 10 + 2 + 2}},
      {1, 1, {"OTIR 2 passes: 3 memory, 1 I/O each", {0xED, 0xB3}, 14 + 12 + 8, 0, 0x0280}},
  };
  for (const auto& t : cases) {
    m->SetWaitStates(t.memoryWait, t.ioWait);
    RunOne(t.timed.code, t.timed.flags, t.timed.bc);
    EXPECT_EQ(m->TStates(), t.timed.states) << t.timed.name;
  }
}

} // namespace
} // namespace kavrin
