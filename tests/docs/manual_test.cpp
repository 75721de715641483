// The manual is checked against the tools it describes. Every fenced block
// marked as a program is built with velkor-cli and, when an output block
// follows, run on kavrin-cli. Its message tables (a table whose first header
// cell is "Compiler error", "Assembler error" or "Linker message") must list
// exactly the texts the tools print.
//
// Markers, in a fence's info string:
//   ```pascal program        the main file (named after its PROGRAM heading)
//   ```asm program           an assembler main file
//   ```pascal file NAME      another file of the next program's project,
//   ```asm file NAME         listed after the main file
//   ```output                what the program before it prints
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "assembler/asm_errors.h"
#include "compiler/compile_error.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace {

namespace fs = std::filesystem;
using kit_test::RunProgram;
using kit_test::TestDir;
using Rows = std::multiset<std::pair<int, std::string>>;

// Each chapter's name and lines, in order.
std::vector<std::pair<std::string, std::vector<std::string>>> Chapters() {
  std::set<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(fs::path(KIT_SOURCE_DIR) / "docs"))
    if (entry.path().extension() == ".md") paths.insert(entry.path());
  std::vector<std::pair<std::string, std::vector<std::string>>> chapters;
  for (const fs::path& path : paths) {
    std::ifstream in(path);
    chapters.push_back({path.stem().string(), {}});
    for (std::string line; std::getline(in, line);)
      chapters.back().second.push_back(line);
  }
  return chapters;
}

struct Example {
  std::string where; // chapter and ordinal, for the test's name
  std::vector<std::pair<std::string, std::string>> files; // name and text; the main file first
  std::optional<std::string> output;
};

std::vector<Example> LoadExamples() {
  std::vector<Example> examples;
  for (const auto& [chapter, lines] : Chapters()) {
    std::vector<std::pair<std::string, std::string>> pending;
    bool outputTaken = true;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].starts_with("```") || lines[i].size() == 3) continue;
      std::istringstream info(lines[i].substr(3));
      std::string language, role, name, body;
      info >> language >> role >> name;
      for (++i; i < lines.size() && lines[i] != "```"; ++i)
        body += lines[i] + "\r\n";
      if (language == "output" && !outputTaken) {
        examples.back().output = body;
        outputTaken = true;
      } else if (role == "file") {
        pending.push_back({name, body});
      } else if (role == "program") {
        std::smatch heading;
        std::regex_search(body, heading, std::regex(R"(PROGRAM\s+(\w+))", std::regex::icase));
        name = language == "asm" ? "Example.Mac" : heading[1].str() + ".Pas";
        pending.insert(pending.begin(), {name, body});
        examples.push_back({std::regex_replace(chapter, std::regex("\\W"), "_") + "_program" +
                                std::to_string(examples.size() + 1),
                            std::move(pending), std::nullopt});
        pending.clear();
        outputTaken = false;
      }
    }
  }
  return examples;
}

// Keeps ctest's test names short.
void PrintTo(const Example& example, std::ostream* out) {
  *out << example.where;
}

class ManualExample : public ::testing::TestWithParam<Example> {};

TEST_P(ManualExample, BuildsAndPrintsWhatTheManualShows) {
  const Example& example = GetParam();
  TestDir dir;
  std::vector<std::string> newArgs = {"new", "Example.Prj"};
  for (const auto& [name, text] : example.files) {
    dir.Write(name, text);
    newArgs.push_back(name);
  }
  const auto created = RunProgram(dir.Path(), "velkor-cli", newArgs);
  ASSERT_EQ(created.status, 0) << created.out << created.err;
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "Example.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  if (!example.output) return;
  const auto ran =
      RunProgram(dir.Path(), "kavrin-cli", {"run", "Example.ROM", "--max-steps", "20000000"});
  EXPECT_EQ(ran.status, 0) << "it must halt: " << ran.err;
  EXPECT_EQ(ran.out, *example.output);
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualExample, ::testing::ValuesIn(LoadExamples()),
                         [](const auto& info) { return info.param.where; });

// The rows of one kind of message table in the manual: the number in the
// first column (or -1) and the text in backticks in the second.
Rows ManualTable(const std::string& firstHeader) {
  Rows rows;
  const std::regex row(R"(\|([^|]*)\|[^`|]*`([^|]*)`[^`|]*\|.*)");
  for (const auto& [chapter, lines] : Chapters()) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!lines[i].starts_with("| " + firstHeader + " |")) continue;
      for (i += 2; i < lines.size() && lines[i].starts_with("|"); ++i) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(lines[i], m, row)) << chapter << ": " << lines[i];
        const bool numbered =
            !m.empty() && m[1].str().find_first_of("0123456789") != std::string::npos;
        if (!m.empty()) rows.emplace(numbered ? std::stoi(m[1]) : -1, m[2]);
      }
    }
  }
  return rows;
}

// The string constants of a header, as `k... = "text"`, under `number`, each once.
void AddHeaderTexts(const std::string& relative, int number, Rows& rows,
                    std::string_view except = {}) {
  std::ifstream in(fs::path(KIT_SOURCE_DIR) / relative);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  const std::regex constant(R"(string_view\s+k\w+\s*=\s*"([^"]*)\")");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), constant);
       it != std::sregex_iterator(); ++it)
    if ((*it)[1].str() != except && !rows.contains({number, (*it)[1].str()}))
      rows.emplace(number, (*it)[1].str());
}

// Each table lists every text its tool prints, once, and nothing else.
TEST(ManualMessages, TablesListWhatTheToolsPrint) {
  Rows compiler;
  for (int n = 0; n < velkor::kCompileErrorCount; ++n)
    compiler.emplace(n, velkor::CompilerErrorMessages[n]);
  EXPECT_EQ(ManualTable("Compiler error"), compiler);

  Rows assembler;
  for (int n = 0; n < velkor::asmerr::FreeText; ++n)
    if (!velkor::asmerr::ErrorText(n).empty()) assembler.emplace(n, velkor::asmerr::ErrorText(n));
  AddHeaderTexts("assembler/asm_errors.h", velkor::asmerr::FreeText, assembler);
  EXPECT_EQ(ManualTable("Assembler error"), assembler);

  // The object reader's texts are the linker's too, except the assembler's
  // "Object size to large".
  Rows linker;
  AddHeaderTexts("linker/link_messages.h", -1, linker);
  AddHeaderTexts("common/object_file.h", -1, linker,
                 velkor::asmerr::ErrorText(velkor::asmerr::ObjectTooLarge));
  EXPECT_EQ(ManualTable("Linker message"), linker);
}

} // namespace
