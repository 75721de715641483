# kit_version: a generated header "kit_version.h" with the project's version
# and, in a git checkout, the commit. Included from the top CMakeLists it
# declares the target; run with -P at build time it writes the header, which
# is touched only when its text changes, so a new commit recompiles only the
# programs' version lines.
if(CMAKE_SCRIPT_MODE_FILE)
  set(commit "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --short=12 HEAD
      WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE commit ERROR_QUIET
      OUTPUT_STRIP_TRAILING_WHITESPACE)
  endif()
  file(CONFIGURE OUTPUT ${OUTPUT} @ONLY CONTENT [=[
#pragma once
// Written by cmake/KitVersion.cmake; do not edit.
#include <string>
#include <string_view>

namespace kit {

inline constexpr std::string_view kVersion = "@VERSION@";
inline constexpr std::string_view kCommit = "@commit@"; // empty outside a git checkout

// "PROGRAM VERSION" and, when known, " (commit HASH)": what --version prints.
inline std::string VersionLine(std::string_view program) {
  std::string line = std::string(program) + ' ' + std::string(kVersion);
  if (!kCommit.empty()) line += " (commit " + std::string(kCommit) + ')';
  return line;
}

} // namespace kit
]=])
  return()
endif()

set(KIT_VERSION_DIR ${PROJECT_BINARY_DIR}/generated)
add_custom_target(kit_version_header
  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${PROJECT_SOURCE_DIR} -DVERSION=${PROJECT_VERSION}
    -DOUTPUT=${KIT_VERSION_DIR}/kit_version.h -P ${CMAKE_CURRENT_LIST_FILE}
  BYPRODUCTS ${KIT_VERSION_DIR}/kit_version.h
  COMMENT "Version header")
add_library(kit_version INTERFACE)
target_include_directories(kit_version INTERFACE ${KIT_VERSION_DIR})
add_dependencies(kit_version kit_version_header)
