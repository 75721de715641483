#include "ide/core/build_commands.h"

#include "assembler/assembler.h"
#include "common/file_search.h"
#include "ide/core/build_pascal.h"
#include "platform/paths.h"

namespace velkor {

namespace {

bool AssembleEntry(BuildSession& session, const std::string& entry) {
  return AssembleFile(session, session.SearchEntry(entry));
}

constexpr EntryBuilder kEntryBuilders[] = {
    {".MAC", AssembleEntry},
    {".PAS", BuildPascalEntry},
};

} // namespace

std::span<const EntryBuilder> EntryBuilders() {
  return kEntryBuilders;
}

std::string BuildSession::SearchEntry(std::string_view entry) const {
  return SearchProjectFile(entry, project.Directory(), programDirectory);
}

bool AssembleFile(BuildSession& session, const std::string& path, const CompileResult* compiled) {
  asmsrc::AssemblySettings settings;
  settings.projectDirectory = session.project.Directory();
  settings.symbolOutput = session.project.settings.WriteSym;
  settings.writeListing = session.project.settings.ListFiles;
  const AssembleResult result = AssembleFile(path, settings, session.messages, session.ui);
  if (!result.ok) {
    session.errorFlag = true;
    if (!result.errorPath.empty() && result.errorLine > 0) {
      session.ui.ShowEditorPosition(result.errorPath, static_cast<int>(result.errorLine) - 1, 0);
    }
    Diagnostic diagnostic{result.errorPath.empty() ? path : result.errorPath, result.errorLine,
                          result.errorLine > 0 ? 1u : 0u, result.errorMessage};
    const bool inOutput = result.errorPath.empty() || result.errorPath == path;
    if (const SourcePlace* source =
            compiled && inOutput ? AsmLineSource(*compiled, result.errorLine) : nullptr) {
      diagnostic.file = source->file;
      diagnostic.line = source->line;
    }
    session.Report(diagnostic);
  }
  return result.ok;
}

bool BuildEditorFile(BuildSession& session, const std::string& path) {
  session.errorFlag = false;
  const std::string extension = platform::UpperCase(platform::ExtensionPart(path));
  if (extension == ".MAC") return AssembleFile(session, path);
  if (extension == ".PAS") return CompileAndAssemble(session, path);
  session.ui.MessageBox(kUnknownFileType, "Velkor", platform::kOkOnly);
  return false;
}

bool BuildSession::BuildAllFiles() {
  messages.Clear();
  errorFlag = false;
  for (const std::string& entry : project.Files()) {
    if (errorFlag) break;
    const std::string extension = platform::UpperCase(platform::ExtensionPart(entry));
    for (const EntryBuilder& builder : kEntryBuilders) {
      if (builder.extension == extension) {
        builder.build(*this, entry);
        break;
      }
    }
  }
  return !errorFlag;
}

bool BuildSession::Link(bool writeFiles) {
  LinkRequest request;
  request.projectName = project.Name();
  request.projectDirectory = project.Directory();
  request.sources = project.Files();
  request.target = project.settings.Target;
  request.writeSym = project.settings.WriteSym;
  request.writeHex = project.settings.WriteHex;
  request.writeMap = project.settings.WriteMap;
  request.programDirectory = programDirectory;
  request.writeFiles = writeFiles;
  lastLink = velkor::Link(request, messages, ui);
  // The object carries no source lines: the module is the place.
  const auto place = [this](const std::string& module) {
    return module.empty() ? project.Directory() + project.Name() + ".Prj" : module;
  };
  for (const LinkWarning& warning : lastLink.warnings)
    Report({place(warning.module), 0, 0, warning.text, true});
  if (!lastLink.ok) {
    errorFlag = true;
    Report({place(lastLink.errorModule), 0, 0, lastLink.errorMessage});
  }
  return lastLink.ok;
}

bool BuildSession::Build() {
  return BuildAllFiles() && Link();
}

} // namespace velkor
