#include "simulator/session/settings.h"

#include <charconv>
#include <string_view>

namespace kavrin {
namespace {

constexpr const char* kEmulation = "Emulation";
constexpr const char* kBoard = "Board";
constexpr const char* kLoadHistorySection = "LoadHistory";
constexpr const char* kLoadAddressSection = "LoadAddress";
constexpr int kPortLimit = 0x100;

std::string ItemKey(int i) {
  return "Item" + std::to_string(i);
}

// The ten I/O page ports share the single key IOPort as a comma-separated
// list; a missing or bad element keeps its default.
void ReadIoPorts(const std::string& text, std::array<std::uint8_t, kIoPortCount>& ports) {
  std::size_t pos = 0;
  for (int i = 0; i < kIoPortCount && pos <= text.size(); ++i) {
    std::size_t end = text.find(',', pos);
    if (end == std::string::npos) end = text.size();
    std::string_view item = std::string_view(text).substr(pos, end - pos);
    while (!item.empty() && item.front() == ' ')
      item.remove_prefix(1);
    while (!item.empty() && item.back() == ' ')
      item.remove_suffix(1);
    int value = -1;
    const auto [ptr, ec] = std::from_chars(item.data(), item.data() + item.size(), value);
    if (ec == std::errc() && ptr == item.data() + item.size() && value >= 0 && value < kPortLimit)
      ports[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value);
    pos = end + 1;
  }
}

// By ConsoleKind.
constexpr const char* kConsoleNames[] = {"port", "asci0", "asci1"};

} // namespace

std::optional<ConsoleKind> ParseConsoleKind(const std::string& text) {
  for (std::size_t i = 0; i < std::size(kConsoleNames); ++i)
    if (text == kConsoleNames[i]) return static_cast<ConsoleKind>(i);
  return std::nullopt;
}

std::string ConsoleKindName(ConsoleKind kind) {
  return kConsoleNames[static_cast<int>(kind)];
}

KavrinSettings::KavrinSettings() {
  for (int i = 0; i < kIoPortCount; ++i)
    ioPorts[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(kFirstInputPort + i);
}

KavrinSettings ReadSettings(const platform::IniFile& ini) {
  KavrinSettings s;
  const int terminal = ini.ReadInteger(kEmulation, "TerminalPort", kDefaultTerminalPort);
  if (terminal >= 0 && terminal < kPortLimit) s.terminalPort = static_cast<std::uint8_t>(terminal);
  ReadIoPorts(ini.ReadString(kEmulation, "IOPort", ""), s.ioPorts);
  for (int i = 0; i < kIoPageRows; ++i)
    s.join[static_cast<std::size_t>(i)] =
        ini.ReadBool(kEmulation, "Join" + std::to_string(i), false);
  s.cpmMode = ini.ReadBool(kEmulation, "CpmMode", false);
  // Values out of range keep their defaults.
  const auto within = [&ini](const char* key, int low, int high, int fallback) {
    const int v = ini.ReadInteger(kBoard, key, fallback);
    return v >= low && v <= high ? v : fallback;
  };
  BoardSettings& b = s.board;
  b.enabled = ini.ReadBool(kBoard, "Enabled", false);
  b.romSizeK = within("RomSize", 0, static_cast<int>(kMaxRomSize / 1024), 0);
  b.clockKHz = within("ClockKHz", 1, kMaxClockKHz, kDefaultClockKHz);
  b.memoryWaitStates = within("MemoryWaitStates", 0, kMaxWaitStates, 0);
  b.ioWaitStates = within("IoWaitStates", 0, kMaxWaitStates, 0);
  b.console = ParseConsoleKind(ini.ReadString(kBoard, "Console", "")).value_or(ConsoleKind::Port);
  return s;
}

void WriteSettings(const KavrinSettings& s, platform::IniFile& ini) {
  ini.WriteInteger(kEmulation, "TerminalPort", s.terminalPort);
  std::string ports;
  for (std::uint8_t p : s.ioPorts)
    ports += (ports.empty() ? "" : ",") + std::to_string(p);
  ini.WriteString(kEmulation, "IOPort", ports);
  for (int i = 0; i < kIoPageRows; ++i)
    ini.WriteBool(kEmulation, "Join" + std::to_string(i), s.join[static_cast<std::size_t>(i)]);
  ini.WriteBool(kEmulation, "CpmMode", s.cpmMode);
  ini.WriteBool(kBoard, "Enabled", s.board.enabled);
  ini.WriteInteger(kBoard, "RomSize", s.board.romSizeK);
  ini.WriteInteger(kBoard, "ClockKHz", s.board.clockKHz);
  ini.WriteInteger(kBoard, "MemoryWaitStates", s.board.memoryWaitStates);
  ini.WriteInteger(kBoard, "IoWaitStates", s.board.ioWaitStates);
  ini.WriteString(kBoard, "Console", ConsoleKindName(s.board.console));
}

LoadHistory ReadLoadHistory(const platform::IniFile& ini) {
  std::vector<LoadHistoryEntry> entries;
  for (int i = 0; i < kLoadHistorySize; ++i) {
    const std::string path = ini.ReadString(kLoadHistorySection, ItemKey(i), kNoHistory);
    if (path.empty() || path == kNoHistory) continue;
    const int address = ini.ReadInteger(kLoadAddressSection, ItemKey(i), 0);
    entries.push_back({path, static_cast<std::uint32_t>(address) & 0xFFFFF});
  }
  LoadHistory history;
  history.Set(std::move(entries));
  return history;
}

void WriteLoadHistory(const LoadHistory& history, platform::IniFile& ini) {
  const auto& entries = history.Entries();
  for (int i = 0; i < kLoadHistorySize; ++i) {
    const bool used = static_cast<std::size_t>(i) < entries.size();
    ini.WriteString(kLoadHistorySection, ItemKey(i),
                    used ? entries[static_cast<std::size_t>(i)].path : kNoHistory);
    ini.WriteInteger(kLoadAddressSection, ItemKey(i),
                     used ? static_cast<int>(entries[static_cast<std::size_t>(i)].address) : 0);
  }
}

void ApplySettings(const KavrinSettings& s, IoPanel& panel) {
  for (int i = 0; i < kIoPageRows; ++i) {
    IoPageRow& row = panel.Rows()[static_cast<std::size_t>(i)];
    row.inputPort = s.ioPorts[static_cast<std::size_t>(i)];
    row.outputPort = s.ioPorts[static_cast<std::size_t>(i + kIoPageRows)];
    panel.SetJoined(i, s.join[static_cast<std::size_t>(i)]);
  }
}

void ApplyBoardSettings(const BoardSettings& board, Machine& machine) {
  machine.SetWaitStates(board.memoryWaitStates, board.ioWaitStates);
  machine.ConfigureBoard(
      {.enabled = board.enabled, .romSize = static_cast<std::uint32_t>(board.romSizeK) * 1024});
}

KavrinSettings CaptureSettings(std::uint8_t terminalPort, const IoPanel& panel) {
  KavrinSettings s;
  s.terminalPort = terminalPort;
  for (int i = 0; i < kIoPageRows; ++i) {
    const IoPageRow& row = panel.Rows()[static_cast<std::size_t>(i)];
    s.ioPorts[static_cast<std::size_t>(i)] = row.inputPort;
    s.ioPorts[static_cast<std::size_t>(i + kIoPageRows)] = row.outputPort;
    s.join[static_cast<std::size_t>(i)] = row.joined;
  }
  return s;
}

} // namespace kavrin
