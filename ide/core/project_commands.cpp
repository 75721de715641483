#include "ide/core/project_commands.h"

#include "ide/core/project_file.h"
#include "platform/paths.h"

namespace velkor {

bool WriteProjectAsking(const Project& project, const std::string& path,
                        const std::string& readFrom, platform::UiHost& ui, std::string& error) {
  error.clear();
  if (platform::FileExists(path) && path != readFrom &&
      ui.MessageBox(kProjectExistsOverwrite, kProjectCaption, platform::kYesNo) !=
          platform::Answer::kYes) {
    return false;
  }
  return WriteProjectFile(project, path, error);
}

Project ProjectMovedTo(const Project& project, std::string_view directory, std::string_view name) {
  Project moved = project;
  moved.ProjectItems.resize(kFirstFileItem);
  moved.ProjectItems[kItemName] = std::string(name);
  std::string dir = platform::NormalizeSeparators(directory);
  if (!dir.empty() && dir.back() != '/') dir += '/';
  moved.ProjectItems[kItemDirectory] = dir;
  for (std::size_t i = 0; i < project.FileCount(); ++i)
    moved.AddFile(project.FilePath(i));
  return moved;
}

} // namespace velkor
