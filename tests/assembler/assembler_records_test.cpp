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

struct StreamCase {
  const char* name;
  const char* source;
  std::string_view stream; // as Stream() reads it
};

class RecordStream : public testing::TestWithParam<StreamCase> {};

TEST_P(RecordStream, IsWrittenByteForByte) {
  const auto a = test::assemble(GetParam().source);
  ASSERT_TRUE(a.ok()) << a.errorMessage();
  EXPECT_EQ(test::hexBytes(a.stream()), test::hexBytes(Stream(GetParam().stream)))
      << test::recordListing(a.result.image);
}

using namespace std::string_view_literals;

INSTANTIATE_TEST_SUITE_P(
    Statements, RecordStream,
    testing::Values(
        StreamCase{"LabelDefinition", "X: NOP\n", "17 00 00 01 00"sv},
        StreamCase{"LabelWithoutColon", "X NOP\n", "17 00 00 01 00"sv},
        StreamCase{"LabelWord", " LD HL,B1\nA1: NOP\nB1: NOP\n",
                   "01 21 15 01 00 17 00 00 01 00 17 01 00 01 00"sv},
        StreamCase{"DataLabel", " DATA\nD1: DW D1\n", "08 00 00 00 00 18 00 00 16 00 00"sv},
        StreamCase{"DollarWordAtOperand", " LD HL,$\n", "01 21 15 FE FF"sv},
        StreamCase{"DollarWordsInDw", " DW 1,$\n", "03 01 00 15 FD FF"sv},
        StreamCase{"DollarInExpression", " LD DE,$+6\n",
                   "01 11 09 '\x02\x00"
                   "65535+6'"sv},
        StreamCase{"ExternalWordAndByte", " EXTERN EXT\n CALL EXT\n LD A,EXT\n",
                   "01 CD 05 02 'EXT' 01 3E 05 01 'EXT'"sv},
        StreamCase{"EquateReferences", "Q EQU 5\n LD BC,Q\n CP Q\n",
                   "0B 'Q' '5+0' 01 01 0C 02 'Q' 01 FE 0C 01 'Q'"sv},
        StreamCase{"GlobalEquate", " GLOBAL Q\nQ EQU 1+2\n",
                   "04 00 00 00 00 '\x01\xFFQ' 0B 'Q' '1+2+0'"sv},
        StreamCase{"GlobalLabel", " GLOBAL L1\nL1: RET\n", "17 00 00 04 00 00 00 00 'L1' 01 C9"sv},
        StreamCase{"ExpressionOperands", " EXTERN E1\nQ EQU 2\nL1: LD HL,E1+L1*Q-'A'\n",
                   "0B 'Q' '2+0' 17 01 00 01 21 09 '\x01\x02"
                   "E1+\x02\x00"
                   "1*\x03\x01Q-065'"sv},
        StreamCase{"ByteExpression", " LD A,(1+2)*3\n", "01 3E 0A '(1+2)*3'"sv},
        StreamCase{"AbsoluteExpressionStaysText", " DW 2*3\n", "09 '2*3'"sv},
        StreamCase{"RelativeToLabel", "L1: JR L1\n", "17 00 00 01 18 1D 00 00 00"sv},
        StreamCase{"RelativeExpression", "L1: NOP\n DJNZ L1+1\n",
                   "17 00 00 F1 00 10 1C 00 '\x02\x00"
                   "0+1'"sv},
        StreamCase{"RelativeOffsets", " JR +2\n JR $\n JR -126\n JR 129\n JR NC,+10\n",
                   "F9 18 00 18 FE 18 80 18 7F 30 08"sv},
        StreamCase{"IndexOffsets", " LD A,(IX-0)\n LD (IY+7FH),5\n BIT 3,(IX-2*2)\n",
                   "02 DD 7E 01 00 02 FD 36 F1 7F 05 02 DD CB F1 FC 5E"sv},
        StreamCase{"OpcodePairs", " NEG\n LD A,I\n", "02 ED 44 02 ED 57"sv},
        StreamCase{"DbText", " DB 'DON''T',0\n", "F5 44 4F 4E 27 54 00"sv},
        StreamCase{"DbCharacterAndQuote", " DB 'A','''',7\n", "F2 41 27 07"sv},
        StreamCase{"DbUnterminatedText", " DB 'Ab c\n", "F3 41 62 20 63"sv},
        StreamCase{"DbCaseKeptInQuotes", " db 'aB'\n", "F1 61 42"sv},
        StreamCase{"DbLabelByte", "L1: DB L1,$\n",
                   "17 00 00 0A '\x02\x00"
                   "0' 0A '\x02\x00"
                   "65535-1'"sv},
        StreamCase{"Seventeen", " DB 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n",
                   "FF 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 01 11"sv},
        StreamCase{"Ds", " DS 10\n DS N1\nN1 EQU 4\n",
                   "1E 00 03 0A 00 1E 00 00 'N1' 0B 'N1' '4+0'"sv},
        StreamCase{"CodeData", " DATA\n DB 1\n CODE\n", "08 00 00 00 00 01 01 07 00 00 00 00"sv},
        StreamCase{"OrgNumber", " ORG 100H\n", "80 00 00 01 00 01 00 00"sv},
        StreamCase{"OrgLoadNext", " ORG 8000H,LOADNEXT\n", "80 00 00 80 FF FF FF FF"sv},
        StreamCase{"OrgLoadAddress", " ORG 0,12345H\n", "80 00 00 00 45 23 01 00"sv},
        StreamCase{"OrgLabel", " NOP\nL1: NOP\n ORG L1\n",
                   "01 00 17 00 00 01 00 80 01 00 00 01 00 00 00"sv},
        StreamCase{"Link", " LINK CODEADD,DATAADD,100H,8000H\n",
                   "81 00 00 00 81 00 01 00 01 01 00 80"sv},
        StreamCase{"IfTrueFalse", " IFTRUE 1\n ENDIF\n IFZERO 0\n ENDIF\n",
                   "19 03 01 00 1B 1A 03 00 00 1B"sv},
        StreamCase{
            "IfRef", " GLOBAL A1,B1\n IFREF A1,B1\n ENDIF\nA1: NOP\nB1: NOP\n",
            "21 'A1' 22 'B1' 23 1B 17 00 00 04 00 00 00 00 'A1' 01 00 17 01 00 04 01 00 00 00 'B1' 01 00"sv},
        StreamCase{"LoadRunFiles", " LOAD 10000H,'Font.bin'\n RUN 'tool'\n RUNWHENDONE DONE\n",
                   "11 00 00 01 00 'Font.bin' 12 'tool' 13 'DONE'"sv},
        StreamCase{"LoadRefDref", " LOADREF P1\n DREF P1\n", "1F 'P1' 20 'P1'"sv},
        StreamCase{"SizeCounters",
                   " COUNT 2\n SIZECOUNTERZERO 2\n NOP\n NOP\n STORESIZE 2,SZ\n DWSIZE SZ\n",
                   "F1 00 00 24 03 00 'SZ' 25 'SZ'"sv},
        StreamCase{"DsSizeUsesPassOneLarger",
                   " DSSIZE 3\n COUNT 3\n NOP\n NOP\n NOP\n STORELARGER 3\n",
                   "1E 00 03 04 00 F2 00 00 00"sv},
        StreamCase{"Marks", " ORGMARK 1\n ORGRESUME 32\n LOADMARK 2\n LOADRESUME 3\n",
                   "26 00 27 1F 28 01 29 02"sv},
        StreamCase{"MemErrors", " MEMERROR 8000H,'Too big'\n MEMLOADERROR 40000H,FULL\n",
                   "2C 00 80 'Too big' 2D 00 00 04 'FULL'"sv},
        StreamCase{"Report", " REPORT X,123,'size'\n", "2E 03 7B 00 'size'"sv},
        StreamCase{"MacroExpansion",
                   "LOADR MACRO REG,VAL\n LD REG,VAL\n MACEND\n LOADR B,7\n LOADR (HL),0\n",
                   "F3 06 07 36 00"sv},
        StreamCase{"MacroQuotedArgument", "T MACRO S\n DB S\n MACEND\n T \"'A B'\"\n",
                   "F2 41 20 42"sv},
        StreamCase{"EndStopsTheSource", " NOP\n END\n HALT\n", "01 00"sv},
        StreamCase{"CommentsAndBlankLines", "; text\n\n   ; more\n NOP ; trailing\n\tNOP;x\n",
                   "F1 00 00"sv}),
    [](const testing::TestParamInfo<StreamCase>& info) { return std::string(info.param.name); });

