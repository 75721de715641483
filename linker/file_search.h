// Where a project entry is found: the linker's objects and the build
// commands' sources share this search.
#pragma once

#include <string>

namespace velkor {

// The entry itself when it has a directory part, else the project directory
// plus the entry; when that file does not exist, the program directory, its
// Lib/ and its Default/ are tried with the entry's file name. Names are
// matched without regard to case. The last candidate is given back even when
// it does not exist, so the caller reports that path as missing.
std::string FindProjectFile(const std::string& entry, const std::string& projectDirectory,
                            const std::string& programDirectory);

}  // namespace velkor
