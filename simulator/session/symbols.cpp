#include "simulator/session/symbols.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>

#include "platform/paths.h"
#include "platform/text.h"

namespace kavrin {

void SymbolTable::Clear() {
  names_.clear();
  nameOrder_.clear();
  addresses_.clear();
}

void SymbolTable::Add(std::string_view addressText, std::uint16_t address, std::string_view name) {
  const std::size_t index = names_.size();
  names_.push_back({platform::UpperCase(name.substr(0, kMaxSymbolNameLength)), address});
  // Insert after equal keys so that the first one read stays the one found.
  auto byName = std::upper_bound(
      nameOrder_.begin(), nameOrder_.end(), index,
      [this](std::size_t a, std::size_t b) { return names_[a].upperName < names_[b].upperName; });
  nameOrder_.insert(byName, index);
  AddressEntry entry{std::string(addressText), index};
  auto byAddress = std::upper_bound(
      addresses_.begin(), addresses_.end(), entry,
      [](const AddressEntry& a, const AddressEntry& b) { return a.addressText < b.addressText; });
  addresses_.insert(byAddress, std::move(entry));
}

std::optional<std::uint16_t> SymbolTable::FindName(std::string_view name) const {
  const std::string key = platform::UpperCase(name);
  auto it = std::lower_bound(
      nameOrder_.begin(), nameOrder_.end(), key,
      [this](std::size_t a, const std::string& k) { return names_[a].upperName < k; });
  if (it == nameOrder_.end() || names_[*it].upperName != key) return std::nullopt;
  return names_[*it].address;
}

const std::string* SymbolTable::FindAddress(std::uint16_t address) const {
  const std::string key = platform::Hex(address, 4);
  auto it = std::lower_bound(
      addresses_.begin(), addresses_.end(), key,
      [](const AddressEntry& a, const std::string& k) { return a.addressText < k; });
  if (it == addresses_.end() || it->addressText != key) return nullptr;
  return &names_[it->nameIndex].upperName;
}

namespace {

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// One parsed line, or the reason it is unusable.
struct SymbolLine {
  std::string_view addressText;
  std::uint16_t address = 0;
  std::string_view name;
  const char* error = nullptr;
};

SymbolLine ParseLine(std::string_view line) {
  SymbolLine out;
  if (line.size() < 6) {
    out.error = "line too short";
    return out;
  }
  std::uint16_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const int digit = HexDigitValue(line[i]);
    if (digit < 0) {
      out.error = "address is not four hexadecimal digits";
      return out;
    }
    value = static_cast<std::uint16_t>(value << 4 | digit);
  }
  if (line[4] != ' ' && line[4] != '\t') {
    out.error = "no blank after the address";
    return out;
  }
  std::string_view name = line.substr(5);
  while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
    name.remove_suffix(1);
  if (name.empty()) {
    out.error = "no symbol name";
    return out;
  }
  out.addressText = line.substr(0, 4);
  out.address = value;
  out.name = name;
  return out;
}

} // namespace

SymbolFileResult ParseSymbolText(std::string_view text, std::string_view fileName,
                                 SymbolTable& table) {
  SymbolTable fresh;
  std::size_t lineNumber = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    const SymbolLine parsed = ParseLine(line);
    if (parsed.error) {
      return {false, "Bad symbol file " + std::string(fileName) + ", line " +
                         std::to_string(lineNumber) + ": " + parsed.error};
    }
    fresh.Add(parsed.addressText, parsed.address, parsed.name);
  }
  table = std::move(fresh);
  return {true, {}};
}

SymbolFileResult ReadSymbolFile(const std::filesystem::path& path, SymbolTable& table) {
  std::ifstream in(path, std::ios::binary);
  std::error_code ec;
  if (!in || std::filesystem::is_directory(path, ec))
    return {false, "Cannot open symbol file " + path.string()};
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) return {false, "Cannot read symbol file " + path.string()};
  return ParseSymbolText(content.str(), path.filename().string(), table);
}

std::filesystem::path SymbolFileFor(const std::filesystem::path& imagePath) {
  std::filesystem::path exact = imagePath;
  exact.replace_extension(".SYM");
  std::error_code ec;
  if (std::filesystem::exists(exact, ec)) return exact;
  const std::filesystem::path dir = imagePath.has_parent_path() ? imagePath.parent_path() : ".";
  const std::string wanted = exact.filename().string();
  for (auto it = std::filesystem::directory_iterator(dir, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (platform::EqualsIgnoringCase(it->path().filename().string(), wanted)) return it->path();
  }
  return exact;
}

} // namespace kavrin
