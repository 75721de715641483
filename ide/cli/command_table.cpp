#include "ide/cli/command.h"

namespace velkor::cli {

// Each handler lives in its cmd_<name>.cpp; a command is listed here only
// once it works.
int RunNew(Invocation& run);
int RunShow(Invocation& run);

namespace {
const Command kCommands[] = {
    {"new",
     "PROJECT.Prj [--target None|CP/M|2K|4K|8K|16K|32K|64K|128K|256K] [--cpu Z80|Z180] [--main FILE] "
     "[--no-sym] [--no-rtl] FILE...",
     "write a project listing the files in link order", RunNew},
    {"show", "PROJECT.Prj", "print the project's items, one per line", RunShow},
};
}  // namespace

std::span<const Command> Commands() { return kCommands; }

}  // namespace velkor::cli
