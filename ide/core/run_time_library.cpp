#include "ide/core/run_time_library.h"

#include "rtl/link_order.h"

namespace velkor {

std::span<const std::string_view> RunTimeLibraryObjects(int cpu) {
  if (cpu == kCpuZ180) return rtl::kZ180LinkOrder;
  return rtl::kZ80LinkOrder;
}

} // namespace velkor
