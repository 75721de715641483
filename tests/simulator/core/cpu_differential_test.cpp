// Runs long random instruction streams on our core and on z80ex side by side
// and compares registers, documented flags, memory and port writes after
// every instruction. A fresh random instruction is written at PC before each
// step, so jumps, calls and returns may go anywhere.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/text.h"
#include "simulator/core/machine.h"
#include "tests/simulator/z80ex_board.h"

namespace kavrin {
namespace {

using testing::PortValue;

constexpr uint8_t kDocumentedFlags = 0xD5;   // S Z H P C; N is compared through SubtractFlag
constexpr uint8_t kFirstExternalPort = 0x40; // on-chip registers sit at 00H-3FH

// One generated instruction: its bytes and what the harness must arrange.
struct Instruction {
  std::array<uint8_t, 8> bytes{};
  int length = 0;
  bool repeats = false;   // block repeat: z80ex needs one step per round
  bool port_in_c = false; // C must name an external port
  void Add(uint8_t b) { bytes[length++] = b; }
};

class Generator {
public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  uint8_t Byte() { return static_cast<uint8_t>(rng_()); }
  uint16_t Word() { return static_cast<uint16_t>(rng_()); }
  unsigned Below(unsigned n) { return static_cast<unsigned>(rng_() % n); }

  Instruction Next() {
    Instruction in;
    const unsigned family = Below(100);
    if (family < 45)
      Main(in);
    else if (family < 57)
      Cb(in);
    else if (family < 72)
      Ed(in);
    else
      Index(in);
    while (in.length < static_cast<int>(in.bytes.size()))
      in.Add(Byte()); // operands
    return in;
  }

private:
  // A random byte that is not excluded.
  uint8_t Pick(bool (*excluded)(uint8_t)) {
    uint8_t op;
    do
      op = Byte();
    while (excluded(op));
    return op;
  }

  // Every unprefixed opcode but HALT and the prefixes.
  void Main(Instruction& in) {
    const uint8_t op = Pick(
        [](uint8_t b) { return b == 0x76 || b == 0xCB || b == 0xDD || b == 0xED || b == 0xFD; });
    in.Add(op);
    if (op == 0xD3 || op == 0xDB) in.Add(static_cast<uint8_t>(kFirstExternalPort + Below(0xC0)));
  }

  void Cb(Instruction& in) {
    in.Add(0xCB);
    in.Add(Pick([](uint8_t b) { return b >= 0x30 && b <= 0x37; })); // SLL is undefined
  }

  // The Z80's documented ED set (IM 0 stops the run; LD A,R reads a counter
  // that only the oracle advances).
  void Ed(Instruction& in) {
    static constexpr uint8_t kOps[] = {
        0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4D, 0x4F, 0x50,
        0x51, 0x52, 0x53, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5E, 0x60, 0x61, 0x62, 0x63,
        0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6F, 0x72, 0x73, 0x78, 0x79, 0x7A, 0x7B, 0xA0, 0xA1,
        0xA2, 0xA3, 0xA8, 0xA9, 0xAA, 0xAB, 0xB0, 0xB1, 0xB2, 0xB3, 0xB8, 0xB9, 0xBA, 0xBB};
    const uint8_t op = kOps[Below(sizeof kOps)];
    in.Add(0xED);
    in.Add(op);
    in.repeats = op >= 0xB0;
    const int z = op & 7;
    in.port_in_c = (op < 0x80 && (z == 0 || z == 1)) || (op >= 0xA0 && (z == 2 || z == 3));
  }

  // DD/FD on any opcode (those naming HL, H, L or (HL) take the index
  // register), DD CB forms on (IX+d), and now and then a chain of prefixes.
  void Index(Instruction& in) {
    const unsigned chain = Below(100);
    in.Add(Byte() & 1 ? 0xDD : 0xFD);
    if (chain < 10) { // the last prefix decides
      in.Add(Byte() & 1 ? 0xDD : 0xFD);
      if (chain < 3) in.Add(Byte() & 1 ? 0xDD : 0xFD);
    }
    if (Below(100) < 20) {
      in.Add(0xCB);
      in.Add(Byte());                                                    // displacement
      in.Add(Pick([](uint8_t b) { return (b & 7) != 6 || b == 0x36; })); // on (IX+d)
      return;
    }
    Main(in);
  }

