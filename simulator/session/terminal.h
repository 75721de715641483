#pragma once
// The terminal device on the terminal data port and the status port after it.

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace kavrin {

inline constexpr int kTerminalLines = 14;
inline constexpr int kTerminalColumns = 40;
inline constexpr std::uint8_t kDefaultTerminalPort = 0x80;
// A program that waits for a key after standard input (not a terminal) has
// ended: this many status reads in a row find no key, with nothing else between.
inline constexpr int kWaitingPollLimit = 1000;
inline constexpr const char* kWaitingAtEndMessage = "Waiting for input at end of standard input";

// "Ports: 80H, 81H": the data port and the status port after it.
std::string TerminalPortsCaption(std::uint8_t port);

class Terminal {
public:
  Terminal() { Clear(); }

  // A byte the program writes to the data port.
  void Output(std::uint8_t c);
  // Data port read: the waiting byte; a second byte (LF after Enter) moves up.
  std::uint8_t ReadData();
  // Status port read: 1 while a byte waits.
  std::uint8_t ReadStatus() const { return byteWaiting_ ? 1 : 0; }
  // A key press; Enter (0DH) also queues 0AH. Overwrites an unread byte.
  void KeyPress(std::uint8_t code);
  bool ByteWaiting() const { return byteWaiting_; }

  void Clear();
  const std::array<std::string, kTerminalLines>& Lines() const { return lines_; }
  // Observers for a front end that forwards the traffic (the command line).
  std::function<void(std::uint8_t)> onOutput;
  std::function<void()> onDataRead;
  int Line() const { return line_; }
  int Column() const { return column_; }

private:
  void LineFeed();

  std::array<std::string, kTerminalLines> lines_;
  int line_ = 0;
  int column_ = 0;
  std::uint8_t data_ = 0;
  std::uint8_t second_ = 0;
  bool byteWaiting_ = false;
};

} // namespace kavrin
