// kavrin-cli --board on firmware-style programs written in our assembler and
// built with velkor-cli at test time; the counts are checked to the T-state.

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "tests/platform/run_program.h"

namespace kavrin {
namespace {

using testing::CliResult;
using testing::RunCli;
using testing::TempDir;

// Builds NAME.Mac for the Z180 and returns the image's path.
std::string BuildZ180(const TempDir& dir, const std::string& name, const std::string& source) {
  dir.WriteText(name + ".Mac", source);
  const std::string at = dir.path().string();
  const auto created = kit_test::RunProgram(at, "velkor-cli",
                                            {"new", name + ".Prj", "--cpu", "Z180", name + ".Mac"});
  EXPECT_EQ(created.status, 0) << created.err;
  const auto built = kit_test::RunProgram(at, "velkor-cli", {"build", name + ".Prj"});
  EXPECT_EQ(built.status, 0) << built.out << built.err;
  return (dir.path() / (name + ".ROM")).string();
}

// The start of every program below: a stack, IM 2 with I = F0H and the
// handler's address in the vector table, the ITC cleared, then `setup`.
std::string Im2Start(const std::string& handler, const std::string& vector,
                     const std::string& setup) {
  return "\tLINK\t0,8000H\n\tCODE\nSTART:\tLD\tSP,0\n\tLD\tHL," + handler + "\n\tLD\t(" + vector +
         "),HL\n\tLD\tA,0F0H\n\tLD\tI,A\n\tXOR\tA\n\tOUT0\t(33H),A\n" + setup + "\tIM\t2\n\tEI\n";
}
// ASCI0 at 115200 baud (18.432 MHz / 10 / 16 / 1), receiver and transmitter
// on, 8 data bits and 1 stop bit; A is 0.
const std::string kAsci0On = "\tOUT0\t(02H),A\n\tLD\tA,64H\n\tOUT0\t(00H),A\n";
// PRT0 counting down from HL, its interrupt on (TIE0, TDE0).
const std::string kPrt0On = "\tLD\tA,L\n\tOUT0\t(0EH),A\n\tOUT0\t(0CH),A\n\tLD\tA,H\n\tOUT0\t("
                            "0FH),A\n\tOUT0\t(0DH),A\n\tLD\tA,11H\n\tOUT0\t(10H),A\n";

// PRT0 ticks in IM 2 while the processor waits in HALT: a dot per tick, ten
// ticks of 1000 counts (20000 clocks), then a halt with interrupts off.
const std::string kTickSource =
    Im2Start("TICK", "0F004H", "\tLD\t(0F100H),A\n\tLD\tHL,03E8H\n" + kPrt0On) +
    R"(WAIT:	HALT
	LD	A,(0F100H)
	CP	10
	JR	NZ,WAIT
	DI
	HALT
TICK:	PUSH	AF
	IN0	A,(10H)		; TCR, then TMDR0L: clears TIF0
	IN0	A,(0CH)
	LD	A,2EH
	OUT	(80H),A
	LD	A,(0F100H)
	INC	A
	LD	(0F100H),A
	POP	AF
	EI
	RETI
	END
)";

// The setup up to the TCR write takes 164 states (9 9 16 6 6 4 13 13 9 4 13
// 13 4 13 13 6 13), so the timer counts from 160 and reaches 0 at 160 +
// 20000 k. The tenth tick: 200160, acceptance 19, handler 104 (11 12 12 6
// 10 12 4 13 9 3 12), then LD A,(nn) 12, CP 6, JR not taken 6, DI 3, HALT 3.
constexpr int kTickStates = 160 + 10 * 20000 + 19 + 104 + 30;
// 19 to EI; per tick HALT, 11 in the handler, 3 in the loop; DI, HALT.
constexpr int kTickInstructions = 19 + 10 * 15 + 2;

TEST(KavrinCliBoard, Im2TickCountedOverKnownCycles) {
  TempDir dir;
  const std::string image = BuildZ180(dir, "Tick", kTickSource);
  const CliResult r = RunCli({"run", image, "--board", "--stats"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "..........");
  EXPECT_NE(r.err.find("Instructions: " + std::to_string(kTickInstructions) +
                       "\nT-states: " + std::to_string(kTickStates) + "\n"),
            std::string::npos)
      << r.err;
  // Without the board no timer runs and the first HALT ends the run.
  const CliResult bare = RunCli({"run", image, "--stats"});
  EXPECT_EQ(bare.exitCode, 0);
  EXPECT_EQ(bare.out, "");
  EXPECT_NE(bare.err.find("T-states: 176\n"), std::string::npos) << bare.err;
}

// ASCI0 at 115200 baud with receive interrupts in IM 2, waiting in HALT
// between characters; '.' ends it.
const std::string kEchoSource =
    Im2Start("RXINT", "0F00EH", kAsci0On + "\tLD\tA,08H\n\tOUT0\t(04H),A\n") + R"(IDLE:	HALT
	JR	IDLE
RXINT:	PUSH	AF
	PUSH	BC
	IN0	B,(08H)		; RDR0
	LD	A,B
	CP	2EH
	JR	Z,QUIT
TX:	IN0	A,(04H)		; wait for TDRE
	AND	02H
	JR	Z,TX
	OUT0	(06H),B
	POP	BC
	POP	AF
	EI
	RETI
QUIT:	DI
	HALT
	END
)";

constexpr int kCharClocks = 10 * 10 * 16; // start, 8 data, stop at divisor 160

TEST(KavrinCliBoard, EchoOnAsci0WithReceiveInterrupts) {
  TempDir dir;
  const std::string image = BuildZ180(dir, "Echo", kEchoSource);
  const CliResult r = RunCli({"run", image, "--board", "--console", "asci0", "--stats"}, "hello.");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "hello");
  // Each byte after the first arrives a character time after RDR was read.
  const std::size_t at = r.err.find("T-states: ");
  ASSERT_NE(at, std::string::npos) << r.err;
  const long states = std::stol(r.err.substr(at + 10));
  EXPECT_GE(states, 5 * kCharClocks);
  EXPECT_LT(states, 6 * kCharClocks);
  // Input that ends without the '.' leaves it waiting in HALT: exit 4.
  const CliResult cut = RunCli({"run", image, "--board", "--console", "asci0"}, "hel");
  EXPECT_EQ(cut.exitCode, 4);
  EXPECT_EQ(cut.out, "hel");
  EXPECT_EQ(cut.err, "Waiting for input at end of standard input\n");
  // With the console on the terminal port the channel hears nothing; the
  // HALT waits count against the step limit.
  const CliResult port = RunCli({"run", image, "--board", "--max-steps", "20000"}, "hel");
  EXPECT_EQ(port.exitCode, 3);
  EXPECT_EQ(port.out, "");
}

