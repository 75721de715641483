// Records linked from hand-built objects: limits and forms the assembler does
// not produce on its own.
#include "linker/link_messages.h"
#include "linker/link_run.h"
#include "tests/linker/link_fixture.h"

namespace velkor::testing {
namespace {

namespace T = link_text;

std::string Operand(void (*append)(std::string&, std::string_view), std::string_view name) {
  std::string text;
  append(text, name);
  return text;
}

struct RecordCase {
  std::vector<std::uint8_t> object;
  std::string outcome; // the first image bytes in hex, or the failure
};

const RecordCase kCases[] = {
    {object([](ObjectWriter& w) { w.wordExpression("1/0"); }), "A.RRO Cannot evaluate: 1/0"},
    {object([](ObjectWriter& w) { w.wordExpression(Operand(AppendEquateOperand, "NOPE") + "+1"); }),
     "A.RRO External label (Equate):NOPE not found"},
    {object([](ObjectWriter& w) { w.equateReference(2, "NOPE"); }),
     "A.RRO External label (Equate) :NOPE not found"},
    {object([](ObjectWriter& w) {
       w.ifTrue({rro::ValueEquateName, "NOPE", 0, 0});
     }),
     "A.RRO Cannot find equate: NOPE"},
    {object([](ObjectWriter& w) { w.equate("E", "2/0"); }), "A.RRO Cannot evaluate 2/0"},
    {object([](ObjectWriter& w) {
       w.equate("E", "1");
       w.equate("E", "2");
     }),
     "A.RRO Duplicate label (Equate): E"},
    {object([](ObjectWriter& w) {
       w.wordExpression(std::string("\x01\x09"
                                    "AB"));
     }),
     "A.RRO Object file contents error"},
    // Objects damaged or left by a failed assembly name the file.
    {object([](ObjectWriter& w) { w.dataByte(0); }, false),
     "A.RRO assembly did not complete without errors"},
    {{'X', 'R', 'O', 1}, "A.RRO invalid header"},
    {{'R', 'R'}, "A.RRO assembly did not complete without errors"},
    {{'R', 'R', 'O', 1, 0x06}, "A.RRO Object file contents error"},        // no such record
    {{'R', 'R', 'O', 1, 0x07, 0, 0, 12, 0}, "A.RRO Invalid data in file"}, // area 12
    {{'R', 'R', 'O', 1, 0x26, 32}, "A.RRO Invalid data in file"},          // handle 32
};

class LinkRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(LinkRecords, Outcome) {
  const RecordCase& c = GetParam();
  LinkProject link("records");
  link.add("A.RRO", c.object);
  const LinkResult r = link.link();
  const std::size_t shown = (c.outcome.size() + 1) / 3;
  EXPECT_EQ(Outcome(r, shown), c.outcome) << link.output();
  if (!r.ok && !r.errorModule.empty())
    EXPECT_TRUE(link.printed(std::string(T::kFilePrefix) + r.errorModule + " " + r.errorMessage));
}

INSTANTIATE_TEST_SUITE_P(Objects, LinkRecords, ::testing::ValuesIn(kCases));

TEST(LinkLimits, ManyModulesKeepTheirOwnEquates) {
  // Module numbers past 255 must not make module 257 see module 1's equates.
  LinkProject link("records");
  constexpr int kModules = 300;
  for (int m = 0; m < kModules; ++m) {
    link.add("M" + std::to_string(m) + ".RRO", object([&](ObjectWriter& w) {
               w.equate("X", std::to_string(m % 256) + "+0");
               w.equateReference(1, "X");
             }));
  }
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok) << link.output();
  for (int m = 0; m < kModules; ++m)
    ASSERT_EQ(r.image[m], m % 256) << m;
}

TEST(LinkLimits, MoreAreasThanTheTableExtendTheLast) {
  LinkProject link("records");
  link.add("A.RRO", object([](ObjectWriter& w) {
             for (int i = 0; i < 150; ++i) {
               w.origin(0, 0, static_cast<std::uint32_t>(i * 16));
               w.dataByte(static_cast<std::uint8_t>(i));
             }
           }));
  const LinkResult r = link.link();
  ASSERT_TRUE(r.ok) << link.output();
  ASSERT_EQ(r.codeAreas.size(), kMaxAreas);
  EXPECT_EQ(r.codeAreas.back().start, (kMaxAreas - 1) * 16);
  EXPECT_EQ(r.codeAreas.back().end, 149u * 16 + 1);
  EXPECT_EQ(r.image[149 * 16], 149);
}

// REPORT prints an equate, an expression and an external (the IFTRUE and
// IFFALSE rows resolve absolute values and labels); a failed load check adds where it stood,
// on a line of its own.
TEST(LinkReports, ValueKindsAndLoadPosition) {
  LinkProject link("records");
  std::string label;
  AppendLocalLabelOperand(label, rro::SegmentCode, 0);
  link.add("A.RRO", object([&](ObjectWriter& w) {
             w.equate("E", "3+0");
             w.dataByte(0);
             w.labelDefinition(Segment::Code, 0);
             w.report({rro::ValueEquateName, "E", 0, 0}, "equate");
             w.report(
                 {rro::ValueExpression, label + "*2+" + Operand(AppendEquateOperand, "E"), 0, 0},
                 "expression");
             w.report({rro::ValueExternal, "G", 0, 0}, "external");
             w.labelDefinition(Segment::Code, 1);
             w.globalDefinition(1, Segment::Code, "G");
             w.memoryLoadError(1, "Load too big");
           }));
  const LinkResult r = link.link();
  EXPECT_EQ(Outcome(r, 0), "A.RRO Load too big");
  for (const char* line : {"equate - 0003H", "expression - 0005H", "external - 0001H",
                           "Load position at this check: 00001H"})
    EXPECT_TRUE(link.printed(line)) << line << "\n" << link.output();
}

} // namespace
} // namespace velkor::testing
