#include "common/project.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

struct TargetCase {
  int index;
  const char* description;
  std::size_t romSize;
};

class Targets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(Targets, DescriptionAndSize) {
  EXPECT_EQ(TargetDescription(GetParam().index), GetParam().description);
  EXPECT_EQ(TargetRomSize(GetParam().index), GetParam().romSize);
}

INSTANTIATE_TEST_SUITE_P(
    All, Targets,
    ::testing::Values(
        TargetCase{0, "No target device", 0}, TargetCase{1, "CP/M target device", 0},
        TargetCase{2, "2K target device", 2048}, TargetCase{3, "4K target device", 4096},
        TargetCase{4, "8K target device", 8192}, TargetCase{5, "16K target device", 16384},
        TargetCase{6, "32K target device", 32768}, TargetCase{7, "64K target device", 65536},
        TargetCase{8, "128K target device", 131072}, TargetCase{9, "256K target device", 262144},
        TargetCase{10, "Invalid device", 0}, TargetCase{-1, "Invalid device", 0}));

TEST(Project, CpuDescriptionsAndNames) {
  EXPECT_EQ(CpuDescription(0), "Z80 CPU");
  EXPECT_EQ(CpuDescription(1), "Z180 CPU");
  EXPECT_EQ(CpuDescription(2), "No Selection");
  EXPECT_EQ(CpuDescription(-1), "No Selection");
  EXPECT_EQ(CpuIndex("z180"), 1);
  EXPECT_EQ(CpuIndex("Z80"), 0);
  EXPECT_EQ(CpuIndex("8080"), std::nullopt);
  EXPECT_EQ(TargetIndex("cp/m"), 1);
  EXPECT_EQ(TargetIndex("256k"), 9);
  EXPECT_EQ(TargetIndex("None"), 0);
  EXPECT_EQ(TargetIndex("512K"), std::nullopt);
}

TEST(Project, MainFileRule) {
  for (const char* good : {"Main.Pas", "/w/MAIN.PAS", "lib.eps", "x.EpS"})
    EXPECT_TRUE(IsMainFileName(good)) << good;
  for (const char* bad : {"Main.Mac", "Main", "Main.Pasx", "Main.Pa", "/w.pas/Main", "A.RRO"})
    EXPECT_FALSE(IsMainFileName(bad)) << bad;
}

Project Sample() {
  Project p = NewProject("/w/demo");
  for (const char* f : {"/w/demo/A.Mac", "/w/demo/B.Pas", "/other/C.RRO", "/w/demo/D.Mac"})
    p.AddFile(f);
  return p;
}

TEST(Project, NewProjectItems) {
  Project p = NewProject("/w/demo");
  EXPECT_EQ(p.ProjectItems,
            (std::vector<std::string>{"Project1", "/w/demo/", "No target device", "Z80 CPU"}));
  EXPECT_EQ(p.PrjPath(), "/w/demo/Project1.Prj");
  EXPECT_EQ(p.FileCount(), 0u);
  p.SetTarget(9);
  p.SetCpu(1);
  EXPECT_EQ(p.ProjectItems[kItemTarget], "256K target device");
  EXPECT_EQ(p.ProjectItems[kItemCpu], "Z180 CPU");
}

TEST(Project, PrjPathFindsTheFileWhateverItsCase) {
  kit_test::TestDir dir;
  Project p = NewProject(dir.Path(), "demo");
  EXPECT_EQ(p.PrjPath(), dir.Path() + "demo.Prj") << "no file yet";
  dir.Write("DEMO.PRJ", "[General]\n");
  EXPECT_EQ(p.PrjPath(), dir.Path() + "DEMO.PRJ");
}

TEST(Project, AddStoresBareNamesForTheProjectDirectoryOnce) {
  Project p = Sample();
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"A.Mac", "B.Pas", "/other/C.RRO", "D.Mac"}));
  EXPECT_FALSE(p.AddFile("/w/demo/A.Mac"));
  EXPECT_FALSE(p.AddFile("/other/C.RRO"));
  EXPECT_TRUE(p.AddFile("/w/demo/sub/A.Mac"));
  EXPECT_TRUE(p.AddFile("\\w\\demo\\E.Mac"));
  EXPECT_EQ(p.Files().back(), "E.Mac");
  EXPECT_EQ(p.FilePath(0), "/w/demo/A.Mac");
  EXPECT_EQ(p.FilePath(2), "/other/C.RRO");
  EXPECT_EQ(p.FilePath(4), "/w/demo/sub/A.Mac");
}

TEST(Project, SwapFirstAndThirdChangesOnlyThem) {
  Project p = Sample();
  const auto header = Sample().ProjectItems;
  ASSERT_TRUE(p.SwapFiles(0, 2));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"/other/C.RRO", "B.Pas", "A.Mac", "D.Mac"}));
  EXPECT_TRUE(std::equal(header.begin(), header.begin() + kFirstFileItem, p.ProjectItems.begin()));
}

TEST(Project, MoveAndRemove) {
  Project p = Sample();
  ASSERT_TRUE(p.MoveFile(3, 0));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"D.Mac", "A.Mac", "B.Pas", "/other/C.RRO"}));
  ASSERT_TRUE(p.MoveFile(0, 3));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"A.Mac", "B.Pas", "/other/C.RRO", "D.Mac"}));
  ASSERT_TRUE(p.RemoveFile(1));
  EXPECT_EQ(p.Files(), (std::vector<std::string>{"A.Mac", "/other/C.RRO", "D.Mac"}));
  EXPECT_EQ(p.ProjectItems.size(), 7u);
}

TEST(Project, OutOfRangePositionsChangeNothing) {
  Project p = Sample();
  auto before = p.ProjectItems;
  EXPECT_FALSE(p.SwapFiles(0, 4));
  EXPECT_FALSE(p.SwapFiles(7, 1));
  EXPECT_FALSE(p.MoveFile(4, 0));
  EXPECT_FALSE(p.MoveFile(0, 4));
  EXPECT_FALSE(p.RemoveFile(4));
  EXPECT_FALSE(p.RemoveFile(static_cast<std::size_t>(-1)));
  EXPECT_EQ(p.ProjectItems, before);
}

} // namespace
} // namespace velkor
