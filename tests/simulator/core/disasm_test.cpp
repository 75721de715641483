// The disassembler against hand-checked lines and, for the Z80 set, against
// z80ex's independent disassembler.

#include "simulator/core/disasm.h"

#include <gtest/gtest.h>
#include <z80ex/z80ex_dasm.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/text.h"
#include "simulator/core/disasm_tables.h"

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
                     const AddressNames* names = nullptr,
                     AddressSpace space = AddressSpace::Logical) {
  Bytes b{std::move(bytes), at};
  return Disassemble(b, at, 200, space, names);
}

struct LineCase {
  std::vector<std::uint8_t> bytes;
  std::uint32_t at;
  const char* text;
  int length;
};

// What the comparison with z80ex below does not see: the byte field, the
// spelling of numbers and mnemonics, the Z180's own instructions and the
// undocumented forms.
TEST(Disassemble, FormatsBytesLabelAndOperands) {
  const LineCase cases[] = {
      {{0x3E, 0x05}, 0, "3E05      LD A,05H", 2},
      {{0xDD, 0x36, 0xFE, 0x12}, 0, "DD36FE12  LD (IX-02H),12H", 4},
      {{0x18, 0xFE}, 0x100, "18FE      JR 0100H", 2},
      {{0xED, 0x55}, 0, "ED55      DB EDh,55h", 2},
      {{0xFD, 0xE5}, 0, "FDE5      PUSH IY", 2},
      {{0xFD, 0xCB, 0x80, 0xFE}, 0, "FDCB80FE  SET 7,(IY-80H)", 4},
      {{0xED, 0x2C}, 0, "ED2C      TST L", 2},
      {{0xDD, 0x8F}, 0, "DD8F      ADC A", 2},
      {{0xD3, 0x80}, 0, "D380      OUTA (80H)", 2},
      {{0xDB, 0x81}, 0, "DB81      INA (81H)", 2},
      {{0xE3}, 0, "E3        EX HL,(SP)", 1},
      {{0xFF}, 0, "FF        RST 38h", 1},
      {{0xCB, 0x30}, 0, "CB30      SLL B", 2},
      {{0xDD, 0x75, 0x7F}, 0, "DD757F    LD (IX+7FH),L", 3},
      {{0xDD, 0x26, 0x12}, 0, "DD2612    LD IXh,12H", 3},
      {{0xED, 0x38, 0x3F}, 0, "ED383F    IN0 A,(3FH)", 3},
      {{0xED, 0x39, 0x3F}, 0, "ED393F    OUT0 (3FH),A", 3},
      {{0xED, 0x74, 0x0F}, 0, "ED740F    TSTIO 0FH", 3},
      {{0xED, 0x70}, 0, "ED70      IN F,(C)", 2},
      {{0xED, 0x7C}, 0, "ED7C      MLT SP", 2},
      {{0xED, 0x9B}, 0, "ED9B      OTDMR", 2},
      {{0x10, 0x80}, 0x0010, "1080      DJNZ FF92H", 2},
      {{0x20, 0x7F}, 0xFFF0, "207F      JR NZ,0071H", 2},
      // Mended: DD EB does not involve HL and runs as EX DE,HL.
      {{0xDD, 0xEB}, 0, "DDEB      EX DE,HL", 2},
      // A run of index prefixes is one instruction; the last one wins.
      {{0xDD, 0xFD, 0x21, 0x34, 0x12}, 0, "DDFD213412 LD IY,1234H", 5},
      {{0xFD, 0xDD, 0xDD, 0xE5}, 0, "FDDDDDE5  PUSH IX", 4},
      // ED under an index prefix runs unchanged.
      {{0xDD, 0xED, 0x44}, 0, "DDED44    NEG", 3},
      {{0xFD, 0xED, 0x6B, 0x00, 0x80}, 0, "FDED6B0080 LD HL,(8000H)", 5},
  };
  for (const LineCase& c : cases) {
    const Disassembly d = DisasmAt(c.bytes, c.at);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(d.length, c.length) << c.text;
  }
}

TEST(Disassemble, BytesFieldKeepsAtMostTenCharacters) {
  const Disassembly d = DisasmAt({0xDD, 0xDD, 0xDD, 0xFD, 0x36, 0x01, 0x02});
  EXPECT_EQ(d.text, "DDDDDDFD36 LD (IY+01H),02H");
  EXPECT_EQ(d.length, 7);
}

