// Records linked from hand-built objects: limits and forms the assembler does
// not produce on its own.
#include <set>

#include "linker/link_messages.h"
#include "linker/link_run.h"
#include "tests/linker/link_fixture.h"

namespace velkor::testing {
namespace {

namespace T = link_text;
using Bytes = std::vector<std::uint8_t>;

std::string failure(const std::string& module, std::string_view message) {
  return std::string(T::kFilePrefix) + module + " " + std::string(message);
}

TEST(LinkReplayTable, EveryRecordTheReaderKnowsHasOneRow) {
  std::set<std::uint8_t> replayed;
  for (const LinkRun::RecordReplay& row : LinkRun::recordReplays()) {
    EXPECT_TRUE(replayed.insert(row.type).second) << "two rows for " << int{row.type};
    EXPECT_NE(row.replay, nullptr) << int{row.type};
  }
  for (const RecordLayout& layout : RecordLayouts())
    EXPECT_TRUE(replayed.contains(layout.type)) << layout.name;
}

// A JR to a label forward over `gap` bytes (negative: back from it).
TEST(LinkRelative, LabelBranchesInRangeAndOut) {
  for (const int gap : {0, 127, 128, -126, -127}) {
    const int back = gap < 0 ? -gap : 0;
    MemoryLink link;
    link.add("A.RRO", object([&](ObjectWriter& w) {
               if (back) w.labelDefinition(Segment::Code, 0);
               for (int i = 0; i < back; ++i)
                 w.dataByte(0);
               w.dataByte(0x18);
               w.relativeLabel(Segment::Code, 0);
               for (int i = 0; i < gap; ++i)
                 w.dataByte(0);
               if (!back) w.labelDefinition(Segment::Code, 0);
               w.dataByte(0xC9);
             }));
    const LinkResult r = link.link();
    const bool inRange = gap <= 127 && gap >= -126;
    EXPECT_EQ(r.ok, inRange) << gap << link.output();
    if (inRange)
      EXPECT_EQ(static_cast<std::int8_t>(r.image[back + 1]), back ? -back - 2 : gap) << gap;
    else
      EXPECT_EQ(link.errorLine(), failure("A.RRO", T::kRelativeOutOfRange)) << gap;
  }
}

TEST(LinkRelative, ExpressionBranches) {
  // JR to an absolute target given as expression text, and JR $+5.
  MemoryLink link;
  std::string dollar;
  AppendLocalLabelOperand(dollar, rro::SegmentCode, kDollarLabelIndex);
  dollar += "+5";
  link.add("A.RRO", object([&](ObjectWriter& w) {
             w.dataByte(0);
             w.dataByte(0x18);
             w.relativeExpression(Segment::Code, "20");
             w.dataByte(0x18);
             w.relativeExpression(Segment::Code, dollar);
             w.dataByte(0x18);
             w.relativeExpression(Segment::Code, "300");
           }));
  EXPECT_FALSE(link.link().ok);
  EXPECT_EQ(link.errorLine(), failure("A.RRO", T::kRelativeOutOfRange));
  const LinkResult partial = link.link();
  // The image keeps what was placed before the failure.
  EXPECT_EQ(partial.image[2], 20 - 1 - 2);
  EXPECT_EQ(partial.image[4], 3);
}

TEST(LinkBounds, EveryImageWriteIsChecked) {
  struct Case {
    const char* name;
    bool data;
    std::uint32_t origin;
    int bytes;
    std::uint16_t reserve; // DS
    bool loadReference;
    bool ok;
  };
  const Case cases[] = {
      {"last byte", false, 0x3FFFF, 1, 0, false, true},
      {"byte past", false, 0x3FFFF, 2, 0, false, false},
      {"ds to the end", false, 0x3FFF0, 0, 0x10, false, true},
      {"ds past", false, 0x3FFF0, 0, 0x11, false, false},
      {"ds past in data", true, 0x3FFF0, 0, 0xFFFF, false, false},
      {"data byte past", true, 0x40000, 1, 0, false, false},
      {"loadref past", false, 0x40000, 0, 0, true, false},
      {"origin far", false, 0xFFFFF, 1, 0, false, false},
  };
  for (const Case& c : cases) {
    MemoryLink link;
    link.add("A.RRO", object([&](ObjectWriter& w) {
               const Segment segment = c.data ? Segment::Data : Segment::Code;
               if (c.data) w.segmentSwitch(segment);
               w.origin(0, 0, c.origin);
               for (int i = 0; i < c.bytes; ++i)
                 w.dataByte(1);
               if (c.reserve) w.reserveSpace(segment, {rro::ValueAbsolute, {}, c.reserve, 0});
               if (c.loadReference) w.loadReference("P");
             }));
    const LinkResult r = link.link();
    EXPECT_EQ(r.ok, c.ok) << c.name << "\n" << link.output();
    if (!c.ok) EXPECT_EQ(link.errorLine(), failure("A.RRO", T::kTargetOutOfBounds)) << c.name;
    if (c.ok) EXPECT_EQ(r.imageFile.size(), kImageSize) << c.name;
  }
}

TEST(LinkLimits, ManyModulesKeepTheirOwnEquates) {
  // Module numbers past 255 must not make module 257 see module 1's equates.
  MemoryLink link;
  constexpr int kModules = 300;
  for (int m = 0; m < kModules; ++m) {
    link.add("M" + std::to_string(m) + ".RRO", object([&](ObjectWriter& w) {
               w.equate("X", std::to_string(m % 256) + "+0");
               w.equateReference(1, "X");
             }));
  }
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok) << link.errorLine();
  for (int m = 0; m < kModules; ++m)
    ASSERT_EQ(r.image[m], m % 256) << m;
}

TEST(LinkLimits, MoreAreasThanTheTableExtendTheLast) {
  MemoryLink link;
  link.add("A.RRO", object([](ObjectWriter& w) {
             for (int i = 0; i < 150; ++i) {
               w.origin(0, 0, static_cast<std::uint32_t>(i * 16));
               w.dataByte(static_cast<std::uint8_t>(i));
             }
           }));
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok) << link.output();
  ASSERT_EQ(r.codeAreas.size(), kMaxAreas);
  EXPECT_EQ(r.codeAreas[0].start, 0u);
  EXPECT_EQ(r.codeAreas[0].end, 1u);
  EXPECT_EQ(r.codeAreas.back().start, (kMaxAreas - 1) * 16);
  EXPECT_EQ(r.codeAreas.back().end, 149u * 16 + 1);
  EXPECT_EQ(r.image[149 * 16], 149);
}

