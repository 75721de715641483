#include "simulator/session/loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "tests/platform/test_dir.h"

namespace kavrin {
namespace {

class LoaderTest : public ::testing::Test {
protected:
  std::filesystem::path File(const std::string& name, std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
      bytes[i] = static_cast<char>(i * 7 + 1);
    return dir_.Write(name, bytes);
  }
  kit_test::TestDir dir_;
  std::vector<std::uint8_t> memory_ = std::vector<std::uint8_t>(0x100000, 0xEE);
};

TEST_F(LoaderTest, FullMegabyteAtZeroStoresEveryByte) {
  const auto r = LoadImage(File("big.rom", 0x100000), 0, memory_);
  ASSERT_TRUE(r.ok);
  EXPECT_TRUE(r.message.empty());
  EXPECT_EQ(r.stored, 0x100000u);
  EXPECT_EQ(memory_[0xFFFFF], static_cast<std::uint8_t>(0xFFFFF * 7 + 1));
}

TEST_F(LoaderTest, BytesBeyondTheEndAreDroppedWithAWarning) {
  const auto r = LoadImage(File("three.rom", 3), 0xFFFFE, memory_);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.stored, 2u);
  EXPECT_EQ(memory_[0xFFFFE], 1);
  EXPECT_EQ(memory_[0xFFFFF], 8);
  EXPECT_EQ(memory_[0], 0xEE);
  EXPECT_EQ(r.message, "Only 2 of the 3 bytes of three.rom fit below 100000H");
  const auto over = LoadImage(File("over.rom", 0x100001), 0, memory_);
  EXPECT_TRUE(over.ok);
  EXPECT_EQ(over.stored, 0x100000u);
}

TEST_F(LoaderTest, MissingEmptyAndDirectoryChangeNothing) {
  const auto missing = LoadImage(dir_.Path() + "nope.rom", 0, memory_);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.message, "Cannot open file " + dir_.Path() + "nope.rom");
  const auto empty = LoadImage(File("empty.rom", 0), 0, memory_);
  EXPECT_FALSE(empty.ok);
  EXPECT_EQ(empty.message, "File " + dir_.Path() + "empty.rom is empty");
  EXPECT_FALSE(LoadImage(dir_.Path(), 0, memory_).ok);
  EXPECT_EQ(memory_[0], 0xEE);
}

TEST(LoadHistory, NewestFirstCaseInsensitiveAndAtMostFour) {
  LoadHistory h;
  h.Add("/p/a.rom", 0);
  h.Add("/p/b.rom", 0x100);
  h.Add("/P/A.ROM", 0x12340);
  ASSERT_EQ(h.Entries().size(), 2u);
  EXPECT_EQ(h.Entries()[0].path, "/P/A.ROM");
  EXPECT_EQ(h.Entries()[1].path, "/p/b.rom");
  h.Add("/p/c.rom", 1);
  h.Add("/p/d.rom", 2);
  h.Add("/p/e.rom", 3);
  ASSERT_EQ(h.Entries().size(), 4u);
  EXPECT_EQ(h.Entries()[3].path, "/P/A.ROM"); // b.rom, the oldest, dropped off
  EXPECT_EQ(h.MenuCaptions()[0], "&1 e.rom at 00003H");
  EXPECT_EQ(h.MenuCaptions()[3], "&4 A.ROM at 12340H");
}

} // namespace
} // namespace kavrin
