#pragma once
// The assembler's entry points.
//
//   velkor::MessageList messages;
//   platform::HeadlessUiHost ui;   // the IDE passes its window host
//   velkor::asmsrc::AssemblySettings settings;
//   settings.projectDirectory = "/home/me/board";
//   auto result = velkor::AssembleFile("/home/me/board/MAIN.Mac", settings, messages, ui);
//   if (!result.ok) showInEditor(result.errorPath, result.errorLine);
//
// AssembleFile writes MAIN.RRO beside the source, MAIN.DEF when the source
// has WRITE statements and MAIN.LST when settings.writeListing is set, only
// when the assembly succeeded: after an error the previous files stay as
// they were.

#include "assembler/assembly.h"
#include "common/message_list.h"
#include "platform/ui_host.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velkor {

struct AssembleResult {
  bool ok = false;
  std::string objectPath;     // "" when no object was written
  std::string definitionPath; // "" when no .DEF was written
  std::string listingPath;    // "" when no .LST was written
  // The error position: the file (the source or the include file) and its
  // 1-based line number; 0 when the error has no line (unreadable source).
  std::string errorPath;
  std::size_t errorLine = 0;
  std::string errorMessage;
};

AssembleResult AssembleFile(const std::string& sourcePath, const asmsrc::AssemblySettings& settings,
                            MessageList& messages, platform::UiHost& ui);

// Assembles lines held in memory; the object file's bytes come back in
// `image` (written whether or not the assembly succeeded).
struct AssembledLines {
  bool ok = false;
  std::vector<std::uint8_t> image;
  std::vector<std::pair<std::string, std::uint16_t>> writeList;
  asmsrc::AssemblyError error;
};
AssembledLines AssembleLines(std::vector<std::string> lines,
                             const asmsrc::AssemblySettings& settings, MessageList& messages,
                             platform::UiHost& ui);

// The text of the .DEF file for a WRITE list.
std::string DefinitionFileText(const std::vector<std::pair<std::string, std::uint16_t>>& entries);

inline constexpr std::string_view kCompletedMessage = "Completed. No fatal errors...";
inline constexpr std::string_view kCannotFindFile = "Cannot find file : ";

} // namespace velkor
