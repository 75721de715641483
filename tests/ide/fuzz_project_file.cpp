// Any text read as a .Prj or Velkor.ini gives a project or a refusal; a
// project read from it writes back to text that reads as the same project.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ide/core/project_file.h"

namespace {

void Check(const std::string& text) {
  velkor::IdeSettings ide;
  velkor::ParseVelkorIniText(text, "/opt/velkor/", ide);

  velkor::Project project;
  std::string error;
  if (!velkor::ParseProjectText(text, "/w/Fuzz.Prj", project, error)) return;
  velkor::Project again;
  if (!velkor::ParseProjectText(velkor::ProjectFileText(project), "/w/Fuzz.Prj", again, error))
    std::abort();
  const auto& a = project.settings;
  const auto& b = again.settings;
  if (again.ProjectItems != project.ProjectItems || a.Target != b.Target || a.CPU != b.CPU ||
      a.IncludePAS != b.IncludePAS || a.WriteSym != b.WriteSym || a.PasInSym != b.PasInSym ||
      a.AutoIndent != b.AutoIndent || a.MainFileName != b.MainFileName ||
      again.editors.size() != project.editors.size() ||
      again.currentEditor != project.currentEditor)
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  Check(text);
  // Inside the known sections too, so that short runs reach the list readers.
  Check("[General]\n" + text);
  Check("[Sources]\nSource1=A.Mac\n" + text);
  Check("[General]\n[Editor]\n" + text);
  return 0;
}
