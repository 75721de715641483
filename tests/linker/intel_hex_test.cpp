// Intel HEX: the records around a 64K boundary. Whole images, up to 256K,
// are read back by binutils' objcopy in the linker's target test.
#include <gtest/gtest.h>

#include "linker/intel_hex.h"
#include "tests/linker/link_fixture.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(IntelHex, RecordsStopAtSixtyFourKAndAnAddressRecordStartsTheNext) {
  EXPECT_EQ(IntelHex(Bytes{0x11, 0x22, 0x33}, 0xFFFE), ":02FFFE001122CE\n"
                                                       ":020000040001F9\n"
                                                       ":0100000033CC\n"
                                                       ":00000001FF\n");
  EXPECT_EQ(IntelHex(Bytes{}, 0), ":00000001FF\n");
}

} // namespace
} // namespace velkor::testing