  std::mt19937 rng_;
};

// A register pair of ours beside the oracle's name for it; F keeps only the
// documented flags and N, since bits 3 and 5 are free in our model.
struct Pair {
  const char* name;
  Z80_REG_T reg;
  uint16_t ours, compared;
};

std::vector<Pair> Pairs(const CpuState& c) {
  const auto word = [](uint8_t high, uint8_t low) {
    return static_cast<uint16_t>(high << 8 | low);
  };
  constexpr uint16_t kAf = 0xFF00 | kDocumentedFlags | kFlagN;
  const auto altF = static_cast<uint8_t>(c.AltF | (c.AltSubtractFlag ? kFlagN : 0));
  return {{"AF", regAF, word(c.A, c.PackedFlags()), kAf},
          {"BC", regBC, c.BC(), 0xFFFF},
          {"DE", regDE, c.DE(), 0xFFFF},
          {"HL", regHL, c.HL(), 0xFFFF},
          {"AF'", regAF_, word(c.AltA, altF), kAf},
          {"BC'", regBC_, c.AltBC, 0xFFFF},
          {"DE'", regDE_, c.AltDE, 0xFFFF},
          {"HL'", regHL_, c.AltHL, 0xFFFF},
          {"IX", regIX, c.IX, 0xFFFF},
          {"IY", regIY, c.IY, 0xFFFF},
          {"SP", regSP, c.SP, 0xFFFF},
          {"PC", regPC, c.PC, 0xFFFF},
          {"I", regI, c.I, 0xFFFF},
          {"IM", regIM, c.InterruptMode, 0xFFFF},
          {"IFF1", regIFF1, c.InterruptsEnabled, 0xFFFF},
          {"IFF2", regIFF2, c.InterruptsEnabled, 0xFFFF}};
}

class Differential : public ::testing::TestWithParam<bool> { // banked or flat
protected:
  void SetUp() override {
    for (int port = kFirstExternalPort; port < 256; ++port)
      ours_->ReadPortMap[port] = kIoPageFirst;
    ours_->WritePortMap.fill(kIoPageFirst);
    ours_->SetPortReadHandler(kIoPageFirst, [](uint8_t port) { return PortValue(port); });
    ours_->SetPortWriteHandler(kIoPageFirst, [this](uint8_t port, uint8_t value) {
      our_port_writes_.emplace_back(port, value);
    });
  }

  // Gives the oracle our registers.
  void Sync() {
    for (const Pair& p : Pairs(ours_->Cpu))
      z80ex_set_reg(oracle_.cpu, p.reg, p.ours);
  }

  void Randomise(Generator& g, bool banked) {
    ours_->Reset();
    if (banked) {
      ours_->PortWrite(0x3A, 0x84);
      ours_->PortWrite(0x39, 0x10);
      ours_->PortWrite(0x38, 0x20);
    }
    oracle_.banked = banked;
    std::fill(ours_->PhysicalMemory.begin(), ours_->PhysicalMemory.end(), 0);
    for (auto [start, length] : oracle_.Regions())
      for (uint32_t i = start; i < start + length; ++i)
        ours_->PhysicalMemory[i] = g.Byte();
    oracle_.memory = ours_->PhysicalMemory;
    CpuState& c = ours_->Cpu;
    c.A = g.Byte();
    c.SetPackedFlags(g.Byte() & 0xD7);
    c.AltA = g.Byte();
    c.AltF = g.Byte() & 0xD5;
    c.AltSubtractFlag = g.Byte() & 1;
    for (uint16_t* word : {&c.AltBC, &c.AltDE, &c.AltHL, &c.IX, &c.IY, &c.SP, &c.PC})
      *word = g.Word();
    c.SetBC(g.Word());
    c.SetDE(g.Word());
    c.SetHL(g.Word());
    c.I = g.Byte();
    c.InterruptsEnabled = g.Byte() & 1;
    c.InterruptMode = 1;
    z80ex_reset(oracle_.cpu);
  }

