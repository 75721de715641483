#include "simulator/core/machine.h"

namespace kavrin {

uint8_t Machine::PortRead(uint8_t port) {
  const auto offset = static_cast<uint8_t>(port - io_base_);
  uint8_t value = 0;
  if (offset < kOnChipRegisterCount) {
    value = board_.enabled ? ReadBoardRegister(offset) : InternalRegisters[offset];
  } else if (const PortReadHandler& handler = read_handlers_[ReadPortMap[port]]) {
    value = handler(port);
  }
  if (port_observer_) port_observer_(port, false, value);
  return value;
}

void Machine::PortWrite(uint8_t port, uint8_t value) {
  const auto offset = static_cast<uint8_t>(port - io_base_);
  if (offset < kOnChipRegisterCount) {
    WriteOnChipRegister(offset, value);
  } else if (const PortWriteHandler& handler = write_handlers_[WritePortMap[port]]) {
    handler(port, value);
  }
  if (port_observer_) port_observer_(port, true, value);
}

// Later assignments win: an I/O page port equal to the terminal port hides it.
void Machine::BuildPortMaps(uint8_t terminalPort,
                            const std::array<uint8_t, kIoPagePortCount>& inputPorts,
                            const std::array<uint8_t, kIoPagePortCount>& outputPorts) {
  ReadPortMap.fill(kNoDevice);
  WritePortMap.fill(kNoDevice);
  WritePortMap[terminalPort] = kTerminalData;
  ReadPortMap[terminalPort] = kTerminalData;
  ReadPortMap[static_cast<uint8_t>(terminalPort + 1)] = kTerminalStatus;
  for (int i = 0; i < kIoPagePortCount; ++i) {
    ReadPortMap[inputPorts[i]] = static_cast<uint8_t>(kIoPageFirst + i);
    WritePortMap[outputPorts[i]] = static_cast<uint8_t>(kIoPageFirst + i);
  }
}

void Machine::SetPortReadHandler(PortDevice device, PortReadHandler handler) {
  if (device > kNoDevice && device < kPortDeviceCount) read_handlers_[device] = std::move(handler);
}

void Machine::SetPortWriteHandler(PortDevice device, PortWriteHandler handler) {
  if (device > kNoDevice && device < kPortDeviceCount) write_handlers_[device] = std::move(handler);
}

} // namespace kavrin
