#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "tests/platform/test_dir.h"

namespace platform {
namespace {

const char* kSample = "; written by hand\r\n"
                      "[General]\r\n"
                      "Target=6\r\n"
                      "  cpu = 1  \r\n"
                      "Target=3\r\n"
                      "garbage line\r\n"
                      "Name=a=b\r\n"
                      "\r\n"
                      "[ sources ]\r\n"
                      "Source1=Main.Pas\r\n"
                      "[General]\r\n"
                      "Late=1\r\n";

TEST(IniFile, ReadsSectionsAndKeysWithoutRegardToCase) {
  IniFile ini;
  ini.Parse(kSample);
  EXPECT_EQ(ini.ReadInteger("general", "TARGET", 0), 6) << "the first of two keys counts";
  EXPECT_EQ(ini.ReadInteger("General", "CPU", 0), 1) << "blanks around key and value";
  EXPECT_EQ(ini.ReadString("General", "Name", ""), "a=b");
  EXPECT_EQ(ini.ReadString("Sources", "source1", ""), "Main.Pas");
  EXPECT_EQ(ini.ReadString("General", "Late", ""), "1") << "a repeated section adds to the first";
  EXPECT_EQ(ini.ReadString("General", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Nowhere", "Target", "dflt"), "dflt");
  EXPECT_EQ(ini.Sections(), (std::vector<std::string>{"General", "sources"}));
  EXPECT_EQ(ini.Keys("General"), (std::vector<std::string>{"Target", "cpu", "Name", "Late"}));
}

struct IntegerCase {
  const char* value;
  int expected;
};

class IniInteger : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniInteger, ParsesOrFallsBack) {
  IniFile ini;
  ini.Parse(std::string("[S]\nK=") + GetParam().value + "\n");
  EXPECT_EQ(ini.ReadInteger("S", "K", -77), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniInteger,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"42", 42}, IntegerCase{"-5", -5},
                      IntegerCase{"+7", 7}, IntegerCase{"$1F", 31}, IntegerCase{"0x10", 16},
                      IntegerCase{"2147483647", 2147483647}, IntegerCase{"-2147483648", INT32_MIN},
                      IntegerCase{"2147483648", -77}, IntegerCase{"99999999999999999999", -77},
                      IntegerCase{"", -77}, IntegerCase{"12abc", -77}, IntegerCase{"abc", -77},
                      IntegerCase{"-", -77}, IntegerCase{"$", -77}, IntegerCase{"1 2", -77},
                      IntegerCase{"--1", -77}));

struct BoolCase {
  const char* value;
  bool fallback;
  bool expected;
};

class IniBool : public ::testing::TestWithParam<BoolCase> {};

TEST_P(IniBool, ReadsNumbersAndWords) {
  IniFile ini;
  ini.Parse(std::string("[S]\nK=") + GetParam().value + "\n");
  EXPECT_EQ(ini.ReadBool("S", "K", GetParam().fallback), GetParam().expected) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, IniBool,
                         ::testing::Values(BoolCase{"1", false, true}, BoolCase{"0", true, false},
                                           BoolCase{"2", false, true}, BoolCase{"-1", false, true},
                                           BoolCase{"True", false, true},
                                           BoolCase{"FALSE", true, false},
                                           BoolCase{"yes", true, true},
                                           BoolCase{"yes", false, false},
                                           BoolCase{"", true, true}));

TEST(IniFile, MissingBoolTakesDefault) {
  IniFile ini;
  EXPECT_TRUE(ini.ReadBool("General", "IncludePAS", true));
  EXPECT_FALSE(ini.ReadBool("General", "IncludePAS", false));
}

TEST(IniFile, WritesInOrderAndReplacesValues) {
  IniFile ini;
  ini.WriteInteger("General", "Target", 3);
  ini.WriteBool("General", "WriteSym", true);
  ini.WriteString("Sources", "Source1", "A.Mac");
  ini.WriteInteger("general", "TARGET", 4);
  ini.WriteBool("General", "PasInSym", false);
  EXPECT_EQ(ini.ToText(),
            "[General]\nTarget=4\nWriteSym=1\nPasInSym=0\n\n[Sources]\nSource1=A.Mac\n");
}

TEST(IniFile, KeepsUnknownLinesWhenRewritten) {
  IniFile ini;
  ini.Parse("top comment\n[A]\n; note\nX=1\n[B]\nY=2\n");
  ini.WriteString("A", "X", "5");
  EXPECT_EQ(ini.ToText(), "top comment\n\n[A]\n; note\nX=5\n\n[B]\nY=2\n");
}

TEST(IniFile, ValueCannotBreakTheLine) {
  IniFile ini;
  ini.WriteString("A", "X", "one\ntwo");
  IniFile back;
  back.Parse(ini.ToText());
  EXPECT_EQ(back.ReadString("A", "X", ""), "one two");
  EXPECT_EQ(back.Keys("A").size(), 1u);
}

TEST(IniFile, EraseAndDelete) {
  IniFile ini;
  ini.Parse("[A]\nX=1\nY=2\n[B]\nZ=3\n");
  ini.DeleteKey("a", "x");
  ini.EraseSection("b");
  EXPECT_FALSE(ini.KeyExists("A", "X"));
  EXPECT_TRUE(ini.KeyExists("A", "Y"));
  EXPECT_FALSE(ini.SectionExists("B"));
}

TEST(IniFile, SaveAndLoadRoundTrip) {
  kit_test::TestDir dir;
  std::string path = dir.Path() + "Kavrin.ini";
  IniFile ini;
  ini.WriteString("Main", "LastFile", "/tmp/x y/OUT.ROM");
  ini.WriteInteger("Main", "Top", -20);
  std::string error;
  ASSERT_TRUE(ini.Save(path, error)) << error;
  IniFile back;
  ASSERT_TRUE(back.Load(path, error)) << error;
  EXPECT_EQ(back.ReadString("Main", "LastFile", ""), "/tmp/x y/OUT.ROM");
  EXPECT_EQ(back.ReadInteger("Main", "Top", 0), -20);
}

TEST(IniFile, LoadOfMissingFileIsAnError) {
  kit_test::TestDir dir;
  IniFile ini;
  std::string error;
  EXPECT_FALSE(ini.Load(dir.Path() + "none.ini", error));
  EXPECT_NE(error.find("none.ini"), std::string::npos);
}

TEST(IniFile, FailedSaveLeavesTheOldFile) {
  kit_test::TestDir dir;
  std::string path = dir.Write("sub/keep.ini", "[A]\nX=1\n");
  IniFile ini;
  ini.WriteString("A", "X", "2");
  std::string error;
  // A directory where the file should be: the rename must fail, the data stay.
  std::filesystem::create_directories(dir.Path() + "sub/blocked.ini/inner");
  dir.Write("sub/blocked.ini/inner/f", "data");
  EXPECT_FALSE(ini.Save(dir.Path() + "sub/blocked.ini", error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(kit_test::TestDir::Read(dir.Path() + "sub/blocked.ini/inner/f"), "data");
  EXPECT_FALSE(ini.Save(dir.Path() + "missing-dir/x.ini", error));
  EXPECT_EQ(kit_test::TestDir::Read(path), "[A]\nX=1\n");
  for (const auto& entry : std::filesystem::directory_iterator(dir.Path() + "sub")) {
    EXPECT_EQ(entry.path().filename().string().find(".kit-"), std::string::npos)
        << "temporary left behind";
  }
}

} // namespace
} // namespace platform
