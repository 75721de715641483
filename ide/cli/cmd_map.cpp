// Links in memory and prints the map file's text; its first lines are the
// placement tables the memory map draws.
#include "ide/cli/arguments.h"
#include "ide/cli/build_session.h"

namespace velkor::cli {

int RunMap(Invocation& run) {
  return RunWithProject(run, {}, [&run](BuildSession& session) {
    session.project.settings.WriteMap = true;
    if (!session.Link(false)) return false;
    std::string_view text = session.lastLink.mapText;
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      run.messages.AddMessageLine(std::string(text.substr(0, end)));
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return true;
  });
}

} // namespace velkor::cli
