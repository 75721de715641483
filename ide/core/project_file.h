#pragma once
// The .Prj project file and the environment's Velkor.ini, both ini files.
//
//   velkor::Project project;
//   std::string error;
//   if (!velkor::ReadProjectFile("/work/demo/Demo.Prj", project, error)) show(error);
//   project.AddFile("/work/demo/Io.Mac");
//   if (!velkor::WriteProjectFile(project, error)) show(error);   // to project.PrjPath()
//
// Reading never changes the file and never fails on damaged content: a file
// that is not a project at all (no [General] and no [Sources]) is refused
// with an error and the caller's project is left as it was. Writing keeps
// sections and keys the system does not know and replaces the file only
// after the new one is complete.

#include <optional>
#include <string>
#include <vector>

#include "common/project.h"

namespace velkor {

// The value that ends the Sources and Editor lists.
inline constexpr std::string_view kListEndMarker = "Undefined";

bool ReadProjectFile(const std::string& path, Project& project, std::string& error);
// The same from the file's text; `path` gives items 0 and 1.
bool ParseProjectText(std::string_view text, const std::string& path, Project& project,
                      std::string& error);
// The file as written for a project, without anything carried over.
std::string ProjectFileText(const Project& project);
bool WriteProjectFile(const Project& project, std::string& error);
bool WriteProjectFile(const Project& project, const std::string& path, std::string& error);

// What Velkor.ini keeps between runs of the environment.
struct IdeSettings {
  std::string LastProject = "Project1";
  std::string LastPath; // the program's directory when not stored
  ProjectSettings settings;
  int EditorWidth = 600;
  int EditorHeight = 440;
  std::optional<int> MainTop; // unset: the window's own default position
  std::optional<int> MainLeft;
  std::vector<std::string> sources; // copy of the project's files
  std::vector<OpenEditor> editors;
  int currentEditor = 0;
};

inline constexpr std::string_view kVelkorIniName = "Velkor.ini";

// Beside the program when its directory is writable, else under
// $XDG_CONFIG_HOME/velkor/ (see platform::SettingsFilePath).
std::string VelkorIniPath();

// A missing file gives the defaults and true; an unreadable one false.
bool ReadVelkorIni(const std::string& path, const std::string& programDirectory,
                   IdeSettings& settings, std::string& error);
void ParseVelkorIniText(std::string_view text, const std::string& programDirectory,
                        IdeSettings& settings);
bool WriteVelkorIni(const std::string& path, const IdeSettings& settings, std::string& error);

} // namespace velkor
