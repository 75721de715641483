#pragma once
// Compiling in tests: short programs through the compiler's entry (their
// .Mac lines, the main body, the error report, whether the output
// assembles), and a compilation standing at the start of a text for the
// scanner.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "compiler/compilation.h"
#include "compiler/compile_error.h"
#include "compiler/compiler.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/source_reader.h"
#include "compiler/symbol_table.h"

namespace velkor::testing_support {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

struct CompiledProgram : CompileResult {
  Lines lines;    // the .Mac file
  Lines messages; // the message list (the error report on failure)
  std::string Error() const { return messages.empty() ? std::string() : messages.back(); }
};

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// `text` uses "\n"; the file gets CR LF line ends.
inline void WriteSource(const fs::path& path, const std::string& text) {
  std::string bytes;
  for (char ch : text)
    bytes += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  WriteBytes(path, bytes);
}

// The lines of a file with CR LF or LF line ends.
inline Lines ReadLines(const fs::path& path) {
  Lines lines;
  std::istringstream text(ReadBytes(path));
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline std::string Joined(const Lines& lines) {
  std::string s;
  for (const std::string& l : lines)
    s += l + "\n";
  return s;
}

// A fresh directory, removed with it, and what a compile there reports to.
struct Scratch {
  Scratch() {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  CompileResult Compile(const std::string& name, const CompileSettings& settings = {}) {
    return CompileFile((dir / name).string(), settings, messages, ui);
  }
  inline static int counter = 0;
  fs::path dir = fs::temp_directory_path() /
                 ("velkor_compile_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
  MessageList messages;
  platform::HeadlessUiHost ui;
};

// Compiles `source` as T.Pas in a fresh directory; `extraFiles` (name, text)
// are written beside it first. The windows are `ui` when given.
inline CompiledProgram Compile(const std::string& source, CompileSettings settings = {},
                               const std::vector<std::pair<std::string, std::string>>& extra = {},
                               platform::UiHost* ui = nullptr) {
  Scratch s;
  for (const auto& [name, text] : extra)
    WriteSource(s.dir / name, text);
  WriteSource(s.dir / "T.Pas", source);
  CompiledProgram result;
  static_cast<CompileResult&>(result) =
      CompileFile((s.dir / "T.Pas").string(), settings, s.messages, ui ? *ui : s.ui);
  if (result.ok && result.outputFile.ends_with(".Mac")) result.lines = ReadLines(result.outputFile);
  result.messages = s.messages.Lines();
  return result;
}

// The lines between the line `from` (exclusive) and the first line equal to
// `to` (exclusive).
inline Lines Slice(const Lines& lines, const std::string& from, const std::string& to) {
  const auto begin = std::find(lines.begin(), lines.end(), from);
  if (begin == lines.end()) return {"<no line " + from + ">"};
  return Lines(begin + 1, std::find(begin + 1, lines.end(), to));
}

// Empty when the lines assemble; else the assembler's messages.
inline std::string AssemblyError(const Lines& lines) {
  MessageList messages;
  platform::HeadlessUiHost ui;
  if (AssembleLines(lines, asmsrc::AssemblySettings{}, messages, ui).ok) return {};
  return messages.Lines().empty() ? "assembly failed" : Joined(messages.Lines());
}

// Code("ld hl,(T_V)|push hl|@@0:"): instructions get their tab; labels
// (ending in ":"), lines holding a tab and empty lines stay as written.
inline Lines Code(std::string_view compact) {
  Lines lines;
  for (std::size_t start = 0; start <= compact.size();) {
    std::size_t end = compact.find('|', start);
    if (end == std::string_view::npos) end = compact.size();
    const std::string_view piece = compact.substr(start, end - start);
    const bool asWritten =
        piece.empty() || piece.ends_with(':') || piece.find('\t') != std::string_view::npos;
    lines.push_back((asWritten ? "" : "\t") + std::string(piece));
    start = end + 1;
  }
  return lines;
}

// A program that compiles; its output assembles.
inline CompiledProgram Ok(const std::string& source) {
  CompiledProgram p = Compile(source);
  EXPECT_TRUE(p.ok) << source << Joined(p.messages);
  if (p.ok) EXPECT_EQ(AssemblyError(p.lines), "") << Joined(p.lines);
  return p;
}

// A compilation reading `text` from a file, with the predefined identifiers
// and an open main block at level 1, as the statement parser would have it.
struct Harness : Scratch {
  explicit Harness(const std::string& text, CompileSettings settings = {})
      : c(messages, ui, std::move(settings)) {
    WriteSource(dir / "T.Pas", text);
    c.MainSourceName = (dir / "T.Pas").string();
    c.ProgramName = "T";
    if (!OpenMainSource(c)) throw std::runtime_error("cannot open the harness source");
    EnterPredefinedIdentifiers(c);
    c.Blocks[1].lastIdentifier = static_cast<std::uint16_t>(c.IdentifierCount);
    c.Display[0] = 1;
    OpenLevel(c, static_cast<std::uint16_t>(NewBlock(c)));
  }

  // A constant (with its value) or a variable (with its size) of `type`.
  void Enter(const std::string& name, IdentifierKind kind, std::uint8_t type, std::int32_t value) {
    const int id = EnterIdentifier(c, name, kind, c.CurrentLevel);
    IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
    e.type = type;
    if (kind == kKindConstant)
      e.value = value;
    else
      e.size = static_cast<std::uint16_t>(value);
  }

  // Runs `body`; the compile error's message, or "" when there was none.
  std::string ErrorOf(const std::function<void()>& body) {
    try {
      body();
      return "";
    } catch (const ECompileError&) {
      return messages.Lines().empty() ? "?" : messages.Lines().back();
    }
  }

  Compilation c;
};

// Windows for the tests: they run `onPump` at each pump and record the files
// they are asked to save.
class TestUi : public platform::HeadlessUiHost {
public:
  void ProcessPendingMessages() override {
    HeadlessUiHost::ProcessPendingMessages();
    if (onPump) onPump();
  }
  void SaveFileIfModified(const std::string& file) override { saved.push_back(file); }

  std::function<void()> onPump;
  std::vector<std::string> saved;
};

} // namespace velkor::testing_support
