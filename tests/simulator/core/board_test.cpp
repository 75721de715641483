// The board model: PRT0/PRT1 counting and reloading, the TIF read sequence,
// interrupt acceptance (EI delay, INT0 modes, internal vectors by priority),
// HALT waiting for a tick, the ROM; and the bare core ignoring all of it.

#include <string>
#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

using testing::MachineTest;

constexpr uint8_t kTif0 = 0x40, kTif1 = 0x80, kTie0 = 0x10, kTie1 = 0x20, kTde0 = 0x01,
                  kTde1 = 0x02;
constexpr int kAcceptStates = 19; // vectored acceptance

class BoardTest : public testing::BoardMachineTest {
protected:
  void Timer0(uint16_t reload, uint8_t tcr) {
    m->PortWrite(onchip::kRldr0L, static_cast<uint8_t>(reload));
    m->PortWrite(onchip::kRldr0L + 1, static_cast<uint8_t>(reload >> 8));
    m->PortWrite(onchip::kTmdr0L, static_cast<uint8_t>(reload));
    m->PortWrite(onchip::kTmdr0L + 1, static_cast<uint8_t>(reload >> 8));
    m->PortWrite(onchip::kTcr, tcr);
  }
  // Vector table at 0100H: I = 01H, IL = 20H puts PRT0 at 0124H, PRT1 at
  // 0126H, ASCI0 at 012EH; handlers at 0200H, 0300H, 0400H.
  void Vectors() {
    c.I = 0x01;
    m->PortWrite(onchip::kIl, 0x20);
    Load({0x00, 0x02, 0x00, 0x03}, 0x0124);
    Load({0x00, 0x04}, 0x012E);
    c.SP = 0xF000;
  }
};

// Each PRT's data and reload registers, its enable and flag bits in TCR.
struct PrtRegisters {
  uint8_t tmdr, rldr, tde, tif;
};
class TimerTest : public BoardTest, public ::testing::WithParamInterface<PrtRegisters> {};

TEST_P(TimerTest, CountsEveryTwentyClocksAndReloadsAtZero) {
  const PrtRegisters t = GetParam();
  for (uint8_t low : {t.rldr, t.tmdr}) {
    m->PortWrite(low, 3);
    m->PortWrite(static_cast<uint8_t>(low + 1), 0);
  }
  m->PortWrite(onchip::kTcr, t.tde); // memory is all NOPs
  const auto tmdr = [&] { return m->PortRead(t.tmdr) | m->PortRead(t.tmdr + 1) << 8; };
  // NOPs of 3 states: 20 clocks have passed after 7 of them (21 states).
  Step(7);
  EXPECT_EQ(tmdr(), 2);
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & t.tif, 0);
  Step(14); // 63 states: the third count reaches 0, sets TIF and reloads
  EXPECT_EQ(tmdr(), 3);
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & t.tif, t.tif);
  m->PortWrite(onchip::kTcr, 0); // TDE off stops the count
  Step(20);
  EXPECT_EQ(tmdr(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Prt, TimerTest,
    ::testing::Values(PrtRegisters{onchip::kTmdr0L, onchip::kRldr0L, kTde0, kTif0},
                      PrtRegisters{onchip::kTmdr1L, onchip::kRldr1L, kTde1, kTif1}));

TEST_F(BoardTest, TifClearsOnlyByReadingTcrThenTmdr) {
  Timer0(1, kTde0);
  Load({0, 0, 0, 0, 0, 0, 0}, 0);
  Step(7);
  ASSERT_EQ(m->PortRead(onchip::kTcr) & kTif0, kTif0);
  m->PortWrite(onchip::kTcr, 0); // also freezes the timer; TIF is not writable
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & kTif0, kTif0);
  m->PortRead(onchip::kTcr);
  m->PortRead(onchip::kRldr0L); // not a TMDR read
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & kTif0, kTif0);
  m->PortRead(onchip::kTmdr0L + 1);
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & kTif0, 0);
  // A TMDR read without the TCR read before it clears nothing.
  m->InternalRegisters[onchip::kTcr] = kTif0;
  m->PortRead(onchip::kTmdr0L);
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & kTif0, kTif0);
}

