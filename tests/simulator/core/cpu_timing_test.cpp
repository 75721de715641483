// Clock cycles per instruction against the Z180 instruction summary, one
// instruction per row written out from the manual's table (not from the
// core's form rows), with taken and not-taken branches and block
// instructions over several passes.

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
    // Main page.
    {"NOP", {0x00}, 3},
    {"LD B,C", {0x41}, 4},
    {"LD A,n", {0x3E, 0x05}, 6},
    {"LD A,(HL)", {0x7E}, 6},
    {"LD (HL),A", {0x77}, 7},
    {"LD (HL),n", {0x36, 0x12}, 9},
    {"LD A,(BC)", {0x0A}, 6},
    {"LD (DE),A", {0x12}, 7},
    {"LD A,(nn)", {0x3A, 0x00, 0x20}, 12},
    {"LD (nn),A", {0x32, 0x00, 0x20}, 13},
    {"LD BC,nn", {0x01, 0x34, 0x12}, 9},
    {"LD HL,(nn)", {0x2A, 0x00, 0x20}, 15},
    {"LD (nn),HL", {0x22, 0x00, 0x20}, 16},
    {"LD SP,HL", {0xF9}, 4},
    {"PUSH BC", {0xC5}, 11},
    {"POP DE", {0xD1}, 9},
    {"EX DE,HL", {0xEB}, 3},
    {"EX AF,AF'", {0x08}, 4},
    {"EXX", {0xD9}, 3},
    {"EX (SP),HL", {0xE3}, 16},
    {"ADD A,B", {0x80}, 4},
    {"SUB n", {0xD6, 0x01}, 6},
    {"CP (HL)", {0xBE}, 6},
    {"INC A", {0x3C}, 4},
    {"DEC (HL)", {0x35}, 10},
    {"DAA", {0x27}, 4},
    {"CPL", {0x2F}, 3},
    {"SCF", {0x37}, 3},
    {"ADD HL,DE", {0x19}, 7},
    {"INC SP", {0x33}, 4},
    {"RRA", {0x1F}, 3},
    {"DI", {0xF3}, 3},
    {"EI", {0xFB}, 3},
    {"HALT", {0x76}, 3},
    {"JP nn", {0xC3, 0x00, 0x02}, 9},
    {"JP NZ taken", {0xC2, 0x00, 0x02}, 9},
    {"JP NZ not taken", {0xC2, 0x00, 0x02}, 6, Z},
    {"JR e", {0x18, 0x05}, 8},
    {"JR C taken", {0x38, 0x05}, 8, C},
    {"JR C not taken", {0x38, 0x05}, 6},
    {"DJNZ taken", {0x10, 0x05}, 9, 0, 0x0200},
    {"DJNZ not taken", {0x10, 0x05}, 7, 0, 0x0100},
    {"JP (HL)", {0xE9}, 3},
    {"CALL nn", {0xCD, 0x00, 0x02}, 16},
    {"CALL Z taken", {0xCC, 0x00, 0x02}, 16, Z},
    {"CALL Z not taken", {0xCC, 0x00, 0x02}, 6},
    {"RET", {0xC9}, 9},
    {"RET NC taken", {0xD0}, 10},
    {"RET NC not taken", {0xD0}, 5, C},
    {"RST 38H", {0xFF}, 11},
    {"IN A,(n)", {0xDB, 0x80}, 9},
    {"OUT (n),A", {0xD3, 0x80}, 10},
    // Index page.
    {"LD A,(IX+d)", {0xDD, 0x7E, 0x05}, 14},
    {"LD (IY+d),B", {0xFD, 0x70, 0x05}, 15},
    {"LD (IX+d),n", {0xDD, 0x36, 0x05, 0x12}, 15},
    {"ADD A,(IX+d)", {0xDD, 0x86, 0x05}, 14},
    {"INC (IY+d)", {0xFD, 0x34, 0x05}, 18},
    {"LD IX,nn", {0xDD, 0x21, 0x34, 0x12}, 12},
    {"LD IX,(nn)", {0xDD, 0x2A, 0x00, 0x20}, 18},
    {"LD (nn),IY", {0xFD, 0x22, 0x00, 0x20}, 19},
    {"PUSH IX", {0xDD, 0xE5}, 14},
    {"POP IY", {0xFD, 0xE1}, 12},
    {"EX (SP),IX", {0xDD, 0xE3}, 19},
    {"ADD IX,BC", {0xDD, 0x09}, 10},
    {"INC IX", {0xDD, 0x23}, 7},
    {"JP (IY)", {0xFD, 0xE9}, 6},
    {"LD SP,IX", {0xDD, 0xF9}, 7},
    // CB page.
    {"RLC B", {0xCB, 0x00}, 7},
    {"SRL (HL)", {0xCB, 0x3E}, 13},
    {"BIT 0,B", {0xCB, 0x40}, 6},
    {"BIT 7,(HL)", {0xCB, 0x7E}, 9},
    {"SET 0,(HL)", {0xCB, 0xC6}, 13},
    {"RES 5,A", {0xCB, 0xAF}, 7},
    // Index-CB page.
    {"RLC (IX+d)", {0xDD, 0xCB, 0x05, 0x06}, 19},
    {"BIT 3,(IY+d)", {0xFD, 0xCB, 0x05, 0x5E}, 15},
    {"SET 1,(IX+d)", {0xDD, 0xCB, 0x05, 0xCE}, 19},
    // ED page.
    {"IN0 A,(n)", {0xED, 0x38, 0x05}, 12},
    {"OUT0 (n),A", {0xED, 0x39, 0x05}, 13},
    {"TST A", {0xED, 0x3C}, 7},
    {"TST (HL)", {0xED, 0x34}, 10},
    {"TST n", {0xED, 0x64, 0x01}, 9},
    {"TSTIO n", {0xED, 0x74, 0x01}, 12},
    {"IN A,(C)", {0xED, 0x78}, 9},
    {"OUT (C),A", {0xED, 0x79}, 10},
    {"SBC HL,BC", {0xED, 0x42}, 10},
    {"ADC HL,SP", {0xED, 0x7A}, 10},
    {"LD (nn),DE", {0xED, 0x53, 0x00, 0x20}, 19},
    {"LD SP,(nn)", {0xED, 0x7B, 0x00, 0x20}, 18},
    {"NEG", {0xED, 0x44}, 6},
    {"RETN", {0xED, 0x45}, 12},
    {"RETI", {0xED, 0x4D}, 12},
    {"IM 2", {0xED, 0x5E}, 6},
    {"LD I,A", {0xED, 0x47}, 6},
    {"LD A,R", {0xED, 0x5F}, 6},
    {"MLT DE", {0xED, 0x5C}, 17},
    {"RRD", {0xED, 0x67}, 16},
    {"SLP", {0xED, 0x76}, 8},
    {"LDI", {0xED, 0xA0}, 12},
    {"CPD", {0xED, 0xA9}, 12},
    {"INI", {0xED, 0xA2}, 12},
    {"OUTD", {0xED, 0xAB}, 12},
    {"OTIM", {0xED, 0x83}, 14},
    // Repeats: 14 (OTIMR 16) for each pass that repeats, 12 (14) for the last.
    {"LDIR 3 passes", {0xED, 0xB0}, 14 + 14 + 12, 0, 0x0003},
    {"LDDR 1 pass", {0xED, 0xB8}, 12, 0, 0x0001},
    {"CPIR 3 passes", {0xED, 0xB1}, 14 + 14 + 12, 0, 0x0003},
    {"INIR 2 passes", {0xED, 0xB2}, 14 + 12, 0, 0x0280},
    {"OTDR 3 passes", {0xED, 0xBB}, 14 + 14 + 12, 0, 0x0380},
    {"OTIMR 3 passes", {0xED, 0x93}, 16 + 16 + 14, 0, 0x0380},
};

