// The map file of a two-module project, and velkor-cli map printing the same.
#include <gtest/gtest.h>

#include "tests/linker/link_fixture.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::TestDir;

constexpr const char* kGolden = "Map of P.ROM, 2K target device\n"
                                "\n"
                                "Code areas (start, end):\n"
                                " 00000H 0000AH\n"
                                "Data areas (start, end):\n"
                                " 00000H 00006H\n"
                                "\n"
                                "Modules (code start, end, size; data start, end, size):\n"
                                " 00000H 00007H     7  0000H 0002H     2  A.RRO\n"
                                " 00007H 0000AH     3  0002H 0006H     4  B.RRO\n"
                                "\n"
                                "Overlay parts (load position start, end; buffer start, end):\n"
                                "\n"
                                "Globals by name:\n"
                                " 0000H data COUNT\n"
                                " 0007H code PUTC\n"
                                " 0000H code START\n"
                                "\n"
                                "Globals by address (code, then data):\n"
                                " 0000H code START\n"
                                " 0007H code PUTC\n"
                                " 0000H data COUNT\n"
                                "\n"
                                "Code: 10 bytes of 2048, 2038 free\n"
                                "Data: 6 bytes\n";

TEST(MapFile, TwoModulesGoldenAndTheMapCommandPrintsTheSame) {
  TestDir dir;
  dir.Write("A.Mac", " EXTERN PUTC\r\n GLOBAL START\r\nSTART: LD A,(COUNT)\r\n CALL PUTC\r\n"
                     " HALT\r\n DATA\r\nCOUNT: DS 2\r\n GLOBAL COUNT\r\n");
  dir.Write("B.Mac", " GLOBAL PUTC\r\nPUTC: OUT (0),A\r\n RET\r\n DATA\r\nBUF: DS 4\r\n");
  ASSERT_EQ(kit_test::RunProgram(dir.Path(), "velkor-cli",
                                 {"new", "P.Prj", "--target", "2K", "A.Mac", "B.Mac"})
                .status,
            0);
  const kit_test::ProgramRun build =
      kit_test::RunProgram(dir.Path(), "velkor-cli", {"build", "--map", "P.Prj"});
  ASSERT_EQ(build.status, 0) << build.out << build.err;
  EXPECT_EQ(TestDir::Read(dir.Path() + "P.MAP"), kGolden);

  // B's code range in the map holds B's bytes in the image: OUT (0),A; RET.
  const std::vector<std::uint8_t> rom = testing::readBytes(dir.Path() + "P.ROM");
  ASSERT_GE(rom.size(), 0x0Au);
  EXPECT_EQ(std::vector<std::uint8_t>(rom.begin() + 7, rom.begin() + 0x0A),
            (std::vector<std::uint8_t>{0xD3, 0x00, 0xC9}));

  std::filesystem::remove(dir.Path() + "P.MAP");
  const kit_test::ProgramRun map = kit_test::RunProgram(dir.Path(), "velkor-cli", {"map", "P.Prj"});
  ASSERT_EQ(map.status, 0) << map.err;
  EXPECT_TRUE(map.out.ends_with(std::string("Link complete. No Errors\n") + kGolden)) << map.out;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "P.MAP")) << "map writes nothing";
}

// A part stored at 00400H that runs in the buffer BUF (data 0004H, after A's
// two bytes of data) shows both ranges; a module that starts with LINK begins
// where its LINK puts it.
TEST(MapFile, OverlayPartsAndModulesPlacedByLink) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> sources;
    const char* expected;
  };
  const Case cases[] = {
      {{{"A.Mac", " NOP\r\n DATA\r\nX: DS 4\r\nBUF: DS 8\r\n CODE\r\n ORG BUF,400H\r\n"
                  "PART: LD A,1\r\n RET\r\n"}},
       "Overlay parts (load position start, end; buffer start, end):\n"
       " 00400H 00403H  0004H 0007H\n\n"},
      {{{"A.Mac", " LINK 0100H,09000H\r\n NOP\r\n DATA\r\nX: DS 2\r\n"},
        {"B.Mac", "PUTC: OUT (0),A\r\n RET\r\n DATA\r\nBUF: DS 4\r\n"}},
       " 00100H 00101H     1  9000H 9002H     2  A.RRO\n"
       " 00101H 00104H     3  9002H 9006H     4  B.RRO\n"},
  };
  for (const Case& c : cases) {
    TestDir dir;
    std::vector<std::string> created = {"new", "P.Prj", "--target", "2K"};
    for (const auto& [name, text] : c.sources) {
      dir.Write(name, text);
      created.push_back(name);
    }
    ASSERT_EQ(kit_test::RunProgram(dir.Path(), "velkor-cli", created).status, 0);
    const kit_test::ProgramRun build =
        kit_test::RunProgram(dir.Path(), "velkor-cli", {"build", "--map", "P.Prj"});
    ASSERT_EQ(build.status, 0) << build.out << build.err;
    const std::string map = TestDir::Read(dir.Path() + "P.MAP");
    EXPECT_NE(map.find(c.expected), std::string::npos) << map;
  }
}

} // namespace
} // namespace velkor
