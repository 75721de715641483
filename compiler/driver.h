#pragma once
// Compiling one Pascal source into one assembler file.
//
//   velkor::MessageList messages;
//   velkor::Compilation c(messages, ui, settings);   // ui: the windows, or HeadlessUiHost
//   std::int32_t code = 0, data = 0;
//   try {
//     velkor::CompileFile(c, "Demo.Pas", 0, code, data);   // writes Demo.Mac
//   } catch (const velkor::ECompileError&) { /* the report is in messages */ }

#include <cstdint>
#include <string>

#include "compiler/compilation.h"

namespace velkor {

// Compiles `fileName` (.Pas or .EPS) and writes the .Mac beside it (.EMS
// when c.EncodeOutput is set or gets set). The page index is the editor page
// the compile was started from; the compiler does not use it. Throws
// ECompileError after the report on every error, an unreadable source
// included; an existing output file is then left as it was.
void CompileFile(Compilation& c, const std::string& fileName, int editorPageIndex,
                 std::int32_t& codeSize, std::int32_t& dataSize);

// How a main file begins, read with the scanner so comments and directives
// are skipped: whether it opens with a LINK clause, and its program name.
struct ProgramHeading {
  bool readable = false; // the file opened and began with LINK or PROGRAM name
  bool hasLink = false;
  std::string programName;
};
ProgramHeading ReadProgramHeading(const std::string& fileName);

// The file name with its extension replaced (or appended).
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);

// The EXTERN or GLOBAL block for a name list: prefix " EXTERN " or " GLOBAL ",
// eight names or 71 characters a line, then one empty line; nothing for none.
std::vector<std::string> BuildNameBlock(const std::string& prefix,
                                        const std::vector<std::string>& names);

} // namespace velkor
