#include "simulator/session/run_session.h"

#include <system_error>

#include "platform/paths.h"
#include "simulator/session/cpm_system.h"

namespace kavrin {

Session::Session() : machine_(std::make_unique<Machine>()) {
  machine_->Reset();
  RebuildPortMaps();
}

void Session::SetTerminalPort(std::uint8_t port) {
  terminalPort_ = port;
  RebuildPortMaps();
}

void Session::UseSettings(const KavrinSettings& settings) {
  terminalPort_ = settings.terminalPort;
  ApplySettings(settings, panel);
  cpmMode = settings.cpmMode;
  UseBoard(settings.board);
  RebuildPortMaps();
}

void Session::UseBoard(const BoardSettings& settings) {
  board = settings;
  ApplyBoardSettings(board, *machine_);
  ConnectConsole();
}

// With the board on and an ASCI console, the terminal's keys and screen move
// to that channel; its port pair stays in place as on the bare core.
void Session::ConnectConsole() {
  for (int channel = 0; channel < kAsciChannels; ++channel)
    machine_->ConnectAsci(channel, {}, {});
  if (!board.enabled || board.console == ConsoleKind::Port) return;
  machine_->ConnectAsci(
      board.console == ConsoleKind::Asci0 ? 0 : 1,
      [this] { return terminal.ByteWaiting() ? int{terminal.ReadData()} : -1; },
      [this](std::uint8_t c) { terminal.Output(c); });
}

void Session::ResetCpu() {
  machine_->Reset();
  stopwatch.Clear();
}

void Session::RebuildPortMaps() {
  ConnectDevices(*machine_, terminal, panel, terminalPort_);
}

LoadResult Session::LoadAndReset(const std::string& path, std::uint32_t address, bool addToHistory,
                                 std::string* symbolMessage) {
  LoadResult result = LoadImage(path, address, machine_->PhysicalMemory);
  if (!result.ok) return result;
  const std::filesystem::path symbolPath = SymbolFileFor(path);
  std::error_code ec;
  if (std::filesystem::exists(symbolPath, ec)) {
    const SymbolFileResult read = ReadSymbolFile(symbolPath, symbols);
    if (!read.ok && symbolMessage) *symbolMessage = read.message;
  }
  if (addToHistory) {
    history.Add(path, address);
    SaveHistory();
  }
  ResetCpu();
  return result;
}

LoadResult Session::LoadAt(const std::string& path, std::uint32_t address) {
  LoadResult result = LoadImage(path, address, machine_->PhysicalMemory);
  if (result.ok) {
    history.Add(path, address);
    SaveHistory();
  }
  return result;
}

LoadResult Session::LoadHistoryItem(int index, std::string* symbolMessage) {
  if (index < 0 || static_cast<std::size_t>(index) >= history.Entries().size()) return {};
  const LoadHistoryEntry entry = history.Entries()[static_cast<std::size_t>(index)];
  return LoadAndReset(entry.path, cpmMode ? kCpmProgramStart : entry.address, false, symbolMessage);
}

void Session::OpenSettings(const std::string& path) {
  settingsPath_ = path;
  settings_ = platform::IniFile();
  std::string error;
  if (platform::FileExists(path)) settings_.Load(path, error); // unreadable reads as defaults
  UseSettings(ReadSettings(settings_));
  history = ReadLoadHistory(settings_);
}

bool Session::SaveSettings(std::string& error) {
  if (settingsPath_.empty()) return true;
  KavrinSettings settings = CaptureSettings(terminalPort_, panel);
  settings.board = board;
  settings.cpmMode = cpmMode;
  WriteSettings(settings, settings_);
  WriteLoadHistory(history, settings_);
  return settings_.Save(settingsPath_, error);
}

// A history that cannot be written is not worth stopping a load for.
void Session::SaveHistory() {
  if (settingsPath_.empty()) return;
  WriteLoadHistory(history, settings_);
  std::string error;
  settings_.Save(settingsPath_, error);
}

} // namespace kavrin
