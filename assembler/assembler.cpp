#include "assembler/assembler.h"

#include "assembler/listing.h"
#include "assembler/source_file.h"
#include "common/encoded_lines.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace velkor {

std::string DefinitionFileText(const std::vector<std::pair<std::string, std::uint16_t>>& entries) {
  std::string text;
  for (const auto& [name, v] : entries)
    text += name + ":\tEQU\t" + platform::Hex(v, 4) + "H\r\n";
  return text;
}

AssembledLines AssembleLines(std::vector<std::string> lines,
                             const asmsrc::AssemblySettings& settings, MessageList& messages,
                             platform::UiHost& ui) {
  asmsrc::Assembly assembly(std::move(lines), settings, messages, ui);
  assembly.run();
  AssembledLines result;
  result.ok = !assembly.failed();
  result.image = assembly.object().fileImage(result.ok);
  result.writeList = assembly.writeEntries();
  result.error = assembly.error();
  return result;
}

AssembleResult AssembleFile(const std::string& sourcePath, const asmsrc::AssemblySettings& settings,
                            MessageList& messages, platform::UiHost& ui) {
  AssembleResult result;
  std::vector<std::string> lines;
  std::string readError;
  if (!asmsrc::ReadSourceLines(sourcePath, lines, readError)) {
    result.errorMessage = std::string(kCannotFindFile) + sourcePath;
    if (readError == kEncodedFileDamaged) result.errorMessage = std::string(kEncodedFileDamaged);
    result.errorPath = sourcePath;
    messages.AddMessageLine(result.errorMessage);
    if (const std::string directory = platform::DirectoryInsteadOfFile(sourcePath);
        !directory.empty())
      messages.AddMessageLine(directory);
    return result;
  }
  messages.AddMessageLine("Assemble: " + sourcePath);

  asmsrc::AssemblySettings run = settings;
  if (run.projectDirectory.empty()) {
    const std::size_t slash = sourcePath.find_last_of('/');
    run.projectDirectory = slash == std::string::npos ? std::string() : sourcePath.substr(0, slash);
  }
  asmsrc::Assembly assembly(std::move(lines), run, messages, ui);
  asmsrc::Listing listing;
  if (run.writeListing) assembly.listing = &listing;
  assembly.run();
  result.ok = !assembly.failed();

  if (!result.ok) {
    // The previous object stays as it was: a failed assembly writes nothing.
    const asmsrc::AssemblyError& e = assembly.error();
    result.errorMessage = e.message;
    result.errorLine = e.lineIndex + 1;
    result.errorPath =
        e.file.empty() ? sourcePath : asmsrc::FindFileIgnoringCase(run.projectDirectory, e.file);
    if (result.errorPath.empty()) result.errorPath = e.file;
    return result;
  }
  std::string writeError;
  const std::string objectPath = platform::ChangeExtension(sourcePath, ".RRO");
  if (!assembly.object().save(objectPath, true, writeError)) {
    result.ok = false;
    result.errorMessage = writeError;
    messages.AddMessageLine(writeError);
    return result;
  }
  result.objectPath = objectPath;
  messages.AddMessageLine(kCompletedMessage);
  if (!assembly.writeEntries().empty()) {
    const std::string defPath = platform::ChangeExtension(sourcePath, ".DEF");
    if (!platform::WriteFileAtomically(defPath, DefinitionFileText(assembly.writeEntries()),
                                       writeError)) {
      result.ok = false;
      result.errorMessage = writeError;
      messages.AddMessageLine(writeError);
      return result;
    }
    result.definitionPath = defPath;
  }
  if (run.writeListing) {
    const std::string listPath = platform::ChangeExtension(sourcePath, ".LST");
    const std::string text = listing.Text(assembly.object().fileImage(true), assembly.symbols);
    if (!platform::WriteFileAtomically(listPath, text, writeError)) {
      result.ok = false;
      result.errorMessage = writeError;
      messages.AddMessageLine(writeError);
      return result;
    }
    result.listingPath = listPath;
  }
  return result;
}

} // namespace velkor
