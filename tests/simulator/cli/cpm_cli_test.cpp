// kavrin-cli's CP/M mode, driven by .COM programs that pasmo (an independent
// assembler) builds: every console, drive and file function with its exact
// output and the files it leaves, and the bad input a CP/M program can give.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli_runner.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::ReadAll;
using testing::RunCli;
using testing::TempDir;

// Output helpers every program below ends with: PUTC prints A, HEX prints A
// in hex, SHOW prints a blank, B and A in hex; all keep BC, DE and HL. FN
// calls the BDOS with C and DE; SHOWFN also shows the answer after a tag.
constexpr const char* kHelpers = R"(
PUTC:   PUSH BC
        PUSH DE
        PUSH HL
        LD E,A
        LD C,2
        CALL BDOS
        POP HL
        POP DE
        POP BC
        RET
HEX:    PUSH AF
        RRCA
        RRCA
        RRCA
        RRCA
        CALL DIGIT
        POP AF
DIGIT:  AND 0FH
        ADD A,90H
        DAA
        ADC A,40H
        DAA
        JP PUTC
SHOW:   PUSH AF
        LD A,' '
        CALL PUTC
        LD A,B
        CALL PUTC
        POP AF
        JP HEX
NEWLN:  LD DE,NL
PRINT:  PUSH BC
        PUSH HL
        LD C,9
        CALL BDOS
        POP HL
        POP BC
        RET
JPHL:   JP (HL)
NL:     DB 13,10,'$'
)";

constexpr const char* kMacros = R"(BDOS EQU 5
FN MACRO fn,arg
        LD C,fn
        LD DE,arg
        CALL BDOS
        ENDM
SHOWFN MACRO fn,arg,tag
        FN fn,arg
        LD B,tag
        CALL SHOW
        ENDM
)";

// Writes the program (ORG 100H, BDOS EQU 5 and the helpers added) as NAME.COM
// in dir and gives its path.
std::string AssembleCom(const TempDir& dir, const std::string& name, const std::string& body) {
  const std::string source = dir.WriteText(name + ".asm", std::string(kMacros) + " ORG 100H\n" +
                                                              body + kHelpers + " END\n");
  const std::string com = (dir.path() / (name + ".COM")).string();
  const std::string command =
      "pasmo " + source + " " + com + " > " + (dir.path() / "pasmo.log").string() + " 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << ReadAll(dir.path() / "pasmo.log");
  return com;
}

constexpr const char* kEveryFunction = R"(
        LD DE,TITLE
        CALL PRINT
        FN 12,0
        LD A,'V'
        CALL PUTC
        LD A,H
        CALL HEX
        LD A,L
        CALL HEX
        CALL NEWLN
        SHOWFN 25,0,'D'
        SHOWFN 32,0FFH,'U'
        FN 32,5
        SHOWFN 32,0FFH,'U'
        FN 24,0
        LD A,L
        LD B,'L'
        CALL SHOW
        FN 13,0
        SHOWFN 14,0,'S'
        SHOWFN 37,1,'R'
        LD C,100
        LD A,55H
        LD HL,1234H
        CALL BDOS
        LD B,'X'
        CALL SHOW
        LD A,H
        CALL HEX
        LD A,L
        CALL HEX
        CALL NEWLN
        LD A,'['
        CALL PUTC
        LD HL,80H
        LD B,(HL)
TAIL:   INC HL
        LD A,(HL)
        CALL PUTC
        DJNZ TAIL
        LD A,']'
        CALL PUTC
        CALL NEWLN
        LD HL,5DH
        LD B,11
