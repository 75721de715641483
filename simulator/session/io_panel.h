#pragma once
// The I/O page: five input and five output byte ports with "Join", and the
// wiring of it and the terminal into a machine's external port handlers.

#include <array>
#include <cstdint>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/session/terminal.h"

namespace kavrin {

inline constexpr int kIoPageRows = kIoPagePortCount;
inline constexpr std::uint8_t kFirstInputPort = 0x82;
inline constexpr std::uint8_t kFirstOutputPort = kFirstInputPort + kIoPageRows;
inline constexpr const char* kJoinedValueMessage = "Value cannot be changed with joined ports...";

struct IoPageRow {
  std::uint8_t inputPort = 0;
  std::uint8_t outputPort = 0;
  std::uint8_t inputValue = 0;
  std::uint8_t outputValue = 0;
  bool joined = false;
};

class IoPanel {
public:
  IoPanel();

  std::array<IoPageRow, kIoPageRows>& Rows() { return rows_; }
  const std::array<IoPageRow, kIoPageRows>& Rows() const { return rows_; }

  std::uint8_t ReadInput(int row) const { return rows_[static_cast<std::size_t>(row)].inputValue; }
  // The program's write to an output port; a joined row's input follows.
  void WriteOutput(int row, std::uint8_t value);
  // The user's entry into an input field; refused (with the message) on a joined row.
  bool SetInputValue(int row, std::uint8_t value, std::string* message);
  void SetJoined(int row, bool joined);
  // Copies outputs to the inputs of joined rows, as every refresh of the page does.
  void Refresh();

  std::array<std::uint8_t, kIoPageRows> InputPorts() const;
  std::array<std::uint8_t, kIoPageRows> OutputPorts() const;

private:
  std::array<IoPageRow, kIoPageRows> rows_;
};

// Rebuilds the machine's port maps from the terminal port and the I/O page,
// and routes the external handlers to the two devices. Both must outlive the
// machine's use of them.
void ConnectDevices(Machine& machine, Terminal& terminal, IoPanel& panel,
                    std::uint8_t terminalPort);

// Input value typed as decimal or hex: text that is no number gives 0.
std::uint8_t ParseDecimalValue(const std::string& text);
std::uint8_t ParseHexValue(const std::string& text);

} // namespace kavrin
