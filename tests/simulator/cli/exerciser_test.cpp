// The generated instruction exerciser runs as a raw image at 0000H on
// kavrin-cli; z80ex running the same image gives the expected CRC lines.

#include <z80ex/z80ex.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "cli_runner.h"
#include "exerciser_image.h"

namespace kavrin {
namespace {

using testing::ExerciserImage;

struct Z80exBoard {
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x10000);
  std::string output;
};

Z80EX_BYTE MemRead(Z80EX_CONTEXT*, Z80EX_WORD a, int, void* d) {
  return static_cast<Z80exBoard*>(d)->memory[a];
}
void MemWrite(Z80EX_CONTEXT*, Z80EX_WORD a, Z80EX_BYTE v, void* d) {
  static_cast<Z80exBoard*>(d)->memory[a] = v;
}
Z80EX_BYTE PortRead(Z80EX_CONTEXT*, Z80EX_WORD, void*) {
  return 0;
}
void PortWrite(Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE v, void* d) {
  if ((port & 0xFF) == testing::exerciser::kOutputPort)
    static_cast<Z80exBoard*>(d)->output += static_cast<char>(v);
}
Z80EX_BYTE IntVector(Z80EX_CONTEXT*, void*) {
  return 0xFF;
}

std::string RunOnZ80ex(const std::vector<std::uint8_t>& image) {
  Z80exBoard board;
  std::copy(image.begin(), image.end(), board.memory.begin());
  Z80EX_CONTEXT* cpu = z80ex_create(MemRead, &board, MemWrite, &board, PortRead, &board, PortWrite,
                                    &board, IntVector, &board);
  // As our board starts: every register 0.
  for (Z80_REG_T reg : {regAF, regBC, regDE, regHL, regAF_, regBC_, regDE_, regHL_, regIX, regIY,
                        regPC, regSP, regI})
    z80ex_set_reg(cpu, reg, 0);
  for (long steps = 0; !z80ex_doing_halt(cpu) && steps < 50'000'000; ++steps)
    z80ex_step(cpu);
  z80ex_destroy(cpu);
  return board.output;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::string Describe(const testing::exerciser::Record& r) {
  char text[160];
  std::snprintf(text, sizeof text,
                "instruction %02X %02X %02X %02X with AF=%04X BC=%04X DE=%04X HL=%04X IX=%04X "
                "IY=%04X SP=%04X",
                r.instruction[0], r.instruction[1], r.instruction[2], r.instruction[3], r.af, r.bc,
                r.de, r.hl, r.ix, r.iy, r.sp);
  return text;
}

class ExerciserTest : public ::testing::TestWithParam<int> {};

TEST_P(ExerciserTest, KavrinCliPrintsTheReferenceCrcs) {
  const int part = GetParam();
  const int count = testing::kMaxExerciserRecords;
  const ExerciserImage image =
      testing::BuildExerciserImage(static_cast<std::size_t>(part) * static_cast<std::size_t>(count),
                                   count, 0x5EED0000u + static_cast<unsigned>(part));
  const std::vector<std::string> expected = Lines(RunOnZ80ex(image.bytes));
  // The reference itself must have run every record to the HALT.
  ASSERT_EQ(expected.size(), image.records.size());
  for (const std::string& line : expected)
    ASSERT_EQ(line.size(), 5u) << line;

  testing::TempDir dir;
  const std::string path = dir.Write("exerciser.rom", image.bytes);
  const testing::CliResult run =
      testing::RunCli({"run", path, "--max-steps", "200000000"}, "", false, 240);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<std::string> actual = Lines(run.out);
  int mismatches = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::string got = i < actual.size() ? actual[i] : "(missing)";
    if (got == expected[i]) continue;
    if (++mismatches <= 10)
      ADD_FAILURE() << "record " << i << ": " << Describe(image.records[i]) << ": CRC " << got
                    << ", z80ex " << expected[i];
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(actual.size(), expected.size());
}

// Three images cover every template several times with different states.
INSTANTIATE_TEST_SUITE_P(Parts, ExerciserTest, ::testing::Values(0, 1, 2));

// The same records as a CP/M program printing through the BDOS: the lines of
// the raw image's reference run, and the end is CP/M's (the final HALT).
TEST(ExerciserAsCom, KavrinCliInCpmModePrintsTheReferenceCrcs) {
  const int count = testing::kMaxCpmExerciserRecords;
  const unsigned seed = 0x5EEDC0A0u;
  const std::vector<std::string> expected =
      Lines(RunOnZ80ex(testing::BuildExerciserImage(0, count, seed).bytes));
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(count));
  const ExerciserImage com =
      testing::BuildExerciserImage(0, count, seed, testing::exerciser::Console::Bdos);
  testing::TempDir dir;
  const std::string path = dir.Write(
      "EXERCISE.COM", std::vector<std::uint8_t>(com.bytes.begin() + testing::exerciser::kCpmDriver,
                                                com.bytes.end()));
  const testing::CliResult run =
      testing::RunCli({"run", path, "--max-steps", "200000000"}, "", false, 240);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(Lines(run.out), expected);
}

TEST(ExerciserImage, TheCrcSeesEveryStateByte) {
  // Two records that differ only in one memory byte the instruction does not
  // touch must print different CRCs, or the exerciser could hide faults.
  using namespace testing::exerciser;
  ExerciserImage image = testing::BuildExerciserImage(0, 2, 1);
  const std::vector<Template> templates = Templates();
  Record a = MakeRecord(templates[0], *std::make_unique<std::mt19937>(7)); // NOP
  Record b = a;
  b.memory[15] ^= 0x01;
  PutRecord(image.bytes, kRecords, a);
  PutRecord(image.bytes, kRecords + kRecordSize, b);
  const std::vector<std::string> lines = Lines(RunOnZ80ex(image.bytes));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_NE(lines[0], lines[1]);
  EXPECT_GT(templates.size(), 600u);
}

} // namespace
} // namespace kavrin
