#include "common/project.h"
#include "ide/cli/arguments.h"
#include "ide/core/project_file.h"

namespace velkor::cli {

int RunShow(Invocation& run) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, {}, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one project file");
  Project project;
  std::string error;
  if (!ReadProjectFile(parsed.positional.front(), project, error)) return run.Fail(error);
  for (const std::string& item : project.ProjectItems)
    run.messages.AddMessageLine(item);
  return kExitOk;
}

} // namespace velkor::cli
