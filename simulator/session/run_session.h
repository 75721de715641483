#pragma once
// One simulator session: the machine with its devices, the symbol tables,
// the load history and the user breakpoints, with the loading commands of
// the File menu. The windows and the command line both drive this.

#include <cstdint>
#include <memory>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/session/io_panel.h"
#include "simulator/session/loader.h"
#include "simulator/session/settings.h"
#include "simulator/session/stopwatch.h"
#include "simulator/session/symbols.h"
#include "simulator/session/terminal.h"

namespace kavrin {

class Session {
public:
  Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Machine& machine() { return *machine_; }
  const Machine& machine() const { return *machine_; }

  SymbolTable symbols;
  Terminal terminal;
  IoPanel panel;
  LoadHistory history;
  BreakpointList breakpoints{};
  // The [Board] settings; the machine follows them after UseSettings() or UseBoard().
  BoardSettings board;
  // Loads that reset put the program at 0100H for CP/M (the [Emulation] CpmMode key).
  bool cpmMode = false;
  Stopwatch stopwatch;

  std::uint8_t TerminalPort() const { return terminalPort_; }
  void SetTerminalPort(std::uint8_t port);
  void UseSettings(const KavrinSettings& settings);
  // The machine configured as `settings` say, the terminal on the console
  // channel they name.
  void UseBoard(const BoardSettings& settings);
  // Reset CPU: the machine's reset, which clears its counts, and the stopwatch with them.
  void ResetCpu();
  // After a port number of the terminal or the I/O page changed.
  void RebuildPortMaps();

  // "Load at 0000H" and a history item: load, read the .SYM beside the file
  // when there is one, reset. A bad symbol file is reported in symbolMessage.
  LoadResult LoadAndReset(const std::string& path, std::uint32_t address, bool addToHistory,
                          std::string* symbolMessage);
  // "Load at ...": load only.
  LoadResult LoadAt(const std::string& path, std::uint32_t address);
  LoadResult LoadHistoryItem(int index, std::string* symbolMessage);

  // Kavrin.ini: read once (ports, Join boxes, history), the Emulation section
  // written at close and the history sections at each load. A missing file
  // gives the defaults. Without a path nothing is kept.
  void OpenSettings(const std::string& path);
  bool SaveSettings(std::string& error);
  const std::string& SettingsPath() const { return settingsPath_; }

private:
  void SaveHistory();
  void ConnectConsole();

  std::unique_ptr<Machine> machine_;
  std::string settingsPath_;
  platform::IniFile settings_;
  std::uint8_t terminalPort_ = kDefaultTerminalPort;
};

} // namespace kavrin
