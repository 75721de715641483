// Listing files (NAME.LST) as velkor-cli asm --list and build --list write them.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "tests/ide/cli_support.h"

namespace velkor {
namespace {

using namespace velkor_test;

// An include file, a macro, an external call, a six-byte DB and words that
// the linker relocates by the code (') and by the data start (").
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

TEST(Listing, ShowsLinesBytesIncludesMacrosAndLabels) {
  TestDir dir;
  dir.Write("MAIN.Mac", kMain);
  dir.Write("DEFS.INC", kDefs);
  dir.Write("PRINT.Mac", kPrint);
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "--no-rtl", "MAIN.Mac", "PRINT.Mac"}));
  ASSERT_TRUE(Ok(dir, {"build", "P.Prj", "--list"}));
  const std::string listing = TestDir::Read(dir.Path() + "MAIN.LST");
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
  // velkor-cli asm writes the same listing, only when asked.
  const std::string fromBuild = TestDir::Read(dir.Path() + "PRINT.LST");
  std::filesystem::remove(dir.Path() + "PRINT.LST");
  ASSERT_TRUE(Ok(dir, {"asm", "PRINT.Mac"}));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "PRINT.LST"));
  ASSERT_TRUE(Ok(dir, {"asm", "PRINT.Mac", "--list"}));
  EXPECT_EQ(TestDir::Read(dir.Path() + "PRINT.LST"), fromBuild);
}

// The .Mac of a listed build carries the Pascal lines, even where the
// project leaves them out.
TEST(Listing, PascalLinesStandBesideTheirCode) {
  TestDir dir;
  dir.Write("Hello.Pas", "PROGRAM Hello;\r\nBEGIN\r\n  OUT($80, 72);\r\nEND.\r\n");
  ASSERT_TRUE(Ok(dir, {"new", "P.Prj", "Hello.Pas"}));
  dir.Write("P.Prj", std::regex_replace(TestDir::Read(dir.Path() + "P.Prj"),
                                        std::regex("IncludePAS=1"), "IncludePAS=0"));

  ASSERT_TRUE(Ok(dir, {"build", "P.Prj"}));
  EXPECT_EQ(TestDir::Read(dir.Path() + "Hello.Mac").find("OUT($80, 72)"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "Hello.LST"));

  ASSERT_TRUE(Ok(dir, {"build", "P.Prj", "--list"}));
  const std::string listing = TestDir::Read(dir.Path() + "Hello.LST");
  // The statement's code, then its Pascal line.
  const std::size_t code = listing.find("C 0003  3E  48            \tld a,72\r\n");
  ASSERT_NE(code, std::string::npos) << listing;
  EXPECT_NE(listing.find("C 0007                    ;  OUT($80, 72);\r\n", code), std::string::npos)
      << listing;
}

} // namespace
} // namespace velkor
