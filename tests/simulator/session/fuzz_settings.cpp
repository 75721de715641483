// Arbitrary Kavrin.ini text: settings and history read into a session's
// devices, never a crash or a port outside the byte range.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "simulator/session/run_session.h"
#include "simulator/session/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  platform::IniFile ini;
  ini.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  const kavrin::KavrinSettings settings = kavrin::ReadSettings(ini);
  const kavrin::LoadHistory history = kavrin::ReadLoadHistory(ini);
  if (history.Entries().size() > kavrin::kLoadHistorySize) __builtin_trap();
  for (const auto& e : history.Entries())
    if (e.path.empty() || e.address >= 0x100000) __builtin_trap();
  static kavrin::Session session;
  session.UseSettings(settings);
  (void)history.MenuCaptions();
  return 0;
}
