#include "common/project.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

TEST(Project, TargetsAndCpus) {
  const char* const sizes[] = {"2K", "4K", "8K", "16K", "32K", "64K", "128K", "256K"};
  for (int target = 2; target <= 9; ++target) {
    EXPECT_EQ(TargetDescription(target), std::string(sizes[target - 2]) + " target device");
    EXPECT_EQ(TargetRomSize(target), std::size_t{512} << target);
  }
  EXPECT_EQ(TargetRomSize(1), 0u) << "CP/M";
  EXPECT_EQ(TargetDescription(10), "Invalid device");
  EXPECT_EQ(TargetIndex("cp/m"), 1);
  EXPECT_EQ(TargetIndex("512K"), std::nullopt);
  EXPECT_EQ(CpuDescription(-1), "No Selection");
  EXPECT_EQ(CpuIndex("z180"), 1);
  for (const char* good : {"/w/MAIN.PAS", "x.EpS"})
    EXPECT_TRUE(IsMainFileName(good)) << good;
  for (const char* bad : {"Main.Mac", "Main.Pasx", "/w.pas/Main"})
    EXPECT_FALSE(IsMainFileName(bad)) << bad;
}

TEST(Project, PrjPathFindsTheFileWhateverItsCase) {
  kit_test::TestDir dir;
  Project p = NewProject(dir.Path(), "demo");
  EXPECT_EQ(p.PrjPath(), dir.Path() + "demo.Prj") << "no file yet";
  dir.Write("DEMO.PRJ", "[General]\n");
  EXPECT_EQ(p.PrjPath(), dir.Path() + "DEMO.PRJ");
}

// Files of the project directory are kept by their bare names, once.
TEST(Project, FileListEdits) {
  Project p = NewProject("/w/demo");
  EXPECT_EQ(p.ProjectItems,
            (std::vector<std::string>{"Project1", "/w/demo/", "No target device", "Z80 CPU"}));
  for (const char* f : {"/w/demo/A.Mac", "/w/demo/B.Pas", "/other/C.RRO", "\\w\\demo\\D.Mac"})
    EXPECT_TRUE(p.AddFile(f)) << f;
  EXPECT_FALSE(p.AddFile("/w/demo/A.Mac"));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"A.Mac", "B.Pas", "/other/C.RRO", "D.Mac"}));
  EXPECT_EQ(p.FilePath(0), "/w/demo/A.Mac");
  const auto before = p.ProjectItems;
  EXPECT_FALSE(p.SwapFiles(0, 4) || p.MoveFile(4, 0) || p.MoveFile(0, 4) || p.RemoveFile(4));
  EXPECT_EQ(p.ProjectItems, before) << "out-of-range positions change nothing";
  ASSERT_TRUE(p.SwapFiles(0, 2));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"/other/C.RRO", "B.Pas", "A.Mac", "D.Mac"}));
  ASSERT_TRUE(p.MoveFile(3, 0));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"D.Mac", "/other/C.RRO", "B.Pas", "A.Mac"}));
  ASSERT_TRUE(p.RemoveFile(1));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"D.Mac", "B.Pas", "A.Mac"}));
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + kFirstFileItem, p.ProjectItems.begin()));
}

} // namespace
} // namespace velkor