TEST(Disassemble, SymbolsAsLabelsAndOperands) {
  Names symbols;
  symbols.byAddress = {{0x0100, "START"}, {0x1234, "PRINT"}, {0x0102, "LOOP"}};
  EXPECT_EQ(DisasmAt({0xCD, 0x34, 0x12}, 0x100, &symbols).text, "CD3412   START: CALL PRINT");
  const Disassembly jr = DisasmAt({0x18, 0xFE}, 0x102, &symbols);
  EXPECT_EQ(jr.text, "18FE     LOOP: JR LOOP");
  EXPECT_EQ(jr.text.substr(jr.mnemonicOffset), "JR LOOP");
  // Immediate bytes are never symbols, and unknown addresses stay numbers.
  EXPECT_EQ(DisasmAt({0x3E, 0x01}, 0x200, &symbols).text, "3E01      LD A,01H");
  EXPECT_EQ(DisasmAt({0xC3, 0x35, 0x12}, 0x200, &symbols).text, "C33512    JP 1235H");
  // A physical address above 64K carries no label.
  EXPECT_EQ(DisasmAt({0x00}, 0x10100, &symbols, AddressSpace::Physical).text, "00        NOP");
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
  seen.clear();
  Disassemble(recorder, 0xFFFFF, 80, AddressSpace::Physical, nullptr);
  EXPECT_EQ(seen, (std::vector<std::uint32_t>{0xFFFFF, 0x00000, 0x00001}));
}

TEST(Disassemble, MemoryFullOfPrefixesEnds) {
  const Disassembly d = Disassemble([](std::uint32_t) { return std::uint8_t{0xDD}; }, 0, 80,
                                    AddressSpace::Logical, nullptr);
  EXPECT_GT(d.length, 1);
  EXPECT_LE(d.length, 0x10001);
}

TEST(MnemonicTables, UndefinedEdOpcodesReadAsData) {
  const MnemonicPage& ed = Mnemonics().ed;
  int defined = 0;
  for (int op = 0; op < 256; ++op) {
    const std::string& text = ed[static_cast<std::size_t>(op)];
    char expected[16];
    std::snprintf(expected, sizeof expected, "DB EDh,%02Xh", op);
    if (text != expected) ++defined;
  }
  // The Z180 set: 7 IN0, 7 OUT0, 8 TST r, 8 IN r,(C) with IN F,(C), 7 OUT (C),r,
  // 16 16-bit arithmetic and loads, 4 MLT, 12 single ones, TST n, TSTIO,
  // SLP, 4 OTxM(R) and 16 block instructions.
  EXPECT_EQ(defined, 7 + 7 + 8 + 8 + 7 + 16 + 4 + 12 + 1 + 1 + 1 + 4 + 16);
  EXPECT_EQ(ed[0x30], "DB EDh,30h");
  EXPECT_EQ(ed[0x71], "DB EDh,71h");
  EXPECT_EQ(ed[0x4E], "DB EDh,4Eh");
}

// ---- comparison with z80ex ----

std::string Z80exText(const std::vector<std::uint8_t>& bytes, int* length) {
  struct Source {
    static Z80EX_BYTE Read(Z80EX_WORD a, void* self) {
      const auto& v = *static_cast<const std::vector<std::uint8_t>*>(self);
      return a < v.size() ? v[a] : 0;
    }
  };
  char out[128];
  int t1 = 0, t2 = 0;
  *length = z80ex_dasm(out, sizeof out, 0, &t1, &t2, &Source::Read, 0,
                       const_cast<void*>(static_cast<const void*>(&bytes)));
  return out;
}

bool IsHex(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789ABCDEF") == std::string::npos;
}

// Brings both spellings to one: numbers as $hex, displacements signed, the
// ALU group without "A,", and the few differing mnemonics rewritten.
std::string Normalise(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (std::size_t at; (at = text.find('_')) != std::string::npos;) {
    // z80ex writes LD_A_I, LD_R_A, IN_F (C).
    text[at] = text.compare(0, 3, "IN_") == 0
                   ? ' '
                   : (text.find('_', at + 1) != std::string::npos ? ' ' : ',');
  }
  if (text == "IN F (C)") text = "IN F,(C)";
  std::string out;
  std::string token;
  auto flush = [&]() {
    if (token.empty()) return;
    std::uint64_t value = 0;
    bool number = false;
    if (token[0] == '#' && IsHex(token.substr(1))) {
      value = std::stoull(token.substr(1), nullptr, 16);
      number = true;
    } else if (token.size() > 2 && token.compare(0, 2, "0X") == 0) {
      value = std::stoull(token.substr(2), nullptr, 16);
      number = true;
    } else if (token.size() > 1 && token.back() == 'H' &&
               IsHex(token.substr(0, token.size() - 1)) &&
               std::isdigit(static_cast<unsigned char>(token[0]))) {
      value = std::stoull(token.substr(0, token.size() - 1), nullptr, 16);
      number = true;
    } else if (token.size() > 1 && token.back() == 'H' &&
               IsHex(token.substr(0, token.size() - 1)) && !out.empty() &&
               (out.back() == ' ' || out.back() == ',' || out.back() == '(' || out.back() == '+' ||
                out.back() == '-')) {
      value = std::stoull(token.substr(0, token.size() - 1), nullptr, 16);
      number = true;
    }
    if (number) {
      if (value >= 0x80000000u && !out.empty() && out.back() == '+') {
        out.back() = '-';
        value = 0x100000000ull - value;
      }
      char buf[24];
      std::snprintf(buf, sizeof buf, "$%llX", static_cast<unsigned long long>(value));
      out += buf;
    } else {
      out += token;
    }
    token.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == ',' || c == '(' || c == ')' || c == '+' || c == '-') {
      flush();
      out += c;
    } else {
      token += c;
    }
  }
  flush();
  static const char* const kAlu[] = {"ADD A,", "ADC A,", "SUB A,", "SBC A,",
                                     "AND A,", "XOR A,", "OR A,",  "CP A,"};
  for (const char* prefix : kAlu) {
    const std::string p = prefix;
    if (out.compare(0, p.size(), p) == 0 && out.size() > p.size()) out.erase(p.find(' ') + 1, 2);
  }
  if (out.compare(0, 5, "OUTA ") == 0) out = "OUT " + out.substr(5) + ",A";
  if (out.compare(0, 4, "INA ") == 0) out = "IN A," + out.substr(4);
  if (out.size() > 8 && out.compare(0, 3, "EX ") == 0 &&
      out.compare(out.size() - 5, 5, ",(SP)") == 0)
    out = "EX (SP)," + out.substr(3, out.size() - 8);
  if (out == "JP HL" || out == "JP IX" || out == "JP IY") out = "JP (" + out.substr(3) + ")";
  return out;
}

