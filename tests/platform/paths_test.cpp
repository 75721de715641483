#include "platform/paths.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

struct PartsCase {
  const char* path;
  const char* directory;
  const char* name;
  const char* extension;
  const char* asRro;
};

class PathParts : public ::testing::TestWithParam<PartsCase> {};

TEST_P(PathParts, SplitsAndChangesExtension) {
  const auto& c = GetParam();
  EXPECT_EQ(DirectoryPart(c.path), c.directory);
  EXPECT_EQ(FileNamePart(c.path), c.name);
  EXPECT_EQ(ExtensionPart(c.path), c.extension);
  EXPECT_EQ(ChangeExtension(c.path, ".RRO"), c.asRro);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, PathParts,
    ::testing::Values(PartsCase{"Main.Pas", "", "Main.Pas", ".Pas", "Main.RRO"},
                      PartsCase{"/w/p/Main.Pas", "/w/p/", "Main.Pas", ".Pas", "/w/p/Main.RRO"},
                      PartsCase{"/w/p.d/Main", "/w/p.d/", "Main", "", "/w/p.d/Main.RRO"},
                      PartsCase{"a.b.Mac", "", "a.b.Mac", ".Mac", "a.b.RRO"},
                      PartsCase{"/w/", "/w/", "", "", "/w/.RRO"}));

TEST(Paths, NormalizesBackslashes) {
  EXPECT_EQ(NormalizeSeparators("Lib\\Sub\\IO.RRO"), "Lib/Sub/IO.RRO");
  EXPECT_EQ(NormalizeSeparators("a/b"), "a/b");
}

TEST(Paths, AbsoluteDirectoryEndsInSlash) {
  EXPECT_EQ(AbsoluteDirectory("/w/x/../y"), "/w/y/");
  EXPECT_EQ(AbsolutePath("/w/./x//A.Mac"), "/w/x/A.Mac");
  EXPECT_EQ(AbsolutePath("A.Mac").front(), '/');
}

TEST(Paths, FindsNamesWithoutRegardToCase) {
  kit_test::TestDir dir;
  dir.Write("Io.RRO", "x");
  dir.Write("Lib/Default/Heap.rro", "y");
  EXPECT_EQ(FindCaseInsensitive(dir.Path(), "Io.RRO"), dir.Path() + "Io.RRO");
  EXPECT_EQ(FindCaseInsensitive(dir.Path(), "IO.rro"), dir.Path() + "Io.RRO");
  EXPECT_EQ(FindCaseInsensitive(dir.Path(), "none.rro"), std::nullopt);
  EXPECT_EQ(FindCaseInsensitive(dir.Path() + "LIB/default/HEAP.RRO"),
            dir.Path() + "Lib/Default/Heap.rro");
  EXPECT_EQ(FindCaseInsensitive(dir.Path() + "Lib/Default/Heap.rro"),
            dir.Path() + "Lib/Default/Heap.rro");
  EXPECT_EQ(FindCaseInsensitive(dir.Path() + "LIB/nothing/HEAP.RRO"), std::nullopt);
  EXPECT_EQ(FindCaseInsensitive(dir.Path() + "missing-dir", "x"), std::nullopt);
}

TEST(Paths, ProgramDirectoryIsWhereTheTestRuns) {
  EXPECT_EQ(ProgramDirectory(), AbsoluteDirectory(KIT_BIN_DIR));
}

TEST(Paths, SettingsBesideAWritableProgramDirectory) {
  kit_test::TestDir dir;
  EXPECT_EQ(SettingsFilePathFor(dir.Path(), "Velkor.ini", "/xdg", "/home/u"),
            dir.Path() + "Velkor.ini");
}

TEST(Paths, SettingsUnderXdgWhenProgramDirectoryIsNotWritable) {
  const std::string unwritable = "/nonexistent-kit-dir/bin/";
  EXPECT_EQ(SettingsFilePathFor(unwritable, "Velkor.ini", "/xdg", "/home/u"),
            "/xdg/velkor/Velkor.ini");
  EXPECT_EQ(SettingsFilePathFor(unwritable, "Kavrin.ini", "", "/home/u"),
            "/home/u/.config/kavrin/Kavrin.ini");
  EXPECT_EQ(SettingsFilePathFor(unwritable, "Kavrin.ini", nullptr, "/home/u"),
            "/home/u/.config/kavrin/Kavrin.ini");
}

TEST(Paths, MakeDirectories) {
  kit_test::TestDir dir;
  EXPECT_TRUE(MakeDirectories(dir.Path() + "a/b/c"));
  EXPECT_TRUE(DirectoryWritable(dir.Path() + "a/b/c"));
  std::string file = dir.Write("plain", "x");
  EXPECT_FALSE(MakeDirectories(file + "/sub"));
}

} // namespace
} // namespace platform
