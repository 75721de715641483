// Linker features on programs assembled from .Mac sources written for them.
#include "linker/link_messages.h"
#include "tests/linker/link_fixture.h"

namespace velkor::testing {
namespace {

namespace T = link_text;
using Bytes = std::vector<std::uint8_t>;

Bytes head(const LinkResult& r, std::size_t n) {
  return Bytes(r.imageFile.begin(), r.imageFile.begin() + n);
}

std::string errorLine(const LinkProject& p) {
  const auto& lines = p.messages.Lines();
  return lines.size() < 2 ? "" : lines[lines.size() - 2];
}

// Modules assembled in order; the error line names the module it stopped in.
TEST(LinkErrors, FailuresNameTheModule) {
  struct Case {
    std::vector<std::vector<std::string>> modules;
    const char* module;
    std::string message;
  };
  const Case cases[] = {
      {{{" EXTERN NOWHERE", " CALL NOWHERE"}}, "M0", "External label :NOWHERE not found"},
      {{{" GLOBAL TWICE", "TWICE: NOP"}, {" GLOBAL TWICE", "TWICE: RET"}},
       "M1",
       "Duplicate global label :TWICE"},
      {{{" NOP", " ORGRESUME 3"}}, "M0", std::string(T::kMarkerNotSet)},
      {{{" DREF NOPE"}}, "M0", "Code location reference \"NOPE\" not found"},
      {{{" DWSIZE NOPE"}}, "M0", "Code size reference \"NOPE\" not found"},
      {{{" LOADREF X", " LOADREF X"}}, "M0", "Duplicate code location/size identifier"},
  };
  for (const Case& c : cases) {
    LinkProject p("fail");
    for (std::size_t i = 0; i < c.modules.size(); ++i)
      p.module("M" + std::to_string(i) + ".Mac", c.modules[i]);
    EXPECT_FALSE(p.link().ok) << c.message;
    EXPECT_EQ(errorLine(p), std::string(T::kFilePrefix) +
                                p.path(std::string(c.module) + ".RRO").string() + " " + c.message);
    EXPECT_EQ(p.messages.Lines().back(), T::kNotCompleted);
  }
}

TEST(LinkErrors, ObjectProblemsNameTheFile) {
  struct Case {
    Bytes object;
    std::string message;
  };
  const Case cases[] = {
      {object([](ObjectWriter& w) { w.dataByte(0); }, false),
       "assembly did not complete without errors"},
      {{'X', 'R', 'O', 1}, "invalid header"},
      {{'R', 'R'}, "assembly did not complete without errors"},
      {{'R', 'R', 'O', 1, 0x05, 0x02, 0x09, 'A'},
       "Object file contents error"},                                  // name runs past the end
      {{'R', 'R', 'O', 1, 0x06}, "Object file contents error"},        // no such record
      {{'R', 'R', 'O', 1, 0x07, 0, 0, 12, 0}, "Invalid data in file"}, // area 12
      {{'R', 'R', 'O', 1, 0x26, 32}, "Invalid data in file"},          // handle 32
  };
  for (const Case& c : cases) {
    LinkProject p("obj");
    p.writeBytes("BAD.RRO", c.object);
    p.request.sources = {"BAD.RRO"};
    EXPECT_FALSE(p.link().ok);
    EXPECT_EQ(errorLine(p),
              std::string(T::kFilePrefix) + p.path("BAD.RRO").string() + " " + c.message);
  }
}

TEST(LinkErrors, AnObjectThatIsADirectoryIsNamedAsOne) {
  LinkProject p("dir");
  p.write("A.Mac", " NOP\n");
  std::filesystem::create_directories(p.path("A.RRO"));
  p.request.sources = {"A.Mac"};
  EXPECT_FALSE(p.link().ok);
  const std::string path = p.path("A.RRO").string();
  EXPECT_TRUE(p.printed(std::string(T::kFilePrefix) + path + " not found")) << p.output();
  EXPECT_TRUE(p.printed(path + " is a directory, not a file")) << p.output();
}

TEST(LinkErrors, MissingObjectAndEmptyProject) {
  LinkProject p("missing");
  p.write("A.Mac", " NOP\n"); // never assembled
  p.request.sources = {"A.Mac"};
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(errorLine(p), std::string(T::kFilePrefix) + p.path("A.RRO").string() + " not found");

  p.request.sources.clear();
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(p.messages.Lines(), std::vector<std::string>{std::string(T::kNoSources)});
}

TEST(LinkErrors, FailedLinkLeavesOlderImageAndSymbolsAlone) {
  LinkProject p("keep");
  p.request.writeSym = true;
  p.write("PROJ.ROM", "older image");
  p.write("PROJ.SYM", "0000 OLD\n");
  p.module("A.Mac", {" EXTERN NOWHERE", " RUNWHENDONE AFTER.SH", " JP NOWHERE"});
  p.write("AFTER.SH", "");
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(readBytes(p.path("PROJ.ROM")),
            Bytes({'o', 'l', 'd', 'e', 'r', ' ', 'i', 'm', 'a', 'g', 'e'}));
  EXPECT_EQ(readBytes(p.path("PROJ.SYM")), Bytes({'0', '0', '0', '0', ' ', 'O', 'L', 'D', '\n'}));
  EXPECT_TRUE(p.started.empty());
}

TEST(LinkLibraries, ObjectFoundInProgramLibDirectory) {
  LinkProject p("lib");
  p.module("prog/Lib/OUTC.Mac", {" GLOBAL OUTC", "OUTC: OUT (1),A", " RET"}, false);
  p.module("MAIN.Mac", {" EXTERN OUTC", " CALL OUTC"});
  p.request.sources.push_back("OUTC.RRO");
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  EXPECT_EQ(r.imageFile, Bytes({0xCD, 0x03, 0x00, 0xD3, 0x01, 0xC9}));
  EXPECT_TRUE(p.printed(std::string(T::kLinking) + p.path("prog/Lib/OUTC.RRO").string()));
}

const std::vector<std::string> kLibrary = {
    " GLOBAL FA,FB,FC", " IFREF FA",  "FA: LD A,1", " RET",   " ENDIF",
    " IFREF FB,FC",     "FB: LD A,2", "FC: RET",    " ENDIF",
};

TEST(LinkIfRef, BlocksKeptOnlyWhenOneOfTheirNamesIsReferenced) {
  struct Case {
    const char* name;
    std::vector<std::string> main;
    Bytes image;
  };
  const Case cases[] = {
      {"none", {" NOP"}, {0x00}},
      {"first_block", {" EXTERN FA", " CALL FA"}, {0xCD, 0x03, 0x00, 0x3E, 0x01, 0xC9}},
      // Only the second name of "IFREF FB,FC" is used: the block stays.
      {"second_name", {" EXTERN FC", " CALL FC"}, {0xCD, 0x05, 0x00, 0x3E, 0x02, 0xC9}},
      // A reference inside an expression counts as well.
      {"expression", {" EXTERN FB", " LD HL,FB+1"}, {0x21, 0x04, 0x00, 0x3E, 0x02, 0xC9}},
  };
  for (const Case& c : cases) {
    LinkProject p(c.name);
    p.module("MAIN.Mac", c.main);
    p.module("LIB.Mac", kLibrary);
    const LinkResult r = p.link();
    ASSERT_TRUE(r.ok) << c.name << p.output();
    EXPECT_EQ(r.imageFile, c.image) << c.name;
    EXPECT_EQ(r.timings.extraResolvePasses, 0) << c.name;
  }
}

TEST(LinkIfRef, LibraryBeforeItsUserIsIncludedToo) {
  LinkProject p("order");
  p.module("LIB.Mac", kLibrary);
  p.module("MAIN.Mac", {" EXTERN FA", " CALL FA"});
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  EXPECT_EQ(r.imageFile, Bytes({0x3E, 0x01, 0xC9, 0xCD, 0x00, 0x00}));
}

TEST(LinkIfRef, GlobalLeftOutHasNoStaleAddress) {
  LinkProject p("stale");
  p.request.writeSym = true;
  p.module("LIB.Mac", {" GLOBAL GONE,KEPT", " IFTRUE 0", "GONE: RET", " ENDIF", "KEPT: NOP"});
  const LinkResult ok = p.link();
  ASSERT_TRUE(ok.ok) << p.output();
  EXPECT_EQ(ok.symText, "0000 KEPT\n0000 KEPT\n"); // GONE is not listed

  p.module("MAIN.Mac", {" EXTERN GONE", " CALL GONE"});
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(errorLine(p), std::string(T::kFilePrefix) + p.path("MAIN.RRO").string() +
                              " External label :GONE not found");
}

// Conditionals from the passes on, overlay marks, and the named values,
// which must see the final layout (pass 1 includes the IFTRUE 0 block).
TEST(LinkFeatures, ImagesOfOneModule) {
  struct Case {
    std::vector<std::string> source;
    Bytes image;
  };
  const Case cases[] = {
      {{" IFTRUE 0", " DB 1", " ENDIF", " IFTRUE 5", " DB 2", " ENDIF", " IFFALSE 1", " DB 3",
        " ENDIF", " IFFALSE 2", " DB 4", " ENDIF", " IFZERO 0", " DB 5", " ENDIF"},
       {2, 4, 5}},
      // ORGMARK: the parts run at one address and are loaded in turn.
      {{" JP 0", " ORGMARK 1", " DB 1,2", " ORGRESUME 1", "OB: DB 3,4,5", " DW OB"},
       {0xC3, 0, 0, 1, 2, 3, 4, 5, 3, 0}},
      // LOADMARK: later bytes are put back at the mark.
      {{" DB 0AAH", " LOADMARK 2", " DB 1,2,3", " LOADRESUME 2", "X: DB 9", " DW X"},
       {0xAA, 9, 4, 0}},
      // DREF: load position 2 as word + byte; DWSIZE: what STORESIZE recorded.
      {{" DB 1,2", " LOADREF HERE", " COUNT 2", " DB 3", " STORESIZE 2,SZ", " COUNT 1",
        " DREF HERE", " DWSIZE SZ"},
       {1, 2, 3, 2, 0, 0, 3, 0}},
      {{" IFTRUE 0", " DB 1,2,3", " ENDIF", " LOADREF P", " DREF P", " MEMERROR 4,TOO_BIG"},
       {0, 0, 0}},
  };
  for (const Case& c : cases) {
    LinkProject p("image");
    p.module("A.Mac", c.source);
    const LinkResult r = p.link();
    ASSERT_TRUE(r.ok) << p.output();
    EXPECT_EQ(r.imageFile, c.image) << c.source[0];
  }
}

// Data placed on top of code warns after the link, naming both ranges; the
// link completes. An overlay part runs in its buffer, not where it is stored.
TEST(LinkOverlaps, DataOverCodeWarnsWithBothRanges) {
  struct Case {
    const char* name;
    std::vector<std::string> source;
    std::vector<std::string> warnings;
  };
  const Case cases[] = {
      {"data_in_code",
       {" LINK 0,100H", " DS 800H", " DATA", " DW 5"},
       {"Warning: Code area 00000H-007FFH overlaps data area 00100H-00101H"}},
      {"two_areas",
       {" LINK 0,100H", " DS 10H", " ORG 120H", " DB 1", " DATA", " DS 40H", " ORG 8H", " DB 2"},
       {"Warning: Code area 00000H-0000FH overlaps data area 00008H-00008H",
        "Warning: Code area 00120H-00120H overlaps data area 00100H-0013FH"}},
      {"data_after_code", {" LINK 0,800H", " DS 800H", " DATA", " DW 5"}, {}},
      {"overlay_part_in_buffer",
       {" LINK 0,8000H", " NOP", " ORG BUF,08000H", " DB 1,2", " DATA", " DS 1", "BUF: DS 2"},
       {}},
      {"overlay_part_stored_at_its_buffer",
       {" LINK 0,8000H", " NOP", " ORG BUF,08001H", " DB 1,2", " DATA", " DS 1", "BUF: DS 2"},
       {}},
  };
  for (const Case& c : cases) {
    LinkProject p(c.name);
    p.module("A.Mac", c.source);
    const LinkResult r = p.link();
    ASSERT_TRUE(r.ok) << c.name << "\n" << p.output();
    std::vector<std::string> warnings;
    for (const std::string& line : p.messages.Lines())
      if (line.starts_with("Warning: Code area")) warnings.push_back(line);
    EXPECT_EQ(warnings, c.warnings) << c.name;
    EXPECT_TRUE(p.printed(std::string(T::kComplete))) << c.name;
  }
}

TEST(LinkLoads, FileCopiedIntoImageAndAreaFlagged) {
  LinkProject p("load");
  p.writeBytes("FONT.BIN", {0x11, 0x22, 0x33});
  p.module("A.Mac", {" DB 1", " LOAD 10H,FONT.BIN", " DB 2"});
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  EXPECT_EQ(head(r, 2), Bytes({1, 2}));
  EXPECT_EQ(r.image[0x10], 0x11);
  EXPECT_EQ(r.image[0x12], 0x33);
  EXPECT_TRUE(p.printed(p.path("A.RRO").string() + T::kLoading.data() +
                        p.path("FONT.BIN").string() + " at 00010H"));
  bool flagged = false;
  for (const LinkArea& a : r.codeAreas)
    flagged |= a.loadedFromFile && a.start == 0x10 && a.end == 0x13;
  EXPECT_TRUE(flagged);
}

TEST(LinkLoads, MissingFileWarnsAndPositionPastImageFails) {
  LinkProject p("load");
  p.module("A.Mac", {" LOAD 10H,NONE.BIN", " NOP"});
  EXPECT_TRUE(p.link().ok);
  EXPECT_TRUE(p.printed(p.path("A.RRO").string() + T::kLoadFileMissing.data() +
                        p.path("NONE.BIN").string()));

  LinkProject q("load2");
  q.writeBytes("FONT.BIN", {1});
  q.module("A.Mac", {" NOP", " LOAD 40000H,FONT.BIN"});
  EXPECT_FALSE(q.link().ok);
  EXPECT_EQ(errorLine(q),
            std::string(T::kFilePrefix) + q.path("A.RRO").string() + " Target out of bounds");
}

TEST(LinkPrograms, RunStartsProgramsAndRunWhenDoneAfterTheImage) {
  LinkProject p("run");
  p.write("TOOL.SH", "");
  p.write("AFTER.SH", "");
  p.module("A.Mac", {" RUN TOOL.SH", " RUNWHENDONE AFTER.SH", " RUN NONE.SH",
                     " RUNWHENDONE NONE2.SH", " NOP"});
  ASSERT_TRUE(p.link().ok) << p.output();
  EXPECT_EQ(p.started,
            (std::vector<std::string>{p.path("TOOL.SH").string(), p.path("AFTER.SH").string()}));
  const std::string a = p.path("A.RRO").string();
  EXPECT_TRUE(p.printed(a + T::kRunning.data() + p.path("TOOL.SH").string()));
  EXPECT_TRUE(p.printed(a + T::kRunFileMissing.data() + p.path("NONE.SH").string()));
  EXPECT_TRUE(p.printed(a + T::kRunWhenDoneMissing.data() + p.path("NONE2.SH").string()));
  EXPECT_TRUE(p.printed(std::string(T::kRunningAfterLink) + p.path("AFTER.SH").string()));
}

TEST(LinkPrograms, ProgramThatCannotStartIsReported) {
  LinkProject p("run");
  p.write("TOOL.SH", "");
  p.request.startProgram = [](const std::string&, std::string& error) {
    error = "permission denied";
    return false;
  };
  p.module("A.Mac", {" RUN TOOL.SH", " NOP"});
  ASSERT_TRUE(p.link().ok);
  EXPECT_TRUE(p.printed(p.path("A.RRO").string() + T::kCannotStart.data() +
                        p.path("TOOL.SH").string() + ": permission denied"));
}

struct TargetCase {
  const char* name;
  int target;
  std::vector<std::string> source;
  std::size_t fileSize;
  bool warns;
};

const TargetCase kTargets[] = {
    {"none", 0, {" ORG 10H", " DB 1"}, 0x11, false},
    {"exact_2K", 2, {" ORG 7FFH", " DB 55H"}, 2048, false},
    {"over_2K", 2, {" ORG 800H", " DB 55H"}, 2049, true},
    {"ds_fills_2K", 2, {" DB 1", " DS 7FFH"}, 2048, false},
    {"4K", 3, {" ORG 7FFH", " DB 55H"}, 4096, false},
    {"8K", 4, {" ORG 7FFH", " DB 55H"}, 8192, false},
    {"16K", 5, {" NOP"}, 16384, false},
    {"32K", 6, {" NOP"}, 32768, false},
    {"64K", 7, {" NOP"}, 65536, false},
    {"128K", 8, {" NOP"}, 131072, false},
    {"256K", 9, {" NOP"}, 262144, false},
    {"cpm", 1, {" ORG 100H", " DS 0FFH", " DB 77H"}, 256, false},
    {"cpm_below_100H", 1, {" DB 1"}, 0, false},
};

class LinkTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(LinkTargets, ImageSizeAndFill) {
  const TargetCase& c = GetParam();
  LinkProject p(c.name);
  p.request.target = c.target;
  p.module("A.Mac", c.source);
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  const Bytes file = readBytes(p.path(c.target == 1 ? "PROJ.COM" : "PROJ.ROM"));
  ASSERT_EQ(file.size(), c.fileSize);
  EXPECT_EQ(file, r.imageFile);
  EXPECT_EQ(!p.ui.MessageBoxTexts().empty(), c.warns);
  if (c.warns) {
    EXPECT_EQ(p.ui.MessageBoxTexts()[0],
              std::string(T::kDoesNotFit) + "\nImage size 2049 bytes, device size 2048 bytes");
  }
  // Everything past the program keeps the 0xFF fill.
  const std::size_t used = c.target == 1 ? 0x100 : (file.size() > 0x800 ? 0x801 : 0x800);
  for (std::size_t i = used; i < file.size(); ++i)
    ASSERT_EQ(file[i], 0xFF) << i;
}

INSTANTIATE_TEST_SUITE_P(Targets, LinkTargets, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LinkTargets, ExactFitBytesLandWhereOrgPutThem) {
  LinkProject p("fit");
  p.request.target = 2;
  p.module("A.Mac", {" ORG 7FFH", " DB 55H"});
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.imageFile[0x7FF], 0x55);
  EXPECT_EQ(r.imageFile[0], 0xFF);

