// Intel HEX: the records around a 64K boundary, then whole images read back
// by binutils' objcopy, an independent reader (the .HEX of a link is read
// back with the image sizes of each target).
#include <gtest/gtest.h>

#include <random>

#include "linker/intel_hex.h"
#include "tests/linker/link_fixture.h"
#include "tests/platform/test_dir.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kit_test::TestDir;

TEST(IntelHex, RecordsStopAtSixtyFourKAndAnAddressRecordStartsTheNext) {
  EXPECT_EQ(IntelHex(Bytes{0x11, 0x22, 0x33}, 0xFFFE), ":02FFFE001122CE\n"
                                                       ":020000040001F9\n"
                                                       ":0100000033CC\n"
                                                       ":00000001FF\n");
  EXPECT_EQ(IntelHex(Bytes{}, 0), ":00000001FF\n");
}

TEST(IntelHex, ObjcopyReadsBackEveryByteAboveSixtyFourK) {
  TestDir dir;
  std::mt19937 random(19);
  for (std::uint32_t start : {0x0000u, 0x0100u}) {
    Bytes bytes(0x20000 + 5);
    for (std::uint8_t& b : bytes)
      b = static_cast<std::uint8_t>(random());
    const std::string hex = dir.Write("r.hex", IntelHex(bytes, start));
    EXPECT_EQ(ObjcopyReadBack(hex), bytes) << "from " << start;
  }
}

} // namespace
} // namespace velkor::testing
