// What each statement leaves in the object stream, byte for byte.
#include "asm_test_support.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

using Bytes = std::vector<std::uint8_t>;

// "17 00 00 'EXT'": hex bytes, and counted strings between quotes.
Bytes Stream(std::string_view text) {
  Bytes out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\'') {
      const std::size_t end = text.find('\'', i + 1);
      out.push_back(static_cast<std::uint8_t>(end - i - 1));
      out.insert(out.end(), text.begin() + i + 1, text.begin() + end);
      i = end;
    } else if (text[i] != ' ') {
      out.push_back(
          static_cast<std::uint8_t>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
      ++i;
    }
  }
  return out;
}

using namespace std::string_view_literals;

TEST(RecordStream, EachStatementIsWrittenByteForByte) {
  const std::pair<const char*, std::string_view> cases[] = {
      {"X NOP\n", "17 00 00 01 00"sv},
      {" LD HL,B1\nA1: NOP\nB1: NOP\n", "01 21 15 01 00 17 00 00 01 00 17 01 00 01 00"sv},
      {" DATA\nD1: DW D1\n", "08 00 00 00 00 18 00 00 16 00 00"sv},
      {" DW 1,$\n", "03 01 00 15 FD FF"sv},
      {" LD DE,$+6\n", "01 11 09 '\x02\x00"
                       "65535+6'"sv},
      {" EXTERN EXT\n CALL EXT\n LD A,EXT\n", "01 CD 05 02 'EXT' 01 3E 05 01 'EXT'"sv},
      {"Q EQU 5\n LD BC,Q\n CP Q\n", "0B 'Q' '5+0' 01 01 0C 02 'Q' 01 FE 0C 01 'Q'"sv},
      {" GLOBAL Q\nQ EQU 1+2\n", "04 00 00 00 00 '\x01\xFFQ' 0B 'Q' '1+2+0'"sv},
      {" GLOBAL L1\nL1: RET\n", "17 00 00 04 00 00 00 00 'L1' 01 C9"sv},
      {" EXTERN E1\nQ EQU 2\nL1: LD HL,E1+L1*Q-'A'\n", "0B 'Q' '2+0' 17 01 00 01 21 09 '\x01\x02"
                                                       "E1+\x02\x00"
                                                       "1*\x03\x01Q-065'"sv},
      {"L1: NOP\n DJNZ L1+1\n", "17 00 00 F1 00 10 1C 00 '\x02\x00"
                                "0+1'"sv},
      {" LD A,(IX-0)\n LD (IY+7FH),5\n BIT 3,(IX-2*2)\n",
       "02 DD 7E 01 00 02 FD 36 F1 7F 05 02 DD CB F1 FC 5E"sv},
      {" DB 'DON''T',0\n", "F5 44 4F 4E 27 54 00"sv},
      {" DB 'Ab c\n", "F3 41 62 20 63"sv},
      {" db 'aB'\n", "F1 61 42"sv},
      {"L1: DB L1,$\n", "17 00 00 0A '\x02\x00"
                        "0' 0A '\x02\x00"
                        "65535-1'"sv},
      {" DB 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n",
       "FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 01 11"sv},
      {" DS 10\n DS N1\nN1 EQU 4\n", "1E 00 03 0A 00 1E 00 00 'N1' 0B 'N1' '4+0'"sv},
      {" DATA\n DB 1\n CODE\n", "08 00 00 00 00 01 01 07 00 00 00 00"sv},
      {" ORG 8000H,LOADNEXT\n", "80 00 00 80 FF FF FF FF"sv},
      {" ORG 0,12345H\n", "80 00 00 00 45 23 01 00"sv},
      {" NOP\nL1: NOP\n ORG L1\n", "01 00 17 00 00 01 00 80 01 00 00 01 00 00 00"sv},
      {" LINK CODEADD,DATAADD,100H,8000H\n", "81 00 00 00 81 00 01 00 01 01 00 80"sv},
      {" IFTRUE 1\n ENDIF\n IFZERO 0\n ENDIF\n", "19 03 01 00 1B 1A 03 00 00 1B"sv},
      {" GLOBAL A1,B1\n IFREF A1,B1\n ENDIF\nA1: NOP\nB1: NOP\n",
       "21 'A1' 22 'B1' 23 1B 17 00 00 04 00 00 00 00 'A1' 01 00 17 01 00 04 01 00 00 00 'B1' 01 00"sv},
      {" LOAD 10000H,'Font.bin'\n RUN 'tool'\n RUNWHENDONE DONE\n",
       "11 00 00 01 00 'Font.bin' 12 'tool' 13 'DONE'"sv},
      {" LOADREF P1\n DREF P1\n", "1F 'P1' 20 'P1'"sv},
      {" COUNT 2\n SIZECOUNTERZERO 2\n NOP\n NOP\n STORESIZE 2,SZ\n DWSIZE SZ\n",
       "F1 00 00 24 03 00 'SZ' 25 'SZ'"sv},
      {" DSSIZE 3\n COUNT 3\n NOP\n NOP\n NOP\n STORELARGER 3\n", "1E 00 03 04 00 F2 00 00 00"sv},
      {" ORGMARK 1\n ORGRESUME 32\n LOADMARK 2\n LOADRESUME 3\n", "26 00 27 1F 28 01 29 02"sv},
      {" MEMERROR 8000H,'Too big'\n MEMLOADERROR 40000H,FULL\n",
       "2C 00 80 'Too big' 2D 00 00 04 'FULL'"sv},
      {" REPORT X,123,'size'\n", "2E 03 7B 00 'size'"sv},
      {"LOADR MACRO REG,VAL\n LD REG,VAL\n MACEND\n LOADR B,7\n LOADR (HL),0\n",
       "F3 06 07 36 00"sv},
      {"T MACRO S\n DB S\n MACEND\n T \"'A B'\"\n", "F2 41 20 42"sv},
      {" NOP\n END\n HALT\n", "01 00"sv},
      {"; text\n\n   ; more\n NOP ; trailing\n\tNOP;x\n", "F1 00 00"sv},
      // Label indexes follow name order: ALPHA 0, MID 1, ZED 2.
      {" EXTERN MID\nZED: NOP\nALPHA: NOP\n DW ZED,ALPHA\n",
       "17 02 00 01 00 17 00 00 01 00 15 02 00 15 00 00"sv},
      // A macro body's bytes count only where it is expanded.
      {"M MACRO\n DW 1,2,3\n MACEND\n NOP\nL1: JR L1\n", "01 00 17 00 00 01 18 1D 00 00 00"sv},
  };
  for (const auto& [source, stream] : cases) {
    const auto a = test::assemble(source);
    ASSERT_TRUE(a.ok()) << source << ": " << a.errorLines();
    EXPECT_EQ(test::hexBytes(a.stream()), test::hexBytes(Stream(stream))) << source;
  }
}

// A DB list is assembled to its last byte however long its line.
TEST(RecordStream, LongDbLinesAssembleEveryByte) {
  std::string line = " DB 0";
  std::vector<std::uint8_t> expected = {0};
  while (line.size() < 10'000) {
    expected.push_back(static_cast<std::uint8_t>(expected.size() % 10));
    line += "," + std::to_string(expected.back());
  }
  const test::Assembled a = test::assemble(line + "\n");
  ASSERT_TRUE(a.ok()) << a.errorLines();
  EXPECT_EQ(test::placedBytes(a.result.image), expected);
}

} // namespace
} // namespace velkor
