#include "common/project.h"

#include "platform/paths.h"

namespace velkor {

std::size_t TargetRomSize(int target) {
  if (target < 2 || target >= static_cast<int>(kTargetNames.size())) return 0;
  return std::size_t{2048} << (target - 2);
}

std::string TargetDescription(int target) {
  if (target == kTargetNone) return "No target device";
  if (target > 0 && target < static_cast<int>(kTargetNames.size())) {
    return std::string(kTargetNames[static_cast<std::size_t>(target)]) + " target device";
  }
  return "Invalid device";
}

std::string CpuDescription(int cpu) {
  if (cpu >= 0 && cpu < static_cast<int>(kCpuNames.size())) {
    return std::string(kCpuNames[static_cast<std::size_t>(cpu)]) + " CPU";
  }
  return "No Selection";
}

namespace {
template <std::size_t N>
std::optional<int> IndexOf(const std::array<std::string_view, N>& names, std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (platform::EqualsIgnoringCase(names[i], name)) return static_cast<int>(i);
  }
  return std::nullopt;
}
} // namespace

std::optional<int> TargetIndex(std::string_view name) {
  return IndexOf(kTargetNames, name);
}
std::optional<int> CpuIndex(std::string_view name) {
  return IndexOf(kCpuNames, name);
}

namespace {
bool IsPascalExtension(std::string_view upperExtension) {
  return upperExtension == ".PAS" || upperExtension == ".EPS";
}
} // namespace

bool IsMainFileName(std::string_view name) {
  return IsPascalExtension(platform::UpperExtension(name));
}

bool BuildsAsMainFile(std::string_view name) {
  return IsPascalExtension(platform::UpperExtension(name).substr(0, 4));
}

std::string Project::PrjPath() const {
  std::string fileName = Name() + ".Prj";
  if (auto existing = platform::FindCaseInsensitive(Directory(), fileName);
      existing && platform::FileExists(*existing)) {
    return *existing;
  }
  return Directory() + fileName;
}

std::vector<std::string> Project::Files() const {
  return std::vector<std::string>(ProjectItems.begin() + kFirstFileItem, ProjectItems.end());
}

void Project::SetTarget(int target) {
  settings.Target = target;
  RefreshDescriptions();
}

void Project::SetCpu(int cpu) {
  settings.CPU = cpu;
  RefreshDescriptions();
}

void Project::RefreshDescriptions() {
  ProjectItems[kItemTarget] = TargetDescription(settings.Target);
  ProjectItems[kItemCpu] = CpuDescription(settings.CPU);
}

bool Project::AddFile(std::string_view path) {
  std::string normal = platform::NormalizeSeparators(path);
  std::string entry =
      platform::DirectoryPart(normal) == Directory() ? platform::FileNamePart(normal) : normal;
  for (std::size_t i = kFirstFileItem; i < ProjectItems.size(); ++i) {
    if (ProjectItems[i] == entry) return false;
  }
  ProjectItems.push_back(entry);
  return true;
}

bool Project::SwapFiles(std::size_t first, std::size_t second) {
  if (first >= FileCount() || second >= FileCount()) return false;
  std::swap(ProjectItems[kFirstFileItem + first], ProjectItems[kFirstFileItem + second]);
  return true;
}

bool Project::MoveFile(std::size_t from, std::size_t to) {
  if (from >= FileCount() || to >= FileCount()) return false;
  auto begin = ProjectItems.begin() + kFirstFileItem;
  std::string moved = std::move(begin[static_cast<std::ptrdiff_t>(from)]);
  ProjectItems.erase(begin + static_cast<std::ptrdiff_t>(from));
  ProjectItems.insert(ProjectItems.begin() + static_cast<std::ptrdiff_t>(kFirstFileItem + to),
                      std::move(moved));
  return true;
}

bool Project::RemoveFile(std::size_t position) {
  if (position >= FileCount()) return false;
  ProjectItems.erase(ProjectItems.begin() + static_cast<std::ptrdiff_t>(kFirstFileItem + position));
  return true;
}

std::string Project::FilePath(std::size_t position) const {
  const std::string& entry = ProjectItems.at(kFirstFileItem + position);
  return entry.starts_with('/') ? entry : Directory() + entry;
}

Project NewProject(std::string_view directory, std::string_view name) {
  Project project;
  std::string dir = platform::NormalizeSeparators(directory);
  if (!dir.empty() && dir.back() != '/') dir += '/';
  project.ProjectItems = {std::string(name), dir, "", ""};
  project.RefreshDescriptions();
  return project;
}

} // namespace velkor
