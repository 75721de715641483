// The generated instruction exerciser runs on kavrin-cli as a raw image at
// 0000H and as a .COM in CP/M mode; z80ex running the raw image gives the
// expected state after every record.

#include <gtest/gtest.h>

#include "cli_runner.h"
#include "exerciser_image.h"
#include "platform/text.h"
#include "tests/simulator/z80ex_board.h"

namespace kavrin {
namespace {

using namespace testing::exerciser;
using testing::BuildExerciserImage;

std::string RunOnZ80ex(const std::vector<std::uint8_t>& image) {
  testing::Z80exBoard board;
  std::copy(image.begin(), image.end(), board.memory.begin());
  // As our board starts: every register 0.
  for (Z80_REG_T reg : {regAF, regBC, regDE, regHL, regAF_, regBC_, regDE_, regHL_, regIX, regIY,
                        regPC, regSP, regI})
    z80ex_set_reg(board.cpu, reg, 0);
  for (long steps = 0; !z80ex_doing_halt(board.cpu) && steps < 50'000'000; ++steps)
    z80ex_step(board.cpu);
  std::string output;
  for (auto [port, value] : board.portWrites)
    if (port == kOutputPort) output += static_cast<char>(value);
  return output;
}

std::string Hex(const std::string& bytes) {
  std::string text;
  for (unsigned char b : bytes)
    text += platform::Hex(b, 2) + " ";
  return text;
}

// Images 0 to 2 are raw ones, which between them cover every template
// several times with different states; image 3 is the CP/M program, whose
// records are those of a raw image with the same seed.
class Exerciser : public ::testing::TestWithParam<int> {};

TEST_P(Exerciser, KavrinCliLeavesTheReferenceStates) {
  const int number = GetParam();
  const bool cpm = number == 3;
  const int count = cpm ? testing::kMaxCpmExerciserRecords : testing::kMaxExerciserRecords;
  const std::size_t first = cpm ? 0 : static_cast<std::size_t>(number * count);
  const unsigned seed = 0x5EED0000u + static_cast<unsigned>(number);
  ASSERT_GT(Templates().size(), 600u); // every documented instruction but the port ones
  const testing::ExerciserImage image = BuildExerciserImage(first, count, seed);
  const std::string expected = RunOnZ80ex(image.bytes);
  // The reference itself must have run every record to the HALT.
  ASSERT_EQ(expected.size(), static_cast<std::size_t>(image.count * kStateLength));
  const std::vector<std::uint8_t> run =
      cpm ? BuildExerciserImage(first, count, seed, Console::Bdos).bytes : image.bytes;
  testing::TempDir dir;
  const std::string path = dir.Image(cpm ? "EXERCISE.COM" : "exerciser.rom",
                                     {run.begin() + (cpm ? kCpmDriver : 0), run.end()});
  const testing::CliResult r =
      testing::RunCli({"run", path, "--max-steps", "200000000"}, "", false, 240);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out.size(), expected.size());
  int mismatches = 0;
  for (int i = 0; i < image.count; ++i) {
    const std::size_t at = static_cast<std::size_t>(i * kStateLength);
    const std::string want = expected.substr(at, kStateLength);
    const std::string got = r.out.substr(std::min(r.out.size(), at), kStateLength);
    const std::uint8_t* instruction = image.Instruction(i);
    if (got != want && ++mismatches <= 10)
      ADD_FAILURE() << "record " << i << ", instruction " << Hex({instruction, instruction + 4})
                    << "\nstate  " << Hex(got) << "\nz80ex  " << Hex(want)
                    << "\n(IY IX HL DE BC AF SP, low byte first, then the memory area)";
  }
  EXPECT_EQ(mismatches, 0);
}

INSTANTIATE_TEST_SUITE_P(Images, Exerciser, ::testing::Values(0, 1, 2, 3));

} // namespace
} // namespace kavrin
