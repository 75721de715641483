#include "linker/file_search.h"

#include "platform/paths.h"

namespace velkor {

std::string FindProjectFile(const std::string& entry, const std::string& projectDirectory,
                            const std::string& programDirectory) {
  const std::string normal = platform::NormalizeSeparators(entry);
  const std::string name = platform::FileNamePart(normal);
  std::string program = programDirectory;
  if (!program.empty() && program.back() != '/') program += '/';
  const std::string candidates[] = {
      platform::DirectoryPart(normal).empty() ? projectDirectory + normal : normal,
      program + name,
      program + "Lib/" + name,
      program + "Default/" + name,
  };
  for (const std::string& candidate : candidates) {
    if (auto found = platform::FindCaseInsensitive(candidate)) return *found;
  }
  return candidates[std::size(candidates) - 1];
}

}  // namespace velkor
