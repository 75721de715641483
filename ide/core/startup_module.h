#pragma once
// The start-up module of a new Pascal project: a compiled main program is a
// routine that returns, so a project whose main file has no LINK clause gets
// a copy of Default/Startup.mac first, which sets up the board, calls the
// program and halts; a CP/M project gets Default/StartupCpm.mac, which starts
// at 0100H and returns to CP/M.

#include <cstdint>
#include <optional>
#include <string>

namespace velkor {

inline constexpr const char* kStartupFileName = "Startup.Mac";
inline constexpr std::uint16_t kDefaultRamStart = 0x8000;
inline constexpr const char* kTerminalUnitFileName = "Terminal.pas";

// The files in Default/ that a project of this target (common/project.h) gets.
struct StartupTemplates {
  const char* startup;
  const char* terminalUnit;
};
StartupTemplates StartupTemplatesFor(int target);

// The target's template text for `programName`, with data at `ramStart`;
// without one a board's data starts at kDefaultRamStart and a CP/M
// program's right after its code (LINK ...,CODEEND).
bool StartupModuleText(const std::string& programDirectory, int target,
                       const std::string& programName, std::optional<std::uint16_t> ramStart,
                       std::string& text, std::string& error);

// Writes the start-up beside the project and gives its path. An existing file
// of that name is kept when it already holds this text and refused
// otherwise, so a user's own file is never overwritten unless `replace` says
// so (new --force, after the program was renamed).
bool WriteStartupModule(const std::string& programDirectory, const std::string& projectDirectory,
                        int target, const std::string& programName,
                        std::optional<std::uint16_t> ramStart, bool replace, std::string& path,
                        std::string& error);

// The program a new project gets when its Pascal main file does not exist
// yet: a greeting through the terminal unit, so the first build runs at once.
// The name comes from the file name; none when that is no Pascal identifier.
std::string GreetingProgramName(const std::string& mainFilePath);
std::string GreetingProgramText(const std::string& programName);

// Copies the target's terminal unit from Default/ beside the project as
// Terminal.pas, where the compiler's include search finds it. A file of that name already there, in
// any letter case, is the user's and stays as it is.
bool CopyTerminalUnit(const std::string& programDirectory, const std::string& projectDirectory,
                      int target, std::string& error);

} // namespace velkor
