// Both multiplication objects (shift-and-add for the Z80, MLT for the Z180)
// give the same low 16 and 32 bits as C++.

#include <gtest/gtest.h>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

class Multiply : public ::testing::TestWithParam<int> {};

TEST_P(Multiply, WordAndLongProducts) {
  CaseBatch batch;
  batch.program().cpu = GetParam();
  const std::uint16_t words[] = {0,   1,      2,      3,      10,     255,   256,
                                 257, 0x1234, 0x7FFF, 0x8000, 0xFFFF, 0xABCD};
  for (std::uint16_t a : words) {
    for (std::uint16_t b : words) {
      for (const char* routine : {"__mult16HLDE", "__Smult16HLDE"}) {
        std::uint16_t at = batch.Slot(2);
        batch.Code("ld hl," + Hex(a), "ld de," + Hex(b), std::string("call ") + routine,
                   "ld (" + std::to_string(at) + "),hl");
        batch.Expect(at, WordBytes(static_cast<std::uint16_t>(std::uint32_t{a} * b)),
                     std::string(routine) + " " + std::to_string(a) + "*" + std::to_string(b));
      }
    }
  }
  const std::uint32_t longs[] = {0,      1,          0xFFFFFFFF, 10,         0x10000,
                                 0xFFFF, 0x12345678, 0x80000000, 0x7FFFFFFF, 0xDEADBEEF};
  for (std::uint32_t a : longs) {
    for (std::uint32_t b : longs) {
      std::uint16_t at = batch.Slot(4);
      batch.PushLong(a);
      batch.PushLong(b);
      batch.Code("call __mult32");
      batch.PopLongTo(at);
      batch.Expect(at, LongBytes(a * b), "mult32 " + std::to_string(a) + "*" + std::to_string(b));
      batch.ExpectBalancedStack("mult32");
    }
  }
  batch.Run();
}

INSTANTIATE_TEST_SUITE_P(Cpus, Multiply, ::testing::Values(velkor::kCpuZ80, velkor::kCpuZ180),
                         [](const auto& info) {
                           return info.param == velkor::kCpuZ180 ? "Z180" : "Z80";
                         });

// The Z180 object uses MLT and is much shorter in executed instructions.
TEST(Multiply, Z180FormIsFaster) {
  std::uint64_t counts[2] = {0, 0};
  for (int cpu : {velkor::kCpuZ80, velkor::kCpuZ180}) {
    CaseBatch batch;
    batch.program().cpu = cpu;
    for (int i = 0; i < 50; ++i)
      batch.Code("ld hl,0ABCDH", "ld de,1234H", "call __mult16HLDE");
    counts[cpu] = batch.Run().instructions;
  }
  EXPECT_LT(counts[velkor::kCpuZ180] * 3, counts[velkor::kCpuZ80]);
}

} // namespace
} // namespace rtltest
