#pragma once
// Kavrin.ini: the terminal and I/O page ports, the Join boxes, the board
// model and the load history.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/ini_file.h"
#include "simulator/core/machine.h"
#include "simulator/session/io_panel.h"
#include "simulator/session/loader.h"

namespace kavrin {

inline constexpr const char* kSettingsFileName = "Kavrin.ini";
inline constexpr const char* kNoHistory = "NoHistory";
inline constexpr int kIoPortCount = 2 * kIoPageRows; // inputs 0-4, outputs 5-9

inline constexpr int kDefaultClockKHz = 18432; // the usual Z180 board crystal
inline constexpr int kMaxClockKHz = 1000000;

// Where the console (the terminal) meets the program with the board on: the
// terminal's port pair, or ASCI channel 0 or 1.
enum class ConsoleKind { Port, Asci0, Asci1 };
// "port", "asci0" or "asci1", the words of --console and the Console key.
std::optional<ConsoleKind> ParseConsoleKind(const std::string& text);
std::string ConsoleKindName(ConsoleKind kind);

// Section Board; a file without it gives the bare core.
struct BoardSettings {
  bool enabled = false;
  int romSizeK = 0; // writes below are ignored; 0 = no ROM
  int clockKHz = kDefaultClockKHz;
  int memoryWaitStates = 0;
  int ioWaitStates = 0;
  ConsoleKind console = ConsoleKind::Port;
};

struct KavrinSettings {
  std::uint8_t terminalPort = kDefaultTerminalPort;
  std::array<std::uint8_t, kIoPortCount> ioPorts{}; // default 82H + index
  std::array<bool, kIoPageRows> join{};
  BoardSettings board;
  bool cpmMode = false; // loads run as CP/M programs at 0100H
  KavrinSettings();
};

KavrinSettings ReadSettings(const platform::IniFile& ini);
// Writes the Emulation and Board sections (on close).
void WriteSettings(const KavrinSettings& settings, platform::IniFile& ini);

LoadHistory ReadLoadHistory(const platform::IniFile& ini);
// Writes both history sections (at each load); empty places read "NoHistory".
void WriteLoadHistory(const LoadHistory& history, platform::IniFile& ini);

// Moves the settings into the I/O page (ports and Join) and back.
void ApplySettings(const KavrinSettings& settings, IoPanel& panel);
KavrinSettings CaptureSettings(std::uint8_t terminalPort, const IoPanel& panel);
// The machine as the Board section configures it.
void ApplyBoardSettings(const BoardSettings& board, Machine& machine);

} // namespace kavrin