  LinkProject cpm("cpm");
  cpm.request.target = 1;
  cpm.module("A.Mac", {" ORG 100H", " DB 0C3H", " DS 0FEH", " DB 77H"});
  const LinkResult c = cpm.link();
  ASSERT_TRUE(c.ok);
  ASSERT_EQ(c.imageFile.size(), 256u);
  EXPECT_EQ(c.imageFile.front(), 0xC3);
  EXPECT_EQ(c.imageFile.back(), 0x77);
}

TEST(LinkSymbols, LabelLinesThenGlobalTableWithoutEquateMarkers) {
  LinkProject p("sym");
  p.request.writeSym = true;
  p.module("M0.Mac", {" GLOBAL START,SIZE", " EXTERN BUF", " LINK CODEADD,8000H",
                      "START: LD HL,BUF", " RET", "SIZE EQU 10H"});
  p.module("M1.Mac", {" GLOBAL BUF", " DATA", "BUF: DS 10"});
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  const std::string expected = "0000 START\n8000 BUF\n0010 SIZE\n8000 BUF\n0000 START\n";
  EXPECT_EQ(r.symText, expected);
  const Bytes file = readBytes(p.path("PROJ.SYM"));
  EXPECT_EQ(std::string(file.begin(), file.end()), expected);
  EXPECT_EQ(head(r, 4), Bytes({0x21, 0x00, 0x80, 0xC9}));
}

TEST(LinkPlacement, NotesAndAreasFollowOrgAndLink) {
  LinkProject p("notes");
  p.module("A.Mac", {" LINK 100H,9000H", " NOP", " ORG 200H,LOADNEXT", " NOP", " DATA", " DB 7"});
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  EXPECT_TRUE(p.printed(p.path("A.RRO").string() +
                        "  Code start 0000H Code start 0300H load at 00101H Data start 9000H"))
      << p.output();
  EXPECT_EQ(r.image[0x100], 0x00);
  EXPECT_EQ(r.image[0x101], 0x00);
  EXPECT_EQ(r.image[0x9000], 7);
  ASSERT_GE(r.codeAreas.size(), 2u);
  EXPECT_EQ(r.codeAreas[0].start, 0x100u);
  EXPECT_EQ(r.codeAreas[0].end, 0x101u);
  EXPECT_EQ(r.codeAreas[1].start, 0x101u);
  EXPECT_EQ(r.codeAreas[1].end, 0x102u);
  EXPECT_EQ(r.dataAreas.back().start, 0x9000u);
  EXPECT_EQ(r.dataAreas.back().end, 0x9001u);
}

} // namespace
} // namespace velkor::testing