void CompareWithZ80ex(const std::vector<std::uint8_t>& bytes, bool compareLength) {
  int theirLength = 0;
  const std::string theirs = Z80exText(bytes, &theirLength);
  const Disassembly ours = DisasmAt(bytes);
  std::string opcode;
  for (std::uint8_t b : bytes)
    opcode += platform::Hex(b, 2);
  EXPECT_EQ(Normalise(ours.text.substr(ours.mnemonicOffset)), Normalise(theirs)) << opcode;
  if (compareLength) {
    EXPECT_EQ(ours.length, theirLength) << opcode;
  }
}

TEST(DisassembleAgainstZ80ex, MainPage) {
  for (int op = 0; op < 256; ++op) {
    if (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD) continue;
    CompareWithZ80ex({static_cast<std::uint8_t>(op), 0x12, 0x84}, true);
  }
}

TEST(DisassembleAgainstZ80ex, CbPage) {
  for (int op = 0; op < 256; ++op)
    CompareWithZ80ex({0xCB, static_cast<std::uint8_t>(op)}, true);
}

TEST(DisassembleAgainstZ80ex, EdPageWhereZ80AndZ180Agree) {
  const MnemonicPage& ed = Mnemonics().ed;
  int compared = 0;
  for (int op = 0; op < 256; ++op) {
    const std::string& ours = ed[static_cast<std::size_t>(op)];
    // Z180-only instructions and opcodes undefined on the Z180 have no Z80 twin.
    static const char* const kZ180Only[] = {"IN0", "OUT0", "TST",  "MLT",
                                            "SLP", "OTIM", "OTDM", "DB "};
    bool skip = false;
    for (const char* prefix : kZ180Only)
      skip = skip || ours.rfind(prefix, 0) == 0;
    if (skip) continue;
    CompareWithZ80ex({0xED, static_cast<std::uint8_t>(op), 0x34, 0x92}, true);
    ++compared;
  }
  EXPECT_EQ(compared, 59);
}

TEST(DisassembleAgainstZ80ex, IndexPages) {
  for (std::uint8_t prefix : {std::uint8_t{0xDD}, std::uint8_t{0xFD}}) {
    for (int op = 0; op < 256; ++op) {
      // z80ex shows a second prefix as a one-byte NOP; ours joins it (tested above).
      if (op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD) continue;
      CompareWithZ80ex({prefix, static_cast<std::uint8_t>(op), 0xF0, 0x7E}, true);
    }
    for (int op = 0; op < 256; ++op) {
      // z80ex names the register copy of the undocumented register columns;
      // our core runs those on the register alone, so only (IX+d) compares.
      if ((op & 7) != 6) continue;
      CompareWithZ80ex({prefix, 0xCB, 0x85, static_cast<std::uint8_t>(op)}, false);
      CompareWithZ80ex({prefix, 0xCB, 0x05, static_cast<std::uint8_t>(op)}, false);
    }
  }
}

TEST(Normalise, SeesDifferencesItMustNotHide) {
  EXPECT_NE(Normalise("LD A,05H"), Normalise("LD A,#06"));
  EXPECT_NE(Normalise("LD (IX+02H),A"), Normalise("LD (IX+#FFFFFFFE),A"));
  EXPECT_EQ(Normalise("LD (IX-02H),A"), Normalise("LD (IX+#FFFFFFFE),A"));
  EXPECT_NE(Normalise("ADD A"), Normalise("ADD A,B"));
  EXPECT_EQ(Normalise("CP FEH"), Normalise("CP #FE"));
}

} // namespace
} // namespace kavrin