// A PRT0 tick in IM 2: the handler counts ticks at 3000H, clears TIF by the
// read sequence and returns with EI / RETI.
class TickTest : public BoardTest {
protected:
  void SetUp() override {
    BoardTest::SetUp();
    Vectors();
    Load({0xF5,             // PUSH AF
          0xED, 0x38, 0x10, // IN0 A,(TCR)
          0xED, 0x38, 0x0C, // IN0 A,(TMDR0L)
          0x3A, 0x00, 0x30, // LD A,(3000H)
          0x3C,             // INC A
          0x32, 0x00, 0x30, // LD (3000H),A
          0xF1,             // POP AF
          0xFB,             // EI
          0xED, 0x4D},
         0x0200);     // RETI
    Load({0xED, 0x5E, // IM 2
          0xFB},
         0); // EI
  }
  // Runs to the handler k times; returns the T-state of each entry.
  std::vector<uint64_t> Entries(int k) {
    std::vector<uint64_t> at;
    for (int i = 0; i < k; ++i) {
      m->Run({.breakpoints = {0x0200}, .instructionLimit = 100000});
      EXPECT_EQ(c.PC, 0x0200);
      at.push_back(m->TStates());
      m->Run({.instructionLimit = 1});
    }
    return at;
  }
  static constexpr uint16_t kReload = 100; // 2000 clocks per tick
};

TEST_F(TickTest, IM2TickIsTakenAtTheFirstInstructionEndAfterEachZero) {
  Load({0x18, 0xFE}, 3); // JR $ (8 states)
  Timer0(kReload, kTde0 | kTie0);
  const std::vector<uint64_t> at = Entries(5);
  for (int k = 0; k < 5; ++k) {
    const uint64_t zero = uint64_t{kReload} * kPrtClockDivider * (k + 1);
    EXPECT_GE(at[k], zero + kAcceptStates) << k;
    EXPECT_LT(at[k], zero + kAcceptStates + 8) << k;
  }
  m->Run({.breakpoints = {0x0003}, .instructionLimit = 100});
  EXPECT_EQ(m->PhysicalMemory[0x3000], 5);
  EXPECT_EQ(m->InternalRegisters[onchip::kTcr] & kTif0, 0);
}

TEST_F(TickTest, HaltWaitsForTheNextTickWhileTimePasses) {
  Load({0x76, // HALT
        0x18, 0xFD},
       3); // JR to the HALT
  Timer0(kReload, kTde0 | kTie0);
  const std::vector<uint64_t> at = Entries(3);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(at[k], uint64_t{kReload} * kPrtClockDivider * (k + 1) + kAcceptStates) << k;
  // The return address (under the pushed AF) is the instruction after the HALT.
  EXPECT_EQ(m->ReadWord(static_cast<uint16_t>(c.SP + 2)), 0x0004);
}

TEST_F(BoardTest, EiLetsTheInterruptInAfterTheNextInstruction) {
  Vectors();
  m->PortWrite(onchip::kTcr, kTie0);
  m->InternalRegisters[onchip::kTcr] |= kTif0;
  Load({0xFB, 0x00, 0x00}, 0);
  Step();
  EXPECT_EQ(c.PC, 0x0001);
  Step();
  EXPECT_EQ(c.PC, 0x0200);
  EXPECT_EQ(m->ReadWord(c.SP), 0x0002);
  EXPECT_FALSE(c.InterruptsEnabled);
  EXPECT_EQ(m->TStates(), 3u + 3u + kAcceptStates);
}

