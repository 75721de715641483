// The evaluator answers every text with a value or an "Error at" text, and
// both widths agree.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "common/constant_evaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  auto wide = velkor::EvaluateConstant32(text);
  auto narrow = velkor::EvaluateConstant16(text);
  if (wide.ok != narrow.ok) std::abort();
  if (wide.ok && static_cast<std::uint16_t>(wide.value) != narrow.value) std::abort();
  if (!wide.ok && wide.errorText.rfind("Error at ", 0) != 0) std::abort();
  return 0;
}
