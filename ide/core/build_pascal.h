// The Pascal side of the build commands: a .PAS entry of "Compile/Assemble
// all files in project", and "Compile main file".
//
//   BuildSession session{project, messages, ui, platform::ProgramDirectory()};
//   if (CompileMainFile(session)) ...   // compiled, summary printed, assembled
#pragma once

#include <string>
#include <string_view>

#include "compiler/compiler.h"
#include "ide/core/build_commands.h"

namespace velkor {

// The compiler's settings for a project build.
CompileSettings CompileSettingsFor(const Project& project);

// Compiles `path` with the project's settings; on an error the report is in
// the messages and the session's error flag is set.
CompileResult CompilePascalFile(BuildSession& session, const std::string& path);

// The summary lines after a compilation; `blocksLabel` is "Procedures:     "
// or "CodeBlocks:     ".
void AddCompileSummary(MessageList& messages, const CompileResult& result, std::string_view file,
                       std::string_view blocksLabel);

// "Compile/Assemble file" for a Pascal source: compiled, the summary with
// "Procedures:     ", then the file the compiler wrote is assembled.
bool CompileAndAssemble(BuildSession& session, const std::string& path);

// A .PAS entry of the project: searched, compiled, its short summary, then
// the file the compiler wrote is assembled.
bool BuildPascalEntry(BuildSession& session, const std::string& entry);

// MainFileName, with the .EPS/.PAS substitution; true when there is no Pascal
// main file (nothing happens).
bool CompileMainFile(BuildSession& session);
// Whether the project names a main file "Compile main file" would build.
bool HasPascalMainFile(const Project& project);

} // namespace velkor