TEST_F(BoardTest, InternalSourcesComeInPriorityOrderThroughIAndIl) {
  Vectors();
  m->PortWrite(onchip::kTcr, kTie0 | kTie1);
  m->InternalRegisters[onchip::kTcr] |= kTif0 | kTif1;
  Load({0xFB, 0x00}, 0);
  Step(2);
  EXPECT_EQ(c.PC, 0x0200); // PRT0 before PRT1
  m->InternalRegisters[onchip::kTcr] &= static_cast<uint8_t>(~kTif0);
  Load({0xFB, 0x00}, 0x0200); // EI / NOP
  Step(2);
  EXPECT_EQ(c.PC, 0x0300);
  // DI holds everything off.
  Load({0xF3, 0x00}, 0x0300);
  c.InterruptsEnabled = true;
  Step(2);
  EXPECT_EQ(c.PC, 0x0302);
}

TEST_F(BoardTest, Int0InModes1And2AndIm0Stops) {
  c.SP = 0xF000;
  Load({0xED, 0x56, 0xFB, 0x00}, 0); // IM 1 / EI / NOP
  m->SetInt0(true);
  Step(3);
  EXPECT_EQ(c.PC, 0x0038);
  EXPECT_EQ(m->TStates(), 6u + 3u + 3u + 13u);

  m->Reset();
  c.SP = 0xF000;
  c.I = 0x05;
  Load({0x34, 0x12}, 0x0540);
  Load({0xED, 0x5E, 0xFB, 0x00}, 0); // IM 2 / EI / NOP
  m->SetInt0(true, 0x40);
  Step(3);
  EXPECT_EQ(c.PC, 0x1234);

  m->Reset();
  c.InterruptMode = 0;
  Load({0xFB, 0x00}, 0);
  EXPECT_EQ(Step(2), StopReason::UnsupportedIm0);
  EXPECT_EQ(m->StopMessage(), "IM 0 interrupt mode not supported at 0002H");
  // ITE0 clear masks INT0.
  m->Reset();
  c.InterruptMode = 1;
  m->PortWrite(onchip::kItc, 0x00);
  Load({0xFB, 0x00, 0x00}, 0);
  Step(3);
  EXPECT_EQ(c.PC, 0x0003);
}

TEST_F(BoardTest, HaltWithNothingToWakeItEndsTheRun) {
  Load({0xFB, 0x76}, 0);
  EXPECT_EQ(Step(5), StopReason::Halt);
  Load({0xF3, 0x76}, 0); // interrupts disabled: as on the bare core
  m->Reset();
  m->PortWrite(onchip::kTcr, kTde0 | kTie0);
  EXPECT_EQ(Step(5), StopReason::Halt);
}

TEST_F(BoardTest, WritesBelowTheRomSizeAreIgnoredAndCounted) {
  m->ConfigureBoard({.enabled = true, .romSize = 0x8000});
  // Placed in physical memory: a write through the machine would be ignored.
  const uint8_t code[] = {0x32, 0x00, 0x10,  // LD (1000H),A
                          0x32, 0x00, 0x90}; // LD (9000H),A
  std::copy(std::begin(code), std::end(code), m->PhysicalMemory.begin());
  c.A = 0x5A;
  Step(2);
  EXPECT_EQ(m->PhysicalMemory[0x1000], 0);
  EXPECT_EQ(m->PhysicalMemory[0x9000], 0x5A);
  EXPECT_EQ(m->RomWrites(), 1u);
  EXPECT_EQ(m->LastRomWrite(), 0x1000u);
}

// ASCI0 at divisor 160 (CNTLB 00H) with 8 data bits and 1 stop bit: 1600
// clocks a character; 7 bits, parity and 2 stop bits at /30 x64 /4: 11 x 7680.
class AsciTest : public BoardTest {
protected:
  void SetUp() override {
    BoardTest::SetUp();
    m->ConnectAsci(
        0,
        [this] {
          if (next >= input.size()) return -1;
          return int{static_cast<uint8_t>(input[next++])};
        },
        [this](uint8_t b) { output += static_cast<char>(b); });
  }
  // Lets time pass in NOPs (3 states each).
  void Wait(uint64_t states) { Step((states + 2) / 3); }
  uint8_t Stat0() { return m->PortRead(0x04); }
  std::string input, output;
  std::size_t next = 0;
};

