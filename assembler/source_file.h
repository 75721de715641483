#pragma once
// Reading assembler sources: plain text (lines end in CR LF, CR or LF) or
// encoded (.EMS), and finding a file by name without regard to case.

#include <string>
#include <string_view>
#include <vector>

namespace velkor::asmsrc {

// Splits plain text into whole lines, however long.
std::vector<std::string> SplitSourceText(std::string_view text);

// Reads a source; an .EMS file is decoded. False with a reason when the
// file cannot be read or an encoded file is damaged.
bool ReadSourceLines(const std::string& path, std::vector<std::string>& lines, std::string& error);

// The path of `name` in `directory` ("" = current directory), matched exactly
// first and then without regard to case; "" when there is none.
std::string FindFileIgnoringCase(const std::string& directory, const std::string& name);

} // namespace velkor::asmsrc
