// Every instruction form of the table, in every operand spelling, assembled by
// us and by independent assemblers: pasmo for the Z80 set, sdasz80 in its
// HD64180 mode for everything. The byte streams must agree.
#include "asm_test_support.h"
#include "assembler/instruction_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace velkor {
namespace {

using asmsrc::InstructionForm;
using asmsrc::OpClass;

// One line of source in each assembler's dialect (sdasz80: "#" before
// immediates, d(ix), "." for the location).
struct Spelling {
  std::string ours, pasmo, sdas;
};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

// The operand spellings of each OpClass, the classes in their enum order and
// separated by ";", the spellings by blanks: "ours|pasmo|sdas" where the
// dialects differ, else one for all (lower case for sdasz80). Immediate and
// Memory hold their 8-bit forms; the 16-bit ones follow.
constexpr std::string_view kSpellings =
    ";A;HL;SP;AF;AF';DE;I;R;(SP);(C);(BC);(DE);(HL);B C D E H L (HL) A;B C D E H L A;BC DE HL SP;"
    "BC DE HL AF;BC DE SP;NZ Z NC C PO PE P M;NZ Z NC C;0 1 2 3 4 5 6 7;"
    "0 8 10H|10H|0x10 18H|18H|0x18 20H|20H|0x20 28H|28H|0x28 30H|30H|0x30 38H|38H|0x38;"
    "0;1;2;IX IY;(IX) (IY);"
    "(IX+5)|(IX+5)|5(ix) (IY-3)|(IY-3)|-3(iy) (IX)|(IX)|0(ix) (IY+127)|(IY+127)|127(iy) "
    "(IX-127)|(IX-127)|-127(ix) (IY-0)|(IY+0)|0(iy) (IX+10H)|(IX+10H)|0x10(ix);"
    "5AH|5AH|#0x5A 0|0|#0 255D|255|#255 11110000B|0F0H|#0xF0 'A'|'A'|#0x41;"
    "(5AH)|(5AH)|(0x5A) (0FFH)|(0FFH)|(0xFF) (0);"
    "+2|$+2|.+2 -2|$-2|.-2 $|$|. +129|$+129|.+129 -126|$-126|.-126 40|$+40|.+40 +7FH|$+127|.+127;"
    "1234H|1234H|#0x1234 0|0|#0 $BEEF|0BEEFH|#0xBEEF 65535|65535|#65535 "
    "1010101111001101B|0ABCDH|#0xABCD;"
    "(1234H)|(1234H)|(0x1234) ($FFFF)|(0FFFFH)|(0xFFFF)";

constexpr std::size_t kClassCount = static_cast<std::size_t>(OpClass::Relative) + 1;
static_assert(std::ranges::count(kSpellings, ';') == kClassCount + 1);

std::vector<Spelling> SpellingsOf(OpClass operand, bool word) {
  std::size_t index = static_cast<std::size_t>(operand);
  if (word && operand == OpClass::Immediate) index = kClassCount;
  if (word && operand == OpClass::Memory) index = kClassCount + 1;
  std::istringstream classes{std::string(kSpellings)};
  std::string list;
  for (std::size_t i = 0; i <= index; ++i)
    std::getline(classes, list, ';');
  std::vector<Spelling> out;
  std::istringstream entries(list);
  for (std::string entry; entries >> entry;) {
    const std::size_t bar = entry.find('|'), last = entry.rfind('|');
    if (bar == std::string::npos)
      out.push_back({entry, entry, Lower(entry)});
    else
      out.push_back(
          {entry.substr(0, bar), entry.substr(bar + 1, last - bar - 1), entry.substr(last + 1)});
  }
  return out.empty() ? std::vector<Spelling>{{"", "", ""}} : out; // no operand
}

// The cross product of the operand spellings of every form, the Z180 forms
// left out for pasmo.
std::vector<Spelling> AllInstances(bool withZ180) {
  const std::set<std::string_view> kZ180 = {"OTIM", "OTIMR", "OTDM", "OTDMR", "SLP",
                                            "IN0",  "OUT0",  "TST",  "TSTIO", "MLT"};
  std::vector<Spelling> all;
  for (const InstructionForm& form : asmsrc::InstructionForms()) {
    if (!withZ180 && kZ180.count(form.mnemonic) != 0) continue;
    const bool word = form.layout == asmsrc::Layout::OpcodeWord;
    const std::string mnemonic(form.mnemonic);
    for (const Spelling& a :
         SpellingsOf(form.operandCount > 0 ? form.operand[0] : OpClass::None, word))
      for (const Spelling& b :
           SpellingsOf(form.operandCount > 1 ? form.operand[1] : OpClass::None, word)) {
        Spelling s{mnemonic + " " + a.ours, mnemonic + " " + a.pasmo,
                   Lower(mnemonic) + " " + a.sdas};
        if (form.operandCount == 2) {
          // ADD IX,HL is our spelling of what other assemblers write ADD IX,IX.
          const bool indexItself = form.operand[0] == OpClass::IndexReg && b.ours == "HL";
          s.ours += "," + b.ours;
          s.pasmo += "," + (indexItself ? a.pasmo : b.pasmo);
          s.sdas += "," + (indexItself ? a.sdas : b.sdas);
        }
        // sdasz80 writes jump and call targets as plain addresses.
        if (form.mnemonic == "JP" || form.mnemonic == "CALL") std::erase(s.sdas, '#');
        all.push_back(s);
      }
  }
  return all;
}

bool Shell(const std::string& command) {
  return std::system(("(" + command + ") >/dev/null 2>&1").c_str()) == 0;
}

// Writes the instances in the peer's dialect after its header, builds them
// with its commands ("$S" is the source's path without ".s"; they leave
// $S.bin), then assembles each instance alone with our assembler and compares
// its bytes with those the peer placed at the same offset.
void CompareWithPeer(const std::vector<Spelling>& instances, const char* header,
                     std::string Spelling::*dialect, std::string build) {
  const std::string base = testing::TempDir() + "asm_oracle";
  ASSERT_GT(instances.size(), 600u);
  {
    std::ofstream source(base + ".s");
    source << header;
    for (const Spelling& inst : instances)
      source << "\t" << inst.*dialect << "\n";
  }
  for (std::size_t at; (at = build.find("$S")) != std::string::npos;)
    build.replace(at, 2, base);
  ASSERT_TRUE(Shell(build)) << build;
  std::ifstream in(base + ".bin", std::ios::binary);
  const std::vector<std::uint8_t> peer{std::istreambuf_iterator<char>(in), {}};
  std::size_t offset = 0;
  for (const Spelling& inst : instances) {
    const auto a = test::assemble(" " + inst.ours + "\n");
    const auto mine = test::placedBytes(a.result.image);
    ASSERT_TRUE(a.ok() && mine) << inst.ours << ": " << a.errorLines() << " or records not bytes";
    const std::size_t end = std::min(offset + mine->size(), peer.size());
    ASSERT_EQ(test::hexBytes(*mine), test::hexBytes({peer.begin() + offset, peer.begin() + end}))
        << inst.ours << "  (" << inst.*dialect << ")";
    offset = end;
  }
  EXPECT_EQ(offset, peer.size()) << "the peer placed a different number of bytes";
}

// The sources start far from 0 so that backward branches stay in the address
// space.
TEST(InstructionOracle, EveryZ80FormMatchesPasmo) {
  if (!Shell("which pasmo")) GTEST_SKIP() << "pasmo is not installed";
  CompareWithPeer(AllInstances(false), " ORG 8000H\n", &Spelling::pasmo, "pasmo $S.s $S.bin");
}

// The HD64180 mode takes the whole Z80 set as well, so every form meets a
// second, independent assembler; objcopy turns its hex file into bytes.
TEST(InstructionOracle, EveryZ80AndZ180FormMatchesSdasz80) {
  if (!Shell("which sdasz80 sdldz80 objcopy")) GTEST_SKIP() << "sdasz80 is not installed";
  CompareWithPeer(AllInstances(true), "\t.hd64\n\t.area CODE (ABS)\n\t.org 0x8000\n",
                  &Spelling::sdas,
                  "sdasz80 -o $S.rel $S.s && sdldz80 -i $S.ihx $S.rel && "
                  "objcopy -I ihex -O binary $S.ihx $S.bin");
}

} // namespace
} // namespace velkor