class TimingTest : public MachineTest {
protected:
  // Runs the code at 0100H with HL, IX, IY at 4000H (bytes FFH there, so
  // CPIR finds no match) and SP at F000H.
  StopReason RunOne(const std::vector<uint8_t>& code, uint8_t flags = 0, uint16_t bc = 0x0180) {
    m->Reset();
    for (uint16_t a = 0x4000; a < 0x4010; ++a)
      m->WriteByte(a, 0xFF);
    uint16_t at = 0x0100;
    for (uint8_t b : code)
      m->WriteByte(at++, b);
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
      code.push_back(static_cast<uint8_t>(op));
      code.insert(code.end(), {0x00, 0x00, 0x00});
      const StopReason why = RunOne(code);
      if (why == StopReason::IllegalOpcode)
        EXPECT_EQ(m->TStates(), 0u) << "prefix " << prefix.size() << " op " << op;
      else
        EXPECT_GT(m->TStates(), 0u) << "prefix " << prefix.size() << " op " << op;
    }
}

// A wait state stretches each memory bus cycle (fetches included), an I/O
// wait state each I/O cycle.
TEST_F(TimingTest, WaitStatesStretchEachBusCycle) {
  const struct {
    const char* name;
    int memoryWait, ioWait;
    std::vector<uint8_t> code;
    uint64_t states;
    uint8_t flags = 0;
    uint16_t bc = 0x0180;
  } cases[] = {
      {"LD A,(nn): 4 memory cycles", 1, 0, {0x3A, 0x00, 0x20}, 12 + 4},
      {"OUT (n),A: 2 memory, 1 I/O", 1, 2, {0xD3, 0x80}, 10 + 2 + 2},
      {"CALL Z not taken: 3 memory", 2, 0, {0xCC, 0x00, 0x02}, 6 + 6},
      {"CALL Z taken: 5 memory", 2, 0, {0xCC, 0x00, 0x02}, 16 + 10, Z},
      {"LD (IX+d),n: 5 memory", 1, 3, {0xDD, 0x36, 0x05, 0x12}, 15 + 5},
      {"LDIR 2 passes: 4 memory each", 1, 0, {0xED, 0xB0}, 14 + 4 + 12 + 4, 0, 0x0002},
      {"OTIR 2 passes: 3 memory, 1 I/O each", 1, 1, {0xED, 0xB3}, 14 + 12 + 2 * (3 + 1), 0, 0x0280},
  };
  for (const auto& t : cases) {
    m->SetWaitStates(t.memoryWait, t.ioWait);
    RunOne(t.code, t.flags, t.bc);
    EXPECT_EQ(m->TStates(), t.states) << t.name;
  }
}

TEST_F(TimingTest, ResetClearsTheCountsAndKeepsTheWaitStates) {
  m->SetWaitStates(1, 1);
  Load({0x00, 0x00});
  Step(2);
  EXPECT_EQ(m->TStates(), 2u * (3 + 1));
  m->Reset();
  EXPECT_EQ(m->TStates(), 0u);
  EXPECT_EQ(m->InstructionCount(), 0u);
  EXPECT_EQ(m->MemoryWaitStates(), 1);
  m->SetWaitStates(9, -1);
  EXPECT_EQ(m->MemoryWaitStates(), kMaxWaitStates);
  EXPECT_EQ(m->IoWaitStates(), 0);
}

} // namespace
} // namespace kavrin
