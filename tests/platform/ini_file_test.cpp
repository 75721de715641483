#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
  IniFile ini;
  ini.Parse("; written by hand\r\n[General]\r\nTarget=6\r\n  cpu = 1  \r\nTarget=3\r\n"
            "garbage line\r\nName=a=b\r\n\r\n[ sources ]\r\nSource1=Main.Pas\r\n"
            "[General]\r\nLate=1\r\n");
  EXPECT_EQ(ini.ReadInteger("general", "TARGET", 0), 6) << "the first of two keys counts";
  EXPECT_EQ(ini.ReadInteger("General", "CPU", 0), 1) << "blanks around key and value";
  EXPECT_EQ(ini.ReadString("General", "Name", ""), "a=b");
  EXPECT_EQ(ini.ReadString("Sources", "source1", ""), "Main.Pas");
  EXPECT_EQ(ini.ReadString("General", "Late", ""), "1") << "a repeated section adds to the first";
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"General", "sources"}));
  EXPECT_EQ(ini.Keys("General"), (std::vector<std::string>{"Target", "cpu", "Name", "Late"}));
}

// A value that is not a number (or not a truth word) gives the fallback.
TEST(IniFile, IntegersAndTruthValuesOrTheFallback) {
  constexpr int kFallback = -77;
  const struct {
    const char* value;
    int integer;
    int truth; // kFallback: the fallback
  } cases[] = {{"0", 0, 0},
               {"-5", -5, 1},
               {"$1F", 31, 1},
               {"-2147483648", INT32_MIN, 1},
               {"2147483648", kFallback, kFallback},
               {"", kFallback, kFallback},
               {"True", kFallback, 1},
               {"FALSE", kFallback, 0},
               {"yes", kFallback, kFallback}};
  for (const auto& c : cases) {
    IniFile ini;
    ini.Parse(std::string("[S]\nK=") + c.value + "\n");
    EXPECT_EQ(ini.ReadInteger("S", "K", kFallback), c.integer) << c.value;
    for (const bool fallback : {false, true})
      EXPECT_EQ(ini.ReadBool("S", "K", fallback), c.truth == kFallback ? fallback : c.truth == 1)
          << c.value;
  }
}

TEST(IniFile, RewritingKeepsOrderAndUnknownLines) {
  IniFile ini;
  ini.Parse("top comment\n[A]\n; note\nX=1\nY=2\n[B]\nZ=3\n");
  ini.WriteString("a", "x", "5");
  ini.WriteInteger("C", "Target", 3);
  ini.WriteBool("C", "WriteSym", true);
  ini.DeleteKey("A", "Y");
  ini.EraseSection("b");
  ini.WriteString("C", "Name", "one\ntwo"); // a value cannot break the line
  EXPECT_EQ(ini.ToText(),
            "top comment\n\n[A]\n; note\nX=5\n\n[C]\nTarget=3\nWriteSym=1\nName=one two\n");
}

// A save and a load round trip in the project file tests; here, the failures.
TEST(IniFile, FailedSaveAndLoadSaySo) {
  kit_test::TestDir dir;
  IniFile ini;
  std::string error;
  EXPECT_FALSE(ini.Save(dir.Path() + "missing-dir/x.ini", error));
  EXPECT_FALSE(ini.Load(dir.Path() + "none.ini", error));
  EXPECT_NE(error.find("none.ini"), std::string::npos);
}

} // namespace
} // namespace platform
