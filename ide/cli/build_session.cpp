#include "ide/cli/build_session.h"

#include <algorithm>
#include <cctype>

#include "ide/core/project_file.h"
#include "platform/paths.h"

namespace velkor::cli {

namespace {

// The compiler reads at most this many characters of a {#C} word.
constexpr std::size_t kMaxDefineLength = 250;

bool IsConditionalWord(const std::string& name) {
  return !name.empty() && name.size() <= kMaxDefineLength &&
         std::all_of(name.begin(), name.end(), [](char ch) {
           return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
         });
}

} // namespace

bool ApplyBuildOptions(const ParsedArguments& parsed, BuildSession& session,
                       const Invocation& run) {
  for (const std::string& name : parsed.Values(kDefineOption.name)) {
    if (!IsConditionalWord(name)) {
      run.UsageError("-D " + name + ": a name is letters, digits and _");
      return false;
    }
    session.defines.push_back(name);
  }
  if (parsed.Has(kHexOption.name)) session.project.settings.WriteHex = true;
  if (parsed.Has(kMapOption.name)) session.project.settings.WriteMap = true;
  if (parsed.Has(kListOption.name)) session.project.settings.ListFiles = true;
  return true;
}

int RunWithProject(Invocation& run, std::span<const OptionRule> options,
                   const std::function<bool(BuildSession&)>& work) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, options, parsed, run)) return kExitUsage;
  if (parsed.positional.size() != 1) return run.UsageError("expected one project file");
  Project project;
  std::string error;
  if (!ReadProjectFile(platform::AbsolutePath(parsed.positional.front()), project, error)) {
    return run.Fail(error);
  }
  // Message boxes become lines among the tools' own, as the IDE would show them.
  platform::HeadlessUiHost ui(&run.out);
  BuildSession session{project, run.messages, ui, platform::ProgramDirectory()};
  if (!ApplyBuildOptions(parsed, session, run)) return kExitUsage;
  session.onDiagnostic = [&run](const Diagnostic& d) { run.Diagnose(d); };
  return work(session) ? kExitOk : kExitFailure;
}

} // namespace velkor::cli
