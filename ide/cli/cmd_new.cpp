#include <cctype>
#include <cstdint>
#include <optional>
#include <string>

#include "common/project.h"
#include "compiler/compiler.h"
#include "ide/cli/arguments.h"
#include "ide/core/project_file.h"
#include "ide/core/run_time_library.h"
#include "ide/core/startup_module.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace velkor::cli {

namespace {
constexpr OptionRule kOptions[] = {
    {"--target", true},  {"--cpu", true}, {"--main", true},   {"--no-sym", false},
    {"--no-rtl", false}, {"--ram", true}, {"--force", false},
};

// One to four hexadecimal digits, an optional trailing H.
std::optional<std::uint16_t> ParseRamStart(std::string text) {
  if (!text.empty() && (text.back() == 'H' || text.back() == 'h')) text.pop_back();
  if (text.empty() || text.size() > 4) return std::nullopt;
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
  }
  return static_cast<std::uint16_t>(std::stoul(text, nullptr, 16));
}

} // namespace

int RunNew(Invocation& run) {
  ParsedArguments parsed;
  if (!ParseArguments(run.args, kOptions, parsed, run)) return kExitUsage;
  if (parsed.positional.empty()) return run.UsageError("no project file given");
  std::string prjPath = platform::AbsolutePath(parsed.positional.front());
  if (platform::UpperCase(platform::ExtensionPart(prjPath)) != ".PRJ") {
    return run.UsageError("the project file must end in .Prj: " + parsed.positional.front());
  }
  if (parsed.positional.size() < 2) return run.UsageError("no source files given");
  const bool force = parsed.Has("--force");
  if (platform::FileExists(prjPath) && !force) {
    return run.Fail(parsed.positional.front() + " already exists; give --force to replace it");
  }

  Project project = NewProject(platform::DirectoryPart(prjPath),
                               platform::ChangeExtension(platform::FileNamePart(prjPath), ""));
  project.settings.WriteSym = !parsed.Has("--no-sym");
  if (const std::string* target = parsed.Value("--target")) {
    auto index = TargetIndex(*target);
    if (!index) return run.UsageError("unknown target " + *target);
    project.settings.Target = *index;
  }
  if (const std::string* cpu = parsed.Value("--cpu")) {
    auto index = CpuIndex(*cpu);
    if (!index) return run.UsageError("unknown CPU " + *cpu);
    project.settings.CPU = *index;
  }
  if (const std::string* main = parsed.Value("--main")) {
    if (!IsMainFileName(*main)) return run.UsageError(kMainFileTypeMessage);
    project.settings.MainFileName = platform::AbsolutePath(*main);
  }
  project.RefreshDescriptions();

  std::optional<std::uint16_t> ramStart;
  if (const std::string* ram = parsed.Value("--ram")) {
    auto value = ParseRamStart(*ram);
    if (!value) return run.UsageError("--ram needs a hexadecimal address: " + *ram);
    ramStart = *value;
  }

  // Everything is checked before the first file is written, so a refused
  // project leaves the directory as it was.
  std::string firstPascal;
  for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
    const std::string& file = parsed.positional[i];
    if (firstPascal.empty() && IsMainFileName(file)) firstPascal = platform::AbsolutePath(file);
  }
  const std::string mainPascal =
      project.settings.MainFileName.empty() ? firstPascal : project.settings.MainFileName;
  const bool withStartup = !firstPascal.empty() && !parsed.Has("--no-rtl");
  // A Pascal main file that is not there yet becomes a greeting program,
  // which needs the start-up and the terminal unit.
  std::string greetingName;
  if (withStartup && !platform::FileExists(mainPascal) &&
      platform::UpperExtension(mainPascal) == ".PAS") {
    greetingName = GreetingProgramName(mainPascal);
    if (greetingName.empty()) {
      return run.Fail("cannot create " + mainPascal +
                      ": its file name is no Pascal program name (a letter, then letters, digits "
                      "or _)");
    }
  }
  for (std::size_t i = 1; i < parsed.positional.size(); ++i) {
    const std::string& file = parsed.positional[i];
    const bool created = !greetingName.empty() && platform::AbsolutePath(file) == mainPascal;
    if (!created && !platform::FileExists(file)) return run.Fail("cannot find " + file);
    project.AddFile(platform::AbsolutePath(file));
  }
  // A program with its own LINK clause keeps full control of its layout.
  ProgramHeading heading;
  if (!greetingName.empty()) {
    heading.readable = true;
    heading.programName = greetingName;
  } else if (withStartup) {
    heading = ReadProgramHeading(mainPascal);
    if (!heading.readable) {
      return run.Fail(mainPascal +
                      ": no program heading; a main file begins with PROGRAM Name; (or its LINK "
                      "clause), so no start-up can call it");
    }
  }

  std::string error;
  if (withStartup) {
    if (!heading.hasLink) {
      std::string startup;
      if (!WriteStartupModule(platform::ProgramDirectory(), project.Directory(),
                              project.settings.Target, heading.programName, ramStart, force,
                              startup, error)) {
        return run.Fail(error);
      }
      project.AddFile(startup);
      project.MoveFile(project.FileCount() - 1, 0);
    }
    if (!greetingName.empty() &&
        !platform::WriteFileAtomically(mainPascal, GreetingProgramText(greetingName), error)) {
      return run.Fail(error);
    }
    for (std::string_view object : RunTimeLibraryObjects(project.settings.CPU))
      project.AddFile(object);
    if (!CopyTerminalUnit(platform::ProgramDirectory(), project.Directory(),
                          project.settings.Target, error))
      return run.Fail(error);
  }

  if (!WriteProjectFile(project, prjPath, error)) return run.Fail(error);
  return kExitOk;
}

} // namespace velkor::cli
