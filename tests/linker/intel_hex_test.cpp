// Intel HEX: the records around a 64K boundary, then whole images read back
// by binutils' objcopy, an independent reader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "linker/intel_hex.h"
#include "tests/linker/link_fixture.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kit_test::TestDir;

TEST(IntelHex, RecordsStopAtSixtyFourKAndAnAddressRecordStartsTheNext) {
  const Bytes bytes = {0x11, 0x22, 0x33};
  EXPECT_EQ(IntelHex(bytes, 0xFFFE), ":02FFFE001122CE\n"
                                     ":020000040001F9\n"
                                     ":0100000033CC\n"
                                     ":00000001FF\n");
  EXPECT_EQ(IntelHex({}, 0), ":00000001FF\n");
}

// objcopy's view of the file: the bytes from its lowest address to its highest.
Bytes ReadBack(const TestDir& dir, const std::string& hexFile) {
  const std::string command = "objcopy -I ihex -O binary " + kit_test::ShellQuoted(hexFile) + " " +
                              kit_test::ShellQuoted(dir.Path() + "back.bin");
  if (std::system(command.c_str()) != 0) return {};
  return testing::readBytes(dir.Path() + "back.bin");
}

TEST(IntelHex, ObjcopyReadsBackEveryByteAboveSixtyFourK) {
  TestDir dir;
  std::mt19937 random(19);
  for (std::uint32_t start : {0x0000u, 0x0100u}) {
    Bytes bytes(0x20000 + 5);
    for (std::uint8_t& b : bytes)
      b = static_cast<std::uint8_t>(random());
    const std::string hex = dir.Write("r.hex", IntelHex(bytes, start));
    EXPECT_EQ(ReadBack(dir, hex), bytes) << "from " << start;
  }
}

struct ImageCase {
  const char* target;
  const char* source;
  const char* command;
  const char* image;
  std::size_t size;
};

// The image the link writes and the .HEX beside it hold the same bytes.
TEST(IntelHex, LinkHexMatchesTheImage) {
  TestDir dir;
  dir.Write("A.Mac", " LD A,'K'\r\n HALT\r\n ORG 0FFF0H\r\n DB 1,2,3\r\n");
  dir.Write("C.Mac", " LD A,'K'\r\n HALT\r\n ORG 0180H\r\n DB 1,2,3\r\n");
  for (const ImageCase& c : {ImageCase{"2K", "C.Mac", "build", "P.ROM", 0x800},
                             ImageCase{"64K", "A.Mac", "build", "P.ROM", 0x10000},
                             ImageCase{"128K", "A.Mac", "build", "P.ROM", 0x20000},
                             ImageCase{"CP/M", "C.Mac", "build", "P.COM", 0x83},
                             ImageCase{"CP/M", "C.Mac", "link", "P.COM", 0x83}}) {
    ASSERT_EQ(kit_test::RunProgram(dir.Path(), "velkor-cli",
                                   {"new", "P.Prj", "--force", "--target", c.target, c.source})
                  .status,
              0);
    const kit_test::ProgramRun build =
        kit_test::RunProgram(dir.Path(), "velkor-cli", {c.command, "--hex", "P.Prj"});
    ASSERT_EQ(build.status, 0) << build.out << build.err;
    const Bytes image = testing::readBytes(dir.Path() + c.image);
    EXPECT_EQ(image.size(), c.size) << c.target;
    EXPECT_EQ(ReadBack(dir, dir.Path() + "P.HEX"), image) << c.target;
    std::filesystem::remove(dir.Path() + "P.HEX");
  }
}

} // namespace
} // namespace velkor
