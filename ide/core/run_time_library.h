#pragma once
// The run-time library objects a Pascal project links after the user's
// files. They are looked up like any project entry, so they are found in the
// program's Lib/ or Default/ directory (common/file_search.h).

#include <span>
#include <string_view>

namespace velkor {

std::span<const std::string_view> RunTimeLibraryObjects();

}  // namespace velkor
