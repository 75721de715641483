#include "platform/ini_file.h"

#include <cctype>
#include <charconv>
#include <climits>

#include "platform/atomic_file.h"

namespace platform {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string IndexName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string_view Trim(std::string_view text) {
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c == '\n') c = ' ';
  }
  return out;
}

} // namespace

bool IniFile::Load(const std::string& path, std::string& error) {
  std::string text;
  if (!ReadWholeFile(path, text, error)) return false;
  Parse(text);
  return true;
}

void IniFile::Parse(std::string_view text) {
  preamble_.clear();
  sections_.clear();
  sectionIndex_.clear();
  Section* current = nullptr;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.find(']') != std::string_view::npos) {
      std::string_view name = Trim(line.substr(1, line.find(']') - 1));
      current = &SectionFor(name);
      continue;
    }
    auto& target = current ? current->entries : preamble_;
    std::size_t equals = line.find('=');
    if (line.empty() || line.front() == ';' || line.front() == '#' ||
        equals == std::string_view::npos || Trim(line.substr(0, equals)).empty()) {
      if (!line.empty()) target.push_back({"", "", std::string(raw)});
      continue;
    }
    std::string key(Trim(line.substr(0, equals)));
    if (current) {
      // The first of two equal keys counts.
      if (!current->keyIndex.emplace(IndexName(key), target.size()).second) continue;
    }
    target.push_back({key, std::string(Trim(line.substr(equals + 1))), ""});
  }
}

std::string IniFile::ToText() const {
  std::string out;
  auto emit = [&out](const std::vector<Entry>& entries) {
    for (const Entry& e : entries)
      out += e.key.empty() ? e.rawLine + "\n" : e.key + "=" + e.value + "\n";
  };
  emit(preamble_);
  for (std::size_t i = 0; i < sections_.size(); ++i) {
    if (i > 0 || !preamble_.empty()) out += "\n";
    out += "[" + sections_[i].name + "]\n";
    emit(sections_[i].entries);
  }
  return out;
}

bool IniFile::Save(const std::string& path, std::string& error) const {
  return WriteFileAtomically(path, ToText(), error);
}

void IniFile::Section::Reindex() {
  keyIndex.clear();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].key.empty()) keyIndex.emplace(IndexName(entries[i].key), i);
  }
}

void IniFile::ReindexSections() {
  sectionIndex_.clear();
  for (std::size_t i = 0; i < sections_.size(); ++i)
    sectionIndex_.emplace(IndexName(sections_[i].name), i);
}

const IniFile::Section* IniFile::FindSection(std::string_view name) const {
  auto it = sectionIndex_.find(IndexName(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section* IniFile::FindSection(std::string_view name) {
  auto it = sectionIndex_.find(IndexName(name));
  return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

IniFile::Section& IniFile::SectionFor(std::string_view name) {
  if (Section* found = FindSection(name)) return *found;
  sectionIndex_.emplace(IndexName(OneLine(name)), sections_.size());
  sections_.push_back({OneLine(name), {}, {}});
  return sections_.back();
}

const IniFile::Entry* IniFile::Lookup(std::string_view section, std::string_view key) const {
  const Section* s = FindSection(section);
  if (!s) return nullptr;
  auto it = s->keyIndex.find(IndexName(key));
  return it == s->keyIndex.end() ? nullptr : &s->entries[it->second];
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  const Entry* entry = Lookup(section, key);
  return entry ? entry->value : std::string(fallback);
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const {
  const Entry* entry = Lookup(section, key);
  if (!entry || entry->value.empty()) return fallback;
  std::string_view text = entry->value;
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  // from_chars would take a second sign.
  if (text.empty() || text.front() == '-' || text.front() == '+') return fallback;
  long long magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size()) return fallback;
  long long signedValue = negative ? -magnitude : magnitude;
  if (signedValue < INT_MIN || signedValue > INT_MAX) return fallback;
  return static_cast<int>(signedValue);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  const Entry* entry = Lookup(section, key);
  if (entry && SameName(entry->value, "true")) return true;
  if (entry && SameName(entry->value, "false")) return false;
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  Section& s = SectionFor(section);
  std::string name = OneLine(key);
  auto [it, added] = s.keyIndex.emplace(IndexName(name), s.entries.size());
  if (added) {
    s.entries.push_back({name, OneLine(value), ""});
  } else {
    s.entries[it->second].value = OneLine(value);
  }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool IniFile::KeyExists(std::string_view section, std::string_view key) const {
  return Lookup(section, key) != nullptr;
}

void IniFile::EraseSection(std::string_view section) {
  std::erase_if(sections_, [section](const Section& s) { return SameName(s.name, section); });
  ReindexSections();
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
  if (Section* found = FindSection(section)) {
    std::erase_if(found->entries,
                  [key](const Entry& e) { return !e.key.empty() && SameName(e.key, key); });
    found->Reindex();
  }
}

std::vector<std::string> IniFile::Sections() const {
  std::vector<std::string> names;
  for (const Section& s : sections_)
    names.push_back(s.name);
  return names;
}

std::vector<std::string> IniFile::Keys(std::string_view section) const {
  std::vector<std::string> keys;
  if (const Section* s = FindSection(section)) {
    for (const Entry& e : s->entries) {
      if (!e.key.empty()) keys.push_back(e.key);
    }
  }
  return keys;
}

} // namespace platform
