// The disassembler's lines, checked by hand: what the round trip through the
// assembler (every opcode of every page, in the command-line tests) cannot
// see, such as the byte field, labels, the spelling of numbers and the cuts.

#include "simulator/core/disasm.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kavrin {
namespace {

struct Bytes {
  std::vector<std::uint8_t> data;
  std::uint32_t base = 0;
  std::uint8_t operator()(std::uint32_t a) const {
    const std::uint32_t offset = a - base;
    return offset < data.size() ? data[offset] : 0;
  }
};

struct Names final : AddressNames {
  std::map<std::uint16_t, std::string> byAddress;
  const std::string* FindAddress(std::uint16_t address) const override {
    const auto it = byAddress.find(address);
    return it == byAddress.end() ? nullptr : &it->second;
  }
};

Disassembly DisasmAt(std::vector<std::uint8_t> bytes, std::uint32_t at = 0,
                     const AddressNames* names = nullptr) {
  Bytes b{std::move(bytes), at};
  return Disassemble(b, at, 200, AddressSpace::Logical, names);
}

struct LineCase {
  std::vector<std::uint8_t> bytes;
  std::uint32_t at;
  const char* text;
  int length;
};

// One line per kind: symbols as labels and operands (immediates and unknown
// addresses stay numbers), signed displacements, relative targets that wrap,
// the Z180's own instructions, the undocumented forms and prefix runs.
TEST(Disassemble, FormatsBytesLabelAndOperands) {
  Names symbols;
  symbols.byAddress = {{0x1234, "PRINT"}, {0x0102, "LOOP"}};
  const LineCase cases[] = {
      {{0x18, 0xFE}, 0x102, "18FE     LOOP: JR LOOP", 2},
      {{0xC3, 0x35, 0x12}, 0x200, "C33512    JP 1235H", 3},
      {{0xED, 0x55}, 0, "ED55      DB EDh,55h", 2},
      {{0xFD, 0xCB, 0x80, 0xFE}, 0, "FDCB80FE  SET 7,(IY-80H)", 4},
      {{0xFF}, 0, "FF        RST 38h", 1},
      {{0xCB, 0x30}, 0, "CB30      SLL B", 2},
      {{0xDD, 0x26, 0x12}, 0, "DD2612    LD IXh,12H", 3},
      {{0xED, 0x70}, 0, "ED70      IN F,(C)", 2},
      {{0x20, 0x7F}, 0xFFF0, "207F      JR NZ,0071H", 2},
      // Mended: DD EB does not involve HL and runs as EX DE,HL.
      {{0xDD, 0xEB}, 0, "DDEB      EX DE,HL", 2},
      // A run of index prefixes is one instruction; the last one wins, and
      // the bytes field keeps at most ten characters.
      {{0xDD, 0xFD, 0x21, 0x78, 0x56}, 0, "DDFD217856 LD IY,5678H", 5},
      {{0xDD, 0xDD, 0xDD, 0xFD, 0x36, 0x01, 0x02}, 0, "DDDDDDFD36 LD (IY+01H),02H", 7},
      // ED under an index prefix runs unchanged.
      {{0xFD, 0xED, 0x6B, 0x00, 0x80}, 0, "FDED6B0080 LD HL,(8000H)", 5},
  };
  for (const LineCase& c : cases) {
    const Disassembly d = DisasmAt(c.bytes, c.at, &symbols);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.length, c.length) << c.text;
  }
}

TEST(Disassemble, CutsTextAndWrapsReads) {
  Bytes b{{0x3E, 0x05}, 0};
  EXPECT_EQ(Disassemble(b, 0, 6, AddressSpace::Logical, nullptr).text, "3E05  ");
  // An instruction at the top of the logical space reads on from 0000H.
  std::vector<std::uint32_t> seen;
  auto recorder = [&seen](std::uint32_t a) {
    seen.push_back(a);
    return std::uint8_t{0xC3};
  };
  Disassemble(recorder, 0xFFFF, 80, AddressSpace::Logical, nullptr);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{0xFFFF, 0x0000, 0x0001}));
}

TEST(Disassemble, MemoryFullOfPrefixesEnds) {
  const Disassembly d = Disassemble([](std::uint32_t) { return std::uint8_t{0xDD}; }, 0, 80,
                                    AddressSpace::Logical, nullptr);
  EXPECT_GT(d.length, 1);
  EXPECT_LE(d.length, 0x10001);
}

} // namespace
} // namespace kavrin
