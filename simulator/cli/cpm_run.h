#pragma once
// kavrin-cli run in CP/M mode: the program at 0100H under the simulator's
// CP/M, the console on stdin and stdout, files in --cpm-dir.

#include <string>
#include <vector>

namespace kavrin::cli {

// --cpm, or a .COM file without --raw and without options of a raw run.
bool WantsCpmRun(const std::vector<std::string>& args);
int CpmRunCommand(const std::vector<std::string>& args);

} // namespace kavrin::cli
