// The board model: the programmable reload timers, interrupt acceptance,
// HALT and SLP that wait for an interrupt, TRAP on an undefined opcode, and
// the ROM below which writes are lost.
// Only runs with Board().enabled; the bare core never comes here.

#include <algorithm>
#include <iterator>
#include <limits>

#include "simulator/core/board_sources.h"
#include "simulator/core/cpu_ops.h"
#include "simulator/core/machine.h"

namespace kavrin {
namespace {

// A halted processor with no timer to wait for lets this much time pass per
// step, so that input can arrive and the run still returns to its pump.
constexpr uint64_t kIdleStates = 256;

// Acceptance states from the Z180 interrupt timing.
constexpr int kInt0Mode1States = 13;
constexpr int kVectoredStates = 19;

constexpr uint8_t kTcrTif1 = 0x80, kTcrTif0 = 0x40;
constexpr uint8_t kTcrWritable = 0x3F;
constexpr uint8_t kIte0 = 0x01;
constexpr uint8_t kIteBits = 0x07; // ITE2-ITE0
constexpr uint8_t kItcTrap = 0x80; // an undefined opcode trapped; a program clears it by writing 0
constexpr uint8_t kItcUfo = 0x40;  // ... and it was the third opcode byte (read only)
constexpr uint8_t kIlWritable = 0xE0;

struct PrtChannel {
  uint8_t tmdr; // low byte offset; high at +1
  uint8_t rldr; // likewise
  uint8_t tif;  // TCR bits
  uint8_t tie;
  uint8_t tde;
};
constexpr PrtChannel kPrt[] = {
    {onchip::kTmdr0L, onchip::kRldr0L, kTcrTif0, 0x10, 0x01},
    {onchip::kTmdr1L, onchip::kRldr1L, kTcrTif1, 0x20, 0x02},
};

uint16_t Read16(const std::array<uint8_t, kOnChipRegisterCount>& r, uint8_t low) {
  return static_cast<uint16_t>(r[low + 1] << 8 | r[low]);
}
void Write16(std::array<uint8_t, kOnChipRegisterCount>& r, uint8_t low, uint32_t v) {
  r[low] = static_cast<uint8_t>(v);
  r[low + 1] = static_cast<uint8_t>(v >> 8);
}

// Counts until TMDR reaches 0 from value; 0 itself first wraps through FFFFH.
uint32_t CountsToZero(uint16_t value) {
  return value ? value : 0x10000u;
}

} // namespace

void Machine::ConfigureBoard(const BoardConfig& config) {
  board_ = config;
  board_.romSize = std::min(config.romSize, kMaxRomSize);
  rom_limit_ = board_.enabled ? board_.romSize : 0;
  UpdateTranslation();
  halted_ = false;
  ResetAsci();
  ScheduleEvents();
}

void Machine::SetInt0(bool asserted, uint8_t vector) {
  int0_ = asserted;
  int0_vector_ = vector;
  RequestAttention();
}

// Brings TMDR0/1 up to the current T-state: each counts down once every
// kPrtClockDivider clocks while its TDE is set; on reaching 0 it sets TIF and
// reloads from RLDR.
void Machine::SyncTimers() {
  const uint64_t counts = (t_states_ - prt_base_) / kPrtClockDivider;
  prt_base_ += counts * kPrtClockDivider;
  uint8_t& tcr = InternalRegisters[onchip::kTcr];
  for (const PrtChannel& ch : kPrt) {
    if (!(tcr & ch.tde) || counts == 0) continue;
    const uint32_t toZero = CountsToZero(Read16(InternalRegisters, ch.tmdr));
    if (counts < toZero) {
      Write16(InternalRegisters, ch.tmdr, static_cast<uint32_t>(toZero - counts));
      continue;
    }
    const uint32_t period = CountsToZero(Read16(InternalRegisters, ch.rldr));
    const uint64_t past = (counts - toZero) % period;
    Write16(InternalRegisters, ch.tmdr, static_cast<uint32_t>(period - past));
    tcr |= ch.tif;
  }
}

void Machine::SyncBoard() {
  RequestAttention();
  SyncTimers();
  SyncAsci();
  ScheduleEvents();
}

// The next T-state at which a timer with its interrupt enabled reaches 0, or
// a serial channel that may interrupt changes state.
void Machine::ScheduleEvents() {
  next_event_ = kNever;
  if (!board_.enabled) return;
  next_event_ = NextAsciEvent();
  attention_at_ = std::min(attention_at_, next_event_);
  const uint8_t tcr = InternalRegisters[onchip::kTcr];
  for (const PrtChannel& ch : kPrt) {
    if ((tcr & (ch.tde | ch.tie)) != (ch.tde | ch.tie)) continue;
    const uint64_t at =
        prt_base_ + uint64_t{CountsToZero(Read16(InternalRegisters, ch.tmdr))} * kPrtClockDivider;
    next_event_ = std::min(next_event_, at);
  }
}

bool Machine::Attend() {
  if (t_states_ >= next_event_) SyncBoard();
  if (ei_delay_) {
    ei_delay_ = false;
  } else if (interrupt_check_ && Cpu.InterruptsEnabled) {
    interrupt_check_ = false;
    AcceptInterrupt();
  }
  const bool soon = halted_ || ei_delay_ || (interrupt_check_ && Cpu.InterruptsEnabled);
  attention_at_ = soon ? 0 : next_event_;
  return halted_;
}

void Machine::IdleUntilEvent() {
  t_states_ = next_event_ != kNever ? std::max(t_states_, next_event_) : t_states_ + kIdleStates;
}

// INT0 first, then the internal sources in the chip's order.
bool Machine::AcceptInterrupt() {
  const auto enter = [this](uint16_t target, int states) {
    halted_ = false;
    Cpu.InterruptsEnabled = false;
    cpu::Push(*this, Cpu.PC);
    Cpu.PC = target;
    t_states_ += static_cast<uint64_t>(states);
  };
  if (int0_ && (InternalRegisters[onchip::kItc] & kIte0)) {
    if (Cpu.InterruptMode == 1) {
      enter(0x0038, kInt0Mode1States);
    } else if (Cpu.InterruptMode == 2) {
      enter(ReadWord(static_cast<uint16_t>(Cpu.I << 8 | int0_vector_)), kVectoredStates);
    } else {
      halted_ = false;
      EndRun(StopReason::UnsupportedIm0,
             "IM 0 interrupt mode not supported at " + platform::Hex(Cpu.PC, 4) + "H");
      return false;
    }
    return true;
  }
  for (const InterruptSource& source : kInterruptSources) {
    if (!source.pending(InternalRegisters)) continue;
    const uint16_t table = static_cast<uint16_t>(
        Cpu.I << 8 | (InternalRegisters[onchip::kIl] & kIlWritable) | source.vector);
    enter(ReadWord(table), kVectoredStates);
    return true;
  }
  return false;
}

// With the board on, interrupts enabled and something that can raise one.
bool Machine::CanWake() const {
  const bool source = int0_ || next_event_ != kNever || AnyReceiverCanInterrupt(InternalRegisters);
  return board_.enabled && Cpu.InterruptsEnabled && source;
}

// HALT waits for an interrupt that can come; otherwise it ends the run as on
// the bare core.
void Machine::Halt() {
  if (!CanWake()) return EndRun(StopReason::Halt);
  halted_ = true;
  attention_at_ = 0;
}

// SLP waits as HALT does; when nothing can wake it, it goes on at once.
void Machine::Sleep() {
  if (!CanWake()) return;
  halted_ = true;
  attention_at_ = 0;
}

// The chip's TRAP: ITC records it, the stacked PC less 1 (UFO clear) or 2
// (UFO set) is where the instruction started, and the program restarts at
// logical 0000H.
void Machine::UndefinedOpcode(bool thirdByte) {
  if (!board_.enabled)
    return EndRun(StopReason::IllegalOpcode, "Illegal opcode at " + platform::Hex(Cpu.PC, 4) + "H");
  uint8_t& itc = InternalRegisters[onchip::kItc];
  itc = static_cast<uint8_t>((itc & ~kItcUfo) | kItcTrap | (thirdByte ? kItcUfo : 0));
  cpu::Push(*this, static_cast<uint16_t>(Cpu.PC - (thirdByte ? 2 : 1)));
  Cpu.PC = 0x0000;
}

void Machine::SetInterrupts(bool enabled) {
  Cpu.InterruptsEnabled = enabled;
  ei_delay_ = enabled;
  RequestAttention();
}

uint8_t Machine::ReadBoardRegister(uint8_t offset) {
  RequestAttention();
  if (offset <= asci::kLastRegister) return ReadAsciRegister(offset);
  uint8_t& tcr = InternalRegisters[onchip::kTcr];
  if (offset == onchip::kTcr) {
    SyncBoard();
    tif_seen_ = tcr & (kTcrTif0 | kTcrTif1);
    return tcr;
  }
  for (size_t channel = 0; channel < std::size(kPrt); ++channel) {
    const PrtChannel& ch = kPrt[channel];
    if (offset != ch.tmdr && offset != ch.tmdr + 1) continue;
    SyncBoard();
    if (tif_seen_ & ch.tif) {
      tcr &= static_cast<uint8_t>(~ch.tif);
      tif_seen_ &= static_cast<uint8_t>(~ch.tif);
    }
    // Reading the low byte latches the high one, so that a program reads a
    // count that belongs together.
    if (offset == ch.tmdr) {
      tmdr_high_latch_[channel] = InternalRegisters[ch.tmdr + 1];
      tmdr_latched_ |= ch.tif;
    } else if (tmdr_latched_ & ch.tif) {
      tmdr_latched_ &= static_cast<uint8_t>(~ch.tif);
      return tmdr_high_latch_[channel];
    }
  }
  return InternalRegisters[offset];
}

// The registers the board gives a meaning; false leaves the write to the
// bare core's handling.
bool Machine::WriteBoardRegister(uint8_t offset, uint8_t value) {
  RequestAttention(); // also for the registers the bare core handles (DMA, CNTR)
  if (offset <= asci::kLastRegister) {
    WriteAsciRegister(offset, value);
    return true;
  }
  switch (offset) {
  case onchip::kTcr: {
    SyncBoard();
    uint8_t& tcr = InternalRegisters[onchip::kTcr];
    tcr = static_cast<uint8_t>((tcr & ~kTcrWritable) | (value & kTcrWritable));
    ScheduleEvents();
    return true;
  }
  case onchip::kTmdr0L:
  case onchip::kTmdr0L + 1:
  case onchip::kRldr0L:
  case onchip::kRldr0L + 1:
  case onchip::kTmdr1L:
  case onchip::kTmdr1L + 1:
  case onchip::kRldr1L:
  case onchip::kRldr1L + 1:
    SyncBoard();
    InternalRegisters[offset] = value;
    ScheduleEvents();
    return true;
  case onchip::kCntr:
    // A clocked serial transfer ends at once: EF set, RE and TE clear.
    InternalRegisters[offset] = static_cast<uint8_t>(0x80 | (value & 0x47));
    return true;
  case onchip::kIl:
    InternalRegisters[offset] = value & kIlWritable;
    return true;
  case onchip::kItc: {
    uint8_t& itc = InternalRegisters[offset];
    itc = static_cast<uint8_t>((itc & ~kIteBits) | (value & kIteBits));
    if (!(value & kItcTrap)) itc &= static_cast<uint8_t>(~kItcTrap);
    return true;
  }
  default:
    return false;
  }
}

} // namespace kavrin
