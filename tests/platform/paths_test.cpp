#include "platform/paths.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

TEST(Paths, SplitsNamesAndChangesExtensions) {
  const struct {
    const char* path;
    const char* directory;
    const char* name;
    const char* extension;
    const char* asRro;
  } cases[] = {{"Main.Pas", "", "Main.Pas", ".Pas", "Main.RRO"},
               {"/w/p.d/Main", "/w/p.d/", "Main", "", "/w/p.d/Main.RRO"},
               {"a.b.Mac", "", "a.b.Mac", ".Mac", "a.b.RRO"},
               {"/w/", "/w/", "", "", "/w/.RRO"}};
  for (const auto& c : cases) {
    EXPECT_EQ(DirectoryPart(c.path), c.directory) << c.path;
    EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    EXPECT_EQ(ExtensionPart(c.path), c.extension) << c.path;
    EXPECT_EQ(ChangeExtension(c.path, ".RRO"), c.asRro) << c.path;
  }
  EXPECT_EQ(NormalizeSeparators("Lib\\Sub\\IO.RRO"), "Lib/Sub/IO.RRO");
  EXPECT_EQ(AbsoluteDirectory("/w/x/../y"), "/w/y/");
}

// Settings live beside a writable program, else under XDG or ~/.config.
TEST(Paths, SettingsFileLocation) {
  kit_test::TestDir dir;
  EXPECT_EQ(SettingsFilePathFor(dir.Path(), "Velkor.ini", "/xdg", "/home/u"),
            dir.Path() + "Velkor.ini");
  const std::string unwritable = "/nonexistent-kit-dir/bin/";
  EXPECT_EQ(SettingsFilePathFor(unwritable, "Velkor.ini", "/xdg", "/home/u"),
            "/xdg/velkor/Velkor.ini");
  EXPECT_EQ(SettingsFilePathFor(unwritable, "Kavrin.ini", nullptr, "/home/u"),
            "/home/u/.config/kavrin/Kavrin.ini");
}

} // namespace
} // namespace platform
