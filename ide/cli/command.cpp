#include "ide/cli/command.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "kit_version.h"

namespace velkor::cli {

int Invocation::Fail(std::string_view text) const {
  err << "velkor-cli: " << text << '\n';
  return kExitFailure;
}

void Invocation::Diagnose(const Diagnostic& diagnostic) const {
  std::error_code ec;
  const std::filesystem::path relative =
      std::filesystem::path(diagnostic.file).lexically_relative(std::filesystem::current_path(ec));
  const bool below = !ec && !relative.empty() && *relative.begin() != "..";
  err << (below ? relative.string() : diagnostic.file);
  if (diagnostic.line > 0) err << ':' << diagnostic.line << ':' << diagnostic.column;
  std::string text = diagnostic.text;
  if (text.empty() && !messages.Lines().empty()) text = messages.Lines().back();
  err << (diagnostic.warning ? ": warning: " : ": error: ") << text << '\n';
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
  out << "\nEvery command takes -q/--quiet: only the last line on stdout. Errors also go to "
         "stderr\n"
         "as FILE:LINE:COLUMN: error: TEXT.\n"
         "Exit status: 0 success, 1 failure, 2 usage error.\n";
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
  const auto optionsEnd = std::find(rest.begin(), rest.end(), "--");
  const auto quietFlag = [](const std::string& a) { return a == "-q" || a == "--quiet"; };
  const bool quiet = std::find_if(rest.begin(), optionsEnd, quietFlag) != optionsEnd;
  rest.erase(std::remove_if(rest.begin(), optionsEnd, quietFlag), optionsEnd);
  MessageList messages;
  if (!quiet) {
    messages.AddObserver([&out](const std::string& line) { out << line << '\n' << std::flush; });
  }
  Invocation run{command->name, std::move(rest), messages, out, err};
  const int status = command->run(run);
  if (quiet && !messages.Lines().empty()) out << messages.Lines().back() << '\n';
  return status;
}

} // namespace velkor::cli
