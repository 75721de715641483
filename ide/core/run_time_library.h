#pragma once
// The run-time library objects a Pascal project links after the user's
// files. They are looked up like any project entry, so they are found in the
// program's Lib/ or Default/ directory (common/file_search.h). The lists are
// kept in rtl/CMakeLists.txt, which also assembles the objects.

#include <span>
#include <string_view>

#include "common/project.h"

namespace velkor {

// In link order, for the project's CPU (the Z180 gets the MLT multiply).
std::span<const std::string_view> RunTimeLibraryObjects(int cpu = kCpuZ80);

} // namespace velkor
