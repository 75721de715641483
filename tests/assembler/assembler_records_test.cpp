// What each statement leaves in the object stream, byte for byte.
#include "asm_test_support.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes str(std::string_view s) {
  Bytes b{static_cast<std::uint8_t>(s.size())};
  b.insert(b.end(), s.begin(), s.end());
  return b;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts)
    out.insert(out.end(), p.begin(), p.end());
  return out;
}

struct StreamCase {
  const char* name;
  const char* source;
  Bytes stream;
};

class RecordStream : public testing::TestWithParam<StreamCase> {};

TEST_P(RecordStream, IsWrittenByteForByte) {
  const auto a = test::assemble(GetParam().source);
  ASSERT_TRUE(a.ok()) << a.errorMessage();
  EXPECT_EQ(test::hexBytes(a.stream()), test::hexBytes(GetParam().stream))
      << test::recordListing(a.result.image);
}

using namespace std::string_literals;
const std::string kDollar = "\x02\x00"
                            "65535"s;

INSTANTIATE_TEST_SUITE_P(
    Statements, RecordStream,
    testing::Values(
        StreamCase{"LabelDefinition", "X: NOP\n", {0x17, 0, 0, 0x01, 0x00}},
        StreamCase{"LabelWithoutColon", "X NOP\n", {0x17, 0, 0, 0x01, 0x00}},
        StreamCase{"LabelWord",
                   " LD HL,B1\nA1: NOP\nB1: NOP\n",
                   {0x01, 0x21, 0x15, 0x01, 0x00, 0x17, 0x00, 0x00, 0x01, 0x00, 0x17, 0x01, 0x00,
                    0x01, 0x00}},
        StreamCase{"DataLabel", " DATA\nD1: DW D1\n", {0x08, 0, 0, 0, 0, 0x18, 0, 0, 0x16, 0, 0}},
        StreamCase{"DollarWordAtOperand", " LD HL,$\n", {0x01, 0x21, 0x15, 0xFE, 0xFF}},
        StreamCase{"DollarWordsInDw", " DW 1,$\n", {0x03, 0x01, 0x00, 0x15, 0xFD, 0xFF}},
        StreamCase{"DollarInExpression", " LD DE,$+6\n",
                   cat({{0x01, 0x11, 0x09}, str(kDollar + "+6")})},
        StreamCase{
            "ExternalWordAndByte", " EXTERN EXT\n CALL EXT\n LD A,EXT\n",
            cat({{0x01, 0xCD, 0x05, 0x02}, str("EXT"), {0x01, 0x3E, 0x05, 0x01}, str("EXT")})},
        StreamCase{"EquateReferences", "Q EQU 5\n LD BC,Q\n CP Q\n",
                   cat({{0x0B},
                        str("Q"),
                        str("5+0"),
                        {0x01, 0x01, 0x0C, 0x02},
                        str("Q"),
                        {0x01, 0xFE, 0x0C, 0x01},
                        str("Q")})},
        StreamCase{"GlobalEquate", " GLOBAL Q\nQ EQU 1+2\n",
                   cat({{0x04, 0x00, 0x00, 0x00, 0x00},
                        str("\x01\xFFQ"),
                        {0x0B},
                        str("Q"),
                        str("1+2+0")})},
        StreamCase{"GlobalLabel", " GLOBAL L1\nL1: RET\n",
                   cat({{0x17, 0, 0, 0x04, 0, 0, 0, 0}, str("L1"), {0x01, 0xC9}})},
        StreamCase{"ExpressionOperands", " EXTERN E1\nQ EQU 2\nL1: LD HL,E1+L1*Q-'A'\n",
                   cat({{0x0B},
                        str("Q"),
                        str("2+0"),
                        {0x17, 0x01, 0x00, 0x01, 0x21, 0x09},
                        str("\x01\x02"
                            "E1+\x02\x00"
                            "1*\x03\x01Q-065"s)})},
        StreamCase{"ByteExpression", " LD A,(1+2)*3\n", cat({{0x01, 0x3E, 0x0A}, str("(1+2)*3")})},
        StreamCase{"AbsoluteExpressionStaysText", " DW 2*3\n", cat({{0x09}, str("2*3")})},
        StreamCase{
            "RelativeToLabel", "L1: JR L1\n", {0x17, 0, 0, 0x01, 0x18, 0x1D, 0x00, 0x00, 0x00}},
        StreamCase{"RelativeExpression", "L1: NOP\n DJNZ L1+1\n",
                   cat({{0x17, 0, 0, 0xF1, 0x00, 0x10, 0x1C, 0x00},
                        str("\x02\x00"
                            "0+1"s)})},
        StreamCase{"RelativeOffsets",
                   " JR +2\n JR $\n JR -126\n JR 129\n JR NC,+10\n",
                   {0xF9, 0x18, 0x00, 0x18, 0xFE, 0x18, 0x80, 0x18, 0x7F, 0x30, 0x08}},
        StreamCase{"IndexOffsets",
                   " LD A,(IX-0)\n LD (IY+7FH),5\n BIT 3,(IX-2*2)\n",
                   {0x02, 0xDD, 0x7E, 0x01, 0x00, 0x02, 0xFD, 0x36, 0xF1, 0x7F, 0x05, 0x02, 0xDD,
                    0xCB, 0xF1, 0xFC, 0x5E}},
        StreamCase{"OpcodePairs", " NEG\n LD A,I\n", {0x02, 0xED, 0x44, 0x02, 0xED, 0x57}},
        StreamCase{"DbText", " DB 'DON''T',0\n", {0xF5, 'D', 'O', 'N', '\'', 'T', 0x00}},
        StreamCase{"DbCharacterAndQuote", " DB 'A','''',7\n", {0xF2, 'A', 0x27, 7}},
        StreamCase{"DbUnterminatedText", " DB 'Ab c\n", {0xF3, 'A', 'b', ' ', 'c'}},
        StreamCase{"DbCaseKeptInQuotes", " db 'aB'\n", {0xF1, 'a', 'B'}},
        StreamCase{"DbLabelByte", "L1: DB L1,$\n",
                   cat({{0x17, 0, 0, 0x0A},
                        str("\x02\x00"
                            "0"s),
                        {0x0A},
                        str(kDollar + "-1")})},
        StreamCase{"Seventeen",
                   " DB 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17\n",
                   {0xFF, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0x01, 17}},
        StreamCase{"Ds", " DS 10\n DS N1\nN1 EQU 4\n",
                   cat({{0x1E, 0x00, 0x03, 0x0A, 0x00, 0x1E, 0x00, 0x00},
                        str("N1"),
                        {0x0B},
                        str("N1"),
                        str("4+0")})},
        StreamCase{
            "CodeData", " DATA\n DB 1\n CODE\n", {0x08, 0, 0, 0, 0, 0x01, 1, 0x07, 0, 0, 0, 0}},
        StreamCase{"OrgNumber", " ORG 100H\n", {0x80, 0, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00}},
        StreamCase{
            "OrgLoadNext", " ORG 8000H,LOADNEXT\n", {0x80, 0, 0x00, 0x80, 0xFF, 0xFF, 0xFF, 0xFF}},
        StreamCase{"OrgLoadAddress", " ORG 0,12345H\n", {0x80, 0, 0, 0, 0x45, 0x23, 0x01, 0x00}},
        StreamCase{"OrgLabel",
                   " NOP\nL1: NOP\n ORG L1\n",
                   {0x01, 0x00, 0x17, 0x00, 0x00, 0x01, 0x00, 0x80, 1, 0x00, 0x00, 0x01, 0, 0, 0}},
        StreamCase{"Link",
                   " LINK CODEADD,DATAADD,100H,8000H\n",
                   {0x81, 0, 0x00, 0x00, 0x81, 0, 0x01, 0x00, 0x01, 0x01, 0x00, 0x80}},
        StreamCase{"IfTrueFalse",
                   " IFTRUE 1\n ENDIF\n IFZERO 0\n ENDIF\n",
                   {0x19, 0x03, 0x01, 0x00, 0x1B, 0x1A, 0x03, 0x00, 0x00, 0x1B}},
        StreamCase{"IfRef", " GLOBAL A1,B1\n IFREF A1,B1\n ENDIF\nA1: NOP\nB1: NOP\n",
                   cat({{0x21},
                        str("A1"),
                        {0x22},
                        str("B1"),
                        {0x23, 0x1B, 0x17, 0, 0, 0x04, 0, 0, 0, 0},
                        str("A1"),
                        {0x01, 0x00, 0x17, 1, 0, 0x04, 1, 0, 0, 0},
                        str("B1"),
                        {0x01, 0x00}})},
        StreamCase{"LoadRunFiles", " LOAD 10000H,'Font.bin'\n RUN 'tool'\n RUNWHENDONE DONE\n",
                   cat({{0x11, 0x00, 0x00, 0x01, 0x00},
                        str("Font.bin"),
                        {0x12},
                        str("tool"),
                        {0x13},
                        str("DONE")})},
        StreamCase{"LoadRefDref", " LOADREF P1\n DREF P1\n",
                   cat({{0x1F}, str("P1"), {0x20}, str("P1")})},
        StreamCase{"SizeCounters",
                   " COUNT 2\n SIZECOUNTERZERO 2\n NOP\n NOP\n STORESIZE 2,SZ\n DWSIZE SZ\n",
                   cat({{0xF1, 0, 0, 0x24, 0x03, 0x00}, str("SZ"), {0x25}, str("SZ")})},
        StreamCase{"DsSizeUsesPassOneLarger",
                   " DSSIZE 3\n COUNT 3\n NOP\n NOP\n NOP\n STORELARGER 3\n",
                   {0x1E, 0x00, 0x03, 0x04, 0x00, 0xF2, 0, 0, 0}},
        StreamCase{"Marks",
                   " ORGMARK 1\n ORGRESUME 32\n LOADMARK 2\n LOADRESUME 3\n",
                   {0x26, 0, 0x27, 31, 0x28, 1, 0x29, 2}},
        StreamCase{
            "MemErrors", " MEMERROR 8000H,'Too big'\n MEMLOADERROR 40000H,FULL\n",
            cat({{0x2C, 0x00, 0x80}, str("Too big"), {0x2D, 0x00, 0x00, 0x04}, str("FULL")})},
        StreamCase{"Report", " REPORT X,123,'size'\n", cat({{0x2E, 0x03, 123, 0}, str("size")})},
        StreamCase{"MacroExpansion",
                   "LOADR MACRO REG,VAL\n LD REG,VAL\n MACEND\n LOADR B,7\n LOADR (HL),0\n",
                   {0xF3, 0x06, 0x07, 0x36, 0x00}},
        StreamCase{"MacroQuotedArgument",
                   "T MACRO S\n DB S\n MACEND\n T \"'A B'\"\n",
                   {0xF2, 'A', ' ', 'B'}},
        StreamCase{"EndStopsTheSource", " NOP\n END\n HALT\n", {0x01, 0x00}},
        StreamCase{"CommentsAndBlankLines",
                   "; text\n\n   ; more\n NOP ; trailing\n\tNOP;x\n",
                   {0xF1, 0x00, 0x00}}),
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
