#include "ide/cli/command.h"

#include <ostream>

#include "kit_version.h"

namespace velkor::cli {

int Invocation::Fail(std::string_view text) const {
  err << "velkor-cli: " << text << '\n';
  return kExitFailure;
}

int Invocation::UsageError(std::string_view text) const {
  err << "velkor-cli " << command << ": " << text;
  if (const Command* known = FindCommand(command))
    err << " (usage: velkor-cli " << command << ' ' << known->usage << ')';
  err << '\n';
  return kExitUsage;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : Commands()) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

namespace {

void PrintHelp(std::ostream& out) {
  out << "usage: velkor-cli COMMAND [ARGUMENTS]\n       velkor-cli --version\n\ncommands:\n";
  for (const Command& command : Commands()) {
    out << "  " << command.name << ' ' << command.usage << "\n      " << command.summary << '\n';
  }
  out << "\nExit status: 0 success, 1 failure, 2 usage error.\n";
}

} // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    err << "velkor-cli: no command given (see velkor-cli --help)\n";
    return kExitUsage;
  }
  const std::string& name = args.front();
  if (name == "--help" || name == "-h" || name == "help") {
    PrintHelp(out);
    return kExitOk;
  }
  if (name == "--version") {
    out << kit::VersionLine("velkor-cli") << '\n';
    return kExitOk;
  }
  const Command* command = FindCommand(name);
  if (command == nullptr) {
    err << "velkor-cli: unknown command " << name << " (see velkor-cli --help)\n";
    return kExitUsage;
  }
  std::vector<std::string> rest(args.begin() + 1, args.end());
  if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h")) {
    out << "usage: velkor-cli " << command->name << ' ' << command->usage << '\n'
        << command->summary << '\n';
    return kExitOk;
  }
  MessageList messages;
  messages.AddObserver([&out](const std::string& line) { out << line << '\n' << std::flush; });
  Invocation run{command->name, std::move(rest), messages, out, err};
  return command->run(run);
}

} // namespace velkor::cli