// A monitor of our own in ROM, driven by a scripted stdin.
const std::string kMonitorSource =
    "TICKS\tEQU\t0F100H\n" +
    Im2Start("TICK", "0F004H", "\tLD\t(TICKS),A\n" + kAsci0On + "\tLD\tHL,4800H\n" + kPrt0On) +
    R"(	LD	HL,BANNER
	CALL	PUTS
LOOP:	LD	A,3EH		; '>'
	CALL	PUTC
NEXT:	CALL	GETC
	CP	0DH
	JR	Z,NEXT
	CALL	PUTC
	CP	54H		; 'T'
	JR	Z,SHOWT
	CP	57H		; 'W'
	JR	Z,WAIT5
	CP	51H		; 'Q'
	JR	Z,QUIT
	LD	A,3FH		; '?'
	CALL	PUTC
ENDCMD:	CALL	CRLF
	JR	LOOP
SHOWT:	LD	A,20H
	CALL	PUTC
	LD	A,(TICKS)
	CALL	HEX2
	JR	ENDCMD
WAIT5:	LD	A,(TICKS)
	ADD	A,5
	LD	B,A
WAITING:	HALT
	LD	A,(TICKS)
	CP	B
	JR	NZ,WAITING
	JR	ENDCMD
QUIT:	CALL	CRLF
	DI
	HALT
