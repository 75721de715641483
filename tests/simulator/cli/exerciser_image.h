#pragma once
// An instruction exerciser built as machine code: a driver at 0000H copies
// each record's instruction into a RAM slot, loads the record's registers
// and memory, runs the instruction, and prints the state it leaves as
// kStateLength bytes on port 80H: the registers (F AND D7H), SP and the
// memory area. A final HALT record stops it. Every documented Z80 instruction that
// needs no port takes part, control transfers included: their targets are
// made to land on the slot's exit so that taken and not taken differ.

#include <cstdint>
#include <random>
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

inline std::vector<Template> Templates() {
  std::vector<Template> t;
  auto regNeed = [](int r) { return r == 6 ? kHlPointer : kNone; };
  constexpr int kInc = 0x04; // INC B after a conditional transfer shows which way it went
  const int exitLow = kSlotExit & 0xFF, exitHigh = kSlotExit >> 8;
  t.push_back({{0x00}});
  for (int op = 0x40; op < 0x80; ++op)
    if (op != 0x76) t.push_back({{op}, regNeed(op & 7) | regNeed((op >> 3) & 7)});
  for (int r = 0; r < 8; ++r) {
    t.push_back({{0x06 + 8 * r, kImmediate}, regNeed(r)});
    t.push_back({{0x04 + 8 * r}, regNeed(r)});
    t.push_back({{0x05 + 8 * r}, regNeed(r)});
  }
  for (int op = 0x80; op < 0xC0; ++op)
    t.push_back({{op}, regNeed(op & 7)});
  for (int k = 0; k < 8; ++k)
    t.push_back({{0xC6 + 8 * k, kImmediate}});
  for (int rr = 0; rr < 4; ++rr) {
    t.push_back({{0x01 + 16 * rr, kImmediate, kImmediate}});
    t.push_back({{0x03 + 16 * rr}});
    t.push_back({{0x0B + 16 * rr}});
    t.push_back({{0x09 + 16 * rr}});
  }
  for (int op : {0x02, 0x0A, 0x12, 0x1A})
    t.push_back({{op}, op < 0x10 ? kBcPointer : kDePointer});
  for (int op : {0x22, 0x2A, 0x32, 0x3A})
    t.push_back({{op, kAddressLow, kAddressHigh}});
  for (int op :
       {0x07, 0x0F, 0x17, 0x1F, 0x27, 0x2F, 0x37, 0x3F, 0x08, 0xD9, 0xEB, 0xF9, 0xF3, 0xFB})
    t.push_back({{op}});
  for (int op : {0xE3, 0xC1, 0xD1, 0xE1, 0xF1, 0xC5, 0xD5, 0xE5, 0xF5})
    t.push_back({{op}, kStack});
  // Control transfers.
  for (int op : {0x18, 0x10, 0x20, 0x28, 0x30, 0x38})
    t.push_back({{op, 0x01, kInc, 0x00}});
  t.push_back({{0xC3, exitLow, exitHigh}});
  t.push_back({{0xCD, exitLow, exitHigh}, kStack});
  for (int op : {0xC9, 0xED4D, 0xED45}) // RET, RETI, RETN
    t.push_back(
        {op > 0xFF ? std::vector{0xED, op & 0xFF} : std::vector{op}, kStack | kReturnToExit});
  for (int cc = 0; cc < 8; ++cc) {
    t.push_back({{0xC2 + 8 * cc, exitLow, exitHigh, kInc}});
    t.push_back({{0xC4 + 8 * cc, exitLow, exitHigh, kInc}, kStack});
    t.push_back({{0xC0 + 8 * cc, kInc, 0x00, 0x00}, kStack | kReturnToExit});
  }
  t.push_back({{0xE9}, kJumpToExit});
  // CB page; SLL (30-37) is not an instruction of this processor.
  for (int op = 0; op < 256; ++op)
    if (op < 0x30 || op > 0x37) t.push_back({{0xCB, op}, regNeed(op & 7)});
  // Index forms.
  for (int prefix : {0xDD, 0xFD}) {
    for (int op : {0x09, 0x19, 0x29, 0x39, 0x23, 0x2B, 0xF9})
      t.push_back({{prefix, op}});
    t.push_back({{prefix, 0xE9}, kJumpToExit});
    t.push_back({{prefix, 0x21, kImmediate, kImmediate}});
    for (int op : {0x22, 0x2A})
      t.push_back({{prefix, op, kAddressLow, kAddressHigh}});
    t.push_back({{prefix, 0x36, kDisplacement, kImmediate}, kIndexed});
    // INC, DEC, the loads from and to (I+d) and the ALU group on (I+d).
    for (int op : {0x34, 0x35, 0x46, 0x4E, 0x56, 0x5E, 0x66, 0x6E, 0x7E, 0x70, 0x71, 0x72,
                   0x73, 0x74, 0x75, 0x77, 0x86, 0x8E, 0x96, 0x9E, 0xA6, 0xAE, 0xB6, 0xBE})
      t.push_back({{prefix, op, kDisplacement}, kIndexed});
    for (int op : {0xE3, 0xE1, 0xE5})
      t.push_back({{prefix, op}, kStack});
    for (int op = 0x06; op < 256; op += 8)
      if (op != 0x36) t.push_back({{prefix, 0xCB, kDisplacement, op}, kIndexed});
  }
  // ED page, without the port instructions.
  for (int rr = 0; rr < 4; ++rr) {
    t.push_back({{0xED, 0x42 + 16 * rr}});
    t.push_back({{0xED, 0x4A + 16 * rr}});
    t.push_back({{0xED, 0x43 + 16 * rr, kAddressLow, kAddressHigh}});
    t.push_back({{0xED, 0x4B + 16 * rr, kAddressLow, kAddressHigh}});
  }
  for (int op : {0x44, 0x47, 0x57, 0x56, 0x5E})
    t.push_back({{0xED, op}});
  t.push_back({{0xED, 0x67}, kHlPointer});
  t.push_back({{0xED, 0x6F}, kHlPointer});
  for (int op : {0xA0, 0xA1, 0xA8, 0xA9, 0xB0, 0xB1, 0xB8, 0xB9})
    t.push_back({{0xED, op}, kBlock});
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

struct Record {
  std::uint8_t instruction[4] = {0, 0, 0, 0};
  std::uint8_t memory[kMemorySize] = {};
  std::uint16_t iy = 0, ix = 0, hl = 0, de = 0, bc = 0, af = 0, sp = 0;
};

inline Record MakeRecord(const Template& t, std::mt19937& rng) {
  auto byte = [&rng] { return static_cast<std::uint8_t>(rng() & 0xFF); };
  auto word = [&rng] { return static_cast<std::uint16_t>(rng() & 0xFFFF); };
  auto inArea = [&rng](int from, int to) {
    return static_cast<std::uint16_t>(
        kMemory + from + static_cast<int>(rng() % static_cast<unsigned>(to - from + 1)));
  };
  Record r;
  for (auto& m : r.memory)
    m = byte();
  for (std::uint16_t* w : {&r.iy, &r.ix, &r.hl, &r.de, &r.bc, &r.af, &r.sp})
    *w = word();
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
    r.instruction[i] = static_cast<std::uint8_t>(b);
  }
  if (t.needs & kHlPointer) r.hl = inArea(0, kMemorySize - 1);
  if (t.needs & kBcPointer) r.bc = inArea(0, kMemorySize - 1);
  if (t.needs & kDePointer) r.de = inArea(0, kMemorySize - 1);
  if (t.needs & kIndexed)
    (t.bytes[0] == 0xDD ? r.ix : r.iy) =
        static_cast<std::uint16_t>(inArea(0, kMemorySize - 1) - displacement);
  if (t.needs & kStack) r.sp = kMemory + 8;
  if (t.needs & kBlock) {
    r.hl = inArea(4, 11);
    r.de = inArea(4, 11);
    r.bc = static_cast<std::uint16_t>(1 + rng() % 4);
  }
  if (t.needs & kReturnToExit) {
    r.memory[8] = kSlotExit & 0xFF;
    r.memory[9] = kSlotExit >> 8;
  }
  if (t.needs & kJumpToExit) r.hl = r.ix = r.iy = kSlotExit;
  return r;
}

