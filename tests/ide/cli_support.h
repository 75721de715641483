#pragma once
// What velkor-cli's tests share: velkor-cli and kavrin-cli run in a test's
// own directory.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor_test {

using Args = std::vector<std::string>;
using kit_test::TestDir;

inline kit_test::ProgramRun Velkor(const TestDir& dir, const Args& args) {
  return kit_test::RunProgram(dir.Path(), "velkor-cli", args);
}

inline kit_test::ProgramRun Kavrin(const TestDir& dir, const Args& args) {
  return kit_test::RunProgram(dir.Path(), "kavrin-cli", args);
}

// velkor-cli with `args` succeeded; if not, the failure shows what it said.
inline ::testing::AssertionResult Ok(const TestDir& dir, const Args& args) {
  const kit_test::ProgramRun run = Velkor(dir, args);
  if (run.status == 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "velkor-cli " << args.at(0) << " exited with " << run.status << "\n"
         << run.out << run.err;
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

} // namespace velkor_test
