// The board model: PRT0/PRT1 counting and reloading, the TIF read sequence
// and the TMDR latch, interrupt acceptance (EI delay, internal vectors by
// priority, DMA end), HALT waiting for a tick, TRAP,
// ASCI0's pace.

#include <string>
#include <vector>

#include "tests/simulator/core/machine_fixture.h"

namespace kavrin {
namespace {

constexpr uint8_t kTif0 = 0x40, kTif1 = 0x80, kTie0 = 0x10, kTie1 = 0x20, kTde0 = 0x01,
                  kTde1 = 0x02;
constexpr uint8_t kTrap = 0x80, kUfo = 0x40;
constexpr int kAcceptStates = 19; // vectored acceptance

class BoardTest : public testing::BoardMachineTest {
protected:
  void Timer0(uint16_t reload, uint8_t tcr) {
    for (uint8_t low : {onchip::kRldr0L, onchip::kTmdr0L}) {
      m->PortWrite(low, static_cast<uint8_t>(reload));
      m->PortWrite(low + 1, static_cast<uint8_t>(reload >> 8));
    }
    m->PortWrite(onchip::kTcr, tcr);
  }
  // Internal sources vector through a table at 0100H in any mode (I = 01H,
  // IL = 20H): PRT0 at 0124H to 0200H, PRT1 at 0126H to 0300H, DMA0 at 0128H
  // to 0500H.
  void Vectors() {
    c.I = 0x01;
    m->PortWrite(onchip::kIl, 0x20);
    Load({0x00, 0x02, 0x00, 0x03, 0x00, 0x05}, 0x0124);
    c.SP = 0xF000;
  }
  uint8_t Tcr() const { return m->InternalRegisters[onchip::kTcr]; }
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
  EXPECT_EQ(Tcr() & t.tif, 0);
  Step(14); // 63 states: the third count reaches 0, sets TIF and reloads
  EXPECT_EQ(tmdr(), 3);
  EXPECT_EQ(Tcr() & t.tif, t.tif);
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
  Step(7);
  ASSERT_EQ(m->PortRead(onchip::kTcr) & kTif0, kTif0);
  m->PortWrite(onchip::kTcr, 0); // also freezes the timer; TIF is not writable
  m->PortRead(onchip::kTcr);
  m->PortRead(onchip::kRldr0L); // not a TMDR read
  EXPECT_EQ(Tcr() & kTif0, kTif0);
  m->PortRead(onchip::kTmdr0L + 1);
  EXPECT_EQ(Tcr() & kTif0, 0);
}

TEST_F(BoardTest, ReadingTmdrLowLatchesTheHighByte) {
  Timer0(0x0100, kTde0);
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L), 0x00);
  Step(40);                                          // 120 clocks: 6 counts, down to 00FAH
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L + 1), 0x01); // latched with the low byte
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L + 1), 0x00); // the latch is used once
  EXPECT_EQ(m->PortRead(onchip::kTmdr0L), 0xFA);
}

// A PRT0 tick in IM 2 while the program loops, halts or sleeps: the handler
// counts ticks at 3000H, clears TIF by the read sequence and returns with EI
// / RETI. Each entry comes at the first instruction end after the zero, and
// HALT waits for it while time passes.
TEST_F(BoardTest, EachTickEntersTheHandlerAtTheNextInstructionEnd) {
  const struct {
    const char* name;
    std::vector<uint8_t> wait; // at 0003H, looping
    uint64_t slack;            // states the entry may come late
    uint16_t returnAddress;
  } cases[] = {
      {"JR $", {0x18, 0xFE}, 8, 0},
      {"HALT", {0x76, 0x18, 0xFD}, 0, 0x0004},
  };
  constexpr uint16_t kReload = 100; // 2000 clocks per tick
  for (const auto& k : cases) {
    SCOPED_TRACE(k.name);
    m->Reset();
    Vectors();
    Load({0xF5, 0xED, 0x38, 0x10, 0xED, 0x38, 0x0C, // PUSH AF / IN0 A,(TCR) / IN0 A,(TMDR0L)
          0x3A, 0x00, 0x30, 0x3C, 0x32, 0x00, 0x30, // LD A,(3000H) / INC A / LD (3000H),A
          0xF1, 0xFB, 0xED, 0x4D},                  // POP AF / EI / RETI
         0x0200);
    Load({0xED, 0x5E, 0xFB}, 0); // IM 2 / EI
    Load({0x00}, 0x3000);
    std::copy(k.wait.begin(), k.wait.end(), m->PhysicalMemory.begin() + 3);
    Timer0(kReload, kTde0 | kTie0);
    for (int tick = 1; tick <= 3; ++tick) {
      m->Run({.breakpoints = {0x0200}, .instructionLimit = 100000});
      ASSERT_EQ(c.PC, 0x0200);
      const uint64_t zero = uint64_t{kReload} * kPrtClockDivider * tick;
      EXPECT_GE(m->TStates(), zero + kAcceptStates) << tick;
      EXPECT_LE(m->TStates(), zero + kAcceptStates + k.slack) << tick;
      if (k.returnAddress) EXPECT_EQ(m->ReadWord(c.SP), k.returnAddress);
      Step();
    }
    m->Run({.breakpoints = {0x0003}, .instructionLimit = 100});
    EXPECT_EQ(m->PhysicalMemory[0x3000], 3);
    EXPECT_EQ(Tcr() & kTif0, 0);
  }
}

