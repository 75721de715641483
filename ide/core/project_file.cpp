#include "ide/core/project_file.h"

#include <algorithm>
#include <filesystem>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/paths.h"

namespace velkor {
namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kSources = "Sources";
constexpr std::string_view kEditor = "Editor";
constexpr std::string_view kMain = "Main";
constexpr std::string_view kSourceKey = "Source";

// Kept in [General] only when on, so that projects that never asked for these
// outputs keep their files byte for byte.
struct OutputKey {
  std::string_view key;
  bool ProjectSettings::*flag;
};
constexpr OutputKey kOutputKeys[] = {{"ListFiles", &ProjectSettings::ListFiles},
                                     {"WriteMap", &ProjectSettings::WriteMap},
                                     {"WriteHex", &ProjectSettings::WriteHex}};

std::string Numbered(std::string_view key, std::size_t n) {
  return std::string(key) + std::to_string(n);
}

void ReadSettings(const platform::IniFile& ini, ProjectSettings& s, bool withMainFile) {
  s.Target = ini.ReadInteger(kGeneral, "Target", 0);
  s.CPU = ini.ReadInteger(kGeneral, "CPU", 0);
  s.IncludePAS = ini.ReadBool(kGeneral, "IncludePAS", true);
  s.WriteSym = ini.ReadBool(kGeneral, "WriteSym", false);
  s.PasInSym = ini.ReadBool(kGeneral, "PasInSym", false);
  s.AutoIndent = ini.ReadBool(kGeneral, "AutoIndent", false);
  for (const OutputKey& row : kOutputKeys)
    s.*row.flag = ini.ReadBool(kGeneral, row.key, false);
  if (withMainFile)
    s.MainFileName = platform::NormalizeSeparators(ini.ReadString(kGeneral, "MainFileName", ""));
}

void WriteSettings(platform::IniFile& ini, const ProjectSettings& s, bool withMainFile) {
  ini.WriteInteger(kGeneral, "Target", s.Target);
  ini.WriteInteger(kGeneral, "CPU", s.CPU);
  ini.WriteBool(kGeneral, "IncludePAS", s.IncludePAS);
  ini.WriteBool(kGeneral, "WriteSym", s.WriteSym);
  ini.WriteBool(kGeneral, "PasInSym", s.PasInSym);
  ini.WriteBool(kGeneral, "AutoIndent", s.AutoIndent);
  for (const OutputKey& row : kOutputKeys) {
    if (s.*row.flag) ini.WriteBool(kGeneral, row.key, true);
  }
  if (withMainFile) ini.WriteString(kGeneral, "MainFileName", s.MainFileName);
}

// Source1, Source2, ... up to the end marker (also the default of a missing key).
std::vector<std::string> ReadSourceList(const platform::IniFile& ini, std::string_view section) {
  std::vector<std::string> files;
  for (std::size_t k = 1;; ++k) {
    std::string value = ini.ReadString(section, Numbered(kSourceKey, k), kListEndMarker);
    if (value == kListEndMarker) break;
    if (!value.empty()) files.push_back(platform::NormalizeSeparators(value));
  }
  return files;
}

void WriteSourceList(platform::IniFile& ini, const std::vector<std::string>& files) {
  for (std::size_t k = 1; k <= files.size(); ++k)
    ini.WriteString(kSources, Numbered(kSourceKey, k), files[k - 1]);
  ini.WriteString(kSources, Numbered(kSourceKey, files.size() + 1), kListEndMarker);
}

std::vector<OpenEditor> ReadEditors(const platform::IniFile& ini) {
  std::vector<OpenEditor> editors;
  for (std::size_t k = 1; editors.size() < kEditorSlots; ++k) {
    std::string file = ini.ReadString(kEditor, Numbered(kSourceKey, k), kListEndMarker);
    if (file == kListEndMarker) break;
    if (file.empty()) continue;
    editors.push_back({platform::NormalizeSeparators(file),
                       std::max(0, ini.ReadInteger(kEditor, Numbered("PosY", k), 0)),
                       std::max(0, ini.ReadInteger(kEditor, Numbered("PosX", k), 0))});
  }
  return editors;
}

void WriteEditors(platform::IniFile& ini, const std::vector<OpenEditor>& editors, int current) {
  std::size_t count = std::min(editors.size(), kEditorSlots);
  for (std::size_t k = 1; k <= count; ++k) {
    ini.WriteString(kEditor, Numbered(kSourceKey, k), editors[k - 1].file);
    ini.WriteInteger(kEditor, Numbered("PosY", k), editors[k - 1].PosY);
    ini.WriteInteger(kEditor, Numbered("PosX", k), editors[k - 1].PosX);
  }
  ini.WriteString(kEditor, Numbered(kSourceKey, count + 1), kListEndMarker);
  ini.WriteInteger(kEditor, "Current", current);
}

// The lists are rewritten whole, so that no stale entries remain after the
// end marker; what else the old file held is carried over after our keys.
// An output key that is off is left out rather than carried over.
bool OwnedKey(std::string_view section, const std::string& key) {
  if (platform::EqualsIgnoringCase(section, kSources)) return true;
  if (platform::EqualsIgnoringCase(section, kGeneral)) {
    return std::any_of(
        std::begin(kOutputKeys), std::end(kOutputKeys),
        [&key](const OutputKey& row) { return platform::EqualsIgnoringCase(key, row.key); });
  }
  if (!platform::EqualsIgnoringCase(section, kEditor)) return false;
  std::string upper = platform::UpperCase(key);
  for (std::string_view prefix : {"SOURCE", "POSY", "POSX"}) {
    if (upper.starts_with(prefix) && upper.size() > prefix.size() &&
        std::all_of(upper.begin() + static_cast<std::ptrdiff_t>(prefix.size()), upper.end(),
                    [](char c) { return c >= '0' && c <= '9'; }))
      return true;
  }
  return false;
}

bool SaveKeepingForeign(platform::IniFile& fresh, const std::string& path, std::string& error) {
  platform::IniFile old;
  if (platform::FileExists(path)) {
    if (!old.Load(path, error)) return false;
  }
  for (const std::string& section : old.Sections()) {
    for (const std::string& key : old.Keys(section)) {
      if (OwnedKey(section, key) || fresh.KeyExists(section, key)) continue;
      fresh.WriteString(section, key, old.ReadString(section, key, ""));
    }
  }
  return fresh.Save(path, error);
}

} // namespace

