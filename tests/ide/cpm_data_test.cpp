// A CP/M program's data right after its code: LINK ...,CODEEND, which a new
// CP/M project's start-up uses unless --ram gives the data an address.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>

#include "common/object_file.h"
#include "ide/core/startup_module.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::RunProgram;
using kit_test::TestDir;

// The first area's start under a heading of the map file.
std::uint32_t FirstAreaStart(const std::string& map, const std::string& heading, bool end) {
  const std::regex area(heading + R"(\n ([0-9A-F]+)H ([0-9A-F]+)H)");
  std::smatch m;
  if (!std::regex_search(map, m, area)) return 0;
  return static_cast<std::uint32_t>(std::stoul(m[end ? 2 : 1], nullptr, 16));
}

TEST(CpmData, FollowsTheCodeAndTheProgramStillRuns) {
  TestDir dir;
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "--target", "CP/M", "Hello.Pas"})
                .status,
            0);
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("\tLINK 0100H,CODEEND"),
            std::string::npos);
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj", "--map"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;

  // The .COM holds the code from 0100H on; the data starts at its end.
  const auto comSize = std::filesystem::file_size(dir.Path() + "P.COM");
  const std::string map = TestDir::Read(dir.Path() + "P.MAP");
  EXPECT_EQ(FirstAreaStart(map, "Code areas \\(start, end\\):", true), 0x100 + comSize) << map;
  EXPECT_EQ(FirstAreaStart(map, "Data areas \\(start, end\\):", false), 0x100 + comSize) << map;

  const auto ran = RunProgram(dir.Path(), "kavrin-cli", {"run", "P.COM"});
  EXPECT_EQ(ran.status, 0) << ran.err;
  EXPECT_EQ(ran.out, "Hello, World!\r\n");
}

TEST(CpmData, RamOptionStillPlacesIt) {
  TestDir dir;
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli",
                       {"new", "P.Prj", "--target", "CP/M", "--ram", "9000", "Hello.Pas"})
                .status,
            0);
  EXPECT_NE(TestDir::Read(dir.Path() + kStartupFileName).find("\tLINK 0100H,09000H"),
            std::string::npos);
}

// The data address waits for code placed after the module that asks for it,
// even code that grows with a later module's size.
TEST(CpmData, CodeEndCountsEveryModule) {
  TestDir dir;
  dir.Write("A.Mac", " LINK 0100H,CODEEND\r\n GLOBAL COUNT\r\n LD HL,COUNT\r\n DATA\r\n"
                     "COUNT: DS 2\r\n END\r\n");
  dir.Write("B.Mac", " DS 300\r\n NOP\r\n END\r\n");
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli",
                       {"new", "P.Prj", "--target", "CP/M", "--no-rtl", "A.Mac", "B.Mac"})
                .status,
            0);
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  // 3 bytes of A, 300 reserved and a NOP in B: the code ends at 0100H + 304.
  const std::string com = TestDir::Read(dir.Path() + "P.COM");
  ASSERT_EQ(com.size(), 304u);
  EXPECT_EQ(com.substr(0, 3), std::string("\x21\x30\x02", 3));
  EXPECT_NE(TestDir::Read(dir.Path() + "P.SYM").find("0230 COUNT"), std::string::npos);
}

TEST(CpmData, ObjectRecordsTheDataPartOnly) {
  const auto read = [](std::vector<std::uint8_t> file, Record& r) {
    std::string_view error;
    ObjectReader reader(file);
    return reader.next(r, error) && reader.atEnd();
  };
  Record r;
  ASSERT_TRUE(read({'R', 'R', 'O', 1, rro::LinkPlacement, 0, 1, 0x00, 0x01, 2}, r));
  EXPECT_TRUE(r.placement[0].hasAddress);
  EXPECT_EQ(r.placement[0].address, 0x100);
  EXPECT_TRUE(r.placement[1].afterCode);
  EXPECT_FALSE(r.placement[1].hasAddress);
  EXPECT_NE(DescribeRecord(r).find("after code"), std::string::npos) << DescribeRecord(r);
  EXPECT_FALSE(read({'R', 'R', 'O', 1, rro::LinkPlacement, 0, 2, 0}, r));
}

} // namespace
} // namespace velkor
