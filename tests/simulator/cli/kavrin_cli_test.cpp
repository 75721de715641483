// kavrin-cli as a user runs it: stdout carries only the program's terminal
// bytes, stdin is typed on the terminal, exit codes tell how the run ended.

#include <gtest/gtest.h>

#include "cli_runner.h"

namespace kavrin {
namespace {

using testing::CliResult;
using testing::RunCli;
using testing::TempDir;

// LD HL,MSG / LOOP: LD A,(HL) / OR A / JR Z,DONE / OUT (80H),A / INC HL /
// JR LOOP / DONE: HALT / MSG: "Hello",CR,LF,0
const std::vector<unsigned char> kHello = {0x21, 0x0D, 0x00, 0x7E, 0xB7, 0x28, 0x05,
                                           0xD3, 0x80, 0x23, 0x18, 0xF7, 0x76, 'H',
                                           'e',  'l',  'l',  'o',  0x0D, 0x0A, 0x00};
const char* const kHelloSymbols = "0000 START\n0003 LOOP\n000C DONE\n000D MSG\n";

// WAIT: IN A,(81H) / OR A / JR Z,WAIT / IN A,(80H) / OUT (80H),A /
// CP '.' / JR NZ,WAIT / HALT
const std::vector<unsigned char> kEcho = {0xDB, 0x81, 0xB7, 0x28, 0xFB, 0xDB, 0x80,
                                          0xD3, 0x80, 0xFE, 0x2E, 0x20, 0xF3, 0x76};

TEST(KavrinCliRun, StdoutIsTheProgramsTerminalOutputOnly) {
  TempDir dir;
  const std::string image = dir.Write("hello.rom", kHello);
  dir.WriteText("hello.sym", kHelloSymbols);
  const CliResult r = RunCli({"run", image});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Hello\r\n");
  EXPECT_EQ(r.err, "");
}

TEST(KavrinCliRun, KeysFromStdinAreReadOneByOneWithEnterAsCrLf) {
  TempDir dir;
  const std::string image = dir.Write("echo.rom", kEcho);
  const CliResult r = RunCli({"run", image}, "ab\nc\r\nxyz.ignored");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ab\r\nc\r\nxyz.");
}

TEST(KavrinCliRun, NeverBlocksOnStdin) {
  TempDir dir;
  const std::string echo = dir.Write("echo.rom", kEcho);
  // Input ends before the program is done: its polling is recognised.
  const CliResult ended = RunCli({"run", echo, "--max-steps", "100000"}, "hi");
  EXPECT_EQ(ended.exitCode, 4);
  EXPECT_EQ(ended.out, "hi");
  EXPECT_EQ(ended.err, "Waiting for input at end of standard input\n");
  // A loop that also does other port work is busy, not waiting.
  // WAIT: OUT (90H),A / IN A,(81H) / OR A / JR Z,WAIT / HALT
  const CliResult busy =
      RunCli({"run", dir.Write("busy.rom", {0xD3, 0x90, 0xDB, 0x81, 0xB7, 0x28, 0xF9, 0x76}),
              "--max-steps", "100000"});
  EXPECT_EQ(busy.exitCode, 3);
  // An open, idle stdin neither stops a program that does not read it ...
  const CliResult idle = RunCli({"run", dir.Write("hello.rom", kHello)}, "", true, 20);
  EXPECT_FALSE(idle.timedOut);
  EXPECT_EQ(idle.exitCode, 0);
  EXPECT_EQ(idle.out, "Hello\r\n");
  // ... nor holds up one that polls it.
  const CliResult polling = RunCli({"run", echo, "--max-steps", "50000"}, "", true, 20);
  EXPECT_FALSE(polling.timedOut);
  EXPECT_EQ(polling.exitCode, 3);
}

TEST(KavrinCliRun, BreakpointBySymbolFromTheSymFileBeside) {
  TempDir dir;
  const std::string image = dir.Write("HELLO.ROM", kHello);
  dir.WriteText("HELLO.SYM", kHelloSymbols);
  const CliResult r = RunCli({"run", image, "--break", "done", "--regs"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Hello\r\n");
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "Breakpoint at 000CH reached");
  EXPECT_NE(r.err.find("PC=000C"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("L=14"), std::string::npos) << r.err;
}

TEST(KavrinCliRun, PcAndBreakpointsAndAGivenSymFile) {
  TempDir dir;
  const std::string image = dir.Write("hello.rom", kHello);
  const std::string sym = dir.WriteText("other.txt", "0003 AGAIN\n0007 PUT\n");
  // Starting at LOOP with HL = 0 prints the program's own first bytes.
  const CliResult r =
      RunCli({"run", image, "--sym", sym, "--pc", "again", "--break", "PUT", "--break", "9"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Breakpoint at 0007H reached\n");
  const CliResult missing = RunCli({"run", image, "--sym", (dir.path() / "none.sym").string()});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("Cannot open symbol file"), std::string::npos);
}

// Hello by hand from the Z180 timings: LD HL (9); per character LD A,(HL)
// 6, OR A 4, JR Z not taken 6, OUT 10, INC HL 4, JR 8 = 38, seven times;
// the end LD A,(HL) 6, OR A 4, JR Z taken 8, HALT 3.
constexpr int kHelloStates = 9 + 7 * 38 + 6 + 4 + 8 + 3;
constexpr int kHelloInstructions = 1 + 7 * 6 + 4;

TEST(KavrinCliRun, StatsCountInstructionsStatesAndTime) {
  TempDir dir;
  const std::string image = dir.Write("hello.rom", kHello);
  const CliResult r = RunCli({"run", image, "--stats", "--clock", "1"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Hello\r\n");
  EXPECT_EQ(r.err, "Instructions: " + std::to_string(kHelloInstructions) + "\nT-states: " +
                       std::to_string(kHelloStates) + "\nSimulated time: 0.296000 ms at 1 MHz\n");
  // Three memory wait states (the most) per fetch or data cycle: 2 + 7 *
  // (2+1+2+2+1+2) + 2+1+2+1 cycles.
  const CliResult waited = RunCli({"run", image, "--regs", "--wait-states", "3,0"});
  const int memoryCycles = 3 + 7 * 10 + 6;
  EXPECT_NE(waited.err.find("Instructions=" + std::to_string(kHelloInstructions) +
                            " T-states=" + std::to_string(kHelloStates + 3 * memoryCycles)),
            std::string::npos)
      << waited.err;
  const CliResult defaultClock = RunCli({"run", image, "--stats"});
  EXPECT_NE(defaultClock.err.find("ms at 18.432 MHz"), std::string::npos) << defaultClock.err;
}

TEST(KavrinCliRun, InputPortsPortLogAndDump) {
  TempDir dir;
  // IN A,(82H) / OUT (80H),A / IN A,(40H) / LD (0100H),A / HALT
  const std::string image =
      dir.Write("io.rom", {0xDB, 0x82, 0xD3, 0x80, 0xDB, 0x40, 0x32, 0x00, 0x01, 0x76});
  const CliResult r =
      RunCli({"run", image, "--in", "82=41", "--in", "40=7E", "--log-io", "--dump", "100,9"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "A");
  EXPECT_EQ(r.err, "in  82H 41H at 0000H\n"
                   "out 80H 41H at 0002H\n"
                   "in  40H 7EH at 0004H\n"
                   "0100  7E 00 00 00 00 00 00 00 ~.......\n"
                   "0108  00 00 00 00 00 00 00 00 ........\n");
  const CliResult unset = RunCli({"run", image, "--dump", "0,8"});
  EXPECT_EQ(unset.out, std::string(1, '\0'));
  EXPECT_EQ(unset.err, "0000  DB 82 D3 80 DB 40 32 00 .....@2.\n");
}

TEST(KavrinCliRun, CoreStopsAreErrors) {
  TempDir dir;
  struct Case {
    std::vector<unsigned char> bytes;
    const char* message;
  } cases[] = {
      {{0x00, 0xCB, 0x30}, "Illegal opcode at 0003H\n"},
      {{0xED, 0x46}, "IM 0 interrupt mode not supported at 0001H\n"},
      {{0x00, 0x00, 0xED, 0x55}, "Illegal opcode at 0004H\n"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli({"run", dir.Write("bad.rom", c.bytes)});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, c.message);
    EXPECT_EQ(r.out, "");
  }
}

TEST(KavrinCliRun, LoadAtAndTerminalPort) {
  TempDir dir;
  // At 0100H: LD A,'K' / OUT (90H),A / OUT (80H),A / HALT
  const std::string image = dir.Write("k.com", {0x3E, 'K', 0xD3, 0x90, 0xD3, 0x80, 0x76});
  const CliResult r = RunCli({"run", image, "--load-at", "100", "--terminal-port", "90", "--regs"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "K");
  EXPECT_NE(r.err.find("PC=0107"), std::string::npos) << r.err;
  // The trace shows each instruction about to run.
  const CliResult t = RunCli({"run", image, "--load-at", "100", "--trace"});
  EXPECT_EQ(t.err,
            ">0100H 3E4B      LD A,4BH\n>0102H D390      OUTA (90H)\n>0104H D380      OUTA (80H)\n"
            ">0106H 76        HALT\n");
  EXPECT_EQ(t.out, "K");
}

TEST(KavrinCliRun, BadInputGetsAMessageAndAnExitCode) {
  TempDir dir;
  const std::string image = dir.Write("hello.rom", kHello);
  const std::string empty = dir.Write("empty.rom", {});
  const std::string badSym = dir.Write("badsym.rom", kHello);
  dir.WriteText("badsym.sym", "0000 OK\nZZZZ BAD\n");
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* errorStart;
  } cases[] = {
      {{"run"}, 2, "kavrin-cli: no image file given"},
      {{"run", image, "--frob"}, 2, "kavrin-cli: unknown option --frob"},
      {{"run", image, "--max-steps", "ten"}, 2, "kavrin-cli: --max-steps needs"},
      {{"run", image, "--max-steps"}, 2, "kavrin-cli: --max-steps needs a value"},
      {{"run", image, "--terminal-port", "FF"}, 2, "kavrin-cli: --terminal-port needs"},
      {{"run", image, "--load-at", "100000"}, 2, "kavrin-cli: --load-at needs"},
      {{"run", image, "--break", "1", "--break", "2", "--break", "3", "--break", "4", "--break",
        "5"},
       2,
       "kavrin-cli: at most 4 breakpoints"},
      {{"run", image, "--break", "0"}, 2, "kavrin-cli: a breakpoint cannot be set at 0000H"},
      {{"run", image, "--pc", "12G4"}, 1, "Cannot resolve 12G4"},
      {{"run", image, "--clock", "0"}, 2, "kavrin-cli: --clock needs"},
      {{"run", image, "--in", "82"}, 2, "kavrin-cli: --in needs"},
      {{"run", image, "--in", "82=100"}, 2, "kavrin-cli: --in needs"},
      {{"run", image, "--dump", "100"}, 2, "kavrin-cli: --dump needs"},
      {{"run", image, "--dump", "100,0"}, 2, "kavrin-cli: --dump needs"},
      {{"run", image, "--dump", "NOWHERE,8"}, 1, "Cannot resolve NOWHERE"},
      {{"run", image, "--clock", "fast"}, 2, "kavrin-cli: --clock needs"},
      {{"run", image, "--wait-states", "4"}, 2, "kavrin-cli: --wait-states needs"},
      {{"run", image, "--wait-states", "1,"}, 2, "kavrin-cli: --wait-states needs"},
      {{"run", (dir.path() / "missing.rom").string()}, 1, "Cannot open file "},
      {{"run", empty}, 1, "File "},
      {{"run", badSym},
       1,
       "Bad symbol file badsym.sym, line 2: address is not four hexadecimal digits"},
      {{"frob"}, 2, "kavrin-cli: unknown command frob"},
      {{}, 2, "kavrin-cli: no command given"},
  };
  for (const Case& c : cases) {
    const CliResult r = RunCli(c.args);
    std::string joined;
    for (const auto& a : c.args)
      joined += a + " ";
    EXPECT_EQ(r.exitCode, c.exitCode) << joined;
    EXPECT_EQ(r.err.rfind(c.errorStart, 0), 0u) << joined << "\n" << r.err;
    EXPECT_EQ(r.out, "") << joined;
  }
}

TEST(KavrinCliHelp, ListsBothCommands) {
  const CliResult r = RunCli({"--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("kavrin-cli run IMAGE"), std::string::npos);
  EXPECT_NE(r.out.find("kavrin-cli disasm IMAGE"), std::string::npos);
}

TEST(KavrinCliDisasm, ListsTheImageWithSymbols) {
  TempDir dir;
  const std::string image = dir.Write(
      "hello.rom", {0x21, 0x0D, 0x00, 0x7E, 0xB7, 0x28, 0x05, 0xD3, 0x80, 0x23, 0x18, 0xF7, 0x76});
  dir.WriteText("hello.sym", kHelloSymbols);
  const CliResult r = RunCli({"disasm", image});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "0000H  210D00   START: LD HL,MSG\n"
                   "0003H  7E       LOOP: LD A,(HL)\n"
                   "0004H  B7        OR A\n"
                   "0005H  2805      JR Z,DONE\n"
                   "0007H  D380      OUTA (80H)\n"
                   "0009H  23        INC HL\n"
                   "000AH  18F7      JR LOOP\n"
                   "000CH  76       DONE: HALT\n");
  const CliResult from = RunCli({"disasm", image, "--from", "loop", "--count", "2"});
  EXPECT_EQ(from.out, "0003H  7E       LOOP: LD A,(HL)\n0004H  B7        OR A\n");
  const CliResult high = RunCli({"disasm", image, "--load-at", "12340", "--count", "1"});
  // Above 64K no label is shown; the operand is still a 16-bit address.
  EXPECT_EQ(high.out, "12340H 210D00    LD HL,MSG\n");
  const CliResult bad = RunCli({"disasm", image, "--from", "nowhere"});
  EXPECT_EQ(bad.exitCode, 1);
  EXPECT_EQ(bad.err, "Cannot resolve NOWHERE\n");
}

} // namespace
} // namespace kavrin
