#pragma once
// The compiler's entry: one Pascal source in, one assembler file out beside
// it. A .Pas source gives a .Mac; an encoded .EPS source, or an .EPS include
// file, gives an encoded .EMS.
//
//   velkor::MessageList messages;
//   platform::HeadlessUiHost ui; // the windows, in the environment
//   velkor::CompileResult r = velkor::CompileFile("/work/Demo.Pas", settings, messages, ui);
//   if (r.ok) Assemble(r.outputFile); // else the error report is in messages
//
// Each call keeps its state in a run of its own: a compile started from a
// window message pumped during another one cannot disturb it.

#include <cstdint>
#include <string>
#include <vector>

#include "common/message_list.h"
#include "platform/ui_host.h"

namespace velkor {

// Options that come from the project (defaults when there is none).
struct CompileSettings {
  bool IncludeSourceAsComments = false; // IncludePAS
  bool Z180 = false;                    // CPU; the Z180 has mlt
  std::string ProjectDirectory;         // searched for include files
  // Defined before the first line, as {#C DEFINE NAME} would (velkor-cli -D).
  std::vector<std::string> Defines;
};

// A line of the source: the file as opened and its 1-based line.
struct SourcePlace {
  std::string file;
  std::uint32_t line = 0;
};

// An output line copied from a source line (a line of an ASM block).
struct OutputLineSource {
  std::uint32_t outputLine = 0; // 1-based
  SourcePlace source;
};

// What the summary lines print after a compile.
struct CompileResult {
  bool ok = false;
  std::string outputFile; // the .Mac or .EMS written; "" when the compile failed
  std::uint32_t codeSize = 0;
  std::uint32_t dataSize = 0;
  int identifiers = 0;                       // the predefined names included
  int blocks = 0;                            // the main program's and every routine's and record's
  int arraysAndStrings = 0;                  // the descriptors the program made
  std::vector<std::uint32_t> overlayBuffers; // each overlay area's largest part, area 1 first
  std::uint32_t overlayTotal = 0;            // the code of every overlay part
  // The output lines of ASM blocks, in output order: an assembler error on
  // one of them belongs at its source line.
  std::vector<OutputLineSource> asmLines;
  // On an error with a source position: the file (the include file when the
  // error is in one), the 1-based line and column, and the message.
  std::string errorFile;
  std::uint32_t errorLine = 0;
  std::size_t errorColumn = 0;
  std::string errorMessage;
};

// Compiles `path` (.Pas or .EPS). On an error the report is in `messages`,
// the editor is moved to the error through `ui`, and an existing output file
// is left as it was.
CompileResult CompileFile(const std::string& path, const CompileSettings& settings,
                          MessageList& messages, platform::UiHost& ui);

// The source place of output line `outputLine` (1-based) when it came from
// an ASM block, else null.
const SourcePlace* AsmLineSource(const CompileResult& result, std::uint32_t outputLine);

// How a main file begins, read with the scanner so comments and directives
// are skipped: whether it opens with a LINK clause, and its program name.
struct ProgramHeading {
  bool readable = false; // the file opened and began with LINK or PROGRAM name
  bool hasLink = false;
  std::string programName;
};
ProgramHeading ReadProgramHeading(const std::string& fileName);

} // namespace velkor
