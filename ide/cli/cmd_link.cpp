#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

int RunLink(Invocation& run) {
  return RunWithProject(run, {}, [](BuildSession& session) { return session.Link(); });
}

} // namespace velkor::cli