TEST(LinkValues, ValueReferenceKindsAndReport) {
  std::string expr;
  AppendLocalLabelOperand(expr, rro::SegmentCode, 0);
  expr += "*2+";
  AppendEquateOperand(expr, "E");
  MemoryLink link;
  link.add("A.RRO", object([&](ObjectWriter& w) {
             w.equate("E", "3+0");
             w.dataByte(0);
             w.labelDefinition(Segment::Code, 0);
             w.report({rro::ValueEquateName, "E", 0, 0}, "equate");
             w.report({rro::ValueExpression, expr, 0, 0}, "expression");
             w.report({rro::ValueAbsolute, {}, 0xBEEF, 0}, "absolute");
             w.report({rro::ValueLocalLabel, {}, 0, rro::SegmentCode}, "label");
             w.report({rro::ValueExternal, "G", 0, 0}, "external");
             w.labelDefinition(Segment::Code, 1);
             w.globalDefinition(1, Segment::Code, "G");
           }));
  ASSERT_TRUE(link.link().ok) << link.output();
  const auto& lines = link.messages.Lines();
  const std::vector<std::string> expected = {"equate - 0003H", "expression - 0005H",
                                             "absolute - BEEFH", "label - 0001H",
                                             "external - 0001H"};
  for (const std::string& line : expected) {
    EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line << link.output();
  }
}

TEST(LinkValues, DollarWordAndDataLabels) {
  MemoryLink link;
  link.add("A.RRO", object([](ObjectWriter& w) {
             w.dataByte(0);
             w.dataByte(0x21);
             w.dollarWord(Segment::Code, 1); // LD HL,$ at 0001H
             w.segmentSwitch(Segment::Data, 0x8000, 0, true);
             w.labelDefinition(Segment::Data, 0);
             w.segmentSwitch(Segment::Code);
             w.labelWord(Segment::Code, 0);
           }));
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok) << link.output();
  EXPECT_EQ(Bytes(r.image.begin(), r.image.begin() + 6),
            Bytes({0x00, 0x21, 0x01, 0x00, 0x00, 0x80}));
}

