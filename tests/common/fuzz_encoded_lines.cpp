// Any byte string either decodes to lines that encode back to the same bytes,
// or is reported as damaged.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/encoded_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  if (!velkor::DecodeLines(bytes, lines)) return 0;
  bool hasEmptyRecord = false;
  for (const auto& line : lines)
    hasEmptyRecord |= line.empty();
  if (!hasEmptyRecord && velkor::EncodeLines(lines) != bytes) std::abort();
  return 0;
}
