// The generated instruction exerciser runs on kavrin-cli as a raw image at
// 0000H and as a .COM in CP/M mode; z80ex running the raw image gives the
// expected CRC lines.

#include <z80ex/z80ex.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "cli_runner.h"
#include "exerciser_image.h"

namespace kavrin {
namespace {

using namespace testing::exerciser;
using testing::BuildExerciserImage;

std::vector<std::string> RunOnZ80ex(const std::vector<std::uint8_t>& image) {
  struct Board {
    std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000);
    std::string output;
  } board;
  std::copy(image.begin(), image.end(), board.memory.begin());
  const auto read = [](Z80EX_CONTEXT*, Z80EX_WORD a, int, void* d) -> Z80EX_BYTE {
    return static_cast<Board*>(d)->memory[a];
  };
  const auto write = [](Z80EX_CONTEXT*, Z80EX_WORD a, Z80EX_BYTE v, void* d) {
    static_cast<Board*>(d)->memory[a] = v;
  };
  const auto in = [](Z80EX_CONTEXT*, Z80EX_WORD, void*) -> Z80EX_BYTE { return 0; };
  const auto out = [](Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE v, void* d) {
    if ((port & 0xFF) == kOutputPort) static_cast<Board*>(d)->output += static_cast<char>(v);
  };
  const auto vector = [](Z80EX_CONTEXT*, void*) -> Z80EX_BYTE { return 0xFF; };
  Z80EX_CONTEXT* cpu =
      z80ex_create(read, &board, write, &board, in, &board, out, &board, vector, &board);
  // As our board starts: every register 0.
  for (Z80_REG_T reg : {regAF, regBC, regDE, regHL, regAF_, regBC_, regDE_, regHL_, regIX, regIY,
                        regPC, regSP, regI})
    z80ex_set_reg(cpu, reg, 0);
  for (long steps = 0; !z80ex_doing_halt(cpu) && steps < 50'000'000; ++steps)
    z80ex_step(cpu);
  z80ex_destroy(cpu);
  std::vector<std::string> lines;
  std::istringstream text(board.output);
  for (std::string line; std::getline(text, line);)
    lines.push_back(line);
  return lines;
}

// The raw image in three parts, which cover every template several times
// with different states, then the CP/M program; the records are the same
// in both consoles.
struct Part {
  std::size_t first;
  int count;
  unsigned seed;
  Console console;
};

class Exerciser : public ::testing::TestWithParam<Part> {};

TEST_P(Exerciser, KavrinCliPrintsTheReferenceCrcs) {
  const Part p = GetParam();
  const testing::ExerciserImage image = BuildExerciserImage(p.first, p.count, p.seed);
  const std::vector<std::string> expected = RunOnZ80ex(image.bytes);
  // The reference itself must have run every record to the HALT.
  ASSERT_EQ(expected.size(), image.records.size());
  const bool cpm = p.console == Console::Bdos;
  const std::vector<std::uint8_t> run =
      cpm ? BuildExerciserImage(p.first, p.count, p.seed, p.console).bytes : image.bytes;
  testing::TempDir dir;
  const std::string path = dir.Image(cpm ? "EXERCISE.COM" : "exerciser.rom",
                                     {run.begin() + (cpm ? kCpmDriver : 0), run.end()});
  const testing::CliResult r =
      testing::RunCli({"run", path, "--max-steps", "200000000"}, "", false, 240);
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  std::istringstream text(r.out);
  std::string got;
  int mismatches = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (!std::getline(text, got)) got = "(missing)";
    if (got == expected[i] || ++mismatches > 10) continue;
    const Record& c = image.records[i];
    char state[120];
    std::snprintf(state, sizeof state, "%02X %02X %02X %02X AF=%04X BC=%04X DE=%04X HL=%04X",
                  c.instruction[0], c.instruction[1], c.instruction[2], c.instruction[3], c.af,
                  c.bc, c.de, c.hl);
    ADD_FAILURE() << "record " << i << ": " << state << ": CRC " << got << ", z80ex "
                  << expected[i];
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_FALSE(std::getline(text, got)) << "more lines than records";
}

constexpr int kRaw = testing::kMaxExerciserRecords;
INSTANTIATE_TEST_SUITE_P(Parts, Exerciser,
                         ::testing::Values(Part{0, kRaw, 0x5EED0000u, Console::Port},
                                           Part{kRaw, kRaw, 0x5EED0001u, Console::Port},
                                           Part{2 * kRaw, kRaw, 0x5EED0002u, Console::Port},
                                           Part{0, testing::kMaxCpmExerciserRecords, 0x5EEDC0A0u,
                                                Console::Bdos}));

TEST(ExerciserImage, TheCrcSeesEveryStateByte) {
  // Two NOP records that differ in one memory byte must print different
  // CRCs, or the exerciser could hide faults.
  testing::ExerciserImage image = BuildExerciserImage(0, 2, 1);
  Record b = image.records[0];
  ASSERT_EQ(b.instruction[0], 0x00);
  b.memory[kMemorySize - 1] ^= 0x01;
  PutRecord(image.bytes, kRecords + kRecordSize, b);
  const std::vector<std::string> lines = RunOnZ80ex(image.bytes);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0], lines[1]);
  EXPECT_GT(Templates().size(), 600u);
}

} // namespace
} // namespace kavrin
