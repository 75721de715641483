// The run-time routine table against the library's sources: every routine
// the compiler can call is defined by a GLOBAL of rtl/*.mac.

#include "compiler/emit/runtime_names.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/paths.h"
#include "tests/compiler/compile_support.h"

namespace velkor {
namespace {

using testing_support::ReadBytes;
namespace fs = std::filesystem;

std::string Trimmed(std::string text) {
  text.erase(0, text.find_first_not_of(" \t\r"));
  text.erase(text.find_last_not_of(" \t\r") + 1);
  return text;
}

// In upper case, as the assembler reads names.
std::set<std::string> LibraryGlobals() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(fs::path(KIT_SOURCE_DIR) / "rtl")) {
    if (platform::UpperExtension(entry.path().string()) != ".MAC") continue;
    std::istringstream text(ReadBytes(entry.path()));
    for (std::string line; std::getline(text, line);) {
      line = platform::UpperCase(Trimmed(line.substr(0, line.find(';'))));
      if (line.rfind("GLOBAL", 0) != 0) continue;
      std::istringstream list(line.substr(6));
      for (std::string name; std::getline(list, name, ',');)
        names.insert(Trimmed(name));
    }
  }
  return names;
}

TEST(RuntimeRoutines, EveryRoutineTheCompilerCallsIsDefinedByTheLibrary) {
  const std::set<std::string> globals = LibraryGlobals();
  ASSERT_GT(globals.size(), 50u) << "the library's sources were not found";
  for (const RuntimeRoutine& r : kRuntimeRoutines)
    EXPECT_TRUE(globals.count(platform::UpperCase(std::string(r.name)))) << r.name;
}

} // namespace
} // namespace velkor
