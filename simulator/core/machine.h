#pragma once

// The simulated Z180 board: one Machine object per simulator run.
//
// How a front end uses it:
//   auto machine = std::make_unique<kavrin::Machine>();  // 1 MB: keep it off the stack
//   machine->BuildPortMaps(terminalPort, inputPorts, outputPorts);
//   machine->SetPortReadHandler(kavrin::kTerminalData, [&](uint8_t) { return term.Read(); });
//   machine->SetPortWriteHandler(kavrin::kTerminalData, [&](uint8_t, uint8_t v) { term.Put(v); });
//   std::copy(image.begin(), image.end(), machine->PhysicalMemory.begin() + loadAt);
//   machine->Reset();
//   machine->Cpu.PC = start;
//   auto why = machine->Run({.breakpoints = {0x1234}}, [] { /* pump the window system */ });
//   if (why == kavrin::StopReason::IllegalOpcode || why == kavrin::StopReason::UnsupportedIm0)
//     ShowMessage(machine->StopMessage());
// The Stop button calls machine->Stop() from inside the pump; run_control.h
// has the main window's run modes. The core never blocks, allocates per
// instruction or talks to a window itself.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "simulator/core/cpu_state.h"

namespace kavrin {

inline constexpr uint32_t kPhysicalMemorySize = 0x100000; // 20-bit physical space
inline constexpr uint32_t kPhysicalMask = kPhysicalMemorySize - 1;
inline constexpr int kPageBits = 12; // the MMU maps 4 KB pages
inline constexpr uint16_t kPageMask = (1 << kPageBits) - 1;
inline constexpr int kLogicalPages = 0x10000 >> kPageBits;
inline constexpr int kOnChipRegisterCount = 64;
inline constexpr int kBreakpointCount = 4;
inline constexpr int kChunkSize = 4096;   // instructions between two pumps of a free run
inline constexpr int kMaxMultiStep = 250; // most instructions of a counted chunk
inline constexpr int kIoPagePortCount = 5;
inline constexpr int kMaxWaitStates = 3;    // per bus cycle, as the chip's DCNTL fields allow
inline constexpr int kPrtClockDivider = 20; // the timers count once every 20 clocks
inline constexpr uint32_t kMaxRomSize = 512 * 1024;

// The opcode pages, as the clock cycle tables are indexed.
enum TimingPageIndex : uint8_t {
  kMainTimingPage,
  kIndexTimingPage,
  kCbTimingPage,
  kIndexCbTimingPage,
  kEdTimingPage,
  kTimingPageCount,
};

// On-chip register offsets the rest of the simulator refers to.
namespace onchip {
inline constexpr uint8_t kCntr = 0x0A;
inline constexpr uint8_t kTmdr0L = 0x0C;
inline constexpr uint8_t kRldr0L = 0x0E;
inline constexpr uint8_t kTcr = 0x10;
inline constexpr uint8_t kTmdr1L = 0x14;
inline constexpr uint8_t kRldr1L = 0x16;
inline constexpr uint8_t kSar0L = 0x20;
inline constexpr uint8_t kDar0L = 0x23;
inline constexpr uint8_t kBcr0L = 0x26;
inline constexpr uint8_t kDstat = 0x30;
inline constexpr uint8_t kDmode = 0x31;
inline constexpr uint8_t kIl = 0x33;
inline constexpr uint8_t kItc = 0x34;
inline constexpr uint8_t kCbr = 0x38;
inline constexpr uint8_t kBbr = 0x39;
inline constexpr uint8_t kCbar = 0x3A;
inline constexpr uint8_t kIcr = 0x3F;
} // namespace onchip

// Values of the port maps: which external device answers a port.
enum PortDevice : uint8_t {
  kNoDevice = 0,
  kTerminalData = 1,   // read: received byte; write: transmit to the terminal
  kTerminalStatus = 2, // read: 1 when a received byte waits; no write handler
  kIoPageFirst = 3,    // I/O page rows 0..4 are devices 3..7
  kIoPageLast = 7,
};
inline constexpr int kPortDeviceCount = 8;

using PortReadHandler = std::function<uint8_t(uint8_t port)>;
using PortWriteHandler = std::function<void(uint8_t port, uint8_t value)>;
// A serial console: the next received byte, or -1 while none has come; and
// where transmitted bytes go.
using ConsoleInput = std::function<int()>;
using ConsoleOutput = std::function<void(uint8_t)>;
inline constexpr int kAsciChannels = 2;
inline constexpr uint64_t kNever = UINT64_MAX; // a board event that is not due

// Sees every port access of a program, on-chip registers included, after it.
using PortObserver = std::function<void(uint8_t port, bool write, uint8_t value)>;

enum class StopReason {
  BudgetUsed,     // the planned instructions ran, or Stop() ended the run
  Breakpoint,     // PC reached one of the run's breakpoints; nothing executed there
  Halt,           // HALT executed; PC is past it
  IllegalOpcode,  // StopMessage(): "Illegal opcode at XXXXH" (the board traps instead)
  UnsupportedIm0, // StopMessage(): "IM 0 interrupt mode not supported at XXXXH"
};

// Addresses the core checks before each instruction, in order; the first
// 0000H ends the list (so 0000H is never a breakpoint).
using BreakpointList = std::array<uint16_t, kBreakpointCount>;

// The board around the chip. Off, the machine is the bare core: no timer
// runs and no interrupt is taken.
struct BoardConfig {
  bool enabled = false;
  // Physical memory below this holds the firmware: a program's writes there
  // are ignored (counted, see RomWrites()).
  uint32_t romSize = 0;
};

// What one run does.
struct RunPlan {
  BreakpointList breakpoints{};
  // Instructions to run at most; 0 runs until a stop condition or Stop().
  uint64_t instructionLimit = 0;
  // Called before each instruction that is not at a breakpoint; the run then
  // pumps after every instruction.
  std::function<void()> trace{};
};

// Called between chunks: the window system's message loop, which may Stop().
using Pump = std::function<void()>;

namespace cpu {
struct HandlerAccess;
}

class Machine {
public:
  Machine();
  // The page pointers point into the own memory (read_pages_): not copyable.
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // --- state the front end reads and edits directly ---
  CpuState Cpu;

private:
  // The run's state, beside the registers: the instruction loop reads both
  // (a few per cent of speed when they lie apart).
  // Steps (instructions and waits of a halted processor) the chunk may still
  // take, and how many it was given: the chunk adds the difference to the
  // counts when it ends, so an instruction pays one decrement for both.
  int steps_left_ = 0;
  int chunk_steps_ = 0;
  BreakpointList breakpoints_{};
  bool stop_requested_ = false;
  uint64_t instruction_count_ = 0;
  uint64_t t_states_ = 0;
  uint64_t idle_steps_ = 0;    // waits of a halted processor; a run counts them as steps
  uint16_t index_address_ = 0; // effective (IX+d) address for the index-CB page
  // Where each logical page lies in PhysicalMemory, rebuilt with the
  // mapping; a page with ROM in it has no write pointer.
  std::array<uint8_t*, kLogicalPages> read_pages_{};
  std::array<uint8_t*, kLogicalPages> write_pages_{};

public:
  std::vector<uint8_t> PhysicalMemory; // always kPhysicalMemorySize bytes; the loader writes it

