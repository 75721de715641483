// Every opcode of every page, listed by kavrin-cli and assembled again by
// velkor-cli, must give back the same bytes: the disassembler's names and
// operands checked against the assembler, which pasmo vouches for.

#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"

namespace kavrin {
namespace {

// Each opcode is followed by spare bytes (NOPs), so relative branches stay in
// range and every operand is a small number.
std::vector<unsigned char> EveryOpcode() {
  std::vector<unsigned char> image;
  auto add = [&image](std::initializer_list<unsigned char> bytes) {
    image.insert(image.end(), bytes);
    image.insert(image.end(), {0, 0, 0});
  };
  for (int op = 0; op < 256; ++op) {
    const auto b = static_cast<unsigned char>(op);
    const bool prefix = op == 0xCB || op == 0xDD || op == 0xED || op == 0xFD;
    if (!prefix) add({b}), add({0xDD, b}), add({0xFD, b});
    add({0xCB, b});
    add({0xED, b});
    add({0xDD, 0xCB, 0x05, b});
    add({0xFD, 0xCB, 0xFB, b});
  }
  return image;
}

// Undefined opcodes, prefixes the instruction ignores, index-CB operations
// on a register column, half index registers, SLL, IN F,(C) and the long
// forms of LD (nn),HL and LD HL,(nn) have no source text that gives their
// bytes back.
bool HasItsOwnEncoding(const std::string& hex, const std::string& text) {
  for (const char* unnamed : {"DB ", "SLL ", "IN F,(C)", "ED63", "ED6B"})
    if (text.rfind(unnamed, 0) == 0 || hex.rfind(unnamed, 0) == 0) return false;
  for (const char* half : {"IXh", "IXl", "IYh", "IYl"})
    if (text.find(half) != std::string::npos) return false;
  const bool indexed = hex.rfind("DD", 0) == 0 || hex.rfind("FD", 0) == 0;
  if (indexed && hex.compare(2, 2, "CB") == 0) return text.find("(I") != std::string::npos;
  return !indexed || text.find("IX") != std::string::npos || text.find("IY") != std::string::npos;
}

// Where the listing's spelling differs from the assembler's: the ALU group
// names A, the index register adds itself as HL, EX and the A-port forms are
// written the other way round, and a branch shows its target where the
// assembler reads an offset.
std::string AssemblerSpelling(std::string text, int address) {
  if (text.rfind("JR ", 0) == 0 || text.rfind("DJNZ ", 0) == 0) {
    const std::size_t target = text.find_last_of(" ,") + 1;
    return text.substr(0, target) + "$+" +
           std::to_string(std::stoi(text.substr(target), nullptr, 16) - address);
  }
  if (text == "ADD IX,IX" || text == "ADD IY,IY") return text.substr(0, 7) + "HL";
  if (text.rfind("EX ", 0) == 0 && text.ends_with(",(SP)"))
    return "EX (SP)," + text.substr(3, text.size() - 8);
  for (const char* alu : {"ADD ", "ADC ", "SBC "})
    if (text.rfind(alu, 0) == 0 && text.find(',') == std::string::npos)
      return alu + std::string("A,") + text.substr(4);
  if (text.rfind("OUTA ", 0) == 0) return "OUT " + text.substr(5) + ",A";
  if (text.rfind("INA ", 0) == 0) return "IN A," + text.substr(4);
  if (text.rfind("RST ", 0) == 0) text.back() = 'H';
  return text;
}

TEST(DisassemblyRoundTrip, EveryOpcodeReassemblesToTheSameBytes) {
  const std::vector<unsigned char> image = EveryOpcode();
  testing::TempDir dir;
  const auto listing =
      testing::RunCli({"disasm", dir.Image("ALL.BIN", image), "--count", "100000"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;

  std::string source = "\tCODE\n";
  std::vector<std::string> texts; // the listed line of each byte
  int instructions = 0;
  std::istringstream lines(listing.out);
  for (std::string address, hex, text; texts.size() < image.size() && lines >> address >> hex;) {
    std::getline(lines >> std::ws, text);
    texts.insert(texts.end(), hex.size() / 2, text);
    if (HasItsOwnEncoding(hex, text)) {
      source += "\t" + AssemblerSpelling(text, std::stoi(address, nullptr, 16)) + "\n";
      ++instructions;
    } else {
      for (std::size_t i = 0; i < hex.size(); i += 2)
        source += "\tDB " + std::to_string(std::stoi(hex.substr(i, 2), nullptr, 16)) + "\n";
    }
  }
  ASSERT_EQ(texts.size(), image.size()) << "the listing must cover the image exactly";
  EXPECT_GT(instructions, 1500);

  dir.Write("ALL.Mac", source);
  const auto created = kit_test::RunProgram(dir.Path(), "velkor-cli",
                                            {"new", "ALL.Prj", "--cpu", "Z180", "ALL.Mac"});
  ASSERT_EQ(created.status, 0) << created.err;
  const auto built = kit_test::RunProgram(dir.Path(), "velkor-cli", {"build", "ALL.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const std::string rom = kit_test::TestDir::Read(dir.Path() + "ALL.ROM");
  ASSERT_EQ(rom.size(), image.size());
  for (std::size_t i = 0; i < image.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(rom[i]), image[i]) << "at " << i << ": " << texts[i];
}

} // namespace
} // namespace kavrin
