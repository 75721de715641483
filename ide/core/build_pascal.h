// The Pascal side of the build commands: a .PAS entry of "Compile/Assemble
// all files in project", and "Compile main file".
//
//   BuildSession session{project, messages, ui, platform::ProgramDirectory()};
//   if (CompileMainFile(session)) ...   // compiled, summary printed, assembled
#pragma once

#include <string>
#include <string_view>

#include "compiler/compilation.h"
#include "ide/core/build_commands.h"

namespace velkor {

// The compiler's settings for a project build.
CompileSettings CompileSettingsFor(const Project& project);

// Compiles `path`; on an error the report is in the messages, the session's
// error flag is set and false is returned. `encodeOutput` is the starting
// value of EncodeOutput (an encoded include may still set it).
bool CompilePascalFile(BuildSession& session, Compilation& c, const std::string& path,
                       bool encodeOutput);

// The summary lines after a compilation; `blocksLabel` is "Procedures:     "
// or "CodeBlocks:     ".
void AddCompileSummary(MessageList& messages, const Compilation& c, std::string_view file,
                       std::string_view blocksLabel);

// A .PAS entry of the project: searched, compiled, its short summary, then
// the file the compiler wrote is assembled.
bool BuildPascalEntry(BuildSession& session, const std::string& entry);

// MainFileName, with the .EPS/.PAS substitution; true when there is no Pascal
// main file (nothing happens).
bool CompileMainFile(BuildSession& session);
// Whether the project names a main file "Compile main file" would build.
bool HasPascalMainFile(const Project& project);

} // namespace velkor
