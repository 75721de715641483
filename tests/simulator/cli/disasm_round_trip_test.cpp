// The ED page, where the Z180's own instructions live and z80ex's
// disassembler cannot vouch for ours: every opcode listed by kavrin-cli,
// assembled again by velkor-cli, must give back the same bytes.

#include <gtest/gtest.h>

#include <sstream>

#include "cli_runner.h"

namespace kavrin {
namespace {

TEST(DisassemblyRoundTrip, EveryEdOpcodeReassemblesToTheSameBytes) {
  // Each opcode is followed by two spare bytes, which become NOPs.
  std::vector<unsigned char> image;
  for (int op = 0; op < 256; ++op)
    image.insert(image.end(), {0xED, static_cast<unsigned char>(op), 0, 0});
  testing::TempDir dir;
  const auto listing = testing::RunCli({"disasm", dir.Image("ED.BIN", image), "--count", "2000"});
  ASSERT_EQ(listing.exitCode, 0) << listing.err;

  // Undefined opcodes, IN F,(C) and the long forms of LD (nn),HL and
  // LD HL,(nn) have no source text that gives their bytes back.
  std::string source = "\tCODE\n";
  std::vector<std::string> texts;
  std::size_t listed = 0, instructions = 0;
  std::istringstream lines(listing.out);
  for (std::string address, hex, text; listed < image.size() && lines >> address >> hex;) {
    std::getline(lines >> std::ws, text);
    texts.insert(texts.end(), hex.size() / 2, text);
    listed += hex.size() / 2;
    if (text.rfind("DB ", 0) == 0 || text == "IN F,(C)" || hex.rfind("ED63", 0) == 0 ||
        hex.rfind("ED6B", 0) == 0) {
      for (std::size_t i = 0; i < hex.size(); i += 2)
        source += "\tDB " + std::to_string(std::stoi(hex.substr(i, 2), nullptr, 16)) + "\n";
    } else {
      source += "\t" + text + "\n";
      instructions += hex.rfind("ED", 0) == 0;
    }
  }
  ASSERT_EQ(listed, image.size()) << "the listing must cover the image exactly";
  EXPECT_EQ(instructions, 92u - 3u); // the Z180's ED page, less the three above

  const std::string rom = kit_test::TestDir::Read(dir.BuildZ180("ED", source));
  ASSERT_EQ(rom.size(), image.size());
  for (std::size_t i = 0; i < image.size(); ++i)
    EXPECT_EQ(static_cast<unsigned char>(rom[i]), image[i]) << "at " << i << ": " << texts[i];
}

} // namespace
} // namespace kavrin
