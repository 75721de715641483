// Any byte string given to the object reader must end in records or a clean
// error, never a read past the buffer.
#include "common/object_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velkor;
  ObjectReader reader(std::span<const std::uint8_t>(data, size));
  (void)reader.checkHeader();
  Record record;
  std::string_view error;
  while (!reader.atEnd() && reader.next(record, error)) {
    (void)DescribeRecord(record);
  }
  return 0;
}
