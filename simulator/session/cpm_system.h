#pragma once
// CP/M 2.2 around a program on the simulated machine: page zero, the command
// tail, and the BDOS and BIOS answered by host code. The BDOS entry and each
// BIOS entry hold a HALT that the run loop here recognises by its address; no
// CP/M code lives in simulated memory.
//
//   CpmSystem cpm(session.machine(), console, "/home/me/cpm");
//   if (std::string error = cpm.Start(fileSize, "IN.TXT OUT.TXT"); !error.empty()) Fail(error);
//   const CpmOutcome outcome = cpm.Run({.instructionLimit = limit}, pump);
//
// The program must already be in memory at 0100H (Session::LoadAndReset).

#include <cstdint>
#include <optional>
#include <string>

#include "simulator/core/machine.h"
#include "simulator/session/cpm_files.h"
#include "simulator/session/terminal.h"

namespace kavrin {

inline constexpr std::uint16_t kCpmProgramStart = 0x0100;
// The BDOS entry is also the top of the program area that 0006H gives.
inline constexpr std::uint16_t kCpmBdosEntry = 0xFE00;
inline constexpr std::uint16_t kCpmBiosBase = 0xFF00;
inline constexpr int kCpmBiosEntryCount = 17;
inline constexpr std::uint32_t kCpmMaxProgramSize = kCpmBdosEntry - kCpmProgramStart;
inline constexpr std::uint16_t kCpmFcb1 = 0x005C;
inline constexpr std::uint16_t kCpmFcb2 = 0x006C;
inline constexpr std::uint16_t kCpmTail = 0x0080;
inline constexpr int kCpmTailLimit = 127;
inline constexpr int kCpmLastFunction = 40; // CP/M 2.2's highest BDOS function

// The console the program talks to; the command line binds it to stdin and
// stdout, the windows to the terminal. Enter arrives as one carriage return.
class CpmConsole {
public:
  virtual ~CpmConsole() = default;
  virtual bool KeyWaiting() = 0;
  // Waits for a key; nothing once no key can come any more, or when the
  // user stopped the run while it waited (then InputEnded() is false).
  virtual std::optional<std::uint8_t> ReadKey() = 0;
  virtual bool InputEnded() = 0;
  virtual void Write(std::uint8_t c) = 0;
};

enum class CpmEnd {
  Exit,        // warm boot, cold boot, BDOS function 0 or a HALT of the program
  InputEnded,  // a console read after the input ended
  Error,       // message says why: an unimplemented call, a bad FCB, an illegal opcode
  MachineStop, // the step limit, a breakpoint or the user's Stop: reason says which
};

struct CpmOutcome {
  CpmEnd end = CpmEnd::Exit;
  StopReason reason = StopReason::Halt;
  std::string message; // for Exit, what ended the program: "a warm boot"
};

class CpmSystem {
public:
  CpmSystem(Machine& machine, CpmConsole& console, std::string directory);

  // Checks the size, writes page zero, the traps and the tail (blank-separated
  // words, upper-cased as CP/M's command processor does) and points PC at
  // 0100H with a return to the warm boot on the stack. An error leaves the
  // machine unusable for CP/M.
  std::string Start(std::uintmax_t programSize, const std::string& tail);
  // Runs until the program ends; a limit and breakpoints act as in a raw run.
  CpmOutcome Run(const RunPlan& plan, const Pump& pump = {});
  // The step of Run after each Machine::Run, for a front end with run modes
  // of its own: a HALT at a trap is answered here and gives nothing, so the
  // run may go on from the call's return address; anything else ends it.
  std::optional<CpmOutcome> AfterRun(StopReason reason);
  // The program ended (Exit, InputEnded or Error); Start() begins it anew.
  bool Ended() const { return outcome_.has_value(); }

private:
  struct Call {
    const char* name;
    void (*handler)(CpmSystem&); // null: not implemented here
  };
  static const Call kBdosCalls[kCpmLastFunction + 1];
  static const Call kBiosCalls[kCpmBiosEntryCount];

  bool Trap(std::uint16_t address);
  void Bdos();
  void Bios(int entry);
  void Return(std::uint16_t hl);
  void PopReturnAddress();
  void End(CpmEnd end, std::string message = {});
  void NotImplemented(const std::string& what);
  void FileCall();
  // "BDOS function 15 (open file) called at 0123H".
  std::string CallDescription() const;
  bool PollFindsNoKey();
  std::optional<std::uint8_t> ReadKey();
  void ReadLine(std::uint16_t buffer);
  void WriteString(std::uint16_t text);
  bool TrapsIntact() const;

  Machine& machine_;
  CpmConsole& console_;
  CpmFiles files_;
  std::uint8_t user_ = 0;
  int emptyPolls_ = 0;
  std::optional<CpmOutcome> outcome_;
  // A console wait the user ended: PC goes back to the trap, so that the
  // call is made again when the run goes on.
  bool interrupted_ = false;
};

} // namespace kavrin
