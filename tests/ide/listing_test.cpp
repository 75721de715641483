// Listing files (NAME.LST) as velkor-cli asm --list and build --list write them.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>
#include <sstream>

#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

using kit_test::RunProgram;
using kit_test::TestDir;

// An include file, a macro, an external call, a six-byte DB and words that
// the linker relocates by the code and by the data start.
const char* kMain = " EXTERN PRINT\r\n"
                    " GLOBAL START\r\n"
                    " INCLUDE DEFS.INC\r\n"
                    "TWICE MACRO X\r\n"
                    " LD A,X\r\n"
                    " ADD A,X\r\n"
                    " MACEND\r\n"
                    "START: LD SP,0FFFFH\r\n"
                    " CALL PRINT\r\n"
                    " TWICE 5\r\n"
                    " LD HL,MSG\r\n"
                    " JR START\r\n"
                    " DB 1,2,3,4,5,6\r\n"
                    " DATA\r\n"
                    "COUNT: DS 2\r\n"
                    " CODE\r\n"
                    "MSG: DB 'HI',0\r\n"
                    " LD (COUNT),HL\r\n"
                    " END\r\n";
const char* kDefs = " NOP\r\n LD BC,1234H\r\n";
// Its code and data starts differ, so a byte relocated by the wrong one shows.
const char* kPrint = " GLOBAL PRINT\r\n"
                     " DATA\r\n"
                     "BUF: DS 4\r\n"
                     " CODE\r\n"
                     "PRINT: LD A,(HL)\r\n"
                     " LD (BUF+1),A\r\n"
                     " LD (BUF),A\r\n"
                     " RET\r\n"
                     " END\r\n";

std::string BuildWithListing(const TestDir& dir) {
  dir.Write("MAIN.Mac", kMain);
  dir.Write("DEFS.INC", kDefs);
  dir.Write("PRINT.Mac", kPrint);
  EXPECT_EQ(
      RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "--no-rtl", "MAIN.Mac", "PRINT.Mac"})
          .status,
      0);
  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj", "--list", "--map"});
  EXPECT_EQ(built.status, 0) << built.out << built.err;
  return TestDir::Read(dir.Path() + "MAIN.LST");
}

TEST(Listing, ShowsLinesBytesIncludesMacrosAndLabels) {
  TestDir dir;
  const std::string listing = BuildWithListing(dir);
  // Encodings checked by hand against the Z80 tables.
  for (const char* expected : {
           "    3 C 0000                     INCLUDE DEFS.INC\r\n"
           "; INCLUDE DEFS.INC\r\n"
           "    1 C 0000  00              =  NOP\r\n"
           "    2 C 0001  01  34  12      =  LD BC,1234H\r\n"
           "; END DEFS.INC\r\n",
           "    8 C 0004  31  FF  FF        START: LD SP,0FFFFH\r\n"
           "    9 C 0007  CD  ??  ??         CALL PRINT\r\n"
           "   10 C 000A                     TWICE 5\r\n"
           "   10 C 000A  3E  05          +  LD A,5\r\n"
           "   10 C 000C  C6  05          +  ADD A,5\r\n"
           "   11 C 000E  21  19' 00'        LD HL,MSG\r\n"
           "   12 C 0011  18  ??             JR START\r\n"
           "   13 C 0013  01  02  03  04     DB 1,2,3,4,5,6\r\n"
           "      C 0017  05  06\r\n",
           "   15 D 0000                    COUNT: DS 2\r\n",
           "   18 C 001C  22  00\" 00\"        LD (COUNT),HL\r\n",
           "; Labels\r\n"
           "COUNT            D 0000\r\n"
           "MSG              C 0019\r\n"
           "PRINT            extern\r\n"
           "START            C 0004  global\r\n",
       }) {
    EXPECT_NE(listing.find(expected), std::string::npos) << expected << "\nin\n" << listing;
  }
}

struct ModuleBases {
  std::uint32_t code = 0;
  std::uint32_t data = 0;
};

// " 00000H 0001FH    31  0000H 0002H     2  MAIN.RRO"
std::map<std::string, ModuleBases> ModulesOfMap(const std::string& map) {
  std::map<std::string, ModuleBases> modules;
  const std::regex row(
      R"(^ ([0-9A-F]+)H [0-9A-F]+H +\d+  ([0-9A-F]{4})H [0-9A-F]{4}H +\d+  (\S+)\.RRO$)");
  std::istringstream lines(map);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_match(line, m, row))
      modules[m[3]] = {static_cast<std::uint32_t>(std::stoul(m[1], nullptr, 16)),
                       static_cast<std::uint32_t>(std::stoul(m[2], nullptr, 16))};
  }
  return modules;
}

