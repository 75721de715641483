// Links in memory and prints the placement tables the memory map draws.
#include "common/object_file.h"
#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

namespace {

void PrintAreas(MessageList& messages, const char* title, const std::vector<LinkArea>& areas) {
  messages.AddMessageLine(title);
  for (const LinkArea& area : areas) {
    if (area.end == area.start) continue;
    messages.AddMessageLine(" " + LoadPositionHex(area.start) + "H " + LoadPositionHex(area.end) +
                            "H" + (area.loadedFromFile ? " loaded from file" : ""));
  }
}

} // namespace

int RunMap(Invocation& run) {
  return RunWithProject(run, {}, [&run](BuildSession& session) {
    if (!session.Link(false)) return false;
    PrintAreas(run.messages, "Code areas (start, end):", session.lastLink.codeAreas);
    PrintAreas(run.messages, "Data areas (start, end):", session.lastLink.dataAreas);
    return true;
  });
}

} // namespace velkor::cli