bool ReadProjectFile(const std::string& path, Project& project, std::string& error) {
  std::string text;
  if (!platform::ReadWholeFile(path, text, error)) return false;
  return ParseProjectText(text, path, project, error);
}

bool ParseProjectText(std::string_view text, const std::string& path, Project& project,
                      std::string& error) {
  platform::IniFile ini;
  ini.Parse(text);
  if (!ini.SectionExists(kGeneral) && !ini.SectionExists(kSources)) {
    error = path + " is not a project file";
    return false;
  }
  std::string absolute = platform::AbsolutePath(path);
  Project read;
  ReadSettings(ini, read.settings, true);
  read.ProjectItems = {platform::ChangeExtension(platform::FileNamePart(absolute), ""),
                       platform::DirectoryPart(absolute), "", ""};
  read.RefreshDescriptions();
  for (std::string& file : ReadSourceList(ini, kSources))
    read.ProjectItems.push_back(std::move(file));
  read.editors = ReadEditors(ini);
  read.currentEditor = ini.ReadInteger(kEditor, "Current", 0);
  project = std::move(read);
  return true;
}

bool WriteProjectFile(const Project& project, std::string& error) {
  return WriteProjectFile(project, project.PrjPath(), error);
}

namespace {
platform::IniFile ProjectIni(const Project& project) {
  platform::IniFile ini;
  WriteSettings(ini, project.settings, true);
  WriteSourceList(ini, project.Files());
  WriteEditors(ini, project.editors, project.currentEditor);
  return ini;
}
} // namespace

std::string ProjectFileText(const Project& project) {
  return ProjectIni(project).ToText();
}

bool WriteProjectFile(const Project& project, const std::string& path, std::string& error) {
  platform::IniFile ini = ProjectIni(project);
  return SaveKeepingForeign(ini, path, error);
}

std::string VelkorIniPath() {
  return platform::SettingsFilePath(kVelkorIniName);
}

bool ReadVelkorIni(const std::string& path, const std::string& programDirectory,
                   IdeSettings& settings, std::string& error) {
  std::string text;
  if (platform::FileExists(path) && !platform::ReadWholeFile(path, text, error)) return false;
  ParseVelkorIniText(text, programDirectory, settings);
  return true;
}

void ParseVelkorIniText(std::string_view text, const std::string& programDirectory,
                        IdeSettings& settings) {
  IdeSettings read;
  read.LastPath = programDirectory;
  {
    platform::IniFile ini;
    ini.Parse(text);
    read.LastProject = ini.ReadString(kGeneral, "LastProject", read.LastProject);
    read.LastPath =
        platform::NormalizeSeparators(ini.ReadString(kGeneral, "LastPath", read.LastPath));
    if (!read.LastPath.empty() && read.LastPath.back() != '/') read.LastPath += '/';
    ReadSettings(ini, read.settings, false);
    read.EditorWidth = ini.ReadInteger(kEditor, "Width", read.EditorWidth);
    read.EditorHeight = ini.ReadInteger(kEditor, "Height", read.EditorHeight);
    if (ini.KeyExists(kMain, "Top")) read.MainTop = ini.ReadInteger(kMain, "Top", 0);
    if (ini.KeyExists(kMain, "Left")) read.MainLeft = ini.ReadInteger(kMain, "Left", 0);
    read.sources = ReadSourceList(ini, kSources);
    read.editors = ReadEditors(ini);
    read.currentEditor = ini.ReadInteger(kEditor, "Current", 0);
  }
  settings = std::move(read);
}

bool WriteVelkorIni(const std::string& path, const IdeSettings& settings, std::string& error) {
  platform::IniFile ini;
  ini.WriteString(kGeneral, "LastProject", settings.LastProject);
  ini.WriteString(kGeneral, "LastPath", settings.LastPath);
  WriteSettings(ini, settings.settings, false);
  ini.WriteInteger(kEditor, "Width", settings.EditorWidth);
  ini.WriteInteger(kEditor, "Height", settings.EditorHeight);
  if (settings.MainTop) ini.WriteInteger(kMain, "Top", *settings.MainTop);
  if (settings.MainLeft) ini.WriteInteger(kMain, "Left", *settings.MainLeft);
  WriteSourceList(ini, settings.sources);
  WriteEditors(ini, settings.editors, settings.currentEditor);
  std::string directory = platform::DirectoryPart(path);
  if (!directory.empty() && !platform::MakeDirectories(directory)) {
    error = "Cannot create the directory " + directory;
    return false;
  }
  return SaveKeepingForeign(ini, path, error);
}

} // namespace velkor
