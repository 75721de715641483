#pragma once
// The driver's helpers: output names and the EXTERN and GLOBAL blocks. The
// entry itself, CompileFile, is compiler/compiler.h.

#include <string>
#include <vector>

namespace velkor {

// The file name with its extension replaced (or appended).
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

// The EXTERN or GLOBAL block for a name list: prefix " EXTERN " or " GLOBAL ",
// eight names or 71 characters a line, then one empty line; nothing for none.
std::vector<std::string> BuildNameBlock(const std::string& prefix,
                                        const std::vector<std::string>& names);

} // namespace velkor
