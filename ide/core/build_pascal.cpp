#include "ide/core/build_pascal.h"

#include <filesystem>

#include "compiler/compile_error.h"
#include "compiler/driver.h"
#include "platform/paths.h"

namespace velkor {
namespace {

std::string UpperExtension(std::string_view name) {
  return platform::UpperCase(platform::ExtensionPart(std::string(name)));
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

std::string Bytes(std::uint32_t n) {
  return std::to_string(n) + " bytes";
}

} // namespace

CompileSettings CompileSettingsFor(const Project& project) {
  CompileSettings settings;
  settings.IncludeSourceAsComments = project.settings.IncludePAS;
  settings.Z180 = project.settings.CPU == kCpuZ180;
  settings.ProjectDirectory = project.Directory();
  return settings;
}

bool CompilePascalFile(BuildSession& session, Compilation& c, const std::string& path,
                       bool encodeOutput) {
  c.EncodeOutput = encodeOutput;
  std::int32_t codeSize = 0, dataSize = 0;
  try {
    CompileFile(c, path, 0, codeSize, dataSize);
  } catch (const ECompileError&) {
    session.errorFlag = true;
    return false;
  }
  return true;
}

void AddCompileSummary(MessageList& messages, const Compilation& c, std::string_view file,
                       std::string_view blocksLabel) {
  messages.AddMessageLine("");
  messages.AddMessageLine("\tCompile: " + std::string(file));
  messages.AddMessageLine("Code size:      " + Bytes(c.CodeSize));
  messages.AddMessageLine("Data size:      " + Bytes(c.DataSize));
  messages.AddMessageLine("Identifiers:    " + std::to_string(c.IdentifierCount));
  messages.AddMessageLine(std::string(blocksLabel) + std::to_string(c.BlockCount));
  messages.AddMessageLine("Arrays/Strings: " + std::to_string(c.ArrayCount - 1));
  messages.AddMessageLine("OverlayAreas:   " + std::to_string(c.OverlayAreaCount));
  if (c.OverlayAreaCount > 0) {
    std::uint32_t buffers = 0;
    for (int area = 1; area <= c.OverlayAreaCount; ++area) {
      const std::uint32_t largest = c.OverlaySizes[static_cast<std::size_t>(area)].largestSize;
      messages.AddMessageLine("Buffer " + std::to_string(area) + " " + Bytes(largest));
      buffers += largest;
    }
    messages.AddMessageLine("OverlayAreaSize:" + Bytes(buffers));
    messages.AddMessageLine(
        "OverlaySaving  :" + std::to_string(static_cast<std::int64_t>(c.OverlayTotal) - buffers) +
        " bytes");
  }
  messages.AddMessageLine("");
}

bool BuildPascalEntry(BuildSession& session, const std::string& entry) {
  Compilation c(session.messages, session.ui, CompileSettingsFor(session.project));
  if (!CompilePascalFile(session, c, session.SearchEntry(entry), false)) return false;
  MessageList& m = session.messages;
  m.AddMessageLine("");
  m.AddMessageLine("Compile: " + entry);
  m.AddMessageLine("Code size: " + Bytes(c.CodeSize));
  m.AddMessageLine("Data size: " + Bytes(c.DataSize));
  m.AddMessageLine("");
  // The file this compilation wrote: an older .Mac beside an .EMS is never taken.
  return AssembleFile(session, c.OutputFileName);
}

bool HasPascalMainFile(const Project& project) {
  const std::string& main = project.settings.MainFileName;
  const std::string extension = UpperExtension(main).substr(0, 4);
  return !main.empty() && (extension == ".PAS" || extension == ".EPS");
}

bool CompileMainFile(BuildSession& session) {
  if (!HasPascalMainFile(session.project)) return true;
  session.messages.Clear();
  session.errorFlag = false;
  const std::string& main = session.project.settings.MainFileName;
  std::string path = session.SearchEntry(main);
  const std::string extension = UpperExtension(main).substr(0, 4);
  if (!Exists(path)) {
    const std::string other =
        session.SearchEntry(ChangeFileExt(main, extension == ".PAS" ? ".EPS" : ".PAS"));
    if (Exists(other)) path = other;
  }
  // An encoded source gives encoded output, whether it was named or substituted.
  const bool encode = UpperExtension(path) == ".EPS";
  Compilation c(session.messages, session.ui, CompileSettingsFor(session.project));
  if (!CompilePascalFile(session, c, path, encode)) return false;
  AddCompileSummary(session.messages, c, main, "CodeBlocks:     ");
  return AssembleFile(session, c.OutputFileName);
}

} // namespace velkor
