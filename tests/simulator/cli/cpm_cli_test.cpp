// kavrin-cli's CP/M mode, driven by a .COM program that pasmo (an
// independent assembler) builds: the drive and file functions and the
// console's key functions with their exact answers and the files they
// leave. Line input and the BIOS console are the session's tests.

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

// FN calls the BDOS with C and DE; PUTFN also prints its answer in A as a
// byte, PUTAT the byte at an address, TEXT n bytes from an address. PUTC
// prints A keeping BC and HL, PUTHL prints H and L.
constexpr const char* kMacros = R"(BDOS EQU 5
FN MACRO fn,arg
        LD C,fn
        LD DE,arg
        CALL BDOS
        ENDM
PUTFN MACRO fn,arg
        FN fn,arg
        CALL PUTC
        ENDM
PUTAT MACRO at
        LD A,(at)
        CALL PUTC
        ENDM
TEXT MACRO at,n
        LD HL,at
        LD B,n
        CALL PUTN
        ENDM
)";

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
PUTHL:  LD A,H
        CALL PUTC
        LD A,L
        JP PUTC
)";

constexpr const char* kEveryFunction = R"(
        FN 12,0
        CALL PUTHL
        PUTFN 25,0
        PUTFN 32,0FFH
        FN 13,0
        PUTFN 14,0
        PUTAT 80H
        TEXT 81H,13
        PUTFN 1,0
        PUTFN 11,0
        PUTFN 6,0FFH
        FN 26,BUF
        PUTFN 15,FCB
        PUTFN 22,FCB
        LD A,'A'
        CALL FILL
        PUTFN 21,FCB
        LD A,'B'
        CALL FILL
        PUTFN 21,FCB
        PUTFN 16,FCB
        XOR A
        LD (FCB+12),A
        LD (FCB+32),A
        PUTFN 15,FCB
        PUTAT FCB+15
        CALL READ
        CALL READ
        CALL READ
        FN 35,FCB
        PUTAT FCB+33
        LD A,3
        LD (FCB+33),A
        LD A,'C'
        CALL FILL
        PUTFN 34,FCB
        LD A,1
        LD (FCB+33),A
        PUTFN 33,FCB
        PUTAT BUF
        FN 36,FCB
        PUTAT FCB+33
        FN 35,FCB
        PUTAT FCB+33
        FN 16,FCB
        PUTFN 23,RFCB
        PUTFN 17,SFCB
        TEXT BUF+1,11
        PUTFN 18,0
        PUTFN 19,DFCB
        PUTFN 19,DFCB
        PUTFN 22,LFCB
        PUTFN 21,LFCB
        PUTFN 19,LFCB
        FN 0,0
READ:   PUTFN 20,FCB
        PUTAT BUF
        RET
FILL:   LD HL,BUF
        LD B,128
FILLB:  LD (HL),A
        INC HL
        DJNZ FILLB
        RET
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

TEST(CpmMode, DriveFileAndKeyFunctionsAnswerAsCpm22Does) {
  TempDir dir;
  const std::string source = dir.Write("EVERY.asm", std::string(kMacros) + " ORG 100H\n" +
                                                        kEveryFunction + kHelpers + " END\n");
  const std::string com = dir.Path() + "EVERY.COM";
  ASSERT_EQ(std::system(("pasmo " + source + " " + com + " >&2").c_str()), 0);
  const fs::path disk = dir.Path() + "disk";
  dir.Write("disk/old.tmp", "found without regard to case");
  // LINK.TXT links to a file outside the directory: it is never touched.
  dir.Write("outside.txt", "keep");
  fs::create_symlink(dir.Path() + "outside.txt", disk / "LINK.TXT");

  const CliResult r =
      RunCli({"run", com, "--args", "in.txt b:out", "--cpm-dir", disk.string()}, "ab");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // Each answer is printed as a byte, with the console's own echoes.
  static const char kAnswers[] =
      "\x00\x22"                             // version
      "\x00\x00"                             // current disk, user code
      "\x00"                                 // reset disks, select A:
      "\x0D IN.TXT B:OUT"                    // the command tail's length and text
      "aa\xFF"                               // a key, echoed; the status of the next
      "b"                                    // direct input, no echo
      "\xFF\x00\x00\x00\x00"                 // open, make, write, write, close
      "\x00\x02\x00\x41\x00\x42\x01\x42\x02" // open, records, read thrice (A, B, end), size
      "\x00\x00\x42\x01\x04"                 // random write, read, set record, size
      "\x00\x00NEW     DAT\xFF"              // rename, search first, next
      "\x00\xFF"                             // delete, and again
      "\xFF\xFF\xFF";                        // make, write, delete LINK.TXT
  EXPECT_EQ(r.out, std::string(kAnswers, sizeof kAnswers - 1));
  const std::string expected = std::string(128, 'A') + std::string(128, 'B') +
                               std::string(128, '\0') + std::string(128, 'C');
  EXPECT_EQ(TempDir::Read((disk / "NEW.DAT").string()), expected);
  EXPECT_FALSE(fs::exists(disk / "TEST.DAT"));
  EXPECT_FALSE(fs::exists(disk / "old.tmp"));
  EXPECT_EQ(TempDir::Read(dir.Path() + "outside.txt"), "keep");
}

} // namespace
} // namespace kavrin
