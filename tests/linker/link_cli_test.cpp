// The build commands as the IDE calls them, and velkor-cli's build, link,
// map and dump-rro run as a user would run them.
#include "ide/core/build_commands.h"
#include "ide/core/project_file.h"
#include "tests/linker/link_fixture.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct CliRun {
  int status = -1;
  std::string out; // stdout and stderr
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class CliProject : public ::testing::Test {
protected:
  void write(const std::string& name, const std::string& text) { dir_.Write(name, text); }
  Bytes bytes(const std::string& name) { return readBytes(dir_.Path() + name); }
  bool exists(const std::string& name) { return std::filesystem::exists(dir_.Path() + name); }
  CliRun cli(const std::string& args) {
    std::vector<std::string> words;
    std::istringstream in(args);
    for (std::string word; in >> word;)
      words.push_back(word);
    const kit_test::ProgramRun run = kit_test::RunProgram(dir_.Path(), "velkor-cli", words);
    return {run.status, run.out + run.err};
  }
  kit_test::TestDir dir_;
};

TEST_F(CliProject, BuildAssemblesEveryMacEntryThenLinks) {
  write("A.Mac", " EXTERN PUTC\n LD A,'K'\r\n CALL PUTC\n HALT\n");
  write("B.Mac", " GLOBAL PUTC\nPUTC: OUT (0),A\r RET\n");
  ASSERT_EQ(cli("new P.Prj --target 2K A.Mac B.Mac").status, 0);
  const CliRun build = cli("build P.Prj");
  EXPECT_EQ(build.status, 0) << build.out;
  EXPECT_TRUE(contains(build.out, "Link complete. No Errors")) << build.out;
  const Bytes rom = bytes("P.ROM");
  ASSERT_EQ(rom.size(), 2048u);
  EXPECT_EQ(Bytes(rom.begin(), rom.begin() + 9),
            Bytes({0x3E, 'K', 0xCD, 0x06, 0x00, 0x76, 0xD3, 0x00, 0xC9}));
  EXPECT_EQ(rom[9], 0xFF);

  // map links again in memory: the same areas, and no file is touched.
  std::filesystem::remove(dir_.Path() + "P.ROM");
  const CliRun map = cli("map P.Prj");
  EXPECT_EQ(map.status, 0) << map.out;
  EXPECT_TRUE(
      contains(map.out, "Code areas (start, end):\n 00000H 00009H\nData areas (start, end):\n"))
      << map.out;
  EXPECT_FALSE(exists("P.ROM"));

  const CliRun dump = cli("dump-rro B.RRO");
  EXPECT_EQ(dump.status, 0);
  EXPECT_TRUE(contains(dump.out, "LABEL CODE 0000H")) << dump.out;
  EXPECT_TRUE(contains(dump.out, "GLOBAL 0000H 00H 00H \"PUTC\"")) << dump.out;
}

TEST_F(CliProject, FailedLinkExitsOneAndKeepsTheOlderImage) {
  write("A.Mac", " EXTERN MISSING\n JP MISSING\n");
  ASSERT_EQ(cli("new P.Prj A.Mac").status, 0);
  write("P.ROM", "old");
  const CliRun build = cli("build P.Prj");
  EXPECT_EQ(build.status, 1);
  EXPECT_TRUE(contains(build.out, "External label :MISSING not found\nLink not completed"))
      << build.out;
  EXPECT_EQ(bytes("P.ROM"), Bytes({'o', 'l', 'd'}));
  EXPECT_EQ(cli("link P.Prj").status, 1);
  EXPECT_EQ(cli("map P.Prj").status, 1);
}

TEST_F(CliProject, AssemblerErrorStopsTheBuildBeforeLaterEntries) {
  write("A.Mac", " LD A,\n");
  write("B.Mac", " NOP\n");
  ASSERT_EQ(cli("new P.Prj A.Mac B.Mac").status, 0);
  const CliRun build = cli("build P.Prj");
  EXPECT_EQ(build.status, 1);
  EXPECT_FALSE(contains(build.out, "B.Mac")) << build.out;
  EXPECT_FALSE(contains(build.out, "Starting Linker")) << build.out;
  EXPECT_FALSE(exists("B.RRO"));
}

TEST_F(CliProject, SizeWarningIsPrintedAndLeavesExitZero) {
  write("A.Mac", " ORG 800H\n DB 1\n");
  ASSERT_EQ(cli("new P.Prj --target 2K A.Mac").status, 0);
  const CliRun build = cli("build P.Prj");
  EXPECT_EQ(build.status, 0) << build.out;
  EXPECT_TRUE(contains(build.out, "Warning: Executable code does not fit into target device\n"
                                  "Image size 2049 bytes, device size 2048 bytes"))
      << build.out;
  EXPECT_EQ(bytes("P.ROM").size(), 2049u);
}

TEST_F(CliProject, DumpRroReportsDamageAndUsage) {
  write("T.RRO", std::string("RRO\x01\x05\x02\x09"
                             "AB",
                             9));
  const CliRun damaged = cli("dump-rro T.RRO");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_TRUE(contains(damaged.out, "T.RRO Object file contents error at 00004H")) << damaged.out;
  write("H.RRO", "XYZ\x01");
  EXPECT_EQ(cli("dump-rro H.RRO").status, 1);
  EXPECT_EQ(cli("dump-rro NONE.RRO").status, 1);
  EXPECT_EQ(cli("dump-rro").status, 2);
  EXPECT_EQ(cli("link").status, 2);
  EXPECT_EQ(cli("build A.Prj B.Prj").status, 2);
}

TEST_F(CliProject, BuildSessionSkipsObjectsAndShowsTheErrorLine) {
  write("A.Mac", " NOP\n");
  write("B.Mac", " NOP\n NOP\n LD A,\n");
  write("C.RRO", std::string("RRO\x01\x01\xC9", 6));
  Project project = NewProject(dir_.Path(), "P");
  project.AddFile(dir_.Path() + "A.Mac");
  project.AddFile(dir_.Path() + "C.RRO");
  MessageList messages;
  platform::HeadlessUiHost ui;
  BuildSession session(project, messages, ui, dir_.Path());
  EXPECT_TRUE(session.Build());
  EXPECT_EQ(session.lastLink.imageFile, Bytes({0x00, 0xC9}));
  EXPECT_TRUE(exists("A.RRO"));

  project.AddFile(dir_.Path() + "B.Mac");
  EXPECT_FALSE(session.Build());
  ASSERT_TRUE(ui.LastEditorPosition().has_value());
  EXPECT_EQ(ui.LastEditorPosition()->line, 2);
  EXPECT_TRUE(contains(ui.LastEditorPosition()->file, "B.Mac"));
  for (const std::string& line : messages.Lines())
    EXPECT_FALSE(contains(line, "Linker")) << line;
}

} // namespace
} // namespace velkor::testing
