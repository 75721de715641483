#include "platform/big_buffer.h"

#include <gtest/gtest.h>

#include <utility>

namespace platform {
namespace {

constexpr std::size_t kMiB = std::size_t{1} << 20;

// Every kind of growth (heap, heap to mapping, mapping to a larger one) and a
// move must keep the bytes asked for.
TEST(BigBuffer, GrowthAndMovesKeepTheBytesAskedFor) {
  const auto pattern = [](std::size_t i) { return static_cast<char>(i * 7 + 3); };
  BigBuffer b;
  b.Resize(1000, 0);
  for (std::size_t i = 0; i < 1000; ++i)
    b.data()[i] = pattern(i);
  b.Resize(3 * kMiB, 1000); // onto a mapping
  b.Resize(9 * kMiB, 600);  // a larger mapping, keeping only the first 600
  ASSERT_GE(b.capacity(), 9 * kMiB);
  b.data()[9 * kMiB - 1] = 'z'; // the whole capacity is writable
  BigBuffer moved(std::move(b));
  EXPECT_EQ(b.data(), nullptr);
  EXPECT_EQ(b.capacity(), 0u);
  for (std::size_t i = 0; i < 600; ++i)
    ASSERT_EQ(moved.data()[i], pattern(i)) << i;
  EXPECT_EQ(moved.data()[9 * kMiB - 1], 'z');
}

} // namespace
} // namespace platform
