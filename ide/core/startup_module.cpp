#include "ide/core/startup_module.h"

#include "common/project.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace velkor {

namespace {

// Comment lines keep the placeholders, so they still explain the template.
void ReplaceOutsideComments(std::string& text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
    const std::size_t newline = text.rfind('\n', at);
    const std::size_t lineStart = newline == std::string::npos ? 0 : newline + 1;
    if (text[lineStart] == ';') {
      at += from.size();
      continue;
    }
    text.replace(at, from.size(), to);
    at += to.size();
  }
}

} // namespace

StartupTemplates StartupTemplatesFor(int target) {
  if (target == kTargetCpm) return {"StartupCpm.mac", "TerminalCpm.pas"};
  return {"Startup.mac", "Terminal.pas"};
}

bool StartupModuleText(const std::string& programDirectory, int target,
                       const std::string& programName, std::optional<std::uint16_t> ramStart,
                       std::string& text, std::string& error) {
  const std::string templatePath =
      programDirectory + "Default/" + StartupTemplatesFor(target).startup;
  if (!platform::ReadWholeFile(templatePath, text, error)) {
    error = "cannot read the start-up template " + templatePath;
    return false;
  }
  ReplaceOutsideComments(text, "%MAIN%", programName);
  const std::string ram = platform::Hex(ramStart.value_or(kDefaultRamStart), 4);
  ReplaceOutsideComments(text, "%RAM%", ram);
  // A .COM's data may follow its code: CP/M gives it all memory below the BDOS.
  ReplaceOutsideComments(text, "%DATA%",
                         ramStart || target != kTargetCpm ? "0" + ram + "H" : "CODEEND");
  return true;
}

bool WriteStartupModule(const std::string& programDirectory, const std::string& projectDirectory,
                        int target, const std::string& programName,
                        std::optional<std::uint16_t> ramStart, bool replace, std::string& path,
                        std::string& error) {
  std::string text;
  if (!StartupModuleText(programDirectory, target, programName, ramStart, text, error))
    return false;
  path = projectDirectory + kStartupFileName;
  if (platform::FileExists(path) && !replace) {
    std::string existing, unused;
    if (platform::ReadWholeFile(path, existing, unused) && existing == text) return true;
    error = path + " already exists; remove it, give --force to replace it, or give --no-rtl";
    return false;
  }
  return platform::WriteFileAtomically(path, text, error);
}

std::string GreetingProgramName(const std::string& mainFilePath) {
  const std::string name = platform::ChangeExtension(platform::FileNamePart(mainFilePath), "");
  const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  const auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (name.empty() || !letter(name[0])) return {};
  for (char c : name) {
    if (!letter(c) && !digit(c) && c != '_') return {};
  }
  return name;
}

std::string GreetingProgramText(const std::string& programName) {
  return "PROGRAM " + programName +
         ";\n"
         "{ Made by velkor-cli new: a greeting on the board's terminal. }\n"
         "\n"
         "{#I Terminal.pas}\n"
         "\n"
         "BEGIN\n"
         "  PutStr('Hello, World!');\n"
         "  PutLn;\n"
         "END.\n";
}

bool CopyTerminalUnit(const std::string& programDirectory, const std::string& projectDirectory,
                      int target, std::string& error) {
  if (platform::FindCaseInsensitive(projectDirectory, kTerminalUnitFileName)) return true;
  const std::string source =
      programDirectory + "Default/" + StartupTemplatesFor(target).terminalUnit;
  std::string text;
  if (!platform::ReadWholeFile(source, text, error)) {
    error = "cannot read the terminal unit " + source;
    return false;
  }
  return platform::WriteFileAtomically(projectDirectory + kTerminalUnitFileName, text, error);
}

} // namespace velkor
