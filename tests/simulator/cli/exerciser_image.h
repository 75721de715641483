#pragma once
// An instruction exerciser built as machine code: a driver at 0000H copies
// each record's instruction into a RAM slot, loads the record's registers
// and memory, runs the instruction, and prints the state it leaves as
// kStateLength bytes on port 80H: the registers (F AND D7H), SP and the
// memory area. A final HALT record stops it. Every documented Z80 instruction that
// needs no port takes part, control transfers included: their targets are
// made to land on the slot's exit so that taken and not taken differ.

#include <z80ex/z80ex_dasm.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace kavrin::testing {

namespace exerciser {

inline constexpr std::uint16_t kSlot = 0x0300; // 4 instruction bytes, then JP back
inline constexpr std::uint16_t kSlotExit = kSlot + 4;
inline constexpr std::uint16_t kSave = 0x0400;     // IY IX HL DE BC AF as pushed
inline constexpr std::uint16_t kResultSp = 0x040C; // just after the save area
inline constexpr std::uint16_t kMemory = 0x040E;   // the area pointers reach
inline constexpr int kMemorySize = 16;
inline constexpr int kStateLength = 30; // save area, SP, memory area
inline constexpr std::uint16_t kRecordPointer = 0x0420;
inline constexpr std::uint16_t kRegisterPointer = 0x0422;
inline constexpr std::uint16_t kTestSp = 0x0424;
inline constexpr std::uint16_t kDriverStack = 0x0500;
inline constexpr std::uint16_t kRecords = 0x0600;
inline constexpr int kRecordSize = 4 + kMemorySize + 14;
inline constexpr std::uint8_t kOutputPort = 0x80;

// What a template needs of the state so that memory accesses stay in the
// area and control transfers land on the slot's exit.
enum Need : unsigned {
  kNone = 0,
  kHlPointer = 1 << 0,
  kBcPointer = 1 << 1,
  kDePointer = 1 << 2,
  kIndexed = 1 << 3, // (IX+d) or (IY+d), as the prefix says
  kStack = 1 << 4,
  kBlock = 1 << 5,
  kReturnToExit = 1 << 6,
  kJumpToExit = 1 << 7, // HL, IX and IY hold the exit
};

// Byte codes in a template besides 0..255.
inline constexpr int kImmediate = -1;
inline constexpr int kDisplacement = -2;
inline constexpr int kAddressLow = -3; // an address inside the area
inline constexpr int kAddressHigh = -4;

struct Template {
  std::vector<int> bytes;
  unsigned needs = kNone;
};

// Every documented instruction that needs no port, found by z80ex's
// disassembler over each page with operand bytes 12H 34H: its text gives the
// operands and what the state must be. Left out: ports, HALT, RST (into the
// driver), IM 0 (stops the run), R (only one side counts it), the undefined
// (*) and undocumented forms, and a second encoding of the same length.
inline std::vector<Template> Templates() {
  std::vector<Template> t;
  std::set<std::string> seen;
  const std::regex excluded(R"(^(IN[ DI_]|OUT|OT|HALT|RST|IM 0|LD_R|LD_A_R)|\*|SLL|I[XY][HL])");
  for (std::vector<int> page :
       {std::vector<int>{}, {0xCB}, {0xED}, {0xDD}, {0xFD}, {0xDD, 0xCB, 0x12}, {0xFD, 0xCB, 0x12}})
    for (int op = 0; op < 256; ++op) {
      std::vector<int> bytes = page;
      bytes.insert(bytes.end(), {op, 0x12, 0x34});
      char buffer[32];
      int states, branchStates;
      const int length = z80ex_dasm(
          buffer, sizeof buffer, 0, &states, &branchStates,
          [](Z80EX_WORD a, void* b) { return Z80EX_BYTE((*static_cast<std::vector<int>*>(b))[a]); },
          0, &bytes);
      const std::string text(buffer);
      const auto has = [&text](const char* part) { return text.find(part) != std::string::npos; };
      const auto starts = [&text](const char* part) { return text.rfind(part, 0) == 0; };
      const bool indexed = (bytes[0] | 0x20) == 0xFD && page.size() < 3; // a DD or FD op too
      if (std::regex_search(text, excluded) || (indexed && !has("IX") && !has("IY")) ||
          (page.size() == 3 && (op & 7) != 6) || !seen.insert(std::to_string(length) + text).second)
        continue;
      bytes.resize(std::min(length, 4)); // z80ex counts the DD CB forms as 5
      Template k{bytes};
      const auto last = [&k](int low, int high) {
        k.bytes.end()[-2] = low;
        k.bytes.end()[-1] = high;
      };
      if (has("(IX+") || has("(IY+")) {
        k.bytes[2] = kDisplacement;
        if (length == 4 && indexed) k.bytes[3] = kImmediate;
        k.needs = kIndexed;
      } else if (has("(#3412)")) {
        last(kAddressLow, kAddressHigh);
      } else if ((starts("JP") || starts("CALL")) && has("#3412")) {
        last(kSlotExit & 0xFF, kSlotExit >> 8);
      } else if (has("#3412")) {
        last(kImmediate, kImmediate);
      } else if (starts("JR") || starts("DJNZ")) {
        k.bytes[1] = 1; // over the INC B that follows
      } else if (has("#12")) {
        k.bytes.back() = kImmediate;
      }
      if (has("(HL)") || starts("RRD") || starts("RLD")) k.needs = kHlPointer;
      if (has("(BC)")) k.needs = kBcPointer;
      if (has("(DE)")) k.needs = kDePointer;
      if (starts("PUSH") || starts("POP") || starts("CALL") || has("(SP)")) k.needs = kStack;
      if (starts("RET")) k.needs = kStack | kReturnToExit;
      if (starts("JP") && !has("#")) k.needs = kJumpToExit;
      if (std::regex_search(text, std::regex("^(LD|CP)[ID]R?( |$)"))) k.needs = kBlock;
      // INC B after a conditional transfer shows which way it went.
      if (starts("JR") || starts("DJNZ") || starts("RET ") ||
          (has(",") && (starts("JP") || starts("CALL"))))
        k.bytes.push_back(0x04);
      t.push_back(k);
    }
  return t;
}

// Where the results go: port 80H of the bare board, or CP/M's console
// (BDOS function 2), for which the driver starts at 0100H.
enum class Console { Port, Bdos };
inline constexpr std::uint16_t kCpmDriver = 0x0100;
inline constexpr std::uint16_t kCpmBdosEntry = 0xFE00; // the end of the program area

inline void EmitDriver(std::vector<std::uint8_t>& image, Console console) {
  const bool bdos = console == Console::Bdos;
  // Machine code from pc on; a word operand follows its opcode bytes.
  std::uint16_t pc = bdos ? kCpmDriver : 0;
  const auto bytes = [&](std::initializer_list<int> list) {
    for (int b : list)
      image[pc++] = static_cast<std::uint8_t>(b);
  };
  const auto op = [&](std::initializer_list<int> list, std::uint16_t word) {
    bytes(list);
    bytes({word & 0xFF, word >> 8});
  };
  op({0x31}, kDriverStack);   // LD SP,stack
  op({0x21}, kRecords);       // LD HL,records
  op({0x22}, kRecordPointer); // LD (recptr),HL
  const std::uint16_t next = pc;
  op({0x2A}, kRecordPointer);      // LD HL,(recptr)
  op({0x11}, kSlot);               // LD DE,slot
  op({0x01}, 4);                   // LD BC,4
  bytes({0xED, 0xB0});             // LDIR
  op({0x11}, kMemory);             // LD DE,area
  op({0x01}, kMemorySize);         // LD BC,16
  bytes({0xED, 0xB0});             // LDIR
  op({0x22}, kRegisterPointer);    // LD (regptr),HL
  op({0x11}, 12);                  // LD DE,12
  bytes({0x19, 0x5E, 0x23, 0x56}); // ADD HL,DE / LD E,(HL) / INC HL / LD D,(HL)
  op({0xED, 0x53}, kTestSp);       // LD (testsp),DE
  op({0x2A}, kRegisterPointer);    // LD HL,(regptr)
  // LD SP,HL / POP IY IX HL DE BC AF
  bytes({0xF9, 0xFD, 0xE1, 0xDD, 0xE1, 0xE1, 0xD1, 0xC1, 0xF1});
  op({0xED, 0x7B}, kTestSp); // LD SP,(testsp)
  op({0xC3}, kSlot);         // JP slot
  const std::uint16_t after = pc;
  op({0xED, 0x73}, kResultSp);                             // LD (resultsp),SP
  op({0x31}, kResultSp);                                   // LD SP,save end
  bytes({0xF5, 0xC5, 0xD5, 0xE5, 0xDD, 0xE5, 0xFD, 0xE5}); // PUSH AF BC DE HL IX IY
  op({0x31}, kDriverStack);                                // LD SP,stack
  op({0x3A}, kSave + 10);                                  // LD A,(saved F)
  bytes({0xE6, 0xD7});                                     // AND D7H
  op({0x32}, kSave + 10);                                  // LD (saved F),A
  op({0x21}, kSave);                                       // LD HL,save
  bytes({0x06, kStateLength});                             // LD B,30
  const std::uint16_t put = pc;
  bytes({0x7E}); // LD A,(HL)
  if (bdos)      // PUSH BC HL / LD E,A / LD C,2 / CALL 5 / POP HL BC
    bytes({0xC5, 0xE5, 0x5F, 0x0E, 0x02, 0xCD, 0x05, 0x00, 0xE1, 0xC1});
  else
    bytes({0xD3, kOutputPort});                 // OUT (80H),A
  bytes({0x23, 0x10, (put - (pc + 3)) & 0xFF}); // INC HL / DJNZ put
  op({0x2A}, kRegisterPointer);                 // LD HL,(regptr)
  op({0x01}, 14);                               // LD BC,14
  bytes({0x09});                                // ADD HL,BC
  op({0x22}, kRecordPointer);                   // LD (recptr),HL
  op({0xC3}, next);                             // JP next
  pc = kSlotExit;
  op({0xC3}, after); // JP after
}

// A record is its instruction (4 bytes), the memory area, then these words.
enum Word { kIy, kIx, kHl, kDe, kBc, kAf, kSp };
inline void SetWord(std::uint8_t* record, Word w, std::uint16_t value) {
  record[4 + kMemorySize + 2 * w] = static_cast<std::uint8_t>(value);
  record[5 + kMemorySize + 2 * w] = static_cast<std::uint8_t>(value >> 8);
}

// Random memory and registers, then what the template needs.
inline void MakeRecord(const Template& t, std::mt19937& rng, std::uint8_t* r) {
  auto byte = [&rng] { return static_cast<std::uint8_t>(rng() & 0xFF); };
  auto inArea = [&rng](int from, int to) {
    return static_cast<std::uint16_t>(
        kMemory + from + static_cast<int>(rng() % static_cast<unsigned>(to - from + 1)));
  };
  for (int i = 4; i < kRecordSize; ++i)
    r[i] = byte();
  const std::uint16_t address = inArea(0, kMemorySize - 2);
  std::int8_t displacement = 0;
  for (std::size_t i = 0; i < t.bytes.size(); ++i) {
    int b = t.bytes[i];
    if (b == kImmediate) b = byte();
    if (b == kDisplacement) {
      displacement = static_cast<std::int8_t>(byte());
      b = static_cast<std::uint8_t>(displacement);
    }
    if (b == kAddressLow) b = address & 0xFF;
    if (b == kAddressHigh) b = address >> 8;
    r[i] = static_cast<std::uint8_t>(b);
  }
  if (t.needs & kHlPointer) SetWord(r, kHl, inArea(0, kMemorySize - 1));
  if (t.needs & kBcPointer) SetWord(r, kBc, inArea(0, kMemorySize - 1));
  if (t.needs & kDePointer) SetWord(r, kDe, inArea(0, kMemorySize - 1));
  if (t.needs & kIndexed)
    SetWord(r, t.bytes[0] == 0xDD ? kIx : kIy,
            static_cast<std::uint16_t>(inArea(0, kMemorySize - 1) - displacement));
  if (t.needs & kStack) SetWord(r, kSp, kMemory + 8);
  if (t.needs & kBlock) {
    SetWord(r, kHl, inArea(4, 11));
    SetWord(r, kDe, inArea(4, 11));
    SetWord(r, kBc, static_cast<std::uint16_t>(1 + rng() % 4));
  }
  if (t.needs & kReturnToExit) {
    r[4 + 8] = kSlotExit & 0xFF;
    r[4 + 9] = kSlotExit >> 8;
  }
  if (t.needs & kJumpToExit)
    for (Word w : {kHl, kIx, kIy})
      SetWord(r, w, kSlotExit);
}

} // namespace exerciser

