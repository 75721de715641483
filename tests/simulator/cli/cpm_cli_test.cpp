// kavrin-cli's CP/M mode, driven by .COM programs that pasmo (an independent
// assembler) builds: every console, drive and file function with its exact
// output and the files it leaves.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli_runner.h"

namespace kavrin {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::RunCli;
using testing::TempDir;

// FN calls the BDOS with C and DE; SHOWFN also shows the answer in A after a
// tag, SHOWAT the byte at an address; TEXT prints n bytes from an address.
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
SHOWAT MACRO at,tag
        LD A,(at)
        LD B,tag
        CALL SHOW
        ENDM
TEXT MACRO at,n
        LD HL,at
        LD B,n
        CALL PUTN
        ENDM
)";

// PUTC prints A, keeping BC and HL; HEX prints A in hex; SHOW prints a
// blank, B and A in hex.
constexpr const char* kHelpers = R"(
PUTC:   PUSH BC
        PUSH HL
        LD E,A
        LD C,2
        CALL BDOS
        POP HL
        POP BC
        RET
PUTN:   LD A,(HL)
        CALL PUTC
        INC HL
        DJNZ PUTN
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
        LD C,9
        JP BDOS
JPHL:   JP (HL)
NL:     DB 13,10,'$'
)";

// Writes the program (ORG 100H, the macros and the helpers added) as
// NAME.COM in dir and gives its path.
std::string AssembleCom(const TempDir& dir, const std::string& name, const std::string& body) {
  const std::string source =
      dir.Write(name + ".asm", std::string(kMacros) + " ORG 100H\n" + body + kHelpers + " END\n");
  const std::string com = dir.Path() + name + ".COM";
  const std::string command = "pasmo " + source + " " + com + " > " + dir.Path() + "pasmo.log 2>&1";
  EXPECT_EQ(std::system(command.c_str()), 0) << TempDir::Read(dir.Path() + "pasmo.log");
  return com;
}

constexpr const char* kEveryFunction = R"(
        FN 12,0
        LD A,H
        LD B,'V'
        CALL SHOW
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
        LD A,(80H)
        LD B,A
        LD HL,81H
        CALL PUTN
        CALL NEWLN
        TEXT 5DH,11
        SHOWAT 6CH,'F'
        CALL NEWLN
        SHOWFN 1,0,'I'
        SHOWFN 11,0,'K'
        SHOWFN 6,0FFH,'G'
        CALL NEWLN
        FN 10,LINE
        SHOWAT LINE+1,'#'
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
        SHOWAT FCB+15,'#'
        CALL READ
        CALL READ
        CALL READ
        FN 35,FCB
        SHOWAT FCB+33,'S'
        CALL NEWLN
        LD A,3
        LD (FCB+33),A
        LD A,'C'
        CALL FILL
        SHOWFN 34,FCB,'w'
        LD A,1
        LD (FCB+33),A
        SHOWFN 33,FCB,'r'
        SHOWAT BUF,'='
        FN 36,FCB
        SHOWAT FCB+33,'P'
        FN 35,FCB
        SHOWAT FCB+33,'S'
        FN 16,FCB
        CALL NEWLN
        SHOWFN 23,RFCB,'N'
        SHOWFN 17,SFCB,'F'
        LD A,' '
        CALL PUTC
        TEXT BUF+1,11
        SHOWFN 18,0,'F'
        SHOWFN 19,DFCB,'E'
        SHOWFN 19,DFCB,'E'
        SHOWFN 22,LFCB,'M'
        SHOWFN 21,LFCB,'W'
        SHOWFN 19,LFCB,'E'
        CALL NEWLN
        FN 0,0
READ:   SHOWFN 20,FCB,'R'
        SHOWAT BUF,'='
        RET
FILL:   LD HL,BUF
        LD B,128
FILLB:  LD (HL),A
        INC HL
        DJNZ FILLB
        RET
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
LFCB:   DB 0,'LINK    TXT'
        DS 24
BUF:    DS 128
)";

TEST(CpmMode, EveryConsoleDriveAndFileFunctionAnswersAsCpm22Does) {
  TempDir dir;
  const std::string com = AssembleCom(dir, "EVERY", kEveryFunction);
  const fs::path disk = dir.Path() + "disk";
  dir.Write("disk/old.tmp", "found without regard to case");
  // LINK.TXT links to a file outside the directory: it is never touched.
  dir.Write("outside.txt", "keep");
  fs::create_symlink(dir.Path() + "outside.txt", disk / "LINK.TXT");

  const CliResult r =
      RunCli({"run", com, "--args", "in.txt b:out", "--cpm-dir", disk.string()}, "abhello\n");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, " V0022\r\n"
                   " D00 U00 U05 L01 S00 R00 X000000\r\n"
                   " IN.TXT B:OUT\r\n"
                   "IN      TXT F02\r\n"
                   "a I61 KFF G62\r\n"
                   "hello\r #05\r\n"
                   "!\r\n"
                   " OFF M00 W00 W00 C00\r\n"
                   " O00 #02 R00 =41 R00 =42 R01 =42 S02\r\n"
                   " w00 r00 =42 P01 S04\r\n"
                   " N00 F00 NEW     DAT FFF E00 EFF MFF WFF EFF\r\n");
  const std::string expected = std::string(128, 'A') + std::string(128, 'B') +
                               std::string(128, '\0') + std::string(128, 'C');
  EXPECT_EQ(TempDir::Read((disk / "NEW.DAT").string()), expected);
  EXPECT_FALSE(fs::exists(disk / "TEST.DAT"));
  EXPECT_FALSE(fs::exists(disk / "old.tmp"));
  EXPECT_EQ(TempDir::Read(dir.Path() + "outside.txt"), "keep");
}

} // namespace
} // namespace kavrin