inline void PutRecord(std::vector<std::uint8_t>& image, std::size_t at, const Record& r) {
  for (int i = 0; i < 4; ++i)
    image[at++] = r.instruction[i];
  for (std::uint8_t m : r.memory)
    image[at++] = m;
  for (std::uint16_t w : {r.iy, r.ix, r.hl, r.de, r.bc, r.af, r.sp}) {
    image[at++] = static_cast<std::uint8_t>(w);
    image[at++] = static_cast<std::uint8_t>(w >> 8);
  }
}

} // namespace exerciser

// One image with `count` records drawn round-robin from the templates,
// starting at template `first`; records[i] is what state i of the output
// belongs to. A HALT record ends the image.
struct ExerciserImage {
  std::vector<std::uint8_t> bytes;
  std::vector<exerciser::Record> records;
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
  ExerciserImage out;
  const std::vector<Template> templates = Templates();
  std::mt19937 rng(seed);
  EmitDriver(out.bytes = std::vector<std::uint8_t>(0x10000, 0), console);
  std::size_t at = kRecords;
  for (int i = 0; i < count; ++i) {
    const Record r =
        MakeRecord(templates[(first + static_cast<std::size_t>(i)) % templates.size()], rng);
    PutRecord(out.bytes, at, r);
    out.records.push_back(r);
    at += kRecordSize;
  }
  Record halt;
  halt.instruction[0] = 0x76;
  halt.sp = kDriverStack;
  PutRecord(out.bytes, at, halt);
  out.bytes.resize(at + kRecordSize);
  return out;
}

} // namespace kavrin::testing