  // --- reset and run control ---
  // Registers, on-chip registers, MMU, I/O base and the counts to their reset
  // values; memory, F', both subtract indicators, R and the wait states are kept.
  void Reset();
  // Runs per plan: free runs in chunks of kChunkSize instructions, counted
  // ones in chunks of at most kMaxMultiStep, the pump called after each.
  StopReason Run(const RunPlan& plan, const Pump& pump = {});
  // Called from the pump: the run ends after one more instruction. A run
  // that is over is not affected.
  void Stop() { stop_requested_ = true; }
  const std::string& StopMessage() const { return stop_message_; }
  // Counted always, since the last Reset(). The instruction count is brought
  // up to date at the end of each chunk, so a port handler sees the count at
  // the start of its chunk.
  uint64_t InstructionCount() const { return instruction_count_; }
  uint64_t TStates() const { return t_states_; }
  // Wait states added to every memory and every I/O bus cycle (0 to
  // kMaxWaitStates; larger values are clamped). 0 and 0 after construction.
  void SetWaitStates(int memory, int io);
  int MemoryWaitStates() const { return memory_wait_; }
  int IoWaitStates() const { return io_wait_; }

  // --- the board model ---
  void ConfigureBoard(const BoardConfig& config);
  const BoardConfig& Board() const { return board_; }
  // The external INT0 line; in IM 2 the device puts vector on the bus.
  void SetInt0(bool asserted, uint8_t vector = 0xFF);
  // Attaches a console to ASCI channel 0 or 1 (board on).
  void ConnectAsci(int channel, ConsoleInput input, ConsoleOutput output);
  // Stopped in HALT, waiting for an interrupt.
  bool Halted() const { return halted_; }
  // Writes ignored below the ROM size, and the physical address of the last.
  uint64_t RomWrites() const { return rom_writes_; }
  uint32_t LastRomWrite() const { return last_rom_write_; }

