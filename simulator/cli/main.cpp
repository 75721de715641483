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
    "                  [--stats] [--clock MHZ] [--wait-states MEMORY[,IO]]\n"
    "                  [--board [--rom-size K]] [--in PORT=VALUE]... [--log-io]\n"
    "                  [--dump HEX|SYMBOL,LENGTH] [--console port|asci0|asci1]\n"
    "       kavrin-cli run PROG.COM [--cpm|--raw] [--args TEXT] [--cpm-dir DIR] (CP/M 2.2)\n"
    "       kavrin-cli disasm IMAGE [--load-at HEX] [--from HEX|SYMBOL] [--count N] [--sym FILE]\n"
    "run: the program's terminal output goes to stdout, stdin is typed on the terminal\n"
    "(from a terminal key by key, without echo); exit 0 at HALT or a breakpoint, 1 on an\n"
    "error, 2 on a usage error, 3 at the step limit, 4 when the program waits for a key\n"
    "after standard input has ended: 1000 reads in a row of the terminal status port that\n"
    "find no key, with no other port access between them, or a HALT that lasts 4096 waits\n"
    "without any port access (a CP/M program: a console input call, or 1000 status calls).\n"
    "--stats prints the instructions, T-states and simulated time (at --clock, default\n"
    "18.432 MHz) on stderr; --wait-states adds 0-3 wait states to each memory and I/O cycle.\n"
    "--board runs the chip's timers and takes interrupts; HALT with interrupts enabled\n"
    "waits for one. --rom-size ignores writes below K kilobytes (--trace names them).\n"
    "--console asci0 or asci1 (with --board) puts stdin and stdout on that serial channel.\n"
    "--in sets an input port of the I/O page (hex; the n-th --in takes row n), --log-io\n"
    "prints every port access on stderr, --dump prints LENGTH (hex) bytes of memory at the\n"
    "end as the dump window shows them.\n";

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
