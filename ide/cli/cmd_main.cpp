#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"
#include "ide/core/build_pascal.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {kDefineOption};
} // namespace

// "Compile main file": compiles and assembles MainFileName, does not link.
int RunMain(Invocation& run) {
  return RunWithProject(run, kOptions, [&run](BuildSession& session) {
    if (!HasPascalMainFile(session.project)) {
      run.Fail("the project has no Pascal main file (MainFileName)");
      return false;
    }
    return CompileMainFile(session);
  });
}

} // namespace velkor::cli
