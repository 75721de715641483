#pragma once
// Where the tools look for a project entry and for run-time library objects.
//
// The run-time library lies beside the program: <program dir>/Lib/ and
// <program dir>/Default/ (created at start-up when missing).
//
//   std::string path = velkor::SearchProjectFile(entry, project.Directory(),
//                                                platform::ProgramDirectory());
//
// An entry with a directory is taken as it is (relative to the project
// directory). A bare name is looked for, case-insensitively, in the project
// directory, the program's directory, its Lib/ and its Default/; the first
// match wins, and when there is none the Default/ path is returned so that
// the tool reports that file as missing.

#include <string>
#include <string_view>

namespace velkor {

inline constexpr std::string_view kLibraryDirectoryName = "Lib";
inline constexpr std::string_view kDefaultDirectoryName = "Default";

std::string LibraryDirectory(const std::string& programDirectory); // ".../Lib/"
std::string DefaultDirectory(const std::string& programDirectory); // ".../Default/"

// Creates Lib/ and Default/ when they are missing; failures are ignored, the
// search then simply finds nothing there.
void EnsureLibraryDirectories(const std::string& programDirectory);

std::string SearchProjectFile(std::string_view entry, const std::string& projectDirectory,
                              const std::string& programDirectory);

} // namespace velkor
