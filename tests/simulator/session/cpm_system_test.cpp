// CpmSystem on a machine, with keys from a script: what the command line's
// tests do not reach (the command processor's FCBs, line editing, the end of
// a run in each way).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "simulator/session/cpm_system.h"
#include "tests/simulator/session/scripted_console.h"

namespace kavrin {
namespace {

using testing::ScriptedConsole;

struct CpmRun {
  explicit CpmRun(const std::vector<std::uint8_t>& program, std::string keys = "",
                  const std::string& tail = "")
      : console(std::move(keys)) {
    for (std::size_t i = 0; i < program.size(); ++i)
      machine->WriteByte(static_cast<std::uint16_t>(kCpmProgramStart + i), program[i]);
    EXPECT_EQ(cpm.Start(program.size(), tail), "");
  }
  std::string Fcb(std::uint16_t at) const {
    std::string text;
    for (int i = 0; i < 12; ++i)
      text +=
          static_cast<char>(machine->ReadByte(static_cast<std::uint16_t>(at + i)) + (i ? 0 : '0'));
    return text;
  }
  std::unique_ptr<Machine> machine = std::make_unique<Machine>();
  ScriptedConsole console;
  CpmSystem cpm{*machine, console, std::filesystem::temp_directory_path().string()};
};

TEST(CpmSystem, TheTailAndItsFcbsAreTheCommandProcessors) {
  CpmRun run({0xC9}, "", "b:*.c  Name.TxT");
  EXPECT_EQ(run.Fcb(kCpmFcb1), "2????????C  ");
  EXPECT_EQ(run.Fcb(kCpmFcb2), "0NAME    TXT");
  EXPECT_EQ(run.machine->ReadWord(0x0006), kCpmBdosEntry);
  EXPECT_EQ(run.cpm.Run({}).end, CpmEnd::Exit); // RET to the warm boot
}

TEST(CpmSystem, ReadConsoleBufferEditsAndStopsAtItsSize) {
  // LD C,10 / LD DE,0200H / CALL 5 / RET, with a buffer of 4 characters.
  CpmRun run({0x0E, 0x0A, 0x11, 0x00, 0x02, 0xCD, 0x05, 0x00, 0xC9}, "ab\x08xyz!");
  run.machine->WriteByte(0x0200, 4);
  EXPECT_EQ(run.cpm.Run({}).end, CpmEnd::Exit);
  EXPECT_EQ(run.machine->ReadByte(0x0201), 4);
  EXPECT_EQ(run.machine->ReadWord(0x0202) | run.machine->ReadWord(0x0204) << 16, 0x7A797861);
  EXPECT_EQ(run.console.output, "ab\b \bxyz\r");
}

TEST(CpmSystem, BiosConsoleEntriesKeepTheRegistersTheyDoNotAnswerIn) {
  // LD HL,(1) / LD L,06H / LD DE,1234H / CALL (HL) via JP: CONST, then CONIN.
  CpmRun run({0x2A, 0x01, 0x00, 0x2E, 0x06, 0x11, 0x34, 0x12, 0xCD, 0x20, 0x01, 0x47, 0x2E, 0x09,
              0xCD, 0x20, 0x01, 0x76},
             "k");
  run.machine->WriteByte(0x0120, 0xE9); // JP (HL)
  const CpmOutcome outcome = run.cpm.Run({});
  EXPECT_EQ(outcome.end, CpmEnd::Exit); // the program's own HALT
  EXPECT_EQ(run.machine->Cpu.B, 0xFF);  // CONST: a key waits
  EXPECT_EQ(run.machine->Cpu.A, 'k');   // CONIN, without echo
  EXPECT_EQ(run.machine->Cpu.DE(), 0x1234);
  EXPECT_EQ(run.console.output, "");
}

TEST(CpmSystem, RunsEndAsTheMachineOrTheProgramSays) {
  {
    CpmRun run({0xED, 0xFF});
    const CpmOutcome outcome = run.cpm.Run({});
    EXPECT_EQ(outcome.end, CpmEnd::Error);
    EXPECT_EQ(outcome.message, "Illegal opcode at 0102H");
  }
  {
    // LD A,0 / LD (FE00H),A / HALT: the BDOS entry overwritten.
    CpmRun run({0x3E, 0x00, 0x32, 0x00, 0xFE, 0x76});
    const CpmOutcome outcome = run.cpm.Run({});
    EXPECT_EQ(outcome.end, CpmEnd::Error);
    EXPECT_EQ(outcome.message, "the program overwrote the BDOS or BIOS entry at FE00H or above");
  }
  {
    // A breakpoint after a BDOS call: the call is answered, the stop is the user's.
    CpmRun run({0x0E, 0x02, 0x1E, 0x41, 0xCD, 0x05, 0x00, 0x00, 0xC9});
    const CpmOutcome outcome = run.cpm.Run({.breakpoints = {0x0107}});
    EXPECT_EQ(outcome.end, CpmEnd::MachineStop);
    EXPECT_EQ(outcome.reason, StopReason::Breakpoint);
    EXPECT_EQ(run.console.output, "A");
  }
}

// A board ROM over page zero would swallow the BDOS entry.
TEST(CpmSystem, NeedsRamAtPageZero) {
  CpmRun run({0xC9});
  run.machine->ConfigureBoard({.enabled = true, .romSize = 4096});
  EXPECT_EQ(run.cpm.Start(16, ""),
            "page zero is ROM on this board: a CP/M program needs RAM at 0000H (ROM size none)");
}

} // namespace
} // namespace kavrin