TEST_F(AsciTest, TransmitEmptiesTdrAtTheCharacterTime) {
  m->PortWrite(0x02, 0x00);
  m->PortWrite(0x00, 0x64); // RE TE, 8 bits, 1 stop
  EXPECT_EQ(Stat0() & 0x02, 0x02);
  m->PortWrite(0x06, 'a'); // straight into the shift register
  EXPECT_EQ(Stat0() & 0x02, 0x02);
  m->PortWrite(0x06, 'b'); // waits in TDR for 1600 clocks
  EXPECT_EQ(Stat0() & 0x02, 0);
  Wait(1590);
  EXPECT_EQ(Stat0() & 0x02, 0);
  Wait(12);
  EXPECT_EQ(Stat0() & 0x02, 0x02);
  EXPECT_EQ(output, "ab");
  // The slowest format: 11 bits x 30 x 64 x 4, once b has gone out.
  Wait(1600);
  m->PortWrite(0x02, 0x2A);
  m->PortWrite(0x00, 0x63); // RE TE, 7 bits, parity, 2 stop
  m->PortWrite(0x06, 'c');
  m->PortWrite(0x06, 'd');
  const uint64_t from = m->TStates();
  while (!(Stat0() & 0x02) && m->TStates() - from < 100000)
    Step(1);
  EXPECT_GE(m->TStates() - from, 11u * 7680);
  EXPECT_LT(m->TStates() - from, 11u * 7680 + 3);
}

TEST_F(AsciTest, ReceiveIsPacedByRdrReadsAndErrorsClearByEfr) {
  input = "xy";
  m->PortWrite(0x00, 0x64);
  EXPECT_EQ(Stat0() & 0x80, 0x80);
  EXPECT_EQ(m->PortRead(0x08), 'x');
  EXPECT_EQ(Stat0() & 0x80, 0); // y comes a character later
  Wait(1600);
  EXPECT_EQ(Stat0() & 0x80, 0x80);
  EXPECT_EQ(m->PortRead(0x08), 'y');
  // Only RIE and TIE are the program's; error bits go with EFR = 0.
  m->PortWrite(0x04, 0xFF);
  EXPECT_EQ(m->InternalRegisters[0x04] & 0x09, 0x09);
  m->InternalRegisters[0x04] |= 0x70;
  m->PortWrite(0x00, 0x6C); // EFR = 1 keeps them
  EXPECT_EQ(m->InternalRegisters[0x04] & 0x70, 0x70);
  m->PortWrite(0x00, 0x64);
  EXPECT_EQ(m->InternalRegisters[0x04] & 0x70, 0);
}

TEST_F(AsciTest, ReceiveInterruptVectorsThroughIl) {
  Vectors();
  input = "k";
  m->PortWrite(0x00, 0x64);
  m->PortWrite(0x04, 0x08); // RIE
  Load({0xFB, 0x76}, 0);    // EI / HALT
  Step(2);
  EXPECT_EQ(c.PC, 0x0400);
}

// With the board off the chip's timer registers only store (or ignore)
// and no interrupt or ROM exists, whatever the registers say.
TEST(BareCore, IgnoresTheBoard) {
  auto m = std::make_unique<Machine>();
  m->ConfigureBoard({.enabled = false, .romSize = 0x8000});
  m->PortWrite(onchip::kTcr, kTde0 | kTie0 | kTde1 | kTie1);
  m->InternalRegisters[onchip::kTcr] = kTif0 | kTie0;
  m->Cpu.SP = 0xF000;
  const uint8_t code[] = {0xFB, 0x00, 0x32, 0x00, 0x10, 0x76};
  std::copy(std::begin(code), std::end(code), m->PhysicalMemory.begin());
  m->Cpu.A = 0x77;
  EXPECT_EQ(m->Run({}), StopReason::Halt);
  EXPECT_EQ(m->Cpu.PC, 0x0006);
  EXPECT_EQ(m->PhysicalMemory[0x1000], 0x77);
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L), 0xFF);
}

} // namespace
} // namespace kavrin