// One image with `count` records drawn round-robin from the templates,
// starting at template `first`; state i of the output belongs to record i.
// A HALT record ends the image.
struct ExerciserImage {
  std::vector<std::uint8_t> bytes;
  int count = 0;
  const std::uint8_t* Instruction(int i) const {
    return &bytes[exerciser::kRecords + static_cast<std::size_t>(i * exerciser::kRecordSize)];
  }
};

inline constexpr int kMaxExerciserRecords =
    (0x10000 - exerciser::kRecords) / exerciser::kRecordSize - 1;
inline constexpr int kMaxCpmExerciserRecords =
    (exerciser::kCpmBdosEntry - exerciser::kRecords) / exerciser::kRecordSize - 1;

// The image from 0000H on; with Console::Bdos a .COM file is its bytes from
// 0100H on. The same first, count and seed give the same records.
inline ExerciserImage BuildExerciserImage(std::size_t first, int count, unsigned seed,
                                          exerciser::Console console = exerciser::Console::Port) {
  using namespace exerciser;
  ExerciserImage out{std::vector<std::uint8_t>(0x10000, 0), count};
  const std::vector<Template> templates = Templates();
  std::mt19937 rng(seed);
  EmitDriver(out.bytes, console);
  for (int i = 0; i < count; ++i)
    MakeRecord(templates[(first + static_cast<std::size_t>(i)) % templates.size()], rng,
               &out.bytes[kRecords + static_cast<std::size_t>(i * kRecordSize)]);
  std::uint8_t* halt = &out.bytes[kRecords + static_cast<std::size_t>(count * kRecordSize)];
  halt[0] = 0x76;
  SetWord(halt, kSp, kDriverStack);
  out.bytes.resize(kRecords + static_cast<std::size_t>((count + 1) * kRecordSize));
  return out;
}

} // namespace kavrin::testing
