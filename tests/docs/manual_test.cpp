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

#include <cctype>
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

std::vector<std::string> Lines(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<fs::path> Chapters() {
  std::vector<fs::path> chapters;
  for (const auto& entry : fs::directory_iterator(fs::path(KIT_SOURCE_DIR) / "docs"))
    if (entry.path().extension() == ".md") chapters.push_back(entry.path());
  std::sort(chapters.begin(), chapters.end());
  return chapters;
}

struct SourceFile {
  std::string name;
  std::string text;
};

struct Example {
  std::string chapter;
  std::string where; // chapter and ordinal, for the test's name
  SourceFile main;
  std::vector<SourceFile> others;
  bool hasOutput = false;
  std::string output;
};

std::string ProgramName(const std::string& pascal) {
  std::smatch match;
  if (std::regex_search(pascal, match, std::regex(R"(PROGRAM\s+(\w+))", std::regex::icase)))
    return match[1];
  return "Example";
}

std::vector<Example> LoadExamples() {
  std::vector<Example> examples;
  for (const fs::path& chapter : Chapters()) {
    const auto lines = Lines(chapter);
    std::vector<SourceFile> pendingFiles;
    int programs = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("```", 0) != 0 || lines[i].size() == 3) continue;
      std::istringstream info(lines[i].substr(3));
      std::string language, role, name;
      info >> language >> role >> name;
      std::string body;
      std::size_t end = i + 1;
      for (; end < lines.size() && lines[end] != "```"; ++end)
        body += lines[end] + "\r\n";
      i = end;
      if (language == "output" && !examples.empty() && !examples.back().hasOutput &&
          examples.back().chapter == chapter) {
        examples.back().hasOutput = true;
        examples.back().output = body;
      } else if (role == "file") {
        pendingFiles.push_back({name, body});
      } else if (role == "program") {
        std::string where = chapter.stem().string() + "_program" + std::to_string(++programs);
        for (char& ch : where)
          if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        Example example{chapter.string(), where, {}, std::move(pendingFiles), false, ""};
        pendingFiles.clear();
        example.main = {language == "pascal" ? ProgramName(body) + ".Pas" : "Example.Mac", body};
        examples.push_back(std::move(example));
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
  std::vector<std::string> newArgs = {"new", "Example.Prj", example.main.name};
  dir.Write(example.main.name, example.main.text);
  for (const SourceFile& file : example.others) {
    dir.Write(file.name, file.text);
    newArgs.push_back(file.name);
  }
  const auto created = RunProgram(dir.Path(), "velkor-cli", newArgs);
  ASSERT_EQ(created.status, 0) << created.out << created.err;
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "Example.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  if (!example.hasOutput) return;
  const auto ran =
      RunProgram(dir.Path(), "kavrin-cli", {"run", "Example.ROM", "--max-steps", "20000000"});
  EXPECT_EQ(ran.status, 0) << "it must halt: " << ran.err;
  EXPECT_EQ(ran.out, example.output);
}

INSTANTIATE_TEST_SUITE_P(Manual, ManualExample, ::testing::ValuesIn(LoadExamples()),
                         [](const auto& info) { return info.param.where; });

// The texts of one kind of message table in the manual: the number in the
// first column (or -1) and the text in backticks in the second.
std::multimap<int, std::string> ManualTable(const std::string& firstHeader) {
  std::multimap<int, std::string> rows;
  for (const fs::path& chapter : Chapters()) {
    const auto lines = Lines(chapter);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind("| " + firstHeader + " |", 0) != 0) continue;
      for (i += 2; i < lines.size() && lines[i].rfind("|", 0) == 0; ++i) {
        const std::string& row = lines[i];
        const auto keyEnd = row.find('|', 1);
        const auto textEnd = row.find('|', keyEnd + 1);
        const std::string key = row.substr(1, keyEnd - 1);
        const std::string cell = row.substr(keyEnd + 1, textEnd - keyEnd - 1);
        const auto first = cell.find('`'), last = cell.rfind('`');
        if (first == std::string::npos || first == last) {
          ADD_FAILURE() << chapter << ":" << i + 1 << ": no text in backticks";
          continue;
        }
        const bool numbered = key.find_first_of("0123456789") != std::string::npos;
        rows.emplace(numbered ? std::stoi(key) : -1, cell.substr(first + 1, last - first - 1));
      }
    }
  }
  return rows;
}

// The string constants of a header, as `k... = "text"`.
std::set<std::string> HeaderTexts(const std::string& relative) {
  std::ifstream in(fs::path(KIT_SOURCE_DIR) / relative);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  std::set<std::string> texts;
  const std::regex constant(R"(string_view\s+k\w+\s*=\s*"([^"]*)\")");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), constant);
       it != std::sregex_iterator(); ++it)
    texts.insert((*it)[1]);
  return texts;
}

std::multimap<int, std::string> Unnumbered(const std::set<std::string>& texts) {
  std::multimap<int, std::string> rows;
  for (const std::string& text : texts)
    rows.emplace(-1, text);
  return rows;
}

void ExpectSameRows(const std::multimap<int, std::string>& manual,
                    const std::multimap<int, std::string>& tool) {
  ASSERT_FALSE(manual.empty()) << "the manual's table was not found";
  for (const auto& row : tool)
    EXPECT_EQ(std::count(manual.begin(), manual.end(), row), 1)
        << "the manual must list once: " << row.first << " `" << row.second << "`";
  for (const auto& row : manual)
    EXPECT_EQ(std::count(tool.begin(), tool.end(), row), 1)
        << "the tools do not print: " << row.first << " `" << row.second << "`";
}

TEST(ManualMessages, CompilerErrorTableIsTheCompilers) {
  std::multimap<int, std::string> tool;
  for (int n = 0; n < velkor::kCompileErrorCount; ++n)
    tool.emplace(n, std::string(velkor::CompilerErrorMessages[n]));
  ExpectSameRows(ManualTable("Compiler error"), tool);
}

TEST(ManualMessages, AssemblerErrorTableIsTheAssemblers) {
  std::multimap<int, std::string> tool;
  for (int n = 0; n < velkor::asmerr::FreeText; ++n)
    if (!velkor::asmerr::ErrorText(n).empty())
      tool.emplace(n, std::string(velkor::asmerr::ErrorText(n)));
  for (const std::string& text : HeaderTexts("assembler/asm_errors.h"))
    tool.emplace(velkor::asmerr::FreeText, text);
  ExpectSameRows(ManualTable("Assembler error"), tool);
}

TEST(ManualMessages, LinkerMessageTableIsTheLinkers) {
  // The object reader's texts are the linker's too, except the assembler's
  // "Object size to large".
  std::set<std::string> texts = HeaderTexts("linker/link_messages.h");
  for (const std::string& text : HeaderTexts("common/object_file.h"))
    if (text != velkor::asmerr::ErrorText(velkor::asmerr::ObjectTooLarge)) texts.insert(text);
  ExpectSameRows(ManualTable("Linker message"), Unnumbered(texts));
}

} // namespace
