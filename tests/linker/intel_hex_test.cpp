// Intel HEX: the records around a 64K boundary, then whole images read back
// by binutils' objcopy, an independent reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "linker/intel_hex.h"
#include "tests/linker/link_fixture.h"
#include "tests/platform/run_program.h"
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

// objcopy's view of the file: the bytes from its lowest address to its highest.
Bytes ReadBack(const std::string& hexFile, const std::string& binFile) {
  const std::string command = "objcopy -I ihex -O binary " + kit_test::ShellQuoted(hexFile) + " " +
                              kit_test::ShellQuoted(binFile);
  if (std::system(command.c_str()) != 0) return {};
  return readBytes(binFile);
}

TEST(IntelHex, ObjcopyReadsBackEveryByteAboveSixtyFourK) {
  TestDir dir;
  std::mt19937 random(19);
  for (std::uint32_t start : {0x0000u, 0x0100u}) {
    Bytes bytes(0x20000 + 5);
    for (std::uint8_t& b : bytes)
      b = static_cast<std::uint8_t>(random());
    const std::string hex = dir.Write("r.hex", IntelHex(bytes, start));
    EXPECT_EQ(ReadBack(hex, dir.Path() + "back.bin"), bytes) << "from " << start;
  }
}

// The .HEX a link writes beside the image holds the image's bytes, from
// 0100H for a CP/M program.
TEST(IntelHex, LinkHexMatchesTheImage) {
  const std::pair<int, const char*> cases[] = {{2, " LD A,'K'| ORG 0180H| DB 1,2,3"},
                                               {8, " LD A,'K'| ORG 0FFF0H| DB 1,2,3"},
                                               {1, " LD A,'K'| ORG 0180H| DB 1,2,3"}};
  for (const auto& [target, source] : cases) {
    LinkProject p("hex" + std::to_string(target));
    p.request.target = target;
    p.request.writeHex = true;
    p.module("A.Mac", Lines(source));
    const LinkResult r = p.link();
    ASSERT_TRUE(r.ok) << p.output();
    ASSERT_FALSE(r.hexPath.empty());
    EXPECT_EQ(ReadBack(r.hexPath, p.path("back.bin").string()), r.imageFile) << target;
  }
}

} // namespace
} // namespace velkor::testing
