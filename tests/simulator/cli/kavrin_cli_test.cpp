// kavrin-cli as a user runs it: stdout carries only the program's terminal
// bytes, stdin is typed on the terminal, stderr carries the reports, exit
// codes tell how the run ended.

#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"

namespace kavrin {
namespace {

using testing::CliResult;
using testing::RunCli;

enum Match { kWhole, kStart, kHas };

struct Case {
  std::string command; // "@NAME" is the file NAME of the test's directory
  int exitCode;
  std::string out;
  std::string err;
  Match match = kWhole;
  std::string input = "";
  bool idleStdin = false; // an open, empty pipe as stdin
};

const std::string kWaiting = "Waiting for input at end of standard input\n";

// Hello by hand from the Z180 timings: LD HL (9); per character LD A,(HL)
// 6, OR A 4, JR Z not taken 6, OUT 10, INC HL 4, JR 8 = 38, seven times;
// the end LD A,(HL) 6, OR A 4, JR Z taken 8, HALT 3: 296 states, 47
// instructions. Three memory wait states add 3 * (3 + 7 * 10 + 6).
const Case kCases[] = {
    {"run @h", 0, "Hello\r\n", ""},
    {"run @echo.rom", 0, "ab\r\nc\r\nxyz.", "", kWhole, "ab\nc\r\nxyz.ignored"},
    // Input that ends before the program is done: its polling is recognised.
    {"run @echo.rom --max-steps 100000", 4, "hi", kWaiting, kWhole, "hi"},
    // A loop that also does other port work is busy, not waiting.
    {"run @busy.rom --max-steps 100000", 3, "",
     "Step limit of 100000 instructions reached at 0000H\n"},
    // An open, idle stdin neither stops a program that does not read it nor
    // holds up one that polls it.
    {"run @h", 0, "Hello\r\n", "", kWhole, "", true},
    {"run @echo.rom --max-steps 50000", 3, "", "Step limit", kStart, "", true},
    // Starting at LOOP with HL = 0 prints the program's own first bytes.
    {"run @h --sym @other.txt --pc again --break PUT --break 9", 0, "",
     "Breakpoint at 0007H reached\n"},
    {"run @h --stats --clock 1", 0, "Hello\r\n",
     "Instructions: 47\nT-states: 296\nSimulated time: 0.296000 ms at 1 MHz\n"},
    {"run @h --regs --wait-states 3,0", 0, "Hello\r\n", "Instructions=47 T-states=533\n", kHas},
    {"run @io.rom --in 82=41 --in 40=7E --log-io --dump 100,9", 0, "A",
     "in  82H 41H at 0000H\nout 80H 41H at 0002H\nin  40H 7EH at 0004H\n"
     "0100  7E 00 00 00 00 00 00 00 ~.......\n0108  00 00 00 00 00 00 00 00 ........\n"},
    {"run @k.com --load-at 100 --terminal-port 90 --regs", 0, "K",
     "IX=0000 IY=0000 SP=0000 PC=0107\n", kHas},
    // The core's stops are errors.
    {"run @cb30.rom", 1, "", "Illegal opcode at 0003H\n"},
    {"run @im0.rom", 1, "", "IM 0 interrupt mode not supported at 0001H\n"},
    // The board's ROM ignores writes, and the trace names them.
    {"run @rom.rom --board --rom-size 8 --trace", 0, std::string(1, '\0'),
     "LD (0010H),A\nWrite to ROM at 00010H ignored\n>0005H", kHas},
    // Received by interrupts while halted, then waiting; with the console on
    // the terminal port the channel hears nothing and the waits are steps.
    {"run @rx.rom --board --console asci0", 4, "hel", kWaiting, kWhole, "hel"},
    {"run @rx.rom --board --max-steps 20000", 3, "", "Step limit", kStart, "hel"},
    // Polling ASCI0's status after the input has ended is waiting too.
    {"run @poll.rom --board --console asci0", 0, "ab.", "", kWhole, "ab."},
    {"run @poll.rom --board --console asci0", 4, "ab", kWaiting, kWhole, "ab"},
    {"disasm @h --from loop --count 3", 0,
     "0003H  7E       LOOP: LD A,(HL)\n0004H  B7        OR A\n0005H  2805      JR Z,DONE\n", ""},
    // Above 64K no label is shown; the operand is still a 16-bit address.
    {"disasm @h --load-at 12340 --count 1", 0, "12340H 210D00    LD HL,MSG\n", ""},
    {"disasm @h --from nowhere", 1, "", "Cannot resolve NOWHERE\n"},
    // A .COM runs in CP/M mode, any file with --cpm, and a .COM with --raw
    // on the bare board, where it runs into its own bytes.
    {"run @hi.com", 0, "hi", ""},
    {"run @HI.BIN --cpm", 0, "hi", ""},
    {"run @hi.com --raw --max-steps 100", 3, "", "Step limit", kStart},
    // A CP/M program's bad calls end the run with a clear message.
    {"run @bdos3.com --cpm-dir @disk", 1, "",
     "BDOS function 3 (reader input) is not implemented; called at 0102H\n"},
    {"run @list.com --cpm-dir @disk", 1, "",
     "BIOS entry LIST is not implemented; called at 0105H\n"},
    {"run @status.com --cpm-dir @disk", 4, "", kWaiting},
    {"run @open.com --cpm-dir @disk", 1, "",
     "BDOS function 15 (open file) called at 0105H: the FCB at 0109H holds a name with a "
     "character CP/M forbids: <\n"},
    {"run @high.com --cpm-dir @disk", 1, "",
     "BDOS function 20 (read sequential) called at 0105H: the FCB at FDF0H reaches the BDOS at "
     "FE00H\n"},
    {"run @select.com --cpm-dir @disk", 1, "", "Bdos Err On B: Select\n"},
    {"run @BIG.COM", 1, "",
     "the program of 64769 bytes does not fit below the BDOS at FE00H: at most 64768 bytes\n",
     kHas},
};

// Bad input: nothing on stdout, exit 2 and a message after the program's
// name for a usage error, exit 1 for a file or a name that cannot be used.
struct Refusal {
  const char* command;
  int exitCode;
  const char* errorStart;
};
const Refusal kRefusals[] = {
    {"run", 2, "no image file given"},
    {"run @h --frob", 2, "unknown option --frob"},
    {"run @h --max-steps ten", 2, "--max-steps needs"},
    {"run @h --terminal-port FF", 2, "--terminal-port needs"},
    {"run @h --load-at 100000", 2, "--load-at needs"},
    {"run @h --break 1 --break 2 --break 3 --break 4 --break 5", 2, "at most 4 breakpoints"},
    {"run @h --break 0", 2, "a breakpoint cannot be set at 0000H"},
    {"run @h --clock 0", 2, "--clock needs"},
    {"run @h --in 82", 2, "--in needs"},
    {"run @h --dump 100", 2, "--dump needs"},
    {"run @h --wait-states 4", 2, "--wait-states needs"},
    {"run @h --rom-size 8", 2, "--rom-size needs --board"},
    {"run @h --board --console com1", 2, "--console needs asci0, asci1 or port"},
    {"run @h --sym @none.sym", 1, "Cannot open symbol file"},
    {"run @missing.rom", 1, "Cannot open file "},
    {"run @empty.rom", 1, "File "},
    {"run @badsym.rom", 1,
     "Bad symbol file badsym.sym, line 2: address is not four hexadecimal digits"},
    {"frob", 2, "unknown command frob"},
    {"", 2, "no command given"},
};

// LD HL,MSG / LOOP: LD A,(HL) / OR A / JR Z,DONE / OUT (80H),A / INC HL /
// JR LOOP / DONE: HALT / MSG: "Hello",CR,LF,0
const std::vector<unsigned char> kHello = {0x21, 0x0D, 0x00, 0x7E, 0xB7, 0x28, 0x05,
                                           0xD3, 0x80, 0x23, 0x18, 0xF7, 0x76, 'H',
                                           'e',  'l',  'l',  'o',  0x0D, 0x0A, 0x00};
const char* const kHelloSymbols = "0000 START\n0003 LOOP\n000C DONE\n000D MSG\n";

TEST(KavrinCli, RunsDisassemblesAndRefusesAsTheTableSays) {
  testing::TempDir dir;
  for (const char* name : {"h", "badsym.rom"})
    dir.Image(name, kHello);
  dir.Write("h.sym", kHelloSymbols);
  dir.Write("badsym.sym", "0000 OK\nZZZZ BAD\n");
  dir.Write("other.txt", "0003 AGAIN\n0007 PUT\n");
  dir.Write("empty.rom", "");
  dir.Image("BIG.COM", std::vector<unsigned char>(0xFD01, 0));
  // WAIT: IN A,(81H) / OR A / JR Z,WAIT / IN A,(80H) / OUT (80H),A /
  // CP '.' / JR NZ,WAIT / HALT
  dir.Image("echo.rom",
            {0xDB, 0x81, 0xB7, 0x28, 0xFB, 0xDB, 0x80, 0xD3, 0x80, 0xFE, 0x2E, 0x20, 0xF3, 0x76});
  // WAIT: OUT (90H),A / IN A,(81H) / OR A / JR Z,WAIT / HALT
  dir.Image("busy.rom", {0xD3, 0x90, 0xDB, 0x81, 0xB7, 0x28, 0xF9, 0x76});
  // IN A,(82H) / OUT (80H),A / IN A,(40H) / LD (0100H),A / HALT
  dir.Image("io.rom", {0xDB, 0x82, 0xD3, 0x80, 0xDB, 0x40, 0x32, 0x00, 0x01, 0x76});
  // At 0100H: LD A,'K' / OUT (90H),A / OUT (80H),A / HALT
  dir.Image("k.com", {0x3E, 'K', 0xD3, 0x90, 0xD3, 0x80, 0x76});
  dir.Image("cb30.rom", {0x00, 0xCB, 0x30});
  dir.Image("im0.rom", {0xED, 0x46});
  // At 0100H: LD C,9 / LD DE,TEXT / CALL 5 / RET / TEXT: 'hi$'
  for (const char* name : {"hi.com", "HI.BIN"})
    dir.Image(name, {0x0E, 0x09, 0x11, 0x09, 0x01, 0xCD, 0x05, 0x00, 0xC9, 'h', 'i', '$'});
  // CP/M programs at 0100H: LD C,3 / CALL 5; LD HL,(1) / LD L,0FH (LIST) /
  // CALL JPHL / JPHL: JP (HL); two console inputs; WAIT: LD C,11 / CALL 5 /
  // OR A / JR Z,WAIT / RET; LD C,20 / LD DE,0FDF0H / CALL 5; LD C,14 /
  // LD E,1 / CALL 5.
  dir.Image("bdos3.com", {0x0E, 0x03, 0xCD, 0x05, 0x00});
  dir.Image("list.com", {0x2A, 0x01, 0x00, 0x2E, 0x0F, 0xCD, 0x08, 0x01, 0xE9});
  dir.Image("status.com", {0x0E, 0x0B, 0xCD, 0x05, 0x00, 0xB7, 0x28, 0xF8, 0xC9});
  dir.Image("high.com", {0x0E, 0x14, 0x11, 0xF0, 0xFD, 0xCD, 0x05, 0x00});
  dir.Image("select.com", {0x0E, 0x0E, 0x1E, 0x01, 0xCD, 0x05, 0x00});
  // LD C,15 / LD DE,FCB / CALL 5 / RET / FCB at 0109H.
  const std::string fcb("\0A<B     TXT", 12);
  dir.Write("open.com",
            std::string("\x0E\x0F\x11\x09\x01\xCD\x05\x00\xC9", 9) + fcb + std::string(24, '\0'));
  std::filesystem::create_directory(dir.Path() + "disk");
  // LD A,'R' / LD (0010H),A / LD A,(0010H) / OUT (80H),A / HALT
  dir.Image("rom.rom", {0x3E, 'R', 0x32, 0x10, 0x00, 0x3A, 0x10, 0x00, 0xD3, 0x80, 0x76});
  // IM 2 with I = F0H and RXINT at F00EH, ASCI0 on at 115200 baud with its
  // receive interrupt, EI, IDLE: HALT / JR IDLE; RXINT: IN0 A,(RDR0) /
  // OUT0 (TDR0),A / EI / RETI
  dir.Image("rx.rom", {0x31, 0x00, 0x00, 0x21, 0x24, 0x00, 0x22, 0x0E, 0xF0, 0x3E, 0xF0, 0xED,
                       0x47, 0xAF, 0xED, 0x39, 0x33, 0xED, 0x39, 0x02, 0x3E, 0x64, 0xED, 0x39,
                       0x00, 0x3E, 0x08, 0xED, 0x39, 0x04, 0xED, 0x5E, 0xFB, 0x76, 0x18, 0xFD,
                       0xED, 0x38, 0x08, 0xED, 0x39, 0x06, 0xFB, 0xED, 0x4D});
  // ASCI0 on at 115200 baud, then GETC: IN0 A,(STAT0) / AND 80H / JR Z,GETC /
  // IN0 A,(RDR0) / OUT0 (TDR0),A / CP '.' / JR NZ,GETC / HALT
  dir.Image("poll.rom",
            {0xAF, 0xED, 0x39, 0x02, 0x3E, 0x64, 0xED, 0x39, 0x00, 0xED, 0x38, 0x04, 0xE6, 0x80,
             0x28, 0xF9, 0xED, 0x38, 0x08, 0xED, 0x39, 0x06, 0xFE, 0x2E, 0x20, 0xEF, 0x76});

  const auto check = [&dir](const Case& c) {
    std::vector<std::string> args;
    std::istringstream words(c.command);
    for (std::string a; words >> a;)
      args.push_back(a[0] == '@' ? dir.Path() + a.substr(1) : a);
    const CliResult r = RunCli(args, c.input, c.idleStdin, 20);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.command << "\n" << r.err;
    EXPECT_EQ(r.out, c.out) << c.command;
    const std::size_t at = r.err.find(c.err);
    EXPECT_TRUE(c.match == kWhole   ? r.err == c.err
                : c.match == kStart ? at == 0
                                    : at != r.err.npos)
        << c.command << "\n"
        << r.err;
  };
  for (const Case& c : kCases)
    check(c);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path() + "disk")) << "a refused call wrote a file";
  for (const Refusal& c : kRefusals)
    check({c.command, c.exitCode, "",
           (c.exitCode == 2 ? "kavrin-cli: " : "") + std::string(c.errorStart), kStart});
}

} // namespace
} // namespace kavrin
