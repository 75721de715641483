// Any text parses; writing what was parsed and parsing it again gives the
// same sections, keys and values.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::IniFile first;
  first.Parse(std::string(reinterpret_cast<const char*>(data), size));
  platform::IniFile second;
  second.Parse(first.ToText());
  if (first.Sections() != second.Sections()) std::abort();
  for (const std::string& section : first.Sections()) {
    if (first.Keys(section) != second.Keys(section)) std::abort();
    for (const std::string& key : first.Keys(section)) {
      if (first.ReadString(section, key, "") != second.ReadString(section, key, "")) std::abort();
      if (first.ReadInteger(section, key, 7) != second.ReadInteger(section, key, 7)) std::abort();
    }
  }
  return 0;
}
