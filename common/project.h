#pragma once
// The open project as the build commands, the compiler, the assembler and the
// linker see it: `ProjectItems` and the project settings. Reading and writing
// the .Prj file is ide/core/project_file.h.
//
// ProjectItems: [0] project name, [1] project directory ending in "/",
// [2] target description, [3] CPU description, [4...] the files in link
// order (a bare name for a file in the project directory, else a full path).
//
//   velkor::Project project = velkor::NewProject(programDirectory);
//   project.AddFile("/work/demo/Main.Pas");      // stored as "Main.Pas" when in [1]
//   project.SetTarget(velkor::TargetIndex("32K"));
//   for (const std::string& file : project.Files()) ...;

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velkor {

constexpr std::size_t kItemName = 0;
constexpr std::size_t kItemDirectory = 1;
constexpr std::size_t kItemTarget = 2;
constexpr std::size_t kItemCpu = 3;
constexpr std::size_t kFirstFileItem = 4;

// Target index -> name; the linker's output kind and memory size.
constexpr std::array<std::string_view, 10> kTargetNames = {"None", "CP/M", "2K",  "4K",   "8K",
                                                           "16K",  "32K",  "64K", "128K", "256K"};
constexpr int kTargetNone = 0;
constexpr int kTargetCpm = 1;
constexpr std::array<std::string_view, 2> kCpuNames = {"Z80", "Z180"};
constexpr int kCpuZ80 = 0;
constexpr int kCpuZ180 = 1;

// The ROM size in bytes of a ROM target (2K..256K); 0 for None and CP/M or
// an index out of range.
std::size_t TargetRomSize(int target);

std::string
TargetDescription(int target);       // "32K target device", "No target device", "Invalid device"
std::string CpuDescription(int cpu); // "Z80 CPU", "Z180 CPU", "No Selection"
// Case-insensitive name -> index, or nothing.
std::optional<int> TargetIndex(std::string_view name);
std::optional<int> CpuIndex(std::string_view name);

struct ProjectSettings {
  int Target = kTargetNone;
  int CPU = kCpuZ80;
  bool IncludePAS = true;
  bool WriteSym = false;
  bool PasInSym = false;
  bool AutoIndent = false;
  std::string MainFileName;
  // The extra outputs: a listing beside each assembled source, the link's
  // map, the image as Intel HEX.
  bool ListFiles = false;
  bool WriteMap = false;
  bool WriteHex = false;
};

// The main file must be Pascal: upper-cased extension ".PAS" or ".EPS".
bool IsMainFileName(std::string_view name);
// "Compile main file" reads only the first four characters of the
// extension, so it builds "Main.Pasx" too.
bool BuildsAsMainFile(std::string_view name);
inline constexpr std::string_view kMainFileTypeMessage =
    "The main file type must be of type \".PAS\" or \".EPS\"";

// An editor page recorded in the project: the file and its caret.
struct OpenEditor {
  std::string file;
  int PosY = 0;
  int PosX = 0;
};
constexpr std::size_t kEditorSlots = 100;

struct Project {
  std::vector<std::string> ProjectItems = {"Project1", "", "No target device", "Z80 CPU"};
  ProjectSettings settings;
  std::vector<OpenEditor> editors; // at most kEditorSlots, in slot order
  int currentEditor = 0;

  const std::string& Name() const { return ProjectItems[kItemName]; }
  const std::string& Directory() const { return ProjectItems[kItemDirectory]; }
  // Directory + name + ".Prj"; an existing file whose name differs only in
  // case ("demo.prj") is that file.
  std::string PrjPath() const;
  std::vector<std::string> Files() const;
  std::size_t FileCount() const { return ProjectItems.size() - kFirstFileItem; }

  // Rewrites items 2 and 3 from the settings.
  void SetTarget(int target);
  void SetCpu(int cpu);
  void RefreshDescriptions();

  // The bare name when the file lies in the project directory, else the full
  // path; false (nothing changed) when that entry is already listed.
  bool AddFile(std::string_view path);
  // Link-order operations on file positions (0 = item 4); false when a
  // position is out of range.
  bool SwapFiles(std::size_t first, std::size_t second);
  bool MoveFile(std::size_t from, std::size_t to);
  bool RemoveFile(std::size_t position);
  // The entry as a path: the project directory put in front of a bare name
  // or a relative path.
  std::string FilePath(std::size_t position) const;
};

// "Project1" in the given directory, no target, Z80, no files.
Project NewProject(std::string_view directory, std::string_view name = "Project1");

} // namespace velkor