  // Places the instruction at PC in both and arranges its preconditions.
  void Place(Generator& g, const Instruction& in) {
    CpuState& c = ours_->Cpu;
    for (int i = 0; i < in.length; ++i) {
      const auto logical = static_cast<uint16_t>(c.PC + i);
      ours_->WriteByte(logical, in.bytes[i]);
      oracle_.memory[oracle_.Physical(logical)] = in.bytes[i];
    }
    if (in.repeats) {
      // Keep the blocks short and clear of the instruction, which z80ex
      // fetches again for every round.
      c.SetBC(static_cast<uint16_t>(1 + g.Below(40)));
      c.SetHL(static_cast<uint16_t>(c.PC + 0x200 + g.Below(0x7000)));
      c.SetDE(static_cast<uint16_t>(c.PC + 0x200 + g.Below(0x7000)));
    }
    if (in.port_in_c) c.C = static_cast<uint8_t>(kFirstExternalPort + g.Below(0xC0));
    Sync();
  }

  void StepBoth(const Instruction& in) {
    const uint16_t start = ours_->Cpu.PC;
    ours_->Run({.instructionLimit = 1});
    Z80EX_CONTEXT* z = oracle_.cpu;
    do {
      do
        z80ex_step(z);
      while (z80ex_last_op_type(z) != 0);
    } while (in.repeats && z80ex_get_reg(z, regPC) == start);
  }

  // Empty when both agree.
  std::string Compare() {
    std::string diff;
    for (const Pair& p : Pairs(ours_->Cpu)) {
      const uint16_t theirs = z80ex_get_reg(oracle_.cpu, p.reg);
      if ((p.ours & p.compared) != (theirs & p.compared))
        diff += std::string(" ") + p.name + " ours " + platform::Hex(p.ours, 4) + " z80ex " +
                platform::Hex(theirs, 4) + ";";
    }
    for (auto [start, length] : oracle_.Regions()) {
      const auto ours = ours_->PhysicalMemory.begin() + start;
      if (std::memcmp(&*ours, &oracle_.memory[start], length) == 0) continue;
      const auto at = std::mismatch(ours, ours + length, oracle_.memory.begin() + start).first;
      const auto i = static_cast<uint32_t>(at - ours_->PhysicalMemory.begin());
      diff += " memory at " + platform::Hex(i, 5) + "H ours " + platform::Hex(*at, 2) + " z80ex " +
              platform::Hex(oracle_.memory[i], 2) + ";";
    }
    if (our_port_writes_ != oracle_.portWrites) diff += " port writes differ;";
    return diff;
  }

  std::unique_ptr<Machine> ours_ = std::make_unique<Machine>();
  testing::Z80exBoard oracle_;
  std::vector<std::pair<uint8_t, uint8_t>> our_port_writes_;
};

// Flat: the whole logical space maps 1:1, as after a reset. Banked: bank area
// 4000H-7FFFH and common area 1 from 8000H elsewhere, so that words which
// straddle the boundaries must read and write the right physical bytes.
TEST_P(Differential, RandomStreamsAgree) {
  const bool banked = GetParam();
  Generator g(banked ? 2 : 1);
  for (int segment = 0; segment < 40; ++segment) {
    Randomise(g, banked);
    for (int step = 0; step < 4000; ++step) {
      const Instruction in = g.Next();
      our_port_writes_.clear();
      oracle_.portWrites.clear();
      Place(g, in);
      const uint16_t pc = ours_->Cpu.PC;
      StepBoth(in);
      const std::string diff = Compare();
      if (diff.empty()) continue;
      std::string bytes;
      for (int i = 0; i < in.length; ++i)
        bytes += platform::Hex(in.bytes[i], 2) + " ";
      FAIL() << "after " << bytes << "at " << platform::Hex(pc, 4) << "H (segment " << segment
             << ", step " << step << "):" << diff;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Mapping, Differential, ::testing::Values(false, true));

} // namespace
} // namespace kavrin
