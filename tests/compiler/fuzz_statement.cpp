// Any bytes after a fixed program heading and declarations are compiled as a
// whole program: the compiler ends in output or in a compile error, never a
// crash or a hang, and output it accepts assembles.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "compiler/compiler.h"
#include "platform/atomic_file.h"

namespace {

const char kHeading[] =
    "PROGRAM F;\r\n"
    "TYPE R = RECORD A: BYTE; W: WORD END; S9 = STRING[9];\r\n"
    "VAR B: BYTE; W: WORD; I: INTEGER; L: LONGINT; C: CHAR; BO: BOOLEAN; S: S9; X: R; P: ^WORD;\r\n"
    "    A: ARRAY[1..4] OF WORD;\r\n"
    "PROCEDURE Q(N: BYTE; VAR M: WORD); BEGIN M := N END;\r\n"
    "FUNCTION F(N: WORD): WORD; BEGIN F := N END;\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  static const std::filesystem::path dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("fuzz_statement_" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const std::filesystem::path source = dir / "F.Pas";
  {
    std::ofstream out(source, std::ios::binary);
    out << kHeading;
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  MessageList messages;
  platform::HeadlessUiHost ui;
  const CompileResult compiled = CompileFile(source.string(), {}, messages, ui);
  if (!compiled.ok) return 0;
  std::string text, error;
  if (!platform::ReadWholeFile(compiled.outputFile, text, error)) std::abort();
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; start < text.size(); start = end + 2) {
    end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
  }
  MessageList assemblerMessages;
  asmsrc::AssemblySettings settings;
  if (!AssembleLines(lines, settings, assemblerMessages, ui).ok) std::abort();
  return 0;
}
