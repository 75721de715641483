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

using Compiled = CompiledProgram;

// Compile with the extra files first, as the front's tests mostly give them.
inline Compiled CompileText(const std::string& source,
                            const std::vector<std::pair<std::string, std::string>>& extraFiles = {},
                            CompileSettings settings = {}, platform::UiHost* ui = nullptr) {
  return Compile(source, std::move(settings), extraFiles, ui);
}

} // namespace velkor::front_test
