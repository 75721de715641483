#include "assembler/source_file.h"

#include "assembler/asm_lexer.h"
#include "common/encoded_lines.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text.h"

#include <filesystem>
#include <system_error>

namespace velkor::asmsrc {

std::vector<std::string> SplitSourceText(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const bool atEnd = i == text.size();
    if (!atEnd && text[i] != '\r' && text[i] != '\n') continue;
    if (atEnd && start == i) break;
    lines.emplace_back(text.substr(start, i - start));
    if (!atEnd && text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  return lines;
}

bool ReadSourceLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::string bytes;
  if (!platform::ReadWholeFile(path, bytes, error)) return false;
  if (platform::UpperExtension(path) == ".EMS") {
    if (!DecodeLines(std::move(bytes), lines)) {
      error = std::string(kEncodedFileDamaged);
      return false;
    }
    return true;
  }
  lines = SplitSourceText(std::string_view(bytes).substr(platform::ByteOrderMarkLength(bytes)));
  return true;
}

std::string FindFileIgnoringCase(const std::string& directory, const std::string& name) {
  namespace fs = std::filesystem;
  if (name.empty()) return {};
  const fs::path dir = directory.empty() ? fs::path(".") : fs::path(directory);
  std::error_code ec;
  const fs::path exact = dir / name;
  if (fs::is_regular_file(exact, ec)) return directory.empty() ? name : exact.string();
  for (const auto& entry : fs::directory_iterator(dir, ec)) {
    if (!entry.is_regular_file(ec)) continue;
    const std::string candidate = entry.path().filename().string();
    if (EqualsIgnoreCase(candidate, name))
      return directory.empty() ? candidate : entry.path().string();
  }
  return {};
}

} // namespace velkor::asmsrc
