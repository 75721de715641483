#include "common/file_search.h"

#include "platform/paths.h"

namespace velkor {

namespace {
std::string WithSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}
} // namespace

std::string LibraryDirectory(const std::string& programDirectory) {
  return WithSlash(programDirectory) + std::string(kLibraryDirectoryName) + "/";
}

std::string DefaultDirectory(const std::string& programDirectory) {
  return WithSlash(programDirectory) + std::string(kDefaultDirectoryName) + "/";
}

void EnsureLibraryDirectories(const std::string& programDirectory) {
  platform::MakeDirectories(LibraryDirectory(programDirectory));
  platform::MakeDirectories(DefaultDirectory(programDirectory));
}

std::string SearchProjectFile(std::string_view entry, const std::string& projectDirectory,
                              const std::string& programDirectory) {
  std::string name = platform::NormalizeSeparators(entry);
  if (!platform::DirectoryPart(name).empty()) {
    std::string path = name.starts_with('/') ? name : WithSlash(projectDirectory) + name;
    return platform::FindCaseInsensitive(path).value_or(path);
  }
  const std::string candidates[] = {WithSlash(projectDirectory), WithSlash(programDirectory),
                                    LibraryDirectory(programDirectory),
                                    DefaultDirectory(programDirectory)};
  for (const std::string& dir : candidates) {
    if (auto found = platform::FindCaseInsensitive(dir, name);
        found && platform::FileExists(*found))
      return *found;
  }
  return candidates[3] + name;
}

} // namespace velkor
