// Linker features on programs assembled from .Mac sources written for them.
#include "linker/link_messages.h"
#include "tests/linker/link_fixture.h"
#include "tests/platform/test_dir.h"

namespace velkor::testing {
namespace {

namespace T = link_text;
using Bytes = std::vector<std::uint8_t>;

struct LinkCase {
  std::vector<const char*> modules; // M0.Mac, M1.Mac, ... in link order
  // The image in hex, "linked" for any image, or the object the link
  // stopped in and why.
  std::string outcome;
  std::string shows = "";                 // a text in the messages or the map
  std::vector<std::string> warnings = {}; // the lines after a link that completes
};

const char* const kLibrary = " GLOBAL FA,FB,FC| IFREF FA|FA: LD A,1| RET| ENDIF"
                             "| IFREF FB,FC|FB: LD A,2|FC: RET| ENDIF";

const LinkCase kCases[] = {
    {{" EXTERN NOWHERE| CALL NOWHERE"}, "M0.RRO External label :NOWHERE not found"},
    {{" GLOBAL TWICE|TWICE: NOP", " GLOBAL TWICE|TWICE: RET"},
     "M1.RRO Duplicate global label :TWICE"},
    {{" NOP| ORGRESUME 3"}, "M0.RRO " + std::string(T::kMarkerNotSet)},
    {{" DREF NOPE"}, "M0.RRO Code location reference \"NOPE\" not found"},
    {{" DWSIZE NOPE"}, "M0.RRO Code size reference \"NOPE\" not found"},
    {{" LOADREF X| LOADREF X"}, "M0.RRO Duplicate code location/size identifier"},
    // A global left out by its block has no stale address.
    {{" GLOBAL GONE,KEPT| IFTRUE 0|GONE: RET| ENDIF|KEPT: NOP", " EXTERN GONE| CALL GONE"},
     "M1.RRO External label :GONE not found"},
    // IFREF keeps a block when one of its names is referenced, in an
    // expression too, whether the library comes before its user or after.
    {{" NOP", kLibrary}, "00"},
    {{" EXTERN FA| CALL FA", kLibrary}, "CD 03 00 3E 01 C9"},
    {{" EXTERN FC| CALL FC", kLibrary}, "CD 05 00 3E 02 C9"},
    {{" EXTERN FB| LD HL,FB+1", kLibrary}, "21 04 00 3E 02 C9"},
    {{kLibrary, " EXTERN FA| CALL FA"}, "3E 01 C9 CD 00 00"},
    {{" IFTRUE 0| DB 1| ENDIF| IFTRUE 5| DB 2| ENDIF| IFFALSE 1| DB 3| ENDIF| IFFALSE 2| DB 4"
      "| ENDIF| IFZERO 0| DB 5| ENDIF"},
     "02 04 05"},
    // $ as a word, and a word of a data label.
    {{" LINK 0,8000H| NOP| LD HL,$| DW D| DATA|D: DS 1"}, "00 21 01 00 00 80 ..."},
    // ORGMARK: the parts run at one address and are loaded in turn.
    {{" JP 0| ORGMARK 1| DB 1,2| ORGRESUME 1|OB: DB 3,4,5| DW OB"},
     "C3 00 00 01 02 03 04 05 03 00"},
    // LOADMARK: later bytes are put back at the mark.
    {{" DB 0AAH| LOADMARK 2| DB 1,2,3| LOADRESUME 2|X: DB 9| DW X"}, "AA 09 04 00"},
    // DREF: load position 2 as word + byte; DWSIZE: what STORESIZE recorded.
    {{" DB 1,2| LOADREF HERE| COUNT 2| DB 3| STORESIZE 2,SZ| COUNT 1| DREF HERE| DWSIZE SZ"},
     "01 02 03 02 00 00 03 00"},
    // The named values see the final layout, not pass 1's.
    {{" IFTRUE 0| DB 1,2,3| ENDIF| LOADREF P| DREF P| MEMERROR 4,TOO_BIG"}, "00 00 00"},
    // Every write into the image is checked against its end; MEMERROR
    // compares with the code's size.
    {{" ORG 0,3FFFFH| DB 1"}, "linked"},
    {{" ORG 0,3FFFFH| DB 1,2"}, "M0.RRO Target out of bounds"},
    {{" ORG 0,3FFF0H| DS 10H"}, "linked"},
    {{" ORG 0,3FFF0H| DS 11H"}, "M0.RRO Target out of bounds"},
    {{" ORG 0,40000H| LOADREF P"}, "M0.RRO Target out of bounds"},
    {{" DB 0,0,0| MEMERROR 3,'Code too big'"}, "M0.RRO Code too big"},
    // A relative branch to a label or an expression reaches 127 bytes
    // forward, 128 back.
    {{" JR X| DS 127|X: NOP"}, "18 7F ..."},
    {{" JR X| DS 128|X: NOP"}, "M0.RRO Relative branch out of range"},
    {{"X: DS 126| JR X"}, "... 18 80"},
    {{"X: DS 127| JR X"}, "M0.RRO Relative branch out of range"},
    {{" NOP| JR $+5| JR X+1| DS 120|X: NOP"}, "00 18 03 18 79 ..."},
    {{" JR X+1| DS 127|X: NOP"}, "M0.RRO Relative branch out of range"},
    // IFFALSE on the label right after its own block: included, the label
    // is 1 and the block goes; left out, the label is 0 and it comes back.
    {{" IFFALSE X| DB 0| ENDIF|X: RET"}, std::string(T::kNotSettling)},
    // Left out from the second pass on: the jump carries the final address.
    {{" JP X| IFTRUE 0| DS 10| ENDIF|X: RET"}, "C3 03 00 C9"},
    // The notes and the map follow ORG and LINK: an overlay part stored at
    // 00400H shows the buffer it runs in (BUF, after four bytes of data); a
    // module that starts with LINK begins where its LINK puts it.
    {{" LINK 100H,9000H| NOP| ORG 200H,LOADNEXT| NOP| DATA| DB 7"},
     "linked",
     "M0.RRO  Code start 0000H Code start 0300H load at 00101H Data start 9000H"},
    {{" NOP| DATA|X: DS 4|BUF: DS 8| CODE| ORG BUF,400H|PART: LD A,1| RET"},
     "linked",
     "Overlay parts (load position start, end; buffer start, end):\n 00400H 00403H  0004H 0007H\n",
     {"Warning: Code area 00000H-00000H overlaps data area 00000H-0000BH"}},
    {{" LINK 0100H,09000H| NOP| DATA|X: DS 2", "PUTC: OUT (0),A| RET| DATA|BUF: DS 4"},
     "linked",
     " 00100H 00101H     1  9000H 9002H     2  M0.RRO\n"
     " 00101H 00104H     3  9002H 9006H     4  M1.RRO\n"},
    // Data placed on code warns with both ranges; a part that runs in its
    // buffer is not where it is stored.
    {{" LINK 0,100H| DS 10H| ORG 120H| DB 1| DATA| DS 40H| ORG 8H| DB 2"},
     "linked",
     "",
     {"Warning: Code area 00000H-0000FH overlaps data area 00008H-00008H",
      "Warning: Code area 00120H-00120H overlaps data area 00100H-0013FH"}},
    {{" LINK 0,800H| DS 800H| DATA| DW 5"}, "linked"},
    {{" LINK 0,8000H| NOP| ORG BUF,08000H| DB 1,2| DATA| DS 1|BUF: DS 2"}, "linked"},
    {{" LINK 0,8000H| NOP| ORG BUF,08001H| DB 1,2| DATA| DS 1|BUF: DS 2"}, "linked"},
};

class LinkCases : public ::testing::TestWithParam<LinkCase> {};

TEST_P(LinkCases, OutcomeAndWarnings) {
  const LinkCase& c = GetParam();
  LinkProject p("case");
  p.request.writeMap = true;
  for (std::size_t i = 0; i < c.modules.size(); ++i)
    p.module("M" + std::to_string(i) + ".Mac", Lines(c.modules[i]));
  const LinkResult r = p.link();
  if (!r.ok && !r.errorModule.empty()) {
    EXPECT_TRUE(p.printed(std::string(T::kFilePrefix) + r.errorModule + " " + r.errorMessage));
    EXPECT_EQ(p.messages.Lines().back(), T::kNotCompleted);
  }
  // A link that does not settle stops in no object; "xx ..." and "... xx"
  // stand for the first or the last bytes of the image.
  std::string outcome = !r.ok && r.errorMessage.empty() ? p.messages.Lines().end()[-2]
                        : r.ok && c.outcome == "linked" ? "linked"
                                                        : Outcome(r, SIZE_MAX);
  const std::size_t shown = c.outcome.size() - 4;
  if (c.outcome.ends_with(" ...")) outcome = outcome.substr(0, shown) + " ...";
  if (c.outcome.starts_with("... ")) outcome = "... " + outcome.substr(outcome.size() - shown);
  EXPECT_EQ(outcome, c.outcome) << p.output();
  EXPECT_NE((p.output() + r.mapText).find(c.shows), std::string::npos) << p.output() << r.mapText;
  std::vector<std::string> warnings;
  for (const std::string& line : p.messages.Lines())
    if (line.starts_with("Warning:")) warnings.push_back(line);
  EXPECT_EQ(warnings, c.warnings);
}

INSTANTIATE_TEST_SUITE_P(Sources, LinkCases, ::testing::ValuesIn(kCases));

// A missing object, a directory in its place and an empty project are
// named; a failed link leaves the older image and .SYM alone and starts
// nothing.
TEST(LinkErrors, FailuresNameTheCauseAndKeepOlderFiles) {
  LinkProject p("fail");
  p.request.writeSym = true;
  p.write("PROJ.ROM", "older image");
  p.write("PROJ.SYM", "0000 OLD\n");
  p.write("A.Mac", " NOP\n"); // never assembled
  p.request.sources = {"A.Mac"};
  EXPECT_FALSE(p.link().ok);
  const std::string path = p.path("A.RRO").string();
  EXPECT_TRUE(p.printed(std::string(T::kFilePrefix) + path + " not found")) << p.output();
  std::filesystem::create_directories(path);
  EXPECT_FALSE(p.link().ok);
  EXPECT_TRUE(p.printed(path + " is a directory, not a file")) << p.output();
  p.request.sources.clear();
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(p.messages.Lines(), std::vector<std::string>{std::string(T::kNoSources)});
  p.write("AFTER.SH", "");
  p.module("B.Mac", {" EXTERN NOWHERE", " RUNWHENDONE AFTER.SH", " JP NOWHERE"});
  EXPECT_FALSE(p.link().ok);
  EXPECT_EQ(kit_test::TestDir::Read(p.path("PROJ.ROM").string()), "older image");
  EXPECT_EQ(kit_test::TestDir::Read(p.path("PROJ.SYM").string()), "0000 OLD\n");
  EXPECT_TRUE(p.started.empty());
}

// An object not in the project is looked for in the program's Lib folder; a
// LOAD file lands in the image and flags its area; RUN starts programs at
// once, RUNWHENDONE after the image, missing ones only warn.
TEST(LinkFiles, LibraryLoadAndRunFiles) {
  LinkProject p("files");
  p.module("prog/Lib/OUTC.Mac", {" GLOBAL OUTC", "OUTC: OUT (1),A", " RET"}, false);
  p.write("FONT.BIN", "\x11\x22\x33");
  p.write("TOOL.SH", "");
  p.write("AFTER.SH", "");
  p.module("A.Mac",
           Lines(" EXTERN OUTC| CALL OUTC| LOAD 10H,FONT.BIN| LOAD 20H,NONE.BIN"
                 "| RUN TOOL.SH| RUNWHENDONE AFTER.SH| RUN NONE.SH| RUNWHENDONE NONE2.SH"));
  p.request.sources.push_back("OUTC.RRO");
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  EXPECT_EQ(Bytes(r.imageFile.begin(), r.imageFile.begin() + 6),
            Bytes({0xCD, 0x03, 0x00, 0xD3, 0x01, 0xC9}));
  EXPECT_EQ(Bytes(r.image.begin() + 0x10, r.image.begin() + 0x13), Bytes({0x11, 0x22, 0x33}));
  EXPECT_TRUE(std::ranges::any_of(r.codeAreas, [](const LinkArea& a) {
    return a.loadedFromFile && a.start == 0x10 && a.end == 0x13;
  }));
  EXPECT_EQ(p.started,
            (std::vector<std::string>{p.path("TOOL.SH").string(), p.path("AFTER.SH").string()}));
  const std::string a = p.path("A.RRO").string();
  for (const std::string& line :
       {std::string(T::kLinking) + p.path("prog/Lib/OUTC.RRO").string(),
        a + T::kLoading.data() + p.path("FONT.BIN").string() + " at 00010H",
        a + T::kLoadFileMissing.data() + p.path("NONE.BIN").string(),
        a + T::kRunning.data() + p.path("TOOL.SH").string(),
        a + T::kRunFileMissing.data() + p.path("NONE.SH").string(),
        a + T::kRunWhenDoneMissing.data() + p.path("NONE2.SH").string(),
        std::string(T::kRunningAfterLink) + p.path("AFTER.SH").string()})
    EXPECT_TRUE(p.printed(line)) << line << "\n" << p.output();

  LinkProject q("load_past");
  q.write("FONT.BIN", "\x01");
  q.module("A.Mac", {" NOP", " LOAD 40000H,FONT.BIN"});
  EXPECT_FALSE(q.link().ok);
  EXPECT_TRUE(
      q.printed(std::string(T::kFilePrefix) + q.path("A.RRO").string() + " Target out of bounds"));
}

struct TargetCase {
  const char* name;
  int target;
  const char* source;
  std::size_t fileSize, lastAt; // the program's last byte, 55H; 0FFH after it
  bool warns;
};

const TargetCase kTargets[] = {
    {"none", 0, " ORG 10H| DB 55H", 0x11, 0x10, false},
    {"exact_2K", 2, " ORG 7FFH| DB 55H", 2048, 0x7FF, false},
    {"over_2K", 2, " ORG 800H| DB 55H", 2049, 0x800, true},
    {"256K", 9, " DB 55H", 262144, 0, false},
    {"cpm", 1, " ORG 100H| DS 0FFH| DB 55H", 256, 0xFF, false},
    {"cpm_below_100H", 1, " DB 1", 0, 0, false},
};

class LinkTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(LinkTargets, ImageSizeAndFill) {
  const TargetCase& c = GetParam();
  LinkProject p(c.name);
  p.request.target = c.target;
  p.request.writeHex = true;
  p.module("A.Mac", Lines(c.source));
  const LinkResult r = p.link();
  ASSERT_TRUE(r.ok) << p.output();
  const Bytes file = readBytes(p.path(c.target == 1 ? "PROJ.COM" : "PROJ.ROM"));
  ASSERT_EQ(file.size(), c.fileSize);
  EXPECT_EQ(file, r.imageFile);
  EXPECT_EQ(ObjcopyReadBack(r.hexPath), file) << "the .HEX beside the image";
  const std::vector<std::string> expected = {std::string(T::kDoesNotFit) +
                                             "\nImage size 2049 bytes, device size 2048 bytes"};
  EXPECT_EQ(p.ui.MessageBoxTexts(), c.warns ? expected : std::vector<std::string>{});
  if (file.empty()) return;
  EXPECT_EQ(file[c.lastAt], 0x55);
  for (std::size_t i = c.lastAt + 1; i < file.size(); ++i)
    ASSERT_EQ(file[i], 0xFF) << i;
}

INSTANTIATE_TEST_SUITE_P(Targets, LinkTargets, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });

// The .SYM file: label lines, then the globals, without equate markers; a
// global left out by its block is not listed.
TEST(LinkSymbols, LabelLinesThenGlobals) {
  LinkProject p("sym");
  p.request.writeSym = true;
  p.module("M0.Mac", {" GLOBAL START,SIZE", " EXTERN BUF", " LINK CODEADD,8000H",
                      "START: LD HL,BUF", " RET", "SIZE EQU 10H"});
  p.module("M1.Mac", Lines(" GLOBAL BUF,GONE| IFTRUE 0|GONE: RET| ENDIF| DATA|BUF: DS 10"));
  ASSERT_TRUE(p.link().ok) << p.output();
  EXPECT_EQ(kit_test::TestDir::Read(p.path("PROJ.SYM").string()),
            "0000 START\n8000 BUF\n0010 SIZE\n8000 BUF\n0000 START\n");
}

} // namespace
} // namespace velkor::testing
