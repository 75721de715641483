#include "ide/core/build_pascal.h"

#include "platform/paths.h"

namespace velkor {
namespace {

std::string Bytes(std::uint32_t n) {
  return std::to_string(n) + " bytes";
}

} // namespace

CompileSettings CompileSettingsFor(const Project& project) {
  CompileSettings settings;
  // A listing shows each Pascal line beside the code it became.
  settings.IncludeSourceAsComments = project.settings.IncludePAS || project.settings.ListFiles;
  settings.Z180 = project.settings.CPU == kCpuZ180;
  settings.ProjectDirectory = project.Directory();
  return settings;
}

CompileResult CompilePascalFile(BuildSession& session, const std::string& path) {
  CompileSettings settings = CompileSettingsFor(session.project);
  settings.Defines = session.defines;
  CompileResult result = CompileFile(path, settings, session.messages, session.ui);
  if (!result.ok) {
    session.errorFlag = true;
    session.Report({result.errorFile.empty() ? path : result.errorFile, result.errorLine,
                    result.errorColumn, result.errorMessage});
  }
  return result;
}

void AddCompileSummary(MessageList& messages, const CompileResult& result, std::string_view file,
                       std::string_view blocksLabel) {
  messages.AddMessageLine("");
  messages.AddMessageLine("\tCompile: " + std::string(file));
  messages.AddMessageLine("Code size:      " + Bytes(result.codeSize));
  messages.AddMessageLine("Data size:      " + Bytes(result.dataSize));
  messages.AddMessageLine("Identifiers:    " + std::to_string(result.identifiers));
  messages.AddMessageLine(std::string(blocksLabel) + std::to_string(result.blocks));
  messages.AddMessageLine("Arrays/Strings: " + std::to_string(result.arraysAndStrings));
  messages.AddMessageLine("OverlayAreas:   " + std::to_string(result.overlayBuffers.size()));
  if (!result.overlayBuffers.empty()) {
    std::uint32_t buffers = 0;
    for (std::size_t area = 0; area < result.overlayBuffers.size(); ++area) {
      const std::uint32_t largest = result.overlayBuffers[area];
      messages.AddMessageLine("Buffer " + std::to_string(area + 1) + " " + Bytes(largest));
      buffers += largest;
    }
    messages.AddMessageLine("OverlayAreaSize:" + Bytes(buffers));
    messages.AddMessageLine(
        "OverlaySaving  :" +
        std::to_string(static_cast<std::int64_t>(result.overlayTotal) - buffers) + " bytes");
  }
  messages.AddMessageLine("");
}

bool CompileAndAssemble(BuildSession& session, const std::string& path) {
  const CompileResult result = CompilePascalFile(session, path);
  if (!result.ok) return false;
  AddCompileSummary(session.messages, result, path, "Procedures:     ");
  return AssembleFile(session, result.outputFile, &result);
}

bool BuildPascalEntry(BuildSession& session, const std::string& entry) {
  const CompileResult result = CompilePascalFile(session, session.SearchEntry(entry));
  if (!result.ok) return false;
  MessageList& m = session.messages;
  m.AddMessageLine("");
  m.AddMessageLine("Compile: " + entry);
  m.AddMessageLine("Code size: " + Bytes(result.codeSize));
  m.AddMessageLine("Data size: " + Bytes(result.dataSize));
  m.AddMessageLine("");
  // The file this compilation wrote: an older .Mac beside an .EMS is never taken.
  return AssembleFile(session, result.outputFile, &result);
}

bool HasPascalMainFile(const Project& project) {
  return BuildsAsMainFile(project.settings.MainFileName);
}

bool CompileMainFile(BuildSession& session) {
  if (!HasPascalMainFile(session.project)) return true;
  session.messages.Clear();
  session.errorFlag = false;
  const std::string& main = session.project.settings.MainFileName;
  std::string path = session.SearchEntry(main);
  if (!platform::FileExists(path)) {
    const bool plain = platform::UpperExtension(main).starts_with(".PAS");
    const std::string other =
        session.SearchEntry(platform::ChangeExtension(main, plain ? ".EPS" : ".PAS"));
    if (platform::FileExists(other)) path = other;
  }
  const CompileResult result = CompilePascalFile(session, path);
  if (!result.ok) return false;
  AddCompileSummary(session.messages, result, main, "CodeBlocks:     ");
  return AssembleFile(session, result.outputFile, &result);
}

} // namespace velkor
