// The build commands of the environment: "Compile/Assemble all files in
// project", Link, and both in turn. The IDE's buttons and velkor-cli's
// build, link and map commands call these same functions.
//
//   BuildSession session{project, messages, ui, platform::ProgramDirectory()};
//   if (session.BuildAllFiles() && session.Link()) ...;
//   for (const LinkArea& a : session.lastLink.codeAreas) ...   // the memory map
//
// Each project entry is built by the row of kEntryBuilders that matches its
// upper-cased extension; entries without a row (.RRO, .EPS, ...) are left
// for the linker.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/message_list.h"
#include "common/project.h"
#include "compiler/compiler.h"
#include "linker/linker.h"
#include "platform/ui_host.h"

namespace velkor {

// An error or warning where the user must look: FILE:LINE:COLUMN for
// editors. Line and column are 1-based, 0 when the tool does not know them.
struct Diagnostic {
  std::string file;
  std::size_t line = 0;
  std::size_t column = 0;
  std::string text;
  bool warning = false;
};

struct BuildSession {
  BuildSession(Project& project, MessageList& messages, platform::UiHost& ui,
               std::string programDirectory)
      : project(project), messages(messages), ui(ui),
        programDirectory(std::move(programDirectory)) {}

  Project& project;
  MessageList& messages;
  platform::UiHost& ui;
  std::string programDirectory; // where Lib/ and Default/ lie

  // Conditional symbols every compilation starts with (velkor-cli -D).
  std::vector<std::string> defines;
  // Told of every error and warning beside the message list (velkor-cli's
  // stderr, the message window's places).
  std::function<void(const Diagnostic&)> onDiagnostic;
  void Report(Diagnostic diagnostic) const {
    if (onDiagnostic) onDiagnostic(diagnostic);
  }
  // Set by the first failing tool; a build stops there.
  bool errorFlag = false;
  // The last link, for the memory map window.
  LinkResult lastLink;

  // Empties the message list and builds every entry in link order until the
  // first error. False when a tool failed.
  bool BuildAllFiles();
  // Links the project. With writeFiles false nothing is written or started.
  bool Link(bool writeFiles = true);
  // BuildAllFiles, then Link when it succeeded.
  bool Build();

  // Where an entry's file lies (project directory, program directory, Lib/, Default/).
  std::string SearchEntry(std::string_view entry) const;
};

// One way of building a project entry, chosen by its extension.
struct EntryBuilder {
  std::string_view extension; // upper case, with the dot
  bool (*build)(BuildSession& session, const std::string& entry);
};
std::span<const EntryBuilder> EntryBuilders();

// "Compile/Assemble file": the file of an editor page, by its extension
// (.MAC assembled, .PAS compiled and assembled); any other extension is
// refused in a message box. False when nothing was built or a tool failed.
bool BuildEditorFile(BuildSession& session, const std::string& path);
inline constexpr std::string_view kUnknownFileType =
    "Don't know how to handle this file. File extention should be .Pas for Pascal files or .Mac "
    "for assembler files...";

// Assembles the file (a .Mac or .EMS) next to itself; false on an error.
// With the compilation that wrote it, an error on a line of an ASM block is
// reported at that block's Pascal line.
bool AssembleFile(BuildSession& session, const std::string& path,
                  const CompileResult* compiled = nullptr);

} // namespace velkor
