#include "ide/core/run_time_library.h"

#include <array>

namespace velkor {

namespace {
// In link order. Filled in by the run-time library as its objects exist.
constexpr std::array<std::string_view, 0> kRunTimeLibraryObjects = {};
}  // namespace

std::span<const std::string_view> RunTimeLibraryObjects() { return kRunTimeLibraryObjects; }

}  // namespace velkor
