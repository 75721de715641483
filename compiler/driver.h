#pragma once
// The driver's EXTERN and GLOBAL blocks. The entry itself, CompileFile, is
// compiler/compiler.h.

#include <string>
#include <vector>

namespace velkor {

// The EXTERN or GLOBAL block for a name list: prefix " EXTERN " or " GLOBAL ",
// eight names or 71 characters a line, then one empty line; nothing for none.
std::vector<std::string> BuildNameBlock(const std::string& prefix,
                                        const std::vector<std::string>& names);

} // namespace velkor
