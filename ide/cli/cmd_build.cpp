#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

int RunBuild(Invocation& run) {
  return RunWithProject(run, [](BuildSession& session) { return session.Build(); });
}

} // namespace velkor::cli
