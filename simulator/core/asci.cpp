// The two asynchronous serial channels of the board model. A character takes
// (start + data + parity + stop bits) x prescale x sampling rate x divisor
// clocks, from CNTLA and CNTLB. Transmit: TDR moves into the shift register
// as soon as it is free (TDRE set again); the console gets the byte when it
// is written with TE set (so that a program that halts right after its last
// byte is still heard), else when TE comes on. Receive is paced by the program: the next byte is
// taken from the console one character time after RDR was read, so none is ever overrun. The modem
// pins (/CTS, /DCD) are taken as active; an external clock (SS = 111) is taken as divisor 1.

#include <algorithm>

#include "simulator/core/board_sources.h"
#include "simulator/core/machine.h"

namespace kavrin {
namespace {

constexpr uint8_t kWritableStat[kAsciChannels] = {asci::kRie | asci::kTie,
                                                  asci::kRie | 0x04 | asci::kTie}; // CTS1E
constexpr uint8_t kErrors = asci::kOvrn | asci::kPe | asci::kFe;

// The channel an offset of 00H-09H belongs to: even offsets are channel 0.
int ChannelOf(uint8_t offset) {
  return offset & 1;
}

} // namespace

void Machine::ConnectAsci(int channel, ConsoleInput input, ConsoleOutput output) {
  if (channel < 0 || channel >= kAsciChannels) return;
  asci_[channel].input = std::move(input);
  asci_[channel].output = std::move(output);
}

uint64_t Machine::AsciCharClocks(int channel) const {
  const uint8_t cntla = InternalRegisters[asci::kCntla[channel]];
  const uint8_t cntlb = InternalRegisters[asci::kCntlb[channel]];
  const uint64_t bits =
      1 + ((cntla & 0x04) ? 8 : 7) + ((cntla & 0x02) ? 1 : 0) + ((cntla & 0x01) ? 2 : 1);
  const uint64_t prescale = (cntlb & 0x20) ? 30 : 10;
  const uint64_t sampling = (cntlb & 0x08) ? 64 : 16;
  const int ss = cntlb & 0x07;
  const uint64_t divisor = ss == 7 ? 1 : uint64_t{1} << ss;
  return bits * prescale * sampling * divisor;
}

void Machine::ResetAsci() {
  for (int ch = 0; ch < kAsciChannels; ++ch) {
    asci_[ch].tdrFull = false;
    asci_[ch].shiftEnd = 0;
    asci_[ch].tdrWritten = 0;
    asci_[ch].receiveAt = 0;
    if (board_.enabled) InternalRegisters[asci::kStat[ch]] |= asci::kTdre;
  }
}

void Machine::SyncAsci() {
  for (int ch = 0; ch < kAsciChannels; ++ch) {
    AsciState& a = asci_[ch];
    const uint8_t cntla = InternalRegisters[asci::kCntla[ch]];
    uint8_t& stat = InternalRegisters[asci::kStat[ch]];
    if (a.tdrFull && (cntla & asci::kTransmitEnable) && t_states_ >= a.shiftEnd) {
      a.shiftEnd = std::max(a.shiftEnd, a.tdrWritten) + AsciCharClocks(ch);
      a.tdrFull = false;
      stat |= asci::kTdre;
      if (!a.tdrSent && a.output) a.output(InternalRegisters[asci::kTdr[ch]]);
    }
    if ((cntla & asci::kReceiveEnable) && !(stat & asci::kRdrf) && t_states_ >= a.receiveAt) {
      const int byte = a.input ? a.input() : -1;
      if (byte >= 0) {
        InternalRegisters[asci::kRdr[ch]] = static_cast<uint8_t>(byte);
        stat |= asci::kRdrf;
      } else {
        a.receiveAt = t_states_ + AsciCharClocks(ch); // look again a character later
      }
    }
  }
}

// Only what can raise an interrupt needs an event; polled status is brought
// up to date when it is read.
uint64_t Machine::NextAsciEvent() const {
  uint64_t next = kNever;
  for (int ch = 0; ch < kAsciChannels; ++ch) {
    const AsciState& a = asci_[ch];
    const uint8_t cntla = InternalRegisters[asci::kCntla[ch]];
    const uint8_t stat = InternalRegisters[asci::kStat[ch]];
    if ((stat & asci::kTie) && a.tdrFull && (cntla & asci::kTransmitEnable))
      next = std::min(next, a.shiftEnd);
    if ((stat & asci::kRie) && (cntla & asci::kReceiveEnable) && !(stat & asci::kRdrf))
      next = std::min(next, a.receiveAt);
  }
  return next;
}

uint8_t Machine::ReadAsciRegister(uint8_t offset) {
  SyncBoard();
  const int ch = ChannelOf(offset);
  const uint8_t value = InternalRegisters[offset];
  if (offset == asci::kRdr[ch] && (InternalRegisters[asci::kStat[ch]] & asci::kRdrf)) {
    InternalRegisters[asci::kStat[ch]] &= static_cast<uint8_t>(~asci::kRdrf);
    asci_[ch].receiveAt = t_states_ + AsciCharClocks(ch);
    ScheduleEvents();
  }
  return value;
}

void Machine::WriteAsciRegister(uint8_t offset, uint8_t value) {
  SyncBoard();
  const int ch = ChannelOf(offset);
  uint8_t& stat = InternalRegisters[asci::kStat[ch]];
  if (offset == asci::kStat[ch]) {
    stat = static_cast<uint8_t>((stat & ~kWritableStat[ch]) | (value & kWritableStat[ch]));
  } else if (offset == asci::kTdr[ch]) {
    InternalRegisters[offset] = value;
    AsciState& a = asci_[ch];
    a.tdrFull = true;
    a.tdrWritten = t_states_;
    a.tdrSent = (InternalRegisters[asci::kCntla[ch]] & asci::kTransmitEnable) != 0;
    if (a.tdrSent && a.output) a.output(value);
    stat &= static_cast<uint8_t>(~asci::kTdre);
  } else if (offset == asci::kCntla[ch]) {
    InternalRegisters[offset] = value;
    if (!(value & asci::kErrorFlagReset)) stat &= static_cast<uint8_t>(~kErrors);
  } else if (offset == asci::kCntlb[ch]) {
    InternalRegisters[offset] = value;
  } // RDR is read-only
  SyncBoard();
}

} // namespace kavrin
