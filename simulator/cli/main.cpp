// kavrin-cli: the command line of the Kavrin simulator.

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "kit_version.h"
#include "simulator/cli/commands.h"

namespace kavrin::cli {
namespace {

constexpr const char* kUsage =
    "usage: kavrin-cli run IMAGE [--load-at HEX] [--pc HEX|SYMBOL] [--sym FILE] [--break "
    "HEX|SYMBOL]...\n"
    "                  [--max-steps N] [--terminal-port HEX] [--regs] [--trace]\n"
    "       kavrin-cli disasm IMAGE [--load-at HEX] [--from HEX|SYMBOL] [--count N] [--sym FILE]\n"
    "run: the program's terminal output goes to stdout, stdin is typed on the terminal;\n"
    "exit 0 at HALT or a breakpoint, 1 on an error, 2 on a usage error, 3 at the step limit.\n";

struct Command {
  const char* name;
  int (*run)(const std::vector<std::string>&);
};

constexpr Command kCommands[] = {
    {"run", RunCommand},
    {"disasm", DisasmCommand},
};

} // namespace

int UsageError(const std::string& text) {
  std::fflush(stdout);
  std::fprintf(stderr, "kavrin-cli: %s\n%s", text.c_str(), kUsage);
  return kExitUsage;
}

int Main(int argc, char** argv) {
  if (argc < 2) return UsageError("no command given");
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (!std::strcmp(argv[1], "--version"))
    return std::puts(kit::VersionLine("kavrin-cli").c_str()), kExitOk;
  const std::vector<std::string> args(argv + 2, argv + argc);
  for (const Command& c : kCommands)
    if (!std::strcmp(argv[1], c.name)) return c.run(args);
  return UsageError(std::string("unknown command ") + argv[1]);
}

} // namespace kavrin::cli

int main(int argc, char** argv) {
  return kavrin::cli::Main(argc, argv);
}