HEX2:	PUSH	AF
	RRCA
	RRCA
	RRCA
	RRCA
	CALL	NIBBLE
	POP	AF
NIBBLE:	AND	0FH
	ADD	A,30H
	CP	3AH
	JR	C,PUTC
	ADD	A,7
PUTC:	PUSH	AF
PUTC1:	IN0	A,(04H)		; wait for TDRE
	AND	02H
	JR	Z,PUTC1
	POP	AF
	OUT0	(06H),A
	RET
GETC:	IN0	A,(04H)		; wait for RDRF
	AND	80H
	JR	Z,GETC
	IN0	A,(08H)
	RET
PUTS:	LD	A,(HL)
	OR	A
	RET	Z
	CALL	PUTC
	INC	HL
	JR	PUTS
CRLF:	LD	A,0DH
	CALL	PUTC
	LD	A,0AH
	JR	PUTC
TICK:	PUSH	AF
	IN0	A,(10H)		; TCR, then TMDR0L: clears TIF0
	IN0	A,(0CH)
	LD	A,(TICKS)
	INC	A
	LD	(TICKS),A
	POP	AF
	EI
	RETI
BANNER:	DB	'KMON',13,10,0
	END
)";

TEST(KavrinCliBoard, MonitorInRomTalksOnAsci0) {
  TempDir dir;
  const std::string image = BuildZ180(dir, "Kmon", kMonitorSource);
  const std::vector<std::string> args = {"run",   image,        "--board", "--console",
                                         "asci0", "--rom-size", "8"};
  const CliResult r = RunCli(args, "T\rW\r\nT\nX\rQ\r");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "KMON\r\n>T 00\r\n>W\r\n>T 05\r\n>X?\r\n>Q\r\n");
  // Polling for a key after the script ends, between ticks: exit 4.
  const CliResult ended = RunCli(args, "T\r");
  EXPECT_EQ(ended.exitCode, 4);
  EXPECT_EQ(ended.out, "KMON\r\n>T 00\r\n>");
}

TEST(KavrinCliBoard, RomWritesAreIgnoredAndTraced) {
  TempDir dir;
  // LD A,'R' / LD (0010H),A / LD A,(0010H) / OUT (80H),A / HALT
  const std::string image =
      dir.Write("rom.rom", {0x3E, 'R', 0x32, 0x10, 0x00, 0x3A, 0x10, 0x00, 0xD3, 0x80, 0x76});
  const CliResult r = RunCli({"run", image, "--board", "--rom-size", "8", "--trace"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, std::string(1, '\0'));
  EXPECT_NE(r.err.find("LD (0010H),A\nWrite to ROM at 00010H ignored\n>0005H"), std::string::npos)
      << r.err;
  const CliResult ram = RunCli({"run", image, "--board"});
  EXPECT_EQ(ram.out, "R");
  const CliResult alone = RunCli({"run", image, "--rom-size", "8"});
  EXPECT_EQ(alone.exitCode, 2);
  EXPECT_EQ(alone.err.rfind("kavrin-cli: --rom-size needs --board", 0), 0u) << alone.err;
  const CliResult console = RunCli({"run", image, "--console", "asci1"});
  EXPECT_EQ(console.err.rfind("kavrin-cli: --console asci1 needs --board", 0), 0u) << console.err;
  const CliResult unknown = RunCli({"run", image, "--board", "--console", "com1"});
  EXPECT_EQ(unknown.err.rfind("kavrin-cli: --console needs asci0, asci1 or port", 0), 0u);
}

} // namespace
} // namespace kavrin
