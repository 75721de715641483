#include "common/object_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>

namespace velkor {
namespace {

std::vector<std::uint8_t> streamOf(const std::function<void(ObjectWriter&)>& write) {
  ObjectWriter w;
  w.beginPass();
  write(w);
  w.flush();
  return w.stream();
}

std::vector<Record> readAll(const std::vector<std::uint8_t>& file) {
  ObjectReader reader(file);
  std::vector<Record> records;
  std::string_view error;
  while (!reader.atEnd()) {
    Record r;
    if (!reader.next(r, error)) {
      ADD_FAILURE() << "unexpected " << error << " at " << reader.position();
      break;
    }
    records.push_back(r);
  }
  return records;
}

TEST(ObjectWriter, EmptyPassGivesNineByteFile) {
  ObjectWriter w;
  w.beginPass();
  const std::vector<std::uint8_t> expected = {'R', 'R', 'O', 1, 0x07, 0, 0, 0, 0};
  EXPECT_EQ(w.fileImage(true), expected);
  EXPECT_EQ(w.fileImage(false)[3], 0);
}

TEST(ObjectWriter, DataBytesAreGroupedIntoRunsOfSixteen) {
  const auto stream = streamOf([](ObjectWriter& w) {
    for (int i = 0; i < 17; ++i)
      w.dataByte(static_cast<std::uint8_t>(i));
  });
  ASSERT_EQ(stream.size(), 5u + 17 + 2);
  EXPECT_EQ(stream[5], 0xFF);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(stream[6 + i], i);
  EXPECT_EQ(stream[22], 0x01);
  EXPECT_EQ(stream[23], 16);
}

TEST(ObjectWriter, RecordFlushesPendingRunFirst) {
  const auto stream = streamOf([](ObjectWriter& w) {
    w.dataByte(0x3E);
    w.dataByte(0x41);
    w.dataByte(0x42);
    w.absoluteWord(0x1234);
  });
  const std::vector<std::uint8_t> tail(stream.begin() + 5, stream.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{0xF2, 0x3E, 0x41, 0x42, 0x03, 0x34, 0x12}));
}

TEST(ObjectWriter, MutedWriterWritesNothing) {
  const auto stream = streamOf([](ObjectWriter& w) {
    w.setMuted(true);
    w.dataByte(1);
    w.externalReference(2, "X");
    w.setMuted(false);
    w.dataByte(2);
  });
  EXPECT_EQ(stream, (std::vector<std::uint8_t>{0x07, 0, 0, 0, 0, 0x01, 2}));
}

TEST(ObjectWriter, StringsAreCutTo255Bytes) {
  const std::string longName(300, 'A');
  const auto stream = streamOf([&](ObjectWriter& w) { w.runProgram(longName); });
  ASSERT_EQ(stream.size(), 5u + 1 + 1 + 255);
  EXPECT_EQ(stream[6], 255);
}

TEST(ObjectWriter, StreamLimitSetsFullInsteadOfGrowing) {
  ObjectWriter w;
  w.beginPass();
  for (std::size_t i = 0; i < (kObjectStreamLimit - 5) / 3; ++i)
    w.absoluteWord(0xFFFF);
  EXPECT_FALSE(w.full());
  w.absoluteWord(1);
  EXPECT_TRUE(w.full());
  w.absoluteWord(1);
  EXPECT_EQ(w.stream().size(), kObjectStreamLimit);
}

TEST(ObjectWriter, GlobalEquateCarriesMarkerAndZeroValue) {
  const auto stream =
      streamOf([](ObjectWriter& w) { w.globalEquateDefinition(Segment::Data, "SIZE"); });
  const std::vector<std::uint8_t> tail(stream.begin() + 5, stream.end());
  EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x04, 0, 0, 1, 0, 6, 0x01, 0xFF, 'S', 'I', 'Z', 'E'}));
}

