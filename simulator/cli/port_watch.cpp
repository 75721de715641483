#include "simulator/cli/port_watch.h"

#include "platform/text.h"
#include "simulator/cli/image_setup.h"

namespace kavrin::cli {

PortWatch::PortWatch(Machine& machine, bool logAccesses,
                     std::function<bool(std::uint8_t, std::uint8_t)> idlePoll,
                     std::function<bool()> inputEnded)
    : machine_(machine), log_(logAccesses), idlePoll_(std::move(idlePoll)),
      inputEnded_(std::move(inputEnded)) {
  machine_.SetPortObserver(
      [this](std::uint8_t port, bool write, std::uint8_t value) { Seen(port, write, value); });
}

void PortWatch::Seen(std::uint8_t port, bool write, std::uint8_t value) {
  if (log_) Report(PortAccessLine(port, write, value, pc_));
  accessed_ = true;
  polls_ = !write && idlePoll_(port, value) ? polls_ + 1 : 0;
  if (polls_ >= kWaitingPollLimit && !waiting_ && inputEnded_()) {
    waiting_ = true;
    machine_.Stop();
  }
}

void PortWatch::ChunkEnded() {
  if (machine_.Halted() && !accessed_ && !waiting_ && inputEnded_()) {
    waiting_ = true;
    machine_.Stop();
  }
  accessed_ = false;
}

std::string PortAccessLine(std::uint8_t port, bool write, std::uint8_t value, std::uint16_t pc) {
  return std::string(write ? "out " : "in  ") + platform::Hex(port, 2) + "H " +
         platform::Hex(value, 2) + "H at " + platform::Hex(pc, 4) + "H";
}

} // namespace kavrin::cli
