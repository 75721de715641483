// Every opcode of every page, disassembled by kavrin-cli, assembled and
// linked again by velkor-cli, must give back the same bytes.

#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"
#include "tests/platform/run_program.h"

namespace kavrin {
namespace {

using testing::RunCli;
using testing::TempDir;

// Each opcode is followed by zero operand bytes (the spare ones become NOPs),
// so relative branches stay in range and every line has one plain encoding.
std::vector<unsigned char> EveryOpcode() {
  std::vector<unsigned char> image;
  auto add = [&image](std::initializer_list<unsigned char> bytes) {
    image.insert(image.end(), bytes);
    image.insert(image.end(), {0, 0, 0});
  };
  for (int op = 0; op < 256; ++op) {
    const auto b = static_cast<unsigned char>(op);
    if (op != 0xCB && op != 0xDD && op != 0xED && op != 0xFD) add({b});
    add({0xCB, b});
    if (op != 0xCB && op != 0xDD && op != 0xED && op != 0xFD) add({0xDD, b}), add({0xFD, b});
    add({0xED, b});
    add({0xDD, 0xCB, 0x05, b});
    add({0xFD, 0xCB, 0xFB, b});
  }
  return image;
}

struct DisassemblyLine {
  int address = 0;
  std::string hex;
  std::string text;
};

std::vector<DisassemblyLine> ParseLines(const std::string& out) {
  std::vector<DisassemblyLine> lines;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string address, hex;
    fields >> address >> hex;
    std::string text;
    std::getline(fields >> std::ws, text);
    lines.push_back({std::stoi(address, nullptr, 16), hex, text});
  }
  return lines;
}

std::vector<unsigned char> HexBytes(const std::string& hex) {
  std::vector<unsigned char> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// An undefined opcode, a DD/FD prefix the instruction ignores, an index-CB
// operation on a register column, or a half index register (which the
// assembler's language does not name) has no source text of its own that
// gives those bytes back; nor have SLL and IN F,(C).
bool HasItsOwnEncoding(const DisassemblyLine& line) {
  for (const char* unnamed : {"DB ", "SLL ", "IN F,(C)"}) {
    if (line.text.rfind(unnamed, 0) == 0) return false;
  }
  for (const char* half : {"IXh", "IXl", "IYh", "IYl"}) {
    if (line.text.find(half) != std::string::npos) return false;
  }
  const bool indexCb = line.hex.rfind("DDCB", 0) == 0 || line.hex.rfind("FDCB", 0) == 0;
  if (indexCb) return line.text.find("(I") != std::string::npos;
  // ED 63 and ED 6B repeat LD (nn),HL and LD HL,(nn), which assemble shorter.
  if (line.hex.rfind("ED63", 0) == 0 || line.hex.rfind("ED6B", 0) == 0) return false;
  const bool indexPrefix = line.hex.rfind("DD", 0) == 0 || line.hex.rfind("FD", 0) == 0;
  return !indexPrefix || line.text.find("IX") != std::string::npos ||
         line.text.find("IY") != std::string::npos;
}

// Where the disassembler's spelling differs from the assembler's: the ALU
// group names A, the index register in ADD stands as HL, a few forms are
// written another way round, and a relative branch shows its target where the
// assembler reads a plain number as an offset from the statement.
std::string AssemblerSpelling(const DisassemblyLine& line) {
  std::string text = line.text;
  if (text.rfind("JR ", 0) == 0 || text.rfind("DJNZ ", 0) == 0) {
    const std::size_t target = text.find_last_of(" ,") + 1;
    const int offset = std::stoi(text.substr(target), nullptr, 16) - line.address;
    return text.substr(0, target) + "$+" + std::to_string(offset);
  }
  struct Respelling {
    const char* listed;
    const char* assembled;
  };
  static const Respelling kWholeTexts[] = {
      {"ADD IX,IX", "ADD IX,HL"},   {"ADD IY,IY", "ADD IY,HL"},   {"EX HL,(SP)", "EX (SP),HL"},
      {"EX IX,(SP)", "EX (SP),IX"}, {"EX IY,(SP)", "EX (SP),IY"},
  };
  for (const Respelling& r : kWholeTexts) {
    if (text == r.listed) return r.assembled;
  }
  for (const char* alu : {"ADD ", "ADC ", "SBC "}) {
    if (text.rfind(alu, 0) == 0 && text.find(',') == std::string::npos)
      return alu + std::string("A,") + text.substr(4);
  }
  if (text.rfind("OUTA ", 0) == 0) return "OUT " + text.substr(5) + ",A";
  if (text.rfind("INA ", 0) == 0) return "IN A," + text.substr(4);
  if (text.rfind("RST ", 0) == 0 && text.back() == 'h') text.back() = 'H';
  return text;
}

TEST(DisassemblyRoundTrip, EveryOpcodeReassemblesToTheSameBytes) {
  const std::vector<unsigned char> image = EveryOpcode();
  TempDir dir;
  const std::string imagePath = dir.Write("ALL.BIN", image);
  const auto listing = RunCli({"disasm", imagePath, "--count", "100000"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;

  std::string source = "\tCODE\n";
  std::vector<unsigned char> listed;
  int instructions = 0;
  for (const DisassemblyLine& line : ParseLines(listing.out)) {
    const std::vector<unsigned char> bytes = HexBytes(line.hex);
    listed.insert(listed.end(), bytes.begin(), bytes.end());
    if (HasItsOwnEncoding(line)) {
      source += "\t" + AssemblerSpelling(line) + "\n";
      ++instructions;
    } else {
      source += "\tDB ";
      for (std::size_t i = 0; i < bytes.size(); ++i)
        source += (i ? "," : "") + std::to_string(bytes[i]);
      source += "\n";
    }
    if (listed.size() >= image.size()) break;
  }
  ASSERT_EQ(listed, image) << "the listing must cover the image exactly";
  EXPECT_GT(instructions, 1500);

  dir.WriteText("ALL.Mac", source);
  const std::string directory = dir.path().string();
  const auto created =
      kit_test::RunProgram(directory, "velkor-cli", {"new", "ALL.Prj", "--cpu", "Z180", "ALL.Mac"});
  ASSERT_EQ(created.status, 0) << created.err;
  const auto built = kit_test::RunProgram(directory, "velkor-cli", {"build", "ALL.Prj"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const std::string rom = testing::ReadAll(dir.path() / "ALL.ROM");
  EXPECT_EQ(rom.size(), image.size());
  std::size_t offset = 0;
  for (const DisassemblyLine& line : ParseLines(listing.out)) {
    const std::vector<unsigned char> bytes = HexBytes(line.hex);
    ASSERT_LE(offset + bytes.size(), rom.size()) << "the image ends before " << line.text;
    const std::vector<unsigned char> assembled(
        rom.begin() + static_cast<std::ptrdiff_t>(offset),
        rom.begin() + static_cast<std::ptrdiff_t>(offset + bytes.size()));
    EXPECT_EQ(assembled, bytes) << "at " << offset << ": " << line.text;
    offset += bytes.size();
    if (offset >= image.size()) break;
  }
}

} // namespace
} // namespace kavrin
