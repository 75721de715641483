#include <string>

#include "assembler/assembler.h"
#include "common/project.h"
#include "ide/cli/arguments.h"
#include "ide/core/project_file.h"
#include "platform/paths.h"
#include "platform/ui_host.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {{"--project", true}, {"--list"}};
} // namespace

// Assembles one file next to itself. On an error the assembler's two error
// lines are preceded by "FILE:LINE: message", the form editors jump to.
int RunAsm(Invocation& run) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, kOptions, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one .Mac or .EMS file");
  const std::string source = platform::AbsolutePath(parsed.positional.front());

  asmsrc::AssemblySettings settings;
  if (const std::string* prj = parsed.Value("--project")) {
    Project project;
    std::string error;
    if (!ReadProjectFile(*prj, project, error)) return run.Fail(error);
    settings.projectDirectory = project.Directory();
    settings.symbolOutput = project.settings.WriteSym;
    settings.writeListing = project.settings.ListFiles;
  }
  if (parsed.Has("--list")) settings.writeListing = true;

  MessageList lines;
  platform::HeadlessUiHost ui;
  const AssembleResult result = AssembleFile(source, settings, lines, ui);
  const auto& all = lines.Lines();
  const bool hasErrorLines = !result.ok && result.errorLine != 0 && all.size() >= 2;
  const std::size_t errorStart = hasErrorLines ? all.size() - 2 : all.size();
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (i == errorStart)
      run.messages.AddMessageLine(result.errorPath + ":" + std::to_string(result.errorLine) + ": " +
                                  result.errorMessage);
    run.messages.AddMessageLine(all[i]);
  }
  if (!result.ok) {
    run.Diagnose({result.errorPath.empty() ? source : result.errorPath, result.errorLine,
                  result.errorLine > 0 ? 1u : 0u, result.errorMessage});
  }
  return result.ok ? kExitOk : kExitFailure;
}

} // namespace velkor::cli