// EI lets an interrupt in after the next instruction; internal sources come
// in priority order through I and IL, and DI holds them all off.
TEST_F(BoardTest, InternalSourcesComeInPriorityOrderThroughIAndIl) {
  Vectors();
  m->PortWrite(onchip::kTcr, kTie0 | kTie1);
  m->InternalRegisters[onchip::kTcr] |= kTif0 | kTif1;
  Load({0xFB, 0x00, 0x00}, 0);
  Step();
  EXPECT_EQ(c.PC, 0x0001);
  Step();
  EXPECT_EQ(c.PC, 0x0200); // PRT0 before PRT1
  EXPECT_EQ(m->ReadWord(c.SP), 0x0002);
  EXPECT_FALSE(c.InterruptsEnabled);
  EXPECT_EQ(m->TStates(), 3u + 3u + kAcceptStates);
  m->InternalRegisters[onchip::kTcr] &= static_cast<uint8_t>(~kTif0);
  Load({0xFB, 0x00}, 0x0200); // EI / NOP
  Step(2);
  EXPECT_EQ(c.PC, 0x0300);
  Load({0xF3, 0x00}, 0x0300);
  c.InterruptsEnabled = true;
  Step(2);
  EXPECT_EQ(c.PC, 0x0302);
}

// OUT0 to DSTAT with DIE0 set runs the transfer and interrupts at its end.
TEST_F(BoardTest, DmaEndInterruptsWhenDieIsSet) {
  Vectors();
  Load({1, 2, 3, 4}, 0x8000);
  m->PortWrite(onchip::kSar0L + 1, 0x80);
  m->PortWrite(onchip::kDar0L + 1, 0x90);
  m->PortWrite(onchip::kBcr0L, 4);
  Load({0xFB, 0x3E, 0x44, 0xED, 0x39, 0x30, 0x00}, 0); // EI / LD A,DE0|DIE0 / OUT0 (DSTAT),A
  m->Run({.breakpoints = {0x0500}, .instructionLimit = 10});
  ASSERT_EQ(c.PC, 0x0500);
  EXPECT_EQ(m->ReadWord(c.SP), 0x0006);
  EXPECT_EQ(m->PhysicalMemory[0x9003], 4);
}

// HALT with nothing to wake it ends the run; SLP goes on.
TEST_F(BoardTest, HaltOrSleepWithNothingToWakeThem) {
  m->PortWrite(onchip::kTcr, kTde0 | kTie0);
  Load({0xF3, 0xED, 0x76, 0x00, 0x76}, 0); // DI / SLP / NOP / HALT
  EXPECT_EQ(Step(5), StopReason::Halt);
  EXPECT_EQ(m->InstructionCount(), 4u);
}

TEST_F(BoardTest, UndefinedOpcodesTrapToZeroWithTheStartRecoverable) {
  const struct {
    std::vector<uint8_t> code; // at 1000H
    bool thirdByte;
  } cases[] = {
      {{0xED, 0x55}, false},
      {{0xDD, 0xCB, 0x05, 0x36}, true},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.code[1]);
    m->Reset();
    c.SP = 0xF000;
    c.PC = 0x1000;
    std::copy(t.code.begin(), t.code.end(), m->PhysicalMemory.begin() + 0x1000);
    EXPECT_EQ(Step(), StopReason::BudgetUsed);
    EXPECT_EQ(m->StopMessage(), "");
    EXPECT_EQ(c.PC, 0x0000);
    const uint8_t itc = m->InternalRegisters[onchip::kItc];
    EXPECT_EQ(itc & (kTrap | kUfo), kTrap | (t.thirdByte ? kUfo : 0));
    // The documented adjustment of the stacked PC gives the instruction's start.
    EXPECT_EQ(m->ReadWord(c.SP) - (t.thirdByte ? 2 : 1), 0x1000);
    // A program clears TRAP by writing 0 to it; writing 1 does not set it.
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc | kTrap));
    EXPECT_EQ(m->InternalRegisters[onchip::kItc] & kTrap, kTrap);
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc & ~kTrap));
    m->PortWrite(onchip::kItc, static_cast<uint8_t>(itc | kTrap));
    EXPECT_EQ(m->InternalRegisters[onchip::kItc] & kTrap, 0);
  }
}

// A character takes its bits times the bit time: 8N1 at /10 x16 /1 is 10 x
// 160 clocks, 7 bits, parity and 2 stop at /30 x64 /4 is 11 x 7680.
TEST_F(BoardTest, AsciPacesEachFormatAndClearsErrorsByEfr) {
  std::string output;
  m->ConnectAsci(
      0, [] { return -1; }, [&](uint8_t b) { output += static_cast<char>(b); });
  const struct {
    uint8_t cntlb, cntla;
    uint64_t clocks;
  } formats[] = {{0x00, 0x64, 10 * 160}, {0x2A, 0x63, 11 * 7680}};
  for (const auto& f : formats) {
    m->PortWrite(0x02, f.cntlb);
    m->PortWrite(0x00, f.cntla);
    m->PortWrite(0x06, 'c'); // straight into the shift register
    m->PortWrite(0x06, 'd'); // waits in TDR
    const uint64_t from = m->TStates();
    while (!(m->PortRead(0x04) & 0x02) && m->TStates() - from < 100000)
      Step(1);
    EXPECT_GE(m->TStates() - from, f.clocks);
    EXPECT_LT(m->TStates() - from, f.clocks + 3);
    for (const uint64_t end = m->TStates() + f.clocks; m->TStates() < end;)
      Step(1); // d leaves the shift register
  }
  EXPECT_EQ(output, "cdcd");
  // Error bits go with EFR = 0; EFR = 1 keeps them.
  m->InternalRegisters[0x04] |= 0x70;
  m->PortWrite(0x00, 0x6C);
  EXPECT_EQ(m->InternalRegisters[0x04] & 0x70, 0x70);
  m->PortWrite(0x00, 0x64);
  EXPECT_EQ(m->InternalRegisters[0x04] & 0x70, 0);
}

} // namespace
} // namespace kavrin