TEST(ObjectWriter, DollarWordIsOnesComplementOfOffset) {
  const auto stream = streamOf([](ObjectWriter& w) { w.dollarWord(Segment::Code, 1); });
  EXPECT_EQ(stream[5], 0x15);
  EXPECT_EQ(stream[6] | stream[7] << 8, 0xFFFE);
}

TEST(ObjectWriter, SavedFileReadsBack) {
  const auto dir = std::filesystem::temp_directory_path() / "object_file_test_save";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "A.RRO").string();
  ObjectWriter w;
  w.beginPass();
  w.dataByte(0xC9);
  std::string error;
  ASSERT_TRUE(w.save(path, true, error)) << error;
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(LoadObjectFile(path, bytes, error));
  EXPECT_EQ(bytes, w.fileImage(true));
  std::filesystem::remove_all(dir);
}

// Writes one record of every type and reads it back.
TEST(ObjectRoundTrip, EveryRecordTypeReadsBackItsFields) {
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
  w.equateReference(2, "EQ");
  w.loadFile(0x12345, "FONT.BIN");
  w.runProgram("tool");
  w.runWhenDone("after");
  w.labelWord(Segment::Code, 3);
  w.labelWord(Segment::Data, 4);
  w.labelDefinition(Segment::Code, 5);
  w.symbolName("START");
  w.labelDefinition(Segment::Data, 6);
  w.ifTrue({rro::ValueExpression, expr, 0, 0});
  w.ifFalse({rro::ValueLocalLabel, {}, 9, rro::SegmentData});
  w.endIf();
  w.relativeExpression(Segment::Code, "10");
  w.relativeLabel(Segment::Data, 0x0102);
  w.reserveSpace(Segment::Data, {rro::ValueAbsolute, {}, 300, 0});
  w.loadReference("LR");
  w.dataReference("LR");
  w.ifReferenced(ifrefNames);
  w.storeSize(17, "SZ");
  w.sizeWord("SZ");
  w.orgMark(1);
  w.orgResume(2);
  w.loadMark(3);
  w.loadResume(31);
  w.memoryError(0x4000, "too big");
  w.memoryLoadError(0x23456, "load too big");
  w.report({rro::ValueEquateName, "EQ", 0, 0}, "size");
  w.origin(rro::OriginDataLabel, 6, rro::kLoadNext);
  w.linkPlacement({true, 0x0100}, {false, 0});
  w.linkPlacement({false, 0}, {true, 0xC000});
  // The reader gives back every field: the dump spells each one out.
  const auto file = w.fileImage(true);
  std::string dump;
  for (const Record& r : readAll(file))
    dump += DescribeRecord(r) + "\n";
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
0004CH 0CH EQUREF 02H "EQ"
00051H 11H LOAD 00012345H "FONT.BIN"
0005FH 12H RUN "tool"
00065H 13H RUNWHENDONE "after"
0006CH 15H LABELWORD CODE 0003H
0006FH 16H LABELWORD DATA 0004H
00072H 17H LABEL CODE 0005H
00075H 2AH NAME "START"
0007CH 18H LABEL DATA 0006H
0007FH 19H IFTRUE expr "(ext:EXT+lbl:data:12)*equ:EQ"
00093H 1AH IFFALSE label 9 data
00098H 1BH ENDIF
00099H 1CH JREXPR code "10"
0009EH 1DH JRLABEL data 0102H
000A2H 1EH DS data 012CH
000A7H 1FH LOADREF "LR"
000ABH 20H DREF "LR"
000AFH 21H IFREF "A"
000B2H 22H IFREF+ "BB"
000B6H 22H IFREF+ "CCC"
000BBH 23H IFREF END
000BCH 24H STORESIZE 0011H "SZ"
000C2H 25H DWSIZE "SZ"
000C6H 26H ORGMARK 01H
000C8H 27H ORGRESUME 02H
000CAH 28H LOADMARK 03H
000CCH 29H LOADRESUME 1FH
000CEH 2CH MEMERROR 4000H "too big"
000D9H 2DH MEMLOADERROR 23456H "load too big"
000EAH 2EH REPORT equ "EQ" "size"
000F4H 80H ORG 02H 0006H FFFFFFFFH
000FCH 81H LINK 00H 0100H next
00102H 81H LINK 00H next C000H
)");
}

