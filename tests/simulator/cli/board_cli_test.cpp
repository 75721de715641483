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

// PRT0 ticks in IM 2 while the processor waits in HALT: a dot per tick, ten
// ticks of 1000 counts (20000 clocks), then a halt with interrupts off.
const char* const kTickSource = R"(	LINK	0,8000H
	CODE
START:	LD	SP,0
	LD	HL,TICK
	LD	(0F004H),HL	; PRT0's vector with I = F0H, IL = 0
	LD	A,0F0H
	LD	I,A
	XOR	A
	OUT0	(33H),A
	LD	(0F100H),A
	LD	HL,03E8H
	LD	A,L
	OUT0	(0EH),A
	OUT0	(0CH),A
	LD	A,H
	OUT0	(0FH),A
	OUT0	(0DH),A
	LD	A,11H		; TIE0, TDE0
	OUT0	(10H),A
	IM	2
	EI
WAIT:	HALT
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
}

} // namespace
} // namespace kavrin
