#include "simulator/session/io_panel.h"

#include <charconv>

namespace kavrin {

IoPanel::IoPanel() {
  for (int i = 0; i < kIoPageRows; ++i) {
    rows_[static_cast<std::size_t>(i)].inputPort = static_cast<std::uint8_t>(kFirstInputPort + i);
    rows_[static_cast<std::size_t>(i)].outputPort = static_cast<std::uint8_t>(kFirstOutputPort + i);
  }
}

void IoPanel::WriteOutput(int row, std::uint8_t value) {
  IoPageRow& r = rows_[static_cast<std::size_t>(row)];
  r.outputValue = value;
  if (r.joined) r.inputValue = value;
}

bool IoPanel::SetInputValue(int row, std::uint8_t value, std::string* message) {
  IoPageRow& r = rows_[static_cast<std::size_t>(row)];
  if (r.joined) {
    if (message) *message = kJoinedValueMessage;
    return false;
  }
  r.inputValue = value;
  return true;
}

void IoPanel::SetJoined(int row, bool joined) {
  rows_[static_cast<std::size_t>(row)].joined = joined;
  Refresh();
}

void IoPanel::Refresh() {
  for (IoPageRow& r : rows_)
    if (r.joined) r.inputValue = r.outputValue;
}

std::array<std::uint8_t, kIoPageRows> IoPanel::InputPorts() const {
  std::array<std::uint8_t, kIoPageRows> ports{};
  for (std::size_t i = 0; i < ports.size(); ++i)
    ports[i] = rows_[i].inputPort;
  return ports;
}

std::array<std::uint8_t, kIoPageRows> IoPanel::OutputPorts() const {
  std::array<std::uint8_t, kIoPageRows> ports{};
  for (std::size_t i = 0; i < ports.size(); ++i)
    ports[i] = rows_[i].outputPort;
  return ports;
}

void ConnectDevices(Machine& machine, Terminal& terminal, IoPanel& panel,
                    std::uint8_t terminalPort) {
  machine.BuildPortMaps(terminalPort, panel.InputPorts(), panel.OutputPorts());
  machine.SetPortReadHandler(kTerminalData,
                             [&terminal](std::uint8_t) { return terminal.ReadData(); });
  machine.SetPortWriteHandler(kTerminalData,
                              [&terminal](std::uint8_t, std::uint8_t v) { terminal.Output(v); });
  machine.SetPortReadHandler(kTerminalStatus,
                             [&terminal](std::uint8_t) { return terminal.ReadStatus(); });
  for (int row = 0; row < kIoPageRows; ++row) {
    const auto device = static_cast<PortDevice>(kIoPageFirst + row);
    machine.SetPortReadHandler(device,
                               [&panel, row](std::uint8_t) { return panel.ReadInput(row); });
    machine.SetPortWriteHandler(
        device, [&panel, row](std::uint8_t, std::uint8_t v) { panel.WriteOutput(row, v); });
  }
}

namespace {
std::uint8_t ParseValue(const std::string& text, int base) {
  unsigned value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
  if (ec != std::errc() || ptr != end || text.empty()) return 0;
  return static_cast<std::uint8_t>(value);
}
} // namespace

std::uint8_t ParseDecimalValue(const std::string& text) {
  return ParseValue(text, 10);
}
std::uint8_t ParseHexValue(const std::string& text) {
  return ParseValue(text, 16);
}

} // namespace kavrin