TEST(ObjectReader, HeaderChecks) {
  struct Case {
    std::vector<std::uint8_t> file;
    std::string_view error;
  };
  const Case cases[] = {
      {{'R', 'R', 'O', 1}, ""},
      {{'R', 'R', 'O', 1, 0x07, 0, 0, 0, 0}, ""},
      {{'R', 'R', 'O', 0}, kObjectAssemblyFailed},
      {{'R', 'R', 'O', 2}, kObjectAssemblyFailed},
      {{'R', 'R', 'X', 1}, kObjectInvalidHeader},
      {{'r', 'r', 'o', 1}, kObjectInvalidHeader},
      {{'R', 'R', 'O'}, kObjectAssemblyFailed},
      {{}, kObjectAssemblyFailed},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ObjectReader(c.file).checkHeader(), c.error) << c.file.size();
  }
}

TEST(ObjectReader, UnknownTypesAreContentsErrors) {
  std::set<int> known;
  for (const RecordLayout& l : RecordLayouts())
    known.insert(l.type);
  for (int t = 0xF2; t <= 0xFF; ++t)
    known.insert(t);
  for (int t = 0; t < 256; ++t) {
    std::vector<std::uint8_t> file = {'R', 'R', 'O', 1, static_cast<std::uint8_t>(t)};
    file.resize(file.size() + 600, 0); // enough payload for any known layout
    ObjectReader reader(file);
    Record r;
    std::string_view error;
    EXPECT_EQ(reader.next(r, error), known.count(t) == 1) << "type " << t;
    if (!known.count(t)) {
      EXPECT_EQ(error, kObjectContentsError);
    }
  }
}

TEST(ObjectReader, BadValueKindIsContentsError) {
  const std::vector<std::uint8_t> file = {'R', 'R', 'O', 1, 0x19, 0x05, 0, 0};
  ObjectReader reader(file);
  Record r;
  std::string_view error;
  EXPECT_FALSE(reader.next(r, error));
  EXPECT_EQ(error, kObjectContentsError);
}

// Every proper prefix of a record must be refused without reading past it.
TEST(ObjectReader, EveryTruncationIsContentsError) {
  const std::string_view names[] = {"N1", "N2"};
  const std::vector<std::function<void(ObjectWriter&)>> writers = {
      [](ObjectWriter& w) {
        for (int i = 0; i < 16; ++i)
          w.dataByte(1);
      },
      [](ObjectWriter& w) { w.opcodePair(0xDD, 0x21); },
      [](ObjectWriter& w) { w.globalDefinition(1, Segment::Code, "NAME"); },
      [](ObjectWriter& w) { w.segmentSwitch(Segment::Data, 1, 2, true); },
      [](ObjectWriter& w) { w.equate("A", "1+2"); },
      [](ObjectWriter& w) { w.loadFile(0x10000, "F"); },
      [](ObjectWriter& w) {
        w.ifTrue({rro::ValueLocalLabel, {}, 3, 0});
      },
      [](ObjectWriter& w) {
        w.reserveSpace(Segment::Code, {rro::ValueExternal, "EXT", 0, 0});
      },
      [&names](ObjectWriter& w) { w.ifReferenced(names); },
      [](ObjectWriter& w) { w.memoryLoadError(0x30000, "msg"); },
      [](ObjectWriter& w) {
        w.report({rro::ValueAbsolute, {}, 4, 0}, "r");
      },
      [](ObjectWriter& w) { w.origin(0, 1, 2); },
      [](ObjectWriter& w) {
        w.linkPlacement({true, 1}, {true, 2});
      },
  };
  for (std::size_t k = 0; k < writers.size(); ++k) {
    ObjectWriter w;
    w.beginPass();
    writers[k](w);
    const std::vector<std::uint8_t> full = w.fileImage(true);
    for (std::size_t cut = 10; cut < full.size(); ++cut) {
      // A fresh heap copy so that ASan sees any read past the cut.
      std::vector<std::uint8_t> part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
      ObjectReader reader(part);
      Record r;
      std::string_view error;
      bool failed = false;
      while (!reader.atEnd()) {
        if (!reader.next(r, error)) {
          failed = true;
          break;
        }
      }
      // Only a cut exactly between records may read cleanly.
      if (!failed) {
        ObjectReader whole(full);
        bool boundary = false;
        while (!whole.atEnd() && whole.position() <= cut) {
          if (whole.position() == cut) boundary = true;
          if (!whole.next(r, error)) break; // a fault must fail, not loop
        }
        EXPECT_TRUE(boundary) << "writer " << k << " cut " << cut;
      } else {
        EXPECT_EQ(error, kObjectContentsError);
      }
    }
  }
}