  // --- memory through the MMU ---
  uint32_t TranslateAddress(uint16_t logical) const {
    return (logical + page_offset_[logical >> kPageBits]) & kPhysicalMask;
  }
  uint8_t ReadByte(uint16_t logical) const {
    return read_pages_[logical >> kPageBits][logical & kPageMask];
  }
  void WriteByte(uint16_t logical, uint8_t value) {
    uint8_t* page = write_pages_[logical >> kPageBits];
    if (page == nullptr) [[unlikely]]
      return WriteRomPage(logical, value);
    page[logical & kPageMask] = value;
  }
  // Each byte is translated on its own, so a word may straddle an area boundary.
  uint16_t ReadWord(uint16_t logical) const {
    return static_cast<uint16_t>(ReadByte(logical) | ReadByte(static_cast<uint16_t>(logical + 1))
                                                         << 8);
  }
  void WriteWord(uint16_t logical, uint16_t value) {
    WriteByte(logical, static_cast<uint8_t>(value));
    WriteByte(static_cast<uint16_t>(logical + 1), static_cast<uint8_t>(value >> 8));
  }
  // MMU figures for the register display.
  uint16_t BankAreaStart() const { return bank_start_; }     // BA, logical
  uint16_t CommonAreaStart() const { return common_start_; } // CA, logical
  uint32_t BankBase() const { return InternalRegisters[onchip::kBbr] * 0x1000u; }
  uint32_t CommonBase() const { return InternalRegisters[onchip::kCbr] * 0x1000u; }

  // --- on-chip registers and ports ---
  std::array<uint8_t, kOnChipRegisterCount> InternalRegisters{};
  uint8_t IoBase() const { return io_base_; }
  // A program's write to on-chip offset 00H-3FH, with its effect (MMU, I/O base, DMA).
  void WriteOnChipRegister(uint8_t offset, uint8_t value);
  uint8_t PortRead(uint8_t port);
  void PortWrite(uint8_t port, uint8_t value);

  std::array<uint8_t, 256> ReadPortMap{}; // PortDevice per port
  std::array<uint8_t, 256> WritePortMap{};
  void BuildPortMaps(uint8_t terminalPort, const std::array<uint8_t, kIoPagePortCount>& inputPorts,
                     const std::array<uint8_t, kIoPagePortCount>& outputPorts);
  // The terminal and the I/O page register these; an unset handler reads 00H.
  void SetPortReadHandler(PortDevice device, PortReadHandler handler);
  void SetPortWriteHandler(PortDevice device, PortWriteHandler handler);
  void SetPortObserver(PortObserver observer) { port_observer_ = std::move(observer); }

