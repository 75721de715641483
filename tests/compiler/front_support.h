#pragma once
// Test helpers for the compiler's front half: scratch directories, sources
// on disk, a compilation that stands at the start of a text (for the
// scanner and the expression parser), and whole-program compiles through
// the compiler's entry.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "common/message_list.h"
#include "compiler/compilation.h"
#include "compiler/compile_error.h"
#include "compiler/compiler.h"
#include "compiler/parser.h"
#include "compiler/scanner.h"
#include "compiler/source_reader.h"
#include "compiler/symbol_table.h"
#include "platform/paths.h"
#include "tests/compiler/statement_test_support.h"

namespace velkor::front_test {

using namespace testing_support;
namespace fs = std::filesystem;

// Writes bytes as they are.
inline void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// `text` uses "\n"; the file gets CR LF line ends.
inline void WriteSource(const fs::path& path, const std::string& text) {
  std::string bytes;
  for (char ch : text) {
    if (ch == '\n') bytes += '\r';
    bytes += ch;
  }
  WriteBytes(path, bytes);
}

inline std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline Lines SplitCrLf(const std::string& text) {
  Lines lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      lines.push_back(line);
      line.clear();
      ++i;
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// A compilation reading `text` from a file, with the predefined identifiers
// and an open main block at level 1, as the statement parser would have it.
class Harness {
public:
  explicit Harness(const std::string& text, CompileSettings settings = {})
      : dir_(ScratchDirectory()), c(messages, ui, std::move(settings)) {
    const fs::path path = dir_ / "T.Pas";
    WriteSource(path, text);
    c.MainSourceName = path.string();
    c.ProgramName = "T";
    if (!OpenMainSource(c)) throw std::runtime_error("cannot open the harness source");
    EnterPredefinedIdentifiers(c);
    c.Blocks[1].lastIdentifier = static_cast<std::uint16_t>(c.IdentifierCount);
    c.Display[0] = 1;
    OpenLevel(c, static_cast<std::uint16_t>(NewBlock(c)));
  }
  ~Harness() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // A variable of a simple type, or of the type named by `typeName`.
  int Var(const std::string& name, std::uint8_t type, std::uint16_t size,
          std::uint16_t reference = 0) {
    const int id = EnterIdentifier(c, name, kKindVariable, c.CurrentLevel);
    IdentifierEntry& e = c.Identifiers[static_cast<std::size_t>(id)];
    e.type = type;
    e.size = size;
    e.reference = reference;
    return id;
  }
  int Const(const std::string& name, std::uint8_t type, std::int32_t value) {
    const int id = EnterIdentifier(c, name, kKindConstant, c.CurrentLevel);
    c.Identifiers[static_cast<std::size_t>(id)].type = type;
    c.Identifiers[static_cast<std::size_t>(id)].value = value;
    return id;
  }

  // Runs `body`; true when it ended with a compile error.
  template <typename F> bool Fails(F body) {
    try {
      body();
      return false;
    } catch (const ECompileError&) {
      return true;
    }
  }
  std::string LastMessage() const {
    return messages.Lines().empty() ? "" : messages.Lines().back();
  }

  const fs::path& Dir() const { return dir_; }

  MessageList messages;
  platform::HeadlessUiHost ui;

private:
  fs::path dir_;

public:
  Compilation c;
};

// Windows for the tests: they count the pumps, run `onPump` at each and
// record the files they are asked to save.
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

struct Compiled : CompileResult {
  Lines lines; // the .Mac
  Lines messages;
  std::string Error() const { return messages.empty() ? std::string() : messages.back(); }
};

// Compiles `source` as T.Pas in a fresh directory; `extraFiles` are written
// beside it first (name, text with "\n" line ends). The windows are `ui`
// when given.
inline Compiled CompileText(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& extraFiles = {},
                            CompileSettings settings = {}, platform::UiHost* ui = nullptr) {
  const fs::path dir = ScratchDirectory();
  for (const auto& [name, text] : extraFiles)
    WriteSource(dir / name, text);
  WriteSource(dir / "T.Pas", source);
  MessageList messages;
  platform::HeadlessUiHost headless;
  Compiled r;
  static_cast<CompileResult&>(r) =
      CompileFile((dir / "T.Pas").string(), settings, messages, ui ? *ui : headless);
  if (r.ok && platform::UpperExtension(r.outputFile) == ".MAC")
    r.lines = SplitCrLf(ReadBytes(r.outputFile));
  r.messages = messages.Lines();
  fs::remove_all(dir);
  return r;
}

} // namespace velkor::front_test