TEST(RecordStream, LabelOnlyLineAndColumnOneRule) {
  // A blank first character means no label: X is then the mnemonic.
  EXPECT_EQ(test::assemble(" X\n").errorLines(), "Syntax error| X");
  const auto a = test::assemble("X:\n");
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(test::hexBytes(a.stream()), "17 00 00");
}

TEST(RecordStream, SymbolNamesOnlyWithSymbolOutput) {
  asmsrc::AssemblySettings settings;
  settings.symbolOutput = true;
  const auto on = test::assemble("Here: NOP\n", settings);
  EXPECT_EQ(test::hexBytes(on.stream()), "17 00 00 2A 04 48 45 52 45 01 00");
  const auto off = test::assemble("Here: NOP\n");
  EXPECT_EQ(test::hexBytes(off.stream()), "17 00 00 01 00");
}

// A DB list is assembled to its last byte however long its line: 255, 256
// and 10,000 characters.
TEST(RecordStream, LongDbLinesAssembleEveryByte) {
  for (const std::size_t length : {255u, 256u, 10'000u}) {
    std::string line = " DB 1";
    std::vector<std::uint8_t> expected = {1};
    while (line.size() + 2 <= length) {
      const std::uint8_t value = static_cast<std::uint8_t>(expected.size() % 10);
      line += "," + std::to_string(value);
      expected.push_back(value);
    }
    if (line.size() < length) line.insert(4, 1, ' ');
    ASSERT_EQ(line.size(), length);
    const test::Assembled a = test::assemble(line + "\n");
    ASSERT_TRUE(a.ok()) << a.errorLines();
    EXPECT_EQ(test::placedBytes(a.result.image), expected) << length;
  }
}

TEST(RecordStream, EmptySourceGivesTheNineByteFile) {
  for (const char* source : {"", " END\n", "; only a comment\n"}) {
    const auto a = test::assemble(source);
    ASSERT_TRUE(a.ok());
    EXPECT_EQ(test::hexBytes(a.result.image), "52 52 4F 01 07 00 00 00 00") << source;
  }
}

TEST(RecordStream, NumbersInEverySpelling) {
  for (const char* n : {"0FFH", "255D", "255", "11111111B", "$FF", "FFH", "'\xFF'"}) {
    const auto a = test::assemble(std::string(" LD A,") + n + "\n");
    ASSERT_TRUE(a.ok()) << n;
    EXPECT_EQ(test::hexBytes(a.stream()), "F1 3E FF") << n;
  }
}

TEST(RecordStream, LabelIndexesFollowNameOrder) {
  const auto a = test::assemble(" EXTERN MID\nZED: NOP\nALPHA: NOP\n DW ZED,ALPHA\n");
  ASSERT_TRUE(a.ok());
  // ALPHA 0, MID 1, ZED 2.
  EXPECT_EQ(test::hexBytes(a.stream()), "17 02 00 01 00 17 00 00 01 00 15 02 00 15 00 00");
}

TEST(RecordStream, DollarAsByteAndMacroBodyIsSilent) {
  const auto a = test::assemble("M MACRO\n DB 1,2,3\n MACEND\n NOP\n");
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(test::hexBytes(a.stream()), "01 00");
}

TEST(RecordStream, LabelsAfterAMacroDefinitionKeepTheirPlace) {
  // The body's bytes count only where it is expanded.
  const auto a = test::assemble("M MACRO\n DW 1,2,3\n MACEND\n NOP\nL1: JR L1\n");
  ASSERT_TRUE(a.ok());
  EXPECT_EQ(test::hexBytes(a.stream()), "01 00 17 00 00 01 18 1D 00 00 00");
  EXPECT_TRUE(test::assemble("M MACRO\n DS 1\n MACEND\nL1: DW 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
                             "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"
                             "0,0,0,0,0,0,0,0,0,0,0,0,0\n JR L1\n")
                  .ok());
}

TEST(RecordStream, WriteListGivesDefinitionText) {
  const auto a = test::assemble("L1: NOP\n WRITE 255,MAX\n WRITE L1+2*3,AT\n WRITE $,HERE\n");
  ASSERT_TRUE(a.ok()) << a.errorMessage();
  ASSERT_EQ(a.result.writeList.size(), 3u);
  EXPECT_EQ(DefinitionFileText(a.result.writeList),
            "MAX:\tEQU\t00FFH\r\nAT:\tEQU\t0006H\r\nHERE:\tEQU\t0001H\r\n");
}

TEST(RecordStream, BranchRangeLimitsAreExact) {
  // 126 bytes back is the farthest backward label; 127 is out of range.
  std::string words126 = " DB 0";
  for (int i = 1; i < 125; ++i)
    words126 += ",0";
  const auto near = test::assemble("L1: NOP\n" + words126 + "\n JR L1\n");
  EXPECT_TRUE(near.ok()) << near.errorMessage();
  const auto beyond = test::assemble("L1: NOP\n" + words126 + ",0\n JR L1\n");
  EXPECT_EQ(beyond.result.error.number, 20);
  // Forward: a target 129 bytes after the start is the limit (2 + 127 bytes).
  std::string fwd = " DB 0";
  for (int i = 1; i < 100; ++i)
    fwd += ",0";
  fwd += "\n DB 0";
  for (int i = 1; i < 27; ++i)
    fwd += ",0";
  EXPECT_TRUE(test::assemble(" JR L2\n" + fwd + "\nL2: NOP\n").ok());
  EXPECT_EQ(test::assemble(" JR L2\n" + fwd + ",0\nL2: NOP\n").result.error.number, 20);
}

} // namespace
} // namespace velkor
