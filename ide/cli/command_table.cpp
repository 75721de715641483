#include "ide/cli/command.h"

namespace velkor::cli {

// Each handler lives in its cmd_<name>.cpp; a command is listed here only
// once it works.
int RunAsm(Invocation& run);
int RunBuild(Invocation& run);
int RunCompile(Invocation& run);
int RunDumpRro(Invocation& run);
int RunLink(Invocation& run);
int RunMain(Invocation& run);
int RunMap(Invocation& run);
int RunNew(Invocation& run);
int RunShow(Invocation& run);

namespace {
const Command kCommands[] = {
    {"new",
     "PROJECT.Prj [--target None|CP/M|2K|4K|8K|16K|32K|64K|128K|256K] [--cpu Z80|Z180] [--main "
     "FILE] [--no-sym] [--no-rtl] [--ram HEX] [--force] FILE...",
     "write a project listing the files in link order; a Pascal main file that does not exist "
     "yet is created as a greeting program; an existing project is replaced only with --force",
     RunNew},
    {"asm", "FILE.Mac|FILE.EMS [--project PROJECT.Prj] [--list]",
     "assemble one file into an .RRO object beside it", RunAsm},
    {"compile", "FILE.Pas|FILE.EPS [--project PROJECT.Prj] [-D NAME]...",
     "compile one Pascal file into a .Mac (or .EMS) beside it, print its summary and assemble it",
     RunCompile},
    {"build", "PROJECT.Prj [-D NAME]... [--hex] [--map] [--list]",
     "compile and assemble every .Pas and .Mac entry in link order, then link", RunBuild},
    {"main", "PROJECT.Prj [-D NAME]...",
     "compile and assemble the project's main file (MainFileName), without linking", RunMain},
    {"link", "PROJECT.Prj [--hex] [--map]",
     "link the project's objects into its image (and .SYM, .HEX, .MAP)", RunLink},
    {"map", "PROJECT.Prj",
     "link in memory and print the map: areas, modules, overlay parts, globals, totals", RunMap},
    {"dump-rro", "FILE.RRO", "print an object file's records, one per line", RunDumpRro},
    {"show", "PROJECT.Prj", "print the project's items, one per line", RunShow},
};
} // namespace

std::span<const Command> Commands() {
  return kCommands;
}

} // namespace velkor::cli
