#pragma once
// Ini profile files: "[Section]" headers and "Key=Value" lines, as both
// programs keep their settings and projects. Section and key names compare
// without regard to case; the order of sections and keys is kept, and so is
// everything the program does not know about, so that a saved file loses
// nothing the user put in it.
//
//   platform::IniFile ini;
//   std::string error;
//   if (!ini.Load("Velkor.ini", error)) ...;        // a missing file is an error here
//   int target = ini.ReadInteger("General", "Target", 0);
//   ini.WriteBool("General", "WriteSym", true);    // stored as "1"
//   if (!ini.Save("Velkor.ini", error)) ...;       // temporary file + rename
//
// Reading never fails on content: unparsable lines are kept but ignored, a
// value that is not a number reads as the default.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform {

class IniFile {
public:
  bool Load(const std::string& path, std::string& error);
  void Parse(std::string_view text);
  bool Save(const std::string& path, std::string& error) const;
  std::string ToText() const;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) const;
  // Decimal with an optional sign, or hexadecimal after "$" or "0x"; anything
  // else, or a value outside the int range, gives the default.
  int ReadInteger(std::string_view section, std::string_view key, int fallback) const;
  // A number: non-zero is true. Also "true"/"false" in any case.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // A line feed cannot be stored in a value; it becomes a blank. Blanks at
  // either end of a value are not kept.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  bool SectionExists(std::string_view section) const;
  bool KeyExists(std::string_view section, std::string_view key) const;
  void EraseSection(std::string_view section);
  void DeleteKey(std::string_view section, std::string_view key);
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(std::string_view section) const;

private:
  struct Entry {
    std::string key; // empty for a line that is not key=value (kept as text)
    std::string value;
    std::string rawLine;
  };
  // Indexes by upper-cased name keep reading and parsing linear in the size
  // of the file.
  struct Section {
    std::string name;
    std::vector<Entry> entries;
    std::unordered_map<std::string, std::size_t> keyIndex;
    void Reindex();
  };

  const Section* FindSection(std::string_view name) const;
  Section* FindSection(std::string_view name);
  Section& SectionFor(std::string_view name);
  const Entry* Lookup(std::string_view section, std::string_view key) const;
  void ReindexSections();

  std::vector<Entry> preamble_; // lines before the first section
  std::vector<Section> sections_;
  std::unordered_map<std::string, std::size_t> sectionIndex_;
};

} // namespace platform