TEST(LinkValues, EvaluationFailuresNameTheText) {
  struct Case {
    std::function<void(ObjectWriter&)> write;
    std::string message;
  };
  std::string ext;
  AppendExternalOperand(ext, "NOPE");
  std::string equ;
  AppendEquateOperand(equ, "NOPE");
  const Case cases[] = {
      {[](ObjectWriter& w) { w.wordExpression("1/0"); }, "Cannot evaluate: 1/0"},
      {[&](ObjectWriter& w) { w.byteExpression(ext); }, "External label :NOPE not found"},
      {[&](ObjectWriter& w) { w.wordExpression(equ + "+1"); },
       "External label (Equate):NOPE not found"},
      {[](ObjectWriter& w) { w.equateReference(2, "NOPE"); },
       "External label (Equate) :NOPE not found"},
      {[](ObjectWriter& w) {
         w.ifTrue({rro::ValueEquateName, "NOPE", 0, 0});
       },
       "Cannot find equate: NOPE"},
      {[](ObjectWriter& w) { w.equate("E", "2/0"); }, "Cannot evaluate 2/0"},
      {[](ObjectWriter& w) {
         w.equate("E", "1");
         w.equate("E", "2");
       },
       "Duplicate label (Equate): E"},
      {[](ObjectWriter& w) {
         w.wordExpression(std::string("\x01\x09"
                                      "AB"));
       },
       "Object file contents error"},
  };
  for (const Case& c : cases) {
    MemoryLink link;
    link.add("A.RRO", object(c.write));
    EXPECT_FALSE(link.link().ok) << c.message;
    EXPECT_EQ(link.errorLine(), failure("A.RRO", c.message));
  }
}

TEST(LinkValues, MemoryErrorsCompareWithTheSegment) {
  for (const std::uint16_t limit : {std::uint16_t{3}, std::uint16_t{4}}) {
    MemoryLink link;
    link.add("A.RRO", object([&](ObjectWriter& w) {
               for (int i = 0; i < 3; ++i)
                 w.dataByte(0);
               w.memoryError(limit, "Code too big");
               w.memoryLoadError(limit, "Load too big");
             }));
    const bool ok = link.link().ok;
    EXPECT_EQ(ok, limit == 4);
    if (!ok) {
      EXPECT_EQ(link.errorLine(), failure("A.RRO", "Code too big"));
    }
  }
  // A failed load check adds where it stood, on a line of its own.
  MemoryLink link;
  link.add("A.RRO", object([](ObjectWriter& w) {
             w.dataByte(0);
             w.memoryLoadError(1, "Load too big");
           }));
  EXPECT_FALSE(link.link().ok);
  const auto& lines = link.messages.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], failure("A.RRO", "Load too big"));
  EXPECT_EQ(lines[lines.size() - 2], "Load position at this check: 00001H");
}

TEST(LinkSettling, LayoutThatFlipsEveryPassIsRefused) {
  // IFFALSE on the label right after its own block: included, the label is 1
  // and the block goes; left out, the label is 0 and it comes back.
  MemoryLink link;
  link.add("A.RRO", object([](ObjectWriter& w) {
             w.ifFalse({rro::ValueLocalLabel, {}, 0, rro::SegmentCode});
             w.dataByte(0);
             w.endIf();
             w.labelDefinition(Segment::Code, 0);
             w.dataByte(0xC9);
           }));
  const LinkResult r = link.link();
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(link.errorLine(), T::kNotSettling);
  EXPECT_EQ(r.timings.extraResolvePasses, kMaxExtraResolvePasses);
}

TEST(LinkSettling, ForwardLabelsStableAfterOneLeftOutBlock) {
  // The block is left out from the second pass on: forward references in the
  // image must carry the final address.
  MemoryLink link;
  link.add("A.RRO", object([](ObjectWriter& w) {
             w.dataByte(0xC3);
             w.labelWord(Segment::Code, 0);
             w.ifTrue({rro::ValueAbsolute, {}, 0, 0});
             for (int i = 0; i < 10; ++i)
               w.dataByte(0);
             w.endIf();
             w.labelDefinition(Segment::Code, 0);
             w.dataByte(0xC9);
           }));
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.imageFile, Bytes({0xC3, 0x03, 0x00, 0xC9}));
  EXPECT_EQ(r.timings.extraResolvePasses, 0);
}

} // namespace
} // namespace velkor::testing
