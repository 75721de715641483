#include "ide/cli/build_session.h"

#include "ide/cli/arguments.h"
#include "ide/core/project_file.h"
#include "platform/paths.h"

namespace velkor::cli {

int RunWithProject(Invocation& run, const std::function<bool(BuildSession&)>& work) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, {}, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one project file");
  Project project;
  std::string error;
  if (!ReadProjectFile(platform::AbsolutePath(parsed.positional.front()), project, error)) {
    return run.Fail(error);
  }
  // Message boxes become lines among the tools' own, as the IDE would show them.
  platform::HeadlessUiHost ui(&run.out);
  BuildSession session{project, run.messages, ui, platform::ProgramDirectory()};
  return work(session) ? kExitOk : kExitFailure;
}

} // namespace velkor::cli
