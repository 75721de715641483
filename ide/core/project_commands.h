#pragma once
// What the main window's project commands decide, kept apart from the
// window so that it is tested headless: where a project may be written and
// how its entries move with it.
//
//   Project moved = ProjectMovedTo(project, "/work/new/", "Demo");
//   if (WriteProjectAsking(moved, moved.PrjPath(), readFrom, ui, error)) readFrom =
//   moved.PrjPath();

#include <string>
#include <string_view>

#include "common/project.h"
#include "platform/ui_host.h"

namespace velkor {

inline constexpr std::string_view kProjectExistsOverwrite = "Project file exists. Overwrite ?";
inline constexpr std::string_view kProjectCaption = "Velkor";

// Writes the project to `path`. When a file is there that is not `readFrom`
// (the file this project was read from or last written to), the user is
// asked first; No writes nothing and returns false with `error` empty.
bool WriteProjectAsking(const Project& project, const std::string& path,
                        const std::string& readFrom, platform::UiHost& ui, std::string& error);

// The project renamed to `name` in `directory`: bare entries of files that
// stay in the old directory become full paths, and full paths into the new
// directory become bare names, so every file stays reachable.
Project ProjectMovedTo(const Project& project, std::string_view directory, std::string_view name);

} // namespace velkor
