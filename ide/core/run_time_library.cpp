#include "ide/core/run_time_library.h"

#include <array>

namespace velkor {

namespace {
// Callers before callees, so that a routine's own references never pull in
// another object's routines; RtlEnd marks the end of the data and stays last.
constexpr std::array<std::string_view, 9> kZ80Objects = {
    "RtlConv.RRO", "RtlStr.RRO",   "RtlMisc.RRO", "RtlOvl.RRO", "RtlLong.RRO",
    "RtlCmp.RRO",  "RtlArith.RRO", "RtlMul.RRO",  "RtlEnd.RRO",
};
constexpr std::array<std::string_view, 9> kZ180Objects = {
    "RtlConv.RRO", "RtlStr.RRO",   "RtlMisc.RRO", "RtlOvlZ.RRO", "RtlLong.RRO",
    "RtlCmp.RRO",  "RtlArith.RRO", "RtlMulZ.RRO", "RtlEnd.RRO",
};
} // namespace

std::span<const std::string_view> RunTimeLibraryObjects(int cpu) {
  if (cpu == kCpuZ180) return kZ180Objects;
  return kZ80Objects;
}

} // namespace velkor