FCBN:   LD A,(HL)
        CALL PUTC
        INC HL
        DJNZ FCBN
        LD A,(6CH)
        LD B,'F'
        CALL SHOW
        CALL NEWLN
        SHOWFN 1,0,'I'
        SHOWFN 11,0,'K'
        SHOWFN 6,0FFH,'G'
        CALL NEWLN
        FN 10,LINE
        LD A,(LINE+1)
        LD B,'#'
        CALL SHOW
        CALL NEWLN
        LD HL,(1)
        LD L,0CH
        LD C,'!'
        CALL JPHL
        CALL NEWLN
        FN 26,BUF
        SHOWFN 15,FCB,'O'
        SHOWFN 22,FCB,'M'
        LD A,'A'
        CALL FILL
        SHOWFN 21,FCB,'W'
        LD A,'B'
        CALL FILL
        SHOWFN 21,FCB,'W'
        SHOWFN 16,FCB,'C'
        CALL NEWLN
        XOR A
        LD (FCB+12),A
        LD (FCB+32),A
        SHOWFN 15,FCB,'O'
        LD A,(FCB+15)
        LD B,'#'
        CALL SHOW
        CALL READ
        CALL READ
        CALL READ
        FN 35,FCB
        LD A,(FCB+33)
        LD B,'S'
        CALL SHOW
        CALL NEWLN
        LD A,3
        LD (FCB+33),A
        LD A,'C'
        CALL FILL
        SHOWFN 34,FCB,'w'
        LD A,1
        LD (FCB+33),A
        SHOWFN 33,FCB,'r'
        LD A,(BUF)
        LD B,'='
        CALL SHOW
        FN 36,FCB
        LD A,(FCB+33)
        LD B,'P'
        CALL SHOW
        FN 35,FCB
        LD A,(FCB+33)
        LD B,'S'
        CALL SHOW
        FN 16,FCB
        CALL NEWLN
        SHOWFN 23,RFCB,'N'
        SHOWFN 17,SFCB,'F'
        LD A,' '
        CALL PUTC
        LD HL,BUF+1
        LD B,11
FOUND:  LD A,(HL)
        CALL PUTC
        INC HL
        DJNZ FOUND
        SHOWFN 18,0,'F'
        SHOWFN 19,DFCB,'E'
        SHOWFN 19,DFCB,'E'
        CALL NEWLN
        FN 0,0
READ:   SHOWFN 20,FCB,'R'
        LD A,(BUF)
        LD B,'='
        JP SHOW
FILL:   LD HL,BUF
        LD B,128
FILLB:  LD (HL),A
        INC HL
        DJNZ FILLB
        RET
TITLE:  DB 'CPM TEST',13,10,'$'
LINE:   DB 10,0
        DS 10
FCB:    DB 0,'TEST    DAT'
        DS 24
RFCB:   DB 0,'TEST    DAT',0,0,0,0
        DB 0,'NEW     DAT',0,0,0,0
        DS 4
SFCB:   DB 0,'????????DAT'
        DS 24
DFCB:   DB 0,'OLD     TMP'
        DS 24
BUF:    DS 128
)";

TEST(CpmMode, EveryConsoleDriveAndFileFunctionAnswersAsCpm22Does) {
  TempDir dir;
  const std::string com = AssembleCom(dir, "EVERY", kEveryFunction);
  const fs::path disk = dir.path() / "disk";
  fs::create_directory(disk);
  std::ofstream(disk / "old.tmp") << "found without regard to case";

  const CliResult r =
      RunCli({"run", com, "--args", "in.txt b:out", "--cpm-dir", disk.string()}, "abhello\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "CPM TEST\r\n"
                   "V0022\r\n"
                   " D00 U00 U05 L01 S00 R00 X000000\r\n"
                   "[ IN.TXT B:OUT]\r\n"
                   "IN      TXT F02\r\n"
                   "a I61 KFF G62\r\n"
                   "hello\r #05\r\n"
                   "!\r\n"
                   " OFF M00 W00 W00 C00\r\n"
                   " O00 #02 R00 =41 R00 =42 R01 =42 S02\r\n"
                   " w00 r00 =42 P01 S04\r\n"
                   " N00 F00 NEW     DAT FFF E00 EFF\r\n");
  const std::string expected = std::string(128, 'A') + std::string(128, 'B') +
                               std::string(128, '\0') + std::string(128, 'C');
  EXPECT_EQ(ReadAll(disk / "NEW.DAT"), expected);
  EXPECT_FALSE(fs::exists(disk / "TEST.DAT"));
  EXPECT_FALSE(fs::exists(disk / "old.tmp"));
}

TEST(CpmMode, RawGivesTheComFileToTheBareBoardAndCpmTakesAnyFile) {
  TempDir dir;
  // 0100H: LD C,9; LD DE,TEXT; CALL 5; RET, as a raw image at 0000H it
  // runs into the text's bytes instead.
  const std::string com = AssembleCom(dir, "HI",
                                      "LD C,9\nLD DE,TEXT\nCALL BDOS\nRET\n"
                                      "TEXT: DB 'hi$'\n");
  EXPECT_EQ(RunCli({"run", com}).out, "hi");
  fs::copy_file(com, dir.path() / "HI.BIN");
  EXPECT_EQ(RunCli({"run", (dir.path() / "HI.BIN").string(), "--cpm"}).out, "hi");
  const CliResult raw = RunCli({"run", com, "--raw", "--max-steps", "100"});
  EXPECT_EQ(raw.out, "");
  EXPECT_NE(raw.exitCode, 0);
}

