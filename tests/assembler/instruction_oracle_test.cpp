// Every instruction form of the table, in every operand spelling, assembled by
// us and by independent assemblers: pasmo for the Z80 set, sdasz80 in its
// HD64180 mode for everything. The byte streams must agree.
#include "asm_test_support.h"
#include "assembler/instruction_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace velkor {
namespace {

using asmsrc::InstructionForm;
using asmsrc::Layout;
using asmsrc::OpClass;

struct Spelling {
  std::string ours;
  std::string pasmo;
  std::string sdas; // sdasz80: "#" before immediates, d(ix), "." for the location
};

const std::set<std::string_view> kZ180 = {"OTIM", "OTIMR", "OTDM", "OTDMR", "SLP",
                                          "IN0",  "OUT0",  "TST",  "TSTIO", "MLT"};

std::string lower(std::string s) {
  for (char& c : s)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<Spelling> names(std::initializer_list<const char*> list) {
  std::vector<Spelling> out;
  for (const char* n : list)
    out.push_back({n, n, lower(n)});
  return out;
}

bool wordSized(Layout layout) {
  return layout == Layout::OpcodeWord;
}

std::vector<Spelling> spellings(OpClass c, Layout layout) {
  static const std::map<OpClass, std::vector<Spelling>> kByName = {
      {OpClass::A, names({"A"})},
      {OpClass::HL, names({"HL"})},
      {OpClass::SP, names({"SP"})},
      {OpClass::AF, names({"AF"})},
      {OpClass::AFAlt, names({"AF'"})},
      {OpClass::DE, names({"DE"})},
      {OpClass::I, names({"I"})},
      {OpClass::R, names({"R"})},
      {OpClass::AtSP, names({"(SP)"})},
      {OpClass::AtC, names({"(C)"})},
      {OpClass::AtBC, names({"(BC)"})},
      {OpClass::AtDE, names({"(DE)"})},
      {OpClass::AtHL, names({"(HL)"})},
      {OpClass::Reg8, names({"B", "C", "D", "E", "H", "L", "(HL)", "A"})},
      {OpClass::Reg8NoHL, names({"B", "C", "D", "E", "H", "L", "A"})},
      {OpClass::Pair, names({"BC", "DE", "HL", "SP"})},
      {OpClass::PairAF, names({"BC", "DE", "HL", "AF"})},
      {OpClass::PairNoHL, names({"BC", "DE", "SP"})},
      {OpClass::Cond, names({"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"})},
      {OpClass::JrCond, names({"NZ", "Z", "NC", "C"})},
      {OpClass::BitNumber, names({"0", "1", "2", "3", "4", "5", "6", "7"})},
      {OpClass::ImMode0, names({"0"})},
      {OpClass::ImMode1, names({"1"})},
      {OpClass::ImMode2, names({"2"})},
      {OpClass::IndexReg, names({"IX", "IY"})},
      {OpClass::AtIndexReg, names({"(IX)", "(IY)"})}};
  if (const auto it = kByName.find(c); it != kByName.end()) return it->second;
  switch (c) {
  case OpClass::RstVector:
    return {{"0", "0", "0"},        {"8", "8", "8"},        {"10H", "10H", "0x10"},
            {"18H", "18H", "0x18"}, {"20H", "20H", "0x20"}, {"28H", "28H", "0x28"},
            {"30H", "30H", "0x30"}, {"38H", "38H", "0x38"}};
  case OpClass::Indexed:
    return {{"(IX+5)", "(IX+5)", "5(ix)"},
            {"(IY-3)", "(IY-3)", "-3(iy)"},
            {"(IX)", "(IX)", "0(ix)"},
            {"(IY+127)", "(IY+127)", "127(iy)"},
            {"(IX-127)", "(IX-127)", "-127(ix)"},
            {"(IY-0)", "(IY+0)", "0(iy)"},
            {"(IX+10H)", "(IX+10H)", "0x10(ix)"}};
  case OpClass::Immediate:
    if (wordSized(layout))
      return {{"1234H", "1234H", "#0x1234"},
              {"0", "0", "#0"},
              {"$BEEF", "0BEEFH", "#0xBEEF"},
              {"65535", "65535", "#65535"},
              {"1010101111001101B", "0ABCDH", "#0xABCD"}};
    return {{"5AH", "5AH", "#0x5A"},
            {"0", "0", "#0"},
            {"255D", "255", "#255"},
            {"11110000B", "0F0H", "#0xF0"},
            {"'A'", "'A'", "#0x41"}};
  case OpClass::Memory:
    if (wordSized(layout))
      return {{"(1234H)", "(1234H)", "(0x1234)"}, {"($FFFF)", "(0FFFFH)", "(0xFFFF)"}};
    return {{"(5AH)", "(5AH)", "(0x5A)"}, {"(0FFH)", "(0FFH)", "(0xFF)"}, {"(0)", "(0)", "(0)"}};
  case OpClass::Relative:
    return {{"+2", "$+2", ".+2"},       {"-2", "$-2", ".-2"},       {"$", "$", "."},
            {"+129", "$+129", ".+129"}, {"-126", "$-126", ".-126"}, {"40", "$+40", ".+40"},
            {"+7FH", "$+127", ".+127"}};
  default:
    return {};
  }
}

struct Instance {
  std::string ours;
  std::string pasmo;
  std::string sdas;
};

// The cross product of the operand spellings of one form.
std::vector<Instance> instancesOf(const InstructionForm& form) {
  const std::string mnemonic(form.mnemonic);
  if (form.operandCount == 0) return {{mnemonic, mnemonic, lower(mnemonic)}};
  const auto first = spellings(form.operand[0], form.layout);
  const auto second = form.operandCount == 2 ? spellings(form.operand[1], form.layout)
                                             : std::vector<Spelling>{{"", "", ""}};
  std::vector<Instance> out;
  for (const Spelling& a : first)
    for (const Spelling& b : second) {
      Instance inst{mnemonic + " " + a.ours, mnemonic + " " + a.pasmo,
                    lower(mnemonic) + " " + a.sdas};
      if (form.operandCount == 2) {
        // ADD IX,HL is our spelling of what other assemblers write ADD IX,IX.
        const bool indexItself = form.operand[0] == OpClass::IndexReg && b.ours == "HL";
        inst.ours += "," + b.ours;
        inst.pasmo += "," + (indexItself ? a.pasmo : b.pasmo);
        inst.sdas += "," + (indexItself ? a.sdas : b.sdas);
      }
      // sdasz80 writes jump and call targets as plain addresses.
      if (form.mnemonic == "JP" || form.mnemonic == "CALL")
        inst.sdas.erase(std::remove(inst.sdas.begin(), inst.sdas.end(), '#'), inst.sdas.end());
      out.push_back(inst);
    }
  return out;
}

std::filesystem::path workDir() {
  const auto dir = std::filesystem::path(testing::TempDir()) / "asm_oracle";
  std::filesystem::create_directories(dir);
  return dir;
}

bool run(const std::string& command) {
  return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

std::vector<std::uint8_t> readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Intel hex as sdldz80 writes it, laid out from address `base`.
std::vector<std::uint8_t> readIntelHex(const std::filesystem::path& path, unsigned base,
                                       std::size_t size) {
  std::vector<std::uint8_t> bytes(size, 0);
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 11 || line[0] != ':') continue;
    const unsigned count = std::stoul(line.substr(1, 2), nullptr, 16);
    const unsigned address = std::stoul(line.substr(3, 4), nullptr, 16);
    if (std::stoul(line.substr(7, 2), nullptr, 16) != 0) continue;
    for (unsigned i = 0; i < count; ++i)
      if (address + i >= base && address + i - base < size)
        bytes[address + i - base] =
            static_cast<std::uint8_t>(std::stoul(line.substr(9 + 2 * i, 2), nullptr, 16));
  }
  return bytes;
}

struct Ours {
  std::vector<std::uint8_t> bytes;
  std::vector<std::size_t> starts; // where each instance begins
};

Ours assembleOurs(const std::vector<Instance>& instances) {
  Ours ours;
  for (const Instance& inst : instances) {
    const auto a = test::assemble(" " + inst.ours + "\n");
    EXPECT_TRUE(a.ok()) << inst.ours << ": " << a.errorMessage();
    const auto placed = test::placedBytes(a.result.image);
    EXPECT_TRUE(placed.has_value()) << inst.ours << " wrote records other than bytes";
    ours.starts.push_back(ours.bytes.size());
    if (placed) ours.bytes.insert(ours.bytes.end(), placed->begin(), placed->end());
  }
  return ours;
}

void compare(const std::vector<Instance>& instances, const Ours& ours,
             const std::vector<std::uint8_t>& peer) {
  ASSERT_EQ(ours.starts.size(), instances.size());
  for (std::size_t i = 0; i < instances.size(); ++i) {
    const std::size_t begin = ours.starts[i];
    const std::size_t end = i + 1 < instances.size() ? ours.starts[i + 1] : ours.bytes.size();
    std::vector<std::uint8_t> mine(ours.bytes.begin() + begin, ours.bytes.begin() + end);
    std::vector<std::uint8_t> theirs;
    for (std::size_t k = begin; k < end && k < peer.size(); ++k)
      theirs.push_back(peer[k]);
    ASSERT_EQ(test::hexBytes(mine), test::hexBytes(theirs))
        << instances[i].ours << "  (pasmo: " << instances[i].pasmo
        << ", sdasz80: " << instances[i].sdas << ")";
  }
  EXPECT_EQ(ours.bytes.size(), peer.size()) << "the peer placed a different number of bytes";
}

enum class Set { Z80, All };

std::vector<Instance> allInstances(Set set) {
  std::vector<Instance> all;
  for (const InstructionForm& form : asmsrc::InstructionForms()) {
    if (set == Set::Z80 && kZ180.count(form.mnemonic) != 0) continue;
    const auto more = instancesOf(form);
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

TEST(InstructionOracle, EveryZ80FormMatchesPasmo) {
  if (!run("which pasmo")) GTEST_SKIP() << "pasmo is not installed";
  const auto instances = allInstances(Set::Z80);
  ASSERT_GT(instances.size(), 600u);
  const auto dir = workDir();
  {
    std::ofstream src(dir / "z80.asm");
    // Far from 0 so that backward branches stay in the address space.
    src << " ORG 8000H\n";
    for (const Instance& inst : instances)
      src << " " << inst.pasmo << "\n";
  }
  ASSERT_TRUE(run("pasmo " + (dir / "z80.asm").string() + " " + (dir / "z80.bin").string()))
      << "pasmo rejected the generated source " << (dir / "z80.asm");
  compare(instances, assembleOurs(instances), readFile(dir / "z80.bin"));
}

// The HD64180 mode takes the whole Z80 set as well, so every form meets a
// second, independent assembler.
TEST(InstructionOracle, EveryZ80AndZ180FormMatchesSdasz80) {
  if (!run("which sdasz80 sdldz80")) GTEST_SKIP() << "sdasz80 is not installed";
  const auto instances = allInstances(Set::All);
  ASSERT_GT(instances.size(), 700u);
  const auto dir = workDir();
  {
    std::ofstream src(dir / "z180.s");
    src << "\t.hd64\n\t.area CODE (ABS)\n\t.org 0x8000\n";
    for (const Instance& inst : instances)
      src << "\t" << inst.sdas << "\n";
  }
  const std::string base = (dir / "z180").string();
  ASSERT_TRUE(run("sdasz80 -o " + base + ".rel " + base + ".s"))
      << "sdasz80 rejected " << base << ".s";
  ASSERT_TRUE(run("sdldz80 -i " + base + ".ihx " + base + ".rel"));
  const Ours ours = assembleOurs(instances);
  compare(instances, ours, readIntelHex(base + ".ihx", 0x8000, ours.bytes.size()));
}

// The table holds every mnemonic of the instruction set and nothing else, and
// each mnemonic's rows stand together (the lookup relies on it).
TEST(InstructionTable, HoldsEveryMnemonicOnceInOneRun) {
  const std::set<std::string_view> expected = {
      "NOP",  "HALT", "DI",    "EI",   "EXX",   "DAA",  "CPL", "CCF",  "SCF",  "RLA",   "RLCA",
      "RRA",  "RRCA", "NEG",   "RETI", "RETN",  "RLD",  "RRD", "LDI",  "LDIR", "LDD",   "LDDR",
      "CPI",  "CPIR", "CPD",   "CPDR", "INI",   "INIR", "IND", "INDR", "OUTI", "OTIR",  "OUTD",
      "OTDR", "OTIM", "OTIMR", "OTDM", "OTDMR", "SLP",  "ADD", "ADC",  "SBC",  "SUB",   "AND",
      "XOR",  "OR",   "CP",    "INC",  "DEC",   "RLC",  "RRC", "RL",   "RR",   "SLA",   "SRA",
      "SRL",  "BIT",  "RES",   "SET",  "LD",    "PUSH", "POP", "EX",   "JP",   "CALL",  "RET",
      "RST",  "JR",   "DJNZ",  "IM",   "IN",    "OUT",  "IN0", "OUT0", "TST",  "TSTIO", "MLT"};
  std::set<std::string_view> seen;
  std::string_view previous;
  for (const InstructionForm& form : asmsrc::InstructionForms()) {
    if (form.mnemonic != previous) {
      EXPECT_TRUE(seen.insert(form.mnemonic).second) << form.mnemonic << " rows are split";
      previous = form.mnemonic;
    }
    EXPECT_EQ(asmsrc::FindInstruction(form.mnemonic).front().mnemonic, form.mnemonic);
  }
  EXPECT_EQ(seen, expected);
  EXPECT_TRUE(asmsrc::FindInstruction("SLL").empty());
}

} // namespace
} // namespace velkor
