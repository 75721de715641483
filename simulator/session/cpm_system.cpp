#include "simulator/session/cpm_system.h"

#include <cctype>
#include <sstream>

#include "platform/text.h"
#include "simulator/core/disasm.h"

namespace kavrin {
namespace {

constexpr std::uint8_t kHalt = 0x76;
constexpr std::uint8_t kJump = 0xC3;
constexpr std::uint8_t kEnter = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr std::uint8_t kBackspace = 0x08;
constexpr std::uint8_t kTab = 0x09;
constexpr std::uint8_t kDelete = 0x7F;
constexpr std::uint8_t kDirectInput = 0xFF;
constexpr std::uint8_t kDirectIoFunction = 6;
constexpr std::uint8_t kStatusFunction = 11;
constexpr std::uint16_t kIoByte = 0x0003;
constexpr std::uint16_t kCurrentDrive = 0x0004;
constexpr int kWarmBootEntry = 1;
constexpr std::uint16_t kVersion22 = 0x0022;
constexpr std::uint16_t kLoginVector = 0x0001; // drive A only

// One drive: A, the host directory.
constexpr std::uint8_t kDriveCount = 1;

std::uint16_t BiosEntryAddress(int entry) {
  return static_cast<std::uint16_t>(kCpmBiosBase + 3 * entry);
}

// The command processor's way of filling an FCB from a word of the tail:
// an optional drive, the name and type blank-padded, * as a run of ?.
void FillFcb(Machine& m, std::uint16_t fcb, const std::string& word) {
  std::string text = word;
  std::uint8_t drive = 0;
  if (text.size() >= 2 && text[1] == ':' && text[0] >= 'A' && text[0] <= 'P') {
    drive = static_cast<std::uint8_t>(text[0] - 'A' + 1);
    text = text.substr(2);
  }
  m.WriteByte(fcb, drive);
  const std::size_t dot = text.find('.');
  const std::string parts[2] = {text.substr(0, dot),
                                dot == std::string::npos ? "" : text.substr(dot + 1)};
  const int widths[2] = {8, 3};
  std::uint16_t at = static_cast<std::uint16_t>(fcb + 1);
  for (int p = 0; p < 2; ++p) {
    bool star = false;
    for (int i = 0; i < widths[p]; ++i) {
      const std::size_t index = static_cast<std::size_t>(i);
      if (!star && index < parts[p].size() && parts[p][index] == '*') star = true;
      char c = ' ';
      if (star)
        c = '?';
      else if (index < parts[p].size())
        c = parts[p][index];
      m.WriteByte(at++, static_cast<std::uint8_t>(c));
    }
  }
}

} // namespace

using Cpm = CpmSystem;

// The BDOS functions of CP/M 2.2 by number; on entry C holds the number and
// E or DE the argument.
const CpmSystem::Call CpmSystem::kBdosCalls[kCpmLastFunction + 1] = {
    {"system reset", [](Cpm& s) { s.End(CpmEnd::Exit, "BDOS function 0"); }},
    {"console input",
     [](Cpm& s) {
       const auto key = s.ReadKey();
       if (!key) return;
       const std::uint8_t c = *key;
       if (c >= 0x20 || c == kEnter || c == kLineFeed || c == kBackspace || c == kTab)
         s.console_.Write(c);
       s.Return(c);
     }},
    {"console output",
     [](Cpm& s) {
       s.console_.Write(s.machine_.Cpu.E);
       s.Return(0);
     }},
    {"reader input", nullptr},
    {"punch output", nullptr},
    {"list output", nullptr},
    {"direct console I/O",
     [](Cpm& s) {
       const std::uint8_t e = s.machine_.Cpu.E;
       if (e != kDirectInput) {
         s.console_.Write(e);
         s.Return(0);
       } else if (s.PollFindsNoKey()) {
         s.Return(0);
       } else if (const auto key = s.ReadKey()) {
         s.Return(*key);
       }
     }},
    {"get I/O byte", [](Cpm& s) { s.Return(s.machine_.ReadByte(kIoByte)); }},
    {"set I/O byte",
     [](Cpm& s) {
       s.machine_.WriteByte(kIoByte, s.machine_.Cpu.E);
       s.Return(0);
     }},
    {"print string",
     [](Cpm& s) {
       s.WriteString(s.machine_.Cpu.DE());
       s.Return(0);
     }},
    {"read console buffer",
     [](Cpm& s) {
       s.ReadLine(s.machine_.Cpu.DE());
       s.Return(0);
     }},
    {"console status", [](Cpm& s) { s.Return(s.PollFindsNoKey() ? 0x00 : 0xFF); }},
    {"return version number", [](Cpm& s) { s.Return(kVersion22); }},
    {"reset disk system",
     [](Cpm& s) {
       s.files_.Reset();
       s.machine_.WriteByte(kCurrentDrive, static_cast<std::uint8_t>(s.user_ << 4));
       s.Return(0);
     }},
    {"select disk",
     [](Cpm& s) {
       const std::uint8_t drive = s.machine_.Cpu.E;
       if (drive >= kDriveCount) {
         s.End(CpmEnd::Error, std::string("Bdos Err On ") + static_cast<char>('A' + (drive & 0x0F)) +
                                  ": Select");
         return;
       }
       s.Return(0);
     }},
    {"open file", [](Cpm& s) { s.FileCall(); }},
    {"close file", [](Cpm& s) { s.FileCall(); }},
    {"search for first", [](Cpm& s) { s.FileCall(); }},
    {"search for next", [](Cpm& s) { s.FileCall(); }},
    {"delete file", [](Cpm& s) { s.FileCall(); }},
    {"read sequential", [](Cpm& s) { s.FileCall(); }},
    {"write sequential", [](Cpm& s) { s.FileCall(); }},
    {"make file", [](Cpm& s) { s.FileCall(); }},
    {"rename file", [](Cpm& s) { s.FileCall(); }},
    {"return login vector", [](Cpm& s) { s.Return(kLoginVector); }},
    {"return current disk", [](Cpm& s) { s.Return(0); }},
    {"set DMA address",
     [](Cpm& s) {
       s.files_.SetDma(s.machine_.Cpu.DE());
       s.Return(0);
     }},
    {"get allocation vector address", nullptr},
    {"write protect disk", nullptr},
    {"get read-only vector", [](Cpm& s) { s.Return(0); }},
    {"set file attributes", nullptr},
    {"get disk parameter address", nullptr},
    {"get or set user code",
     [](Cpm& s) {
       const std::uint8_t e = s.machine_.Cpu.E;
       if (e == 0xFF) {
         s.Return(s.user_);
         return;
       }
       s.user_ = e & 0x0F;
       s.Return(0);
     }},
    {"read random", [](Cpm& s) { s.FileCall(); }},
    {"write random", [](Cpm& s) { s.FileCall(); }},
    {"compute file size", [](Cpm& s) { s.FileCall(); }},
    {"set random record", [](Cpm& s) { s.FileCall(); }},
    {"reset drive", [](Cpm& s) { s.Return(0); }},
    {"unused function 38", nullptr},
    {"unused function 39", nullptr},
    {"write random with zero fill", [](Cpm& s) { s.FileCall(); }},
};

// The BIOS jump table's entries by number; the disk entries are not here
// because the BDOS above does the disk work in host code.
const CpmSystem::Call CpmSystem::kBiosCalls[kCpmBiosEntryCount] = {
    {"BOOT", [](Cpm& s) { s.End(CpmEnd::Exit, "a cold boot"); }},
    {"WBOOT", [](Cpm& s) { s.End(CpmEnd::Exit, "a warm boot"); }},
    {"CONST", [](Cpm& s) { s.machine_.Cpu.A = s.PollFindsNoKey() ? 0x00 : 0xFF; }},
    {"CONIN",
     [](Cpm& s) {
       if (const auto key = s.ReadKey()) s.machine_.Cpu.A = *key;
     }},
    {"CONOUT", [](Cpm& s) { s.console_.Write(s.machine_.Cpu.C); }},
    {"LIST", nullptr},
    {"PUNCH", nullptr},
    {"READER", nullptr},
    {"HOME", nullptr},
    {"SELDSK", nullptr},
    {"SETTRK", nullptr},
    {"SETSEC", nullptr},
    {"SETDMA", nullptr},
    {"READ", nullptr},
    {"WRITE", nullptr},
    {"LISTST", nullptr},
    {"SECTRAN", nullptr},
};

CpmSystem::CpmSystem(Machine& machine, CpmConsole& console, std::string directory)
    : machine_(machine), console_(console), files_(std::move(directory)) {}

std::string CpmSystem::Start(std::uintmax_t programSize, const std::string& tail) {
  if (programSize > kCpmMaxProgramSize) {
    return "the program of " + std::to_string(programSize) +
           " bytes does not fit below the BDOS at " + platform::Hex(kCpmBdosEntry, 4) +
           "H: at most " + std::to_string(kCpmMaxProgramSize) + " bytes";
  }
  Machine& m = machine_;
  const std::uint64_t romWritesBefore = m.RomWrites();
  m.WriteByte(0x0000, kJump);
  m.WriteWord(0x0001, BiosEntryAddress(kWarmBootEntry));
  m.WriteByte(kIoByte, 0);
  m.WriteByte(kCurrentDrive, 0);
  m.WriteByte(0x0005, kJump);
  m.WriteWord(0x0006, kCpmBdosEntry);
  m.WriteByte(kCpmBdosEntry, kHalt);
  for (int entry = 0; entry < kCpmBiosEntryCount; ++entry) {
    m.WriteByte(BiosEntryAddress(entry), kHalt);
    m.WriteWord(static_cast<std::uint16_t>(BiosEntryAddress(entry) + 1), 0);
  }
  // A board whose ROM covers page zero ignores these writes; the program
  // would jump into the firmware at its first BDOS call.
  if (m.RomWrites() != romWritesBefore)
    return "page zero is ROM on this board: a CP/M program needs RAM at 0000H (ROM size none)";

  std::string text;
  for (char c : tail)
    text += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  std::istringstream words(text);
  std::string first, second;
  words >> first >> second;
  for (std::uint16_t at = kCpmFcb1; at < kCpmTail; ++at)
    m.WriteByte(at, 0);
  FillFcb(m, kCpmFcb1, first);
  FillFcb(m, kCpmFcb2, second);
  if (!text.empty()) text.insert(text.begin(), ' ');
  if (text.size() > kCpmTailLimit) text.resize(kCpmTailLimit);
  m.WriteByte(kCpmTail, static_cast<std::uint8_t>(text.size()));
  for (std::size_t i = 0; i < text.size(); ++i)
    m.WriteByte(static_cast<std::uint16_t>(kCpmTail + 1 + i), static_cast<std::uint8_t>(text[i]));
  m.WriteByte(static_cast<std::uint16_t>(kCpmTail + 1 + text.size()), 0);

  files_.Reset();
  user_ = 0;
  emptyPolls_ = 0;
  outcome_.reset();
  interrupted_ = false;
  m.Cpu.SP = kCpmBdosEntry;
  m.Cpu.SP = static_cast<std::uint16_t>(m.Cpu.SP - 2);
  m.WriteWord(m.Cpu.SP, 0x0000); // a RET from the program is a warm boot
  m.Cpu.PC = kCpmProgramStart;
  return {};
}

CpmOutcome CpmSystem::Run(const RunPlan& plan, const Pump& pump) {
  RunPlan part = plan;
  const std::uint64_t start = machine_.InstructionCount();
  for (;;) {
    if (plan.instructionLimit != 0) {
      const std::uint64_t executed = machine_.InstructionCount() - start;
      if (executed >= plan.instructionLimit)
        return {CpmEnd::MachineStop, StopReason::BudgetUsed, {}};
      part.instructionLimit = plan.instructionLimit - executed;
    }
    if (auto outcome = AfterRun(machine_.Run(part, pump))) return *outcome;
  }
}

std::optional<CpmOutcome> CpmSystem::AfterRun(StopReason reason) {
  const auto trap = static_cast<std::uint16_t>(machine_.Cpu.PC - 1);
  if (!outcome_ && reason == StopReason::Halt && Trap(trap)) {
    if (interrupted_) {
      interrupted_ = false;
      machine_.Cpu.PC = trap;
      return CpmOutcome{CpmEnd::MachineStop, StopReason::BudgetUsed, {}};
    }
    if (outcome_) return *outcome_;
    return std::nullopt;
  }
  if (outcome_) return *outcome_;
  if (!TrapsIntact()) {
    return CpmOutcome{CpmEnd::Error, reason,
                      "the program overwrote the BDOS or BIOS entry at " +
                          platform::Hex(kCpmBdosEntry, 4) + "H or above"};
  }
  if (reason == StopReason::Halt)
    return CpmOutcome{CpmEnd::Exit, reason, "HALT at " + platform::Hex(trap, 4) + "H"};
  if (reason == StopReason::IllegalOpcode || reason == StopReason::UnsupportedIm0)
    return CpmOutcome{CpmEnd::Error, reason, machine_.StopMessage()};
  return CpmOutcome{CpmEnd::MachineStop, reason, {}};
}

bool CpmSystem::Trap(std::uint16_t address) {
  if (address == kCpmBdosEntry) {
    Bdos();
    return true;
  }
  const int offset = address - kCpmBiosBase;
  if (offset < 0 || offset % 3 != 0 || offset / 3 >= kCpmBiosEntryCount) return false;
  Bios(offset / 3);
  return true;
}

void CpmSystem::Bdos() {
  const std::uint8_t function = machine_.Cpu.C;
  if (function > kCpmLastFunction) {
    Return(0); // as CP/M 2.2 answers the calls of later versions
    return;
  }
  const Call& call = kBdosCalls[function];
  if (!call.handler) {
    NotImplemented("BDOS function " + std::to_string(function) + " (" + call.name + ")");
    return;
  }
  if (function != kDirectIoFunction && function != kStatusFunction) emptyPolls_ = 0;
  call.handler(*this);
}

void CpmSystem::Bios(int entry) {
  const Call& call = kBiosCalls[entry];
  if (!call.handler) {
    NotImplemented(std::string("BIOS entry ") + call.name);
    return;
  }
  call.handler(*this);
  if (!outcome_ && !interrupted_) PopReturnAddress();
}

// The BDOS's way back: HL, with A = L and B = H, then a RET.
void CpmSystem::Return(std::uint16_t hl) {
  CpuState& c = machine_.Cpu;
  if (outcome_ || interrupted_) return;
  c.SetHL(hl);
  c.A = c.L;
  c.B = c.H;
  PopReturnAddress();
}

void CpmSystem::PopReturnAddress() {
  CpuState& c = machine_.Cpu;
  c.PC = machine_.ReadWord(c.SP);
  c.SP = static_cast<std::uint16_t>(c.SP + 2);
}

void CpmSystem::End(CpmEnd end, std::string message) {
  outcome_ = CpmOutcome{end, StopReason::Halt, std::move(message)};
}

// Named with the CALL that reached it: the return address minus 3.
void CpmSystem::NotImplemented(const std::string& what) {
  const auto call = static_cast<std::uint16_t>(machine_.ReadWord(machine_.Cpu.SP) - 3);
  End(CpmEnd::Error, what + " is not implemented; called at " + platform::Hex(call, 4) + "H");
}

std::string CpmSystem::CallDescription() const {
  const std::uint8_t function = machine_.Cpu.C;
  const auto call = static_cast<std::uint16_t>(machine_.ReadWord(machine_.Cpu.SP) - 3);
  return "BDOS function " + std::to_string(function) + " (" + kBdosCalls[function].name +
         ") called at " + platform::Hex(call, 4) + "H";
}

void CpmSystem::FileCall() {
  const std::uint16_t fcb = machine_.Cpu.DE();
  std::string error;
  if (machine_.Cpu.C != kCpmSearchNext && fcb + kCpmFcbSize > kCpmBdosEntry) {
    error = "the FCB at " + platform::Hex(fcb, 4) + "H reaches the BDOS at " +
            platform::Hex(kCpmBdosEntry, 4) + "H";
  } else if (const auto a = files_.Call(machine_.Cpu.C, machine_, fcb, error)) {
    Return(*a);
    return;
  }
  End(CpmEnd::Error, CallDescription() + ": " + error);
}

bool CpmSystem::PollFindsNoKey() {
  if (console_.KeyWaiting()) {
    emptyPolls_ = 0;
    return false;
  }
  if (console_.InputEnded() && ++emptyPolls_ >= kWaitingPollLimit)
    End(CpmEnd::InputEnded, kWaitingAtEndMessage);
  return true;
}

std::optional<std::uint8_t> CpmSystem::ReadKey() {
  const auto key = console_.ReadKey();
  if (key) return key;
  if (console_.InputEnded())
    End(CpmEnd::InputEnded, kWaitingAtEndMessage);
  else
    interrupted_ = true;
  return key;
}

// Function 10: DE -> the size, then the count and the characters are stored.
// Backspace and DEL take back a character; the echo ends with a carriage
// return only, as CP/M 2.2's does.
void CpmSystem::ReadLine(std::uint16_t buffer) {
  const std::uint8_t size = machine_.ReadByte(buffer);
  std::uint8_t count = 0;
  for (;;) {
    const auto key = ReadKey();
    if (!key) return;
    if (*key == kEnter || *key == kLineFeed) break;
    if (*key == kBackspace || *key == kDelete) {
      if (count > 0) {
        --count;
        for (std::uint8_t c : {kBackspace, std::uint8_t{' '}, kBackspace})
          console_.Write(c);
      }
      continue;
    }
    if (count >= size) continue;
    machine_.WriteByte(static_cast<std::uint16_t>(buffer + 2 + count), *key);
    console_.Write(*key);
    if (++count == size) break;
  }
  machine_.WriteByte(static_cast<std::uint16_t>(buffer + 1), count);
  console_.Write(kEnter);
}

// Function 9: up to the '$', which a program cannot leave out without
// running through memory; the end of the address space stops it as well.
void CpmSystem::WriteString(std::uint16_t text) {
  for (std::uint32_t at = text; at < kLogicalSpaceSize; ++at) {
    const std::uint8_t c = machine_.ReadByte(static_cast<std::uint16_t>(at));
    if (c == '$') return;
    console_.Write(c);
  }
}

bool CpmSystem::TrapsIntact() const {
  if (machine_.ReadByte(kCpmBdosEntry) != kHalt) return false;
  for (int entry = 0; entry < kCpmBiosEntryCount; ++entry) {
    if (machine_.ReadByte(BiosEntryAddress(entry)) != kHalt) return false;
  }
  return true;
}

} // namespace kavrin
