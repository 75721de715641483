#include <string>

#include "common/project.h"
#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"
#include "ide/core/build_pascal.h"
#include "ide/core/project_file.h"
#include "platform/paths.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {{"--project", true}, kDefineOption};
} // namespace

// Compiles one Pascal source with the project's settings (the defaults of a
// new project without one), prints the compile summary as the editor's
// compile button does, then assembles the file the compiler wrote.
int RunCompile(Invocation& run) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, kOptions, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one .Pas or .EPS file");
  const std::string source = platform::AbsolutePath(parsed.positional.front());
  if (!IsMainFileName(source)) return run.UsageError("expected one .Pas or .EPS file");

  Project project = NewProject(platform::DirectoryPart(source));
  if (const std::string* prj = parsed.Value("--project")) {
    std::string error;
    if (!ReadProjectFile(platform::AbsolutePath(*prj), project, error)) return run.Fail(error);
  }
  platform::HeadlessUiHost ui(&run.out);
  BuildSession session{project, run.messages, ui, platform::ProgramDirectory()};
  if (!ApplyBuildOptions(parsed, session, run)) return kExitUsage;
  session.onDiagnostic = [&run](const Diagnostic& d) { run.Diagnose(d); };
  return CompileAndAssemble(session, source) ? kExitOk : kExitFailure;
}

} // namespace velkor::cli