TEST(ObjectFile, MissingAndOversizedFiles) {
  const auto dir = std::filesystem::temp_directory_path() / "object_file_test_sizes";
  std::filesystem::create_directories(dir);
  std::vector<std::uint8_t> bytes;
  std::string error;
  EXPECT_FALSE(LoadObjectFile((dir / "NONE.RRO").string(), bytes, error));
  EXPECT_EQ(error, kObjectNotFound);

  // The largest object a stream can give is accepted whole.
  std::vector<std::uint8_t> big(kObjectFileLimit, 0x03);
  big[0] = 'R', big[1] = 'R', big[2] = 'O', big[3] = 1;
  const auto path = (dir / "BIG.RRO").string();
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(big.data()), static_cast<std::streamsize>(big.size()));
  }
  ASSERT_TRUE(LoadObjectFile(path, bytes, error));
  EXPECT_EQ(bytes.size(), kObjectFileLimit);
  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.put(0);
  }
  EXPECT_FALSE(LoadObjectFile(path, bytes, error));
  EXPECT_EQ(error, kObjectContentsError);
  std::filesystem::remove_all(dir);
}

TEST(ObjectFile, DescribeRecordSpellsOutExpressions) {
  std::string expr;
  AppendExternalOperand(expr, "PRINT");
  expr += "+";
  AppendLocalLabelOperand(expr, rro::SegmentCode, 65535);
  ObjectWriter w;
  w.beginPass();
  w.wordExpression(expr);
  w.dataByte(0xC3);
  w.dataByte(0x00);
  const auto file = w.fileImage(true);
  const auto records = readAll(file);
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(DescribeRecord(records[0]), "00004H 07H CODE 0000H 00H 00H");
  EXPECT_EQ(DescribeRecord(records[1]), "00009H 09H EXPRWORD \"ext:PRINT+lbl:code:65535\"");
  EXPECT_EQ(DescribeRecord(records[2]), "0001AH F1H BYTES C3 00");
}

TEST(ObjectFile, LoadPositionsKeepEveryDigitPastFive) {
  const std::pair<std::uint32_t, std::string_view> cases[] = {
      {0, "00000"}, {0x3FFFF, "3FFFF"}, {0x123456, "123456"}, {0xFFFFFFFF, "FFFFFFFF"}};
  for (const auto& [position, text] : cases)
    EXPECT_EQ(LoadPositionHex(position), text);
  ObjectWriter w;
  w.beginPass();
  w.memoryLoadError(0x123456, "Full");
  const auto file = w.fileImage(true);
  const auto records = readAll(file);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(DescribeRecord(records[1]), "00009H 2DH MEMLOADERROR 123456H \"Full\"");
}

} // namespace
} // namespace velkor
