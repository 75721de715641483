#include "simulator/session/run_session.h"

#include <system_error>

#include "platform/paths.h"

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
  board = settings.board;
  ApplyBoardSettings(board, *machine_);
  RebuildPortMaps();
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
  machine_->Reset();
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
  return LoadAndReset(entry.path, entry.address, false, symbolMessage);
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
