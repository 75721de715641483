// Shared by the commands that build a project: read it, run the build
// function with message boxes printed as lines, exit 0 or 1.
#pragma once

#include <functional>

#include "ide/cli/command.h"
#include "ide/core/build_commands.h"

namespace velkor::cli {

int RunWithProject(Invocation& run, const std::function<bool(BuildSession&)>& work);

} // namespace velkor::cli