// Places every code byte of a listing into `image` at the module's bases, as
// the linker would; bytes only the linker computes are left alone. Returns
// how many bytes were placed.
std::size_t PlaceListedCode(const std::string& listing, ModuleBases bases,
                            std::vector<std::uint8_t>& image) {
  std::size_t placed = 0;
  const std::regex head(R"(^(?: {5}|[ \d]{5}) C ([0-9A-F]{4})  )");
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, head)) continue;
    std::uint32_t at = bases.code + static_cast<std::uint32_t>(std::stoul(m[1], nullptr, 16));
    for (std::size_t column = 14; column + 2 < line.size() && column < 30; column += 4, ++at) {
      const std::string hex = line.substr(column, 2);
      if (hex == "  " || hex == "??") {
        if (hex == "??") continue;
        break;
      }
      std::uint32_t value = std::stoul(hex, nullptr, 16);
      const char mark = line[column + 2];
      // A relocated word: its low byte carries the base's carry into the high byte.
      if (mark == '\'' || mark == '"') {
        const std::uint32_t base = mark == '\'' ? bases.code : bases.data;
        const bool low = column + 6 < line.size() && line[column + 6] == mark;
        const std::uint32_t next = low ? std::stoul(line.substr(column + 4, 2), nullptr, 16) : 0;
        EXPECT_TRUE(low) << "a relocated word split over two lines: " << line;
        const std::uint32_t word = (value | next << 8) + base;
        image.at(at) = static_cast<std::uint8_t>(word);
        image.at(at + 1) = static_cast<std::uint8_t>(word >> 8);
        column += 4;
        ++at;
        placed += 2;
        continue;
      }
      image.at(at) = static_cast<std::uint8_t>(value);
      ++placed;
    }
  }
  return placed;
}

TEST(Listing, BytesPlacedAtTheMapsModuleBasesGiveTheImage) {
  TestDir dir;
  BuildWithListing(dir);
  const std::map<std::string, ModuleBases> modules =
      ModulesOfMap(TestDir::Read(dir.Path() + "P.MAP"));
  ASSERT_EQ(modules.size(), 2u);
  ASSERT_NE(modules.at("PRINT").code, 0u);
  ASSERT_NE(modules.at("PRINT").data, 0u);
  const std::string rom = TestDir::Read(dir.Path() + "P.ROM");
  const std::vector<std::uint8_t> expected(rom.begin(), rom.end());
  // Bytes the linker computes come from the image itself; all others from the listings.
  std::vector<std::uint8_t> image = expected;
  std::size_t placed = 0;
  for (const auto& [name, bases] : modules)
    placed += PlaceListedCode(TestDir::Read(dir.Path() + name + ".LST"), bases, image);
  // Of 39 image bytes, five the linker computes: an external word, a JR, BUF+1.
  EXPECT_EQ(placed, 34u);
  EXPECT_EQ(image, expected);
}

TEST(Listing, AsmWritesItOnlyWhenAsked) {
  TestDir dir;
  BuildWithListing(dir);
  const std::string fromBuild = TestDir::Read(dir.Path() + "PRINT.LST");
  std::filesystem::remove(dir.Path() + "PRINT.LST");
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"asm", "PRINT.Mac"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "PRINT.LST"));
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"asm", "PRINT.Mac", "--list"}).status, 0);
  EXPECT_EQ(TestDir::Read(dir.Path() + "PRINT.LST"), fromBuild);
}

// The .Mac of a listed build carries the Pascal lines, even where the
// project leaves them out.
TEST(Listing, PascalLinesStandBesideTheirCode) {
  TestDir dir;
  dir.Write("Hello.Pas", "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72);\r\nEND.\r\n");
  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"new", "P.Prj", "Hello.Pas"}).status, 0);
  std::string prj = TestDir::Read(dir.Path() + "P.Prj");
  const std::size_t key = prj.find("IncludePAS=1");
  ASSERT_NE(key, std::string::npos) << prj;
  prj.replace(key, 12, "IncludePAS=0");
  dir.Write("P.Prj", prj);

  ASSERT_EQ(RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj"}).status, 0);
  EXPECT_EQ(TestDir::Read(dir.Path() + "Hello.Mac").find("OUT($80, 72)"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Hello.LST"));

  const auto built = RunProgram(dir.Path(), "velkor-cli", {"build", "P.Prj", "--list"});
  ASSERT_EQ(built.status, 0) << built.out << built.err;
  const std::string listing = TestDir::Read(dir.Path() + "Hello.LST");
  // The statement's code, then its Pascal line.
  const std::size_t code = listing.find("C 0003  3E  48            \tld a,72\r\n");
  ASSERT_NE(code, std::string::npos) << listing;
  EXPECT_NE(listing.find("C 0007                    ;  OUT($80, 72);\r\n", code), std::string::npos)
      << listing;
}

} // namespace
} // namespace velkor
