#pragma once
// Compiling short programs in tests: the .Mac lines, the body of the main
// program, the error report, and whether the output assembles.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "compiler/compiler.h"

namespace velkor::testing_support {

using Lines = std::vector<std::string>;

struct CompiledProgram : CompileResult {
  Lines lines;    // the .Mac file
  Lines messages; // the message list (the error report on failure)

  // The error text: the last message line.
  std::string Error() const { return messages.empty() ? std::string() : messages.back(); }
};

inline std::filesystem::path ScratchDirectory() {
  static int counter = 0;
  const auto dir =
      std::filesystem::temp_directory_path() /
      ("velkor_compback_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// `text` uses "\n"; the file gets CR LF line ends.
inline void WriteSource(const std::filesystem::path& path, const std::string& text) {
  std::string bytes;
  for (char ch : text) {
    if (ch == '\n') bytes += '\r';
    bytes += ch;
  }
  WriteBytes(path, bytes);
}

// The lines of a file with CR LF or LF line ends.
inline Lines ReadLines(const std::filesystem::path& path) {
  Lines lines;
  std::string line;
  for (char ch : ReadBytes(path)) {
    if (ch == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += ch;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// Compiles `source` as T.Pas in a fresh directory; `extraFiles` are written
// beside it first (name, text with "\n" line ends). The windows are `ui`
// when given.
inline CompiledProgram
Compile(const std::string& source, CompileSettings settings = {},
        const std::vector<std::pair<std::string, std::string>>& extraFiles = {},
        platform::UiHost* ui = nullptr) {
  const auto dir = ScratchDirectory();
  for (const auto& [name, text] : extraFiles)
    WriteSource(dir / name, text);
  WriteSource(dir / "T.Pas", source);
  MessageList messages;
  platform::HeadlessUiHost headless;
  CompiledProgram result;
  static_cast<CompileResult&>(result) =
      CompileFile((dir / "T.Pas").string(), settings, messages, ui ? *ui : headless);
  if (result.ok && result.outputFile.ends_with(".Mac")) result.lines = ReadLines(result.outputFile);
  result.messages = messages.Lines();
  std::filesystem::remove_all(dir);
  return result;
}

// The lines between the label line `from` (exclusive) and the first line
// equal to `to` (exclusive).
inline Lines Slice(const Lines& lines, const std::string& from, const std::string& to) {
  Lines out;
  bool inside = false;
  for (const std::string& line : lines) {
    if (inside) {
      if (line == to) return out;
      out.push_back(line);
    } else if (line == from) {
      inside = true;
    }
  }
  return inside ? out : Lines{"<no line " + from + ">"};
}

// The main program's body of PROGRAM T.
inline Lines MainBody(const CompiledProgram& p) {
  return Slice(p.lines, "@T:", "\tret");
}

struct BodyCase {
  const char* statements;
  Lines body;
};

// Each case's statements compile, after `head` (from PROGRAM T to the
// declarations), to exactly that main body, which assembles.
inline void ExpectBodies(const std::string& head, const std::vector<BodyCase>& cases);

// Empty when the lines assemble; else the assembler's message.
inline std::string AssemblyError(const Lines& lines) {
  MessageList messages;
  asmsrc::AssemblySettings settings;
  platform::HeadlessUiHost ui;
  const AssembledLines result = AssembleLines(lines, settings, messages, ui);
  if (result.ok) return {};
  std::string text;
  for (const std::string& m : messages.Lines())
    text += m + "\n";
  return text.empty() ? "assembly failed" : text;
}

// Code("ld hl,(T_V)|push hl|@@0:"): instructions get their tab, labels
// (ending in ":") stand at the start of the line.
inline Lines Code(std::string_view compact) {
  Lines lines;
  for (std::size_t start = 0; start <= compact.size();) {
    std::size_t end = compact.find('|', start);
    if (end == std::string_view::npos) end = compact.size();
    const std::string_view piece = compact.substr(start, end - start);
    lines.push_back((piece.ends_with(':') ? "" : "\t") + std::string(piece));
    start = end + 1;
  }
  return lines;
}

inline std::string Joined(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines)
    s += l + "\n";
  return s;
}

inline void ExpectBodies(const std::string& head, const std::vector<BodyCase>& cases) {
  for (const BodyCase& k : cases) {
    const CompiledProgram p = Compile(head + "BEGIN\n" + k.statements + "\nEND.\n");
    ASSERT_TRUE(p.ok) << k.statements << "\n" << Joined(p.messages);
    EXPECT_EQ(MainBody(p), k.body) << k.statements;
    EXPECT_EQ(AssemblyError(p.lines), "") << k.statements;
  }
}

} // namespace velkor::testing_support
