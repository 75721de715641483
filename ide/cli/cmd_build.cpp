#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {kDefineOption, kHexOption, kMapOption, kListOption};
} // namespace

int RunBuild(Invocation& run) {
  return RunWithProject(run, kOptions, [](BuildSession& session) { return session.Build(); });
}

} // namespace velkor::cli
