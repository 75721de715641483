#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {kHexOption, kMapOption};
} // namespace

int RunLink(Invocation& run) {
  return RunWithProject(run, kOptions, [](BuildSession& session) { return session.Link(); });
}

} // namespace velkor::cli
