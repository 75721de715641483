#pragma once
// Paths as both programs use them on Linux.
//
// Project files written on other systems may use "\": NormalizeSeparators
// turns every "\" into "/" when a path is read; paths are written with "/".
// Names that the system compares without regard to case (sources listed in
// projects, library objects, include files) are found with
// FindCaseInsensitive.
//
//   std::string dir = platform::ProgramDirectory();            // ".../bin/"
//   std::string ini = platform::SettingsFilePath("Velkor.ini"); // beside it, or ~/.config/velkor/
//   auto found = platform::FindCaseInsensitive(dir + "Lib/", "IO.RRO");

#include <optional>
#include <string>
#include <string_view>

namespace platform {

std::string NormalizeSeparators(std::string_view path);

// The directory of a path including its final "/" ("" for a bare name), the
// name after it, the extension from its last "." (with the dot, "" when there
// is none), and the path with another extension.
std::string DirectoryPart(std::string_view path);
std::string FileNamePart(std::string_view path);
std::string ExtensionPart(std::string_view path);
std::string ChangeExtension(std::string_view path, std::string_view extension);
// The extension upper-cased (".PAS"), as the system compares extensions.
std::string UpperExtension(std::string_view path);
std::string UpperCase(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

// The absolute, normalised form of a path (relative paths against the
// current directory); symlinks are not resolved. Directories end in "/".
std::string AbsolutePath(std::string_view path);
std::string AbsoluteDirectory(std::string_view path);

// The directory of the running program with symlinks resolved, ending in "/".
std::string ProgramDirectory();

bool FileExists(const std::string& path);
bool DirectoryWritable(const std::string& directory);

// The path itself when it exists; else, looking up each component below the
// first existing directory case-insensitively, the existing match; else none.
std::optional<std::string> FindCaseInsensitive(const std::string& path);
std::optional<std::string> FindCaseInsensitive(const std::string& directory, std::string_view name);

// Where a program keeps its settings file: beside the program when that
// directory is writable, else $XDG_CONFIG_HOME/<program>/ (~/.config when
// the variable is unset or empty), <program> being the lower-case file name
// without its extension ("Velkor.ini" -> velkor/Velkor.ini).
std::string SettingsFilePath(std::string_view fileName);
std::string SettingsFilePathFor(const std::string& programDirectory, std::string_view fileName,
                                const char* xdgConfigHome, const char* home);

// Creates the directory and its parents; false when it cannot be made.
bool MakeDirectories(const std::string& directory);

} // namespace platform
