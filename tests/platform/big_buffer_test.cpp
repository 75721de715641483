#include "platform/big_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace platform {
namespace {

// Writes a pattern over the first n bytes and checks it later: every kind of
// growth (heap, heap to mapping, mapping to a larger one) must keep the bytes.
void Fill(BigBuffer& b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    b.data()[i] = static_cast<char>(i * 7 + 3);
}
bool Holds(const BigBuffer& b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (b.data()[i] != static_cast<char>(i * 7 + 3)) return false;
  return true;
}

TEST(BigBuffer, GrowthKeepsTheBytesAskedFor) {
  BigBuffer b;
  EXPECT_EQ(b.capacity(), 0u);
  b.Resize(1000, 0);
  ASSERT_GE(b.capacity(), 1000u);
  Fill(b, 1000);
  b.Resize(500, 1000); // smaller: nothing changes
  EXPECT_TRUE(Holds(b, 1000));
  b.Resize(std::size_t{3} << 20, 1000); // onto a mapping
  ASSERT_GE(b.capacity(), std::size_t{3} << 20);
  EXPECT_TRUE(Holds(b, 1000));
  Fill(b, std::size_t{3} << 20);
  b.Resize(std::size_t{9} << 20, std::size_t{3} << 20); // a larger mapping
  ASSERT_GE(b.capacity(), std::size_t{9} << 20);
  EXPECT_TRUE(Holds(b, std::size_t{3} << 20));
  b.data()[(std::size_t{9} << 20) - 1] = 'z'; // the whole capacity is writable
  EXPECT_EQ(b.data()[(std::size_t{9} << 20) - 1], 'z');
}

TEST(BigBuffer, OnlyTheKeptPartIsCopied) {
  BigBuffer b;
  b.Resize(64, 0);
  Fill(b, 64);
  b.Resize(std::size_t{4} << 20, 16);
  EXPECT_TRUE(Holds(b, 16));
}

TEST(BigBuffer, MovesHandOverTheMemory) {
  BigBuffer a;
  a.Resize(std::size_t{2} << 20, 0);
  Fill(a, 4096);
  BigBuffer b(std::move(a));
  EXPECT_EQ(a.data(), nullptr);
  EXPECT_EQ(a.capacity(), 0u);
  EXPECT_TRUE(Holds(b, 4096));
  BigBuffer c;
  c.Resize(10, 0);
  c = std::move(b);
  EXPECT_TRUE(Holds(c, 4096));
  EXPECT_EQ(b.capacity(), 0u);
}

} // namespace
} // namespace platform