struct BadCase {
  const char* name;
  const char* program;
  const char* input;
  int exitCode;
  const char* message;
};

const BadCase kBadCases[] = {
    {"UnimplementedFunction", "LD C,3\nCALL BDOS\n", "", 1,
     "BDOS function 3 (reader input) is not implemented; called at 0102H\n"},
    {"UnimplementedBiosEntry", "LD HL,(1)\nLD L,0FH\nCALL JPHL\n", "", 1,
     "BIOS entry LIST is not implemented; called at 0105H\n"},
    {"InputAfterTheEnd", "LD C,1\nCALL BDOS\nLD C,1\nCALL BDOS\n", "x", 4,
     "Waiting for input at end of standard input\n"},
    {"StatusPollingAfterTheEnd", "WAIT: LD C,11\nCALL BDOS\nOR A\nJR Z,WAIT\nRET\n", "", 4,
     "Waiting for input at end of standard input\n"},
    {"ForbiddenCharacter", "LD C,15\nLD DE,F\nCALL BDOS\nRET\nF: DB 0,'A<B     TXT'\nDS 24\n", "",
     1,
     "BDOS function 15 (open file) called at 0105H: the FCB at 0109H holds a name with a "
     "character CP/M forbids: <\n"},
    {"WildcardInOpen", "LD C,22\nLD DE,F\nCALL BDOS\nRET\nF: DB 0,'A?      TXT'\nDS 24\n", "", 1,
     "BDOS function 22 (make file) called at 0105H: the FCB at 0109H holds a name with a "
     "character CP/M forbids: ?\n"},
    {"NoName", "LD C,22\nLD DE,F\nCALL BDOS\nRET\nF: DB 0,'           '\nDS 24\n", "", 1,
     "BDOS function 22 (make file) called at 0105H: the FCB at 0109H holds no file name\n"},
    {"OtherDrive", "LD C,22\nLD DE,F\nCALL BDOS\nRET\nF: DB 2,'B       TXT'\nDS 24\n", "", 1,
     "BDOS function 22 (make file) called at 0105H: the FCB at 0109H names drive 02H, and only "
     "A: exists\n"},
    {"FcbReachesTheBdos", "LD C,20\nLD DE,0FDF0H\nCALL BDOS\n", "", 1,
     "BDOS function 20 (read sequential) called at 0105H: the FCB at FDF0H reaches the BDOS at "
     "FE00H\n"},
    {"SelectOtherDrive", "LD C,14\nLD E,1\nCALL BDOS\n", "", 1, "Bdos Err On B: Select\n"},
};

class CpmBadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(CpmBadInput, EndsTheRunWithAClearMessage) {
  const BadCase& c = GetParam();
  TempDir dir;
  const std::string com = AssembleCom(dir, "BAD", c.program);
  const fs::path disk = dir.path() / "disk";
  fs::create_directory(disk);
  const CliResult r = RunCli({"run", com, "--cpm-dir", disk.string()}, c.input);
  EXPECT_EQ(r.exitCode, c.exitCode);
  EXPECT_EQ(r.err, c.message);
  EXPECT_TRUE(fs::is_empty(disk));
}

INSTANTIATE_TEST_SUITE_P(Cases, CpmBadInput, ::testing::ValuesIn(kBadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CpmMode, AFileOutsideTheDirectoryIsNeverTouched) {
  TempDir dir;
  // Make, write and delete LINK.TXT, a link to a file outside the directory.
  const std::string com = AssembleCom(dir, "LINK", R"(
        SHOWFN 22,F,'M'
        SHOWFN 21,F,'W'
        SHOWFN 19,F,'E'
        RET
F:      DB 0,'LINK    TXT'
        DS 24
)");
  const fs::path disk = dir.path() / "disk";
  fs::create_directory(disk);
  std::ofstream(dir.path() / "outside.txt") << "keep";
  fs::create_symlink(dir.path() / "outside.txt", disk / "LINK.TXT");
  const CliResult r = RunCli({"run", com, "--cpm-dir", disk.string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, " MFF WFF EFF");
  EXPECT_EQ(ReadAll(dir.path() / "outside.txt"), "keep");
}

TEST(CpmMode, AProgramThatDoesNotFitBelowTheBdosIsRefused) {
  TempDir dir;
  const std::string com = dir.Write("BIG.COM", std::vector<unsigned char>(0xFD01, 0));
  const CliResult r = RunCli({"run", com});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, com + ": the program of 64769 bytes does not fit below the BDOS at FE00H: at "
                         "most 64768 bytes\n");
}

} // namespace
} // namespace kavrin
