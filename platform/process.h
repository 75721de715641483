#pragma once
// Starting another program without waiting for it (the linker's RUN and
// RUNWHENDONE). The program runs detached in its own session, so it outlives
// us and leaves no zombie behind.
//
//   std::string error;
//   if (!platform::StartProgram("/usr/bin/kavrin", {"OUT.ROM"}, error)) report(error);
//
// A name without "/" is searched in PATH. Failure to start (no such file, not
// executable) is reported, never ignored.

#include <string>
#include <vector>

namespace platform {

bool StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                  std::string& error);

} // namespace platform
