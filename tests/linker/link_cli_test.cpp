// velkor-cli's build, link, map and dump-rro run as a user would run them.
#include "tests/linker/link_fixture.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using kit_test::TestDir;
using kit_test::VelkorCli;

constexpr const char* kGoldenMap = "Map of P.ROM, 2K target device\n"
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

// The project's files are assembled and linked in their order: A's code,
// then B's (OUT (0),A; RET). `map` links again in memory and prints the map
// file's text without writing anything.
TEST(Cli, BuildMapDumpAndFailures) {
  TestDir dir;
  dir.Write("A.Mac", " EXTERN PUTC\r\n GLOBAL START\r\nSTART: LD A,(COUNT)\r\n CALL PUTC\r\n"
                     " HALT\r\n DATA\r\nCOUNT: DS 2\r\n GLOBAL COUNT\r\n");
  dir.Write("B.Mac", " GLOBAL PUTC\nPUTC: OUT (0),A\r RET\r\n DATA\r\nBUF: DS 4\r\n");
  ASSERT_EQ(VelkorCli(dir.Path(), "new P.Prj --target 2K A.Mac B.Mac").status, 0);
  const kit_test::ProgramRun build = VelkorCli(dir.Path(), "build --map P.Prj");
  ASSERT_EQ(build.status, 0) << build.out << build.err;
  EXPECT_EQ(TestDir::Read(dir.Path() + "P.MAP"), kGoldenMap);
  const Bytes rom = readBytes(dir.Path() + "P.ROM");
  ASSERT_EQ(rom.size(), 2048u);
  EXPECT_EQ(Bytes(rom.begin() + 6, rom.begin() + 11), Bytes({0x76, 0xD3, 0x00, 0xC9, 0xFF}));

  std::filesystem::remove(dir.Path() + "P.MAP");
  std::filesystem::remove(dir.Path() + "P.ROM");
  const kit_test::ProgramRun map = VelkorCli(dir.Path(), "map P.Prj");
  ASSERT_EQ(map.status, 0) << map.err;
  EXPECT_TRUE(map.out.ends_with(std::string("Link complete. No Errors\n") + kGoldenMap)) << map.out;
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "P.MAP"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "P.ROM"));

  const kit_test::ProgramRun dump = VelkorCli(dir.Path(), "dump-rro B.RRO");
  EXPECT_EQ(dump.status, 0);
  EXPECT_NE(dump.out.find("GLOBAL 0001H 00H 00H \"PUTC\""), std::string::npos) << dump.out;

  // A failed link (its message is checked with the other CLI diagnostics) or
  // a damaged object exits 1, wrong usage 2.
  dir.Write("E.Mac", " EXTERN MISSING\n JP MISSING\n");
  ASSERT_EQ(VelkorCli(dir.Path(), "new Q.Prj E.Mac").status, 0);
  dir.Write("T.RRO", std::string("RRO\x01\x05\x02\x09"
                                 "AB",
                                 9));
  const kit_test::ProgramRun damaged = VelkorCli(dir.Path(), "dump-rro T.RRO");
  EXPECT_NE((damaged.out + damaged.err).find("T.RRO Object file contents error at 00004H"),
            std::string::npos);
  const std::pair<const char*, int> exits[] = {
      {"build Q.Prj", 1},       {"link Q.Prj", 1}, {"map Q.Prj", 1}, {"dump-rro T.RRO", 1},
      {"dump-rro NONE.RRO", 1}, {"dump-rro", 2},   {"link", 2},      {"build A.Prj B.Prj", 2}};
  for (const auto& [args, status] : exits)
    EXPECT_EQ(VelkorCli(dir.Path(), args).status, status) << args;
}

} // namespace
} // namespace velkor::testing
