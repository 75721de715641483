#include "common/object_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "tests/platform/test_dir.h"

namespace velkor {
namespace {

// One record of every layout; the reader gives back every field, and the dump
// spells each one out. Types that share a layout with one here (RUNWHENDONE,
// DREF, DWSIZE, EQUREF, LOADMARK, LABEL, NAME, LOADREF, the resumes) are read
// by the linker tests' sources.
std::vector<std::uint8_t> EveryRecordType() {
  std::string expr = "(";
  AppendExternalOperand(expr, "EXT");
  expr += "+";
  AppendLocalLabelOperand(expr, rro::SegmentData, 12);
  expr += ")*";
  AppendEquateOperand(expr, "EQ");
  const std::string_view ifrefNames[] = {"A", "BB", "CCC"};

  ObjectWriter w;
  w.beginPass();
  w.dataByte(0x11);
  w.flush();
  for (int i = 0; i < 5; ++i)
    w.dataByte(static_cast<std::uint8_t>(0xA0 + i));
  w.opcodePair(0xED, 0x4D);
  w.absoluteWord(0xBEEF);
  w.globalDefinition(7, Segment::Code, "GLOB");
  w.externalReference(1, "EXT");
  w.segmentSwitch(Segment::Data, 0x8000, 3, true);
  w.wordExpression(expr);
  w.byteExpression("1+2");
  w.equate("EQ", "5+0");
  w.loadFile(0x12345, "FONT.BIN");
  w.runProgram("tool");
  w.labelWord(Segment::Code, 3);
  w.ifTrue({rro::ValueExpression, expr, 0, 0});
  w.ifFalse({rro::ValueLocalLabel, {}, 9, rro::SegmentData});
  w.endIf();
  w.relativeExpression(Segment::Code, "10");
  w.relativeLabel(Segment::Data, 0x0102);
  w.reserveSpace(Segment::Data, {rro::ValueAbsolute, {}, 300, 0});
  w.ifReferenced(ifrefNames);
  w.storeSize(17, "SZ");
  w.orgMark(1);
  w.memoryError(0x4000, "too big");
  w.memoryLoadError(0x123456, "load too big"); // a load position keeps every digit
  w.report({rro::ValueEquateName, "EQ", 0, 0}, "size");
  w.origin(rro::OriginDataLabel, 6, rro::kLoadNext);
  w.linkPlacement({true, 0x0100}, {false, 0});
  return w.fileImage(true);
}

// Every record reads back; every proper prefix of a record, and a value of no
// known kind, is refused without reading past the end.
TEST(ObjectFile, EveryRecordTypeReadsBackAndEveryTruncationIsRefused) {
  const std::vector<std::uint8_t> full = EveryRecordType();
  ObjectReader reader(full);
  std::set<std::size_t> boundaries;
  std::string dump;
  Record r;
  std::string_view error;
  while (!reader.atEnd()) {
    boundaries.insert(reader.position());
    ASSERT_TRUE(reader.next(r, error)) << error << " at " << reader.position();
    dump += DescribeRecord(r) + "\n";
  }
  EXPECT_EQ(dump, R"(00004H 07H CODE 0000H 00H 00H
00009H 01H BYTE 11
0000BH F4H BYTES A0 A1 A2 A3 A4
00011H 02H OPCODE ED 4D
00014H 03H WORD BEEFH
00017H 04H GLOBAL 0007H 00H 00H "GLOB"
00021H 05H EXTERN 01H "EXT"
00027H 08H DATA 8000H 03H 01H
0002CH 09H EXPRWORD "(ext:EXT+lbl:data:12)*equ:EQ"
0003FH 0AH EXPRBYTE "1+2"
00044H 0BH EQU "EQ" "5+0"
0004CH 11H LOAD 00012345H "FONT.BIN"
0005AH 12H RUN "tool"
00060H 15H LABELWORD CODE 0003H
00063H 19H IFTRUE expr "(ext:EXT+lbl:data:12)*equ:EQ"
00077H 1AH IFFALSE label 9 data
0007CH 1BH ENDIF
0007DH 1CH JREXPR code "10"
00082H 1DH JRLABEL data 0102H
00086H 1EH DS data 012CH
0008BH 21H IFREF "A"
0008EH 22H IFREF+ "BB"
00092H 22H IFREF+ "CCC"
00097H 23H IFREF END
00098H 24H STORESIZE 0011H "SZ"
0009EH 26H ORGMARK 01H
000A0H 2CH MEMERROR 4000H "too big"
000ABH 2DH MEMLOADERROR 123456H "load too big"
000BCH 2EH REPORT equ "EQ" "size"
000C6H 80H ORG 02H 0006H FFFFFFFFH
000CEH 81H LINK 00H 0100H next
)");
  for (std::size_t cut = 10; cut < full.size(); ++cut) {
    // A fresh heap copy so that ASan sees any read past the cut.
    const std::vector<std::uint8_t> part(full.begin(),
                                         full.begin() + static_cast<std::ptrdiff_t>(cut));
    ObjectReader cutReader(part);
    bool failed = false;
    while (!failed && !cutReader.atEnd())
      failed = !cutReader.next(r, error);
    // Only a cut exactly between records may read cleanly.
    EXPECT_EQ(failed, boundaries.count(cut) == 0) << "cut " << cut;
    if (failed) EXPECT_EQ(error, kObjectContentsError);
  }
  const std::vector<std::uint8_t> badValueKind = {'R', 'R', 'O', 1, rro::IfTrue, 0x05, 0, 0};
  EXPECT_FALSE(ObjectReader(badValueKind).next(r, error));
  EXPECT_EQ(error, kObjectContentsError);
}

// The largest object a stream can give is accepted whole, one byte more is
// not. A missing object is named in the linker's failure test.
TEST(ObjectFile, OversizedFiles) {
  kit_test::TestDir dir;
  std::vector<std::uint8_t> bytes;
  std::string error;
  std::vector<std::uint8_t> big(kObjectFileLimit + 1, 0x03);
  big[0] = 'R', big[1] = 'R', big[2] = 'O', big[3] = 1;
  const std::string path = dir.Path() + "BIG.RRO";
  for (const std::size_t size : {kObjectFileLimit, kObjectFileLimit + 1}) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(big.data()), static_cast<std::streamsize>(size));
    const bool loaded = LoadObjectFile(path, bytes, error);
    EXPECT_EQ(loaded ? bytes.size() : 0, size == kObjectFileLimit ? size : 0) << size;
  }
  EXPECT_EQ(error, kObjectContentsError);
}

} // namespace
} // namespace velkor