  // --- reading at PC, as the instruction handlers do ---
  uint8_t FetchByte() { return ReadByte(Cpu.PC++); }
  uint16_t FetchWord() {
    uint16_t v = ReadWord(Cpu.PC);
    Cpu.PC = static_cast<uint16_t>(Cpu.PC + 2);
    return v;
  }

private:
  friend struct cpu::HandlerAccess;

  // One chunk of at most steps steps.
  StopReason ExecuteChunk(int steps);
  template <bool Board, bool Breakpoints> StopReason ExecuteSteps();
  // After an instruction with the board on, once attention_at_ is reached:
  // timers and serial events, then interrupts. True while halted.
  bool Attend();
  // Something that can raise or let in an interrupt changed.
  void RequestAttention() {
    interrupt_check_ = true;
    attention_at_ = 0;
  }
  void IdleUntilEvent();
  void SyncTimers();
  void SyncAsci();
  void SyncBoard();
  void ScheduleEvents();
  uint64_t NextAsciEvent() const;
  uint64_t AsciCharClocks(int channel) const;
  void ResetAsci();
  uint8_t ReadAsciRegister(uint8_t offset);
  void WriteAsciRegister(uint8_t offset, uint8_t value);
  bool AcceptInterrupt();
  bool CanWake() const;
  void Halt();
  void Sleep();
  // Ends the run with "Illegal opcode at XXXXH", or traps with the board on.
  void UndefinedOpcode(bool thirdByte);
  void SetInterrupts(bool enabled);
  uint8_t ReadBoardRegister(uint8_t offset);
  bool WriteBoardRegister(uint8_t offset, uint8_t value);
  // Ends the run after the current instruction.
  void EndRun(StopReason reason, std::string message = {});
  bool AtBreakpoint() const;
  void UpdateTranslation();
  // A write to a logical page that holds ROM, in part or whole.
  [[gnu::cold, gnu::noinline]] void WriteRomPage(uint16_t logical, uint8_t value);
  void RunDmaChannel0();

  // States of each opcode with the wait states included, by page.
  std::array<std::array<uint16_t, 256>, kTimingPageCount> cycles_{};
  uint8_t memory_wait_ = 0;
  uint8_t io_wait_ = 0;

  BoardConfig board_{};
  uint32_t rom_limit_ = 0; // 0 unless the board is on
  uint64_t rom_writes_ = 0;
  uint32_t last_rom_write_ = 0;
  bool halted_ = false;
  bool ei_delay_ = false;        // EI takes effect after the next instruction
  bool interrupt_check_ = false; // a source or IFF1 may have changed
  uint64_t attention_at_ = 0;    // the board needs a look at this T-state
  bool int0_ = false;
  uint8_t int0_vector_ = 0xFF;
  uint8_t tif_seen_ = 0;     // TIF bits a TCR read showed: the next TMDR read clears them
  uint8_t tmdr_latched_ = 0; // TIF bits of the channels whose TMDRnL read latched TMDRnH
  std::array<uint8_t, 2> tmdr_high_latch_{};
  uint64_t prt_base_ = 0;   // T-state of the last timer count
  uint64_t next_event_ = 0; // T-state of the next timer or serial event that may interrupt
  struct AsciState {
    bool tdrFull = false; // TDR holds a byte the shift register has not taken
    bool tdrSent = false; // the console has the byte already
    uint64_t tdrWritten = 0;
    uint64_t shiftEnd = 0;  // the transmit shift register is busy until then
    uint64_t receiveAt = 0; // the next byte can have arrived by then
    ConsoleInput input;
    ConsoleOutput output;
  };
  std::array<AsciState, kAsciChannels> asci_{};

  std::array<uint32_t, kLogicalPages> page_offset_{}; // physical - logical per logical page
  uint16_t bank_start_ = 0;
  uint16_t common_start_ = 0;
  uint8_t io_base_ = 0;
  StopReason pending_stop_ = StopReason::BudgetUsed;
  std::string stop_message_;
  std::array<PortReadHandler, kPortDeviceCount> read_handlers_;
  std::array<PortWriteHandler, kPortDeviceCount> write_handlers_;
  PortObserver port_observer_;
};

} // namespace kavrin
