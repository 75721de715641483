#include "compiler/emit/overlay_areas.h"

#include <gtest/gtest.h>

#include "tests/compiler/statement_test_support.h"

#include "compiler/compile_error.h"
#include "compiler/emit/output.h"

namespace velkor {
namespace {

using testing_support::Code;
using testing_support::Lines;

class OverlayAreasTest : public ::testing::Test {
protected:
  OverlayAreasTest() : c(messages, ui) { c.Identifiers.resize(8); }
  // The lines written since the last call.
  Lines Taken() {
    Lines out(c.OutputLines.begin() + static_cast<long>(seen), c.OutputLines.end());
    seen = c.OutputLines.size();
    return out;
  }
  MessageList messages;
  platform::HeadlessUiHost ui;
  Compilation c;
  std::size_t seen = 0;
};

TEST_F(OverlayAreasTest, FirstPartWithoutLoadAddressResumesLoading) {
  OpenOverlayArea(c);
  ASSERT_TRUE(DeclaresOverlayPart(c));
  OverlayPart p = BeginOverlayPart(c);
  EXPECT_EQ(p.area, 1);
  EXPECT_EQ(p.part, 1);
  EXPECT_TRUE(c.OverlayMode);
  EXPECT_EQ(Taken(), (Code("SizeCounterZero 1|Count 1|LoadMark 1|OrgMark 1|LoadResume 32|Org "
                           "@@OVRB1,LOADNEXT|LoadRef @@OVRL_G1P1")));
}

TEST_F(OverlayAreasTest, ExplicitLoadAddressIsUsedOnceForTheFirstPart) {
  SetOverlayLoadAddress(c, 0x8000);
  OpenOverlayArea(c);
  OverlayPart p1 = BeginOverlayPart(c);
  EXPECT_EQ(Taken(), (Code("SizeCounterZero 1|Count 1|LoadMark 1|OrgMark 1|Org "
                           "@@OVRB1,08000H|LoadRef @@OVRL_G1P1")));
  EndOverlayPart(c, p1);
  Taken();
  OverlayPart p2 = BeginOverlayPart(c);
  EXPECT_EQ(p2.part, 2);
  EXPECT_EQ(Taken(), (Code("SizeCounterZero 1|Count 1|Org @@OVRB1,LOADNEXT|LoadRef @@OVRL_G1P2")));
  EndOverlayPart(c, p2);
  CloseOverlayArea(c);

  SetOverlayLoadAddress(c, 0x18000);
  OpenOverlayArea(c);
  Taken();
  OverlayPart p3 = BeginOverlayPart(c);
  EXPECT_EQ(Taken().at(4), "\tOrg @@OVRB2,18000H");
  EndOverlayPart(c, p3);
  Taken();
  CloseOverlayArea(c);
  EXPECT_EQ(Taken().front(),
            "\tMemLoadError 010001H,'A Z80 cannot load overlay parts stored at or above "
            "10000H: area 2, load position 18000H'");

  // The Z180 copies from anywhere in the image: no check.
  c.Settings.Z180 = true;
  SetOverlayLoadAddress(c, 0x18000);
  OpenOverlayArea(c);
  EndOverlayPart(c, BeginOverlayPart(c));
  Taken();
  CloseOverlayArea(c);
  EXPECT_EQ(Taken().front(), "\tLoadMark 32");
}

TEST_F(OverlayAreasTest, PartEntryEndSizeCountersAndTail) {
  OpenOverlayArea(c);
  OverlayPart p1 = BeginOverlayPart(c);
  Taken();
  EmitOverlayPartEntry(c, p1);
  c.OverlaySizes[1].currentSize = 30; // what the code of the part added
  EndOverlayPart(c, p1);
  EXPECT_EQ(Taken(), (Lines{"@@OVRE_G1P1\tEQU $", "\tStorelarger 1", "\tStoreSize 1,@@OVRS_G1P1"}));
  OverlayPart p2 = BeginOverlayPart(c);
  c.OverlaySizes[1].currentSize = 12;
  EndOverlayPart(c, p2);
  EXPECT_EQ(c.OverlaySizes[1].largestSize, 30u);
  EXPECT_EQ(c.OverlaySizes[1].currentSize, 0u);
  EXPECT_EQ(c.OverlaySizes[1].partCount, 2u);

  Taken();
  CloseOverlayArea(c);
  // A Z80 copies parts from the low 64K: the link checks where the area ends.
  EXPECT_EQ(Taken(),
            (Lines{"\tMemLoadError 010001H,'A Z80 cannot load overlay parts stored at or above "
                   "10000H: area 1'",
                   "\tLoadMark 32", "\tLoadResume 1", "\tOrgResume 1"}));
  EXPECT_FALSE(c.OverlayMode);
  EXPECT_FALSE(c.OverlayActive);
  EXPECT_EQ(c.OverlayLevel, 0);

  EXPECT_EQ(
      OverlayDescriptorTableLines(c),
      (Lines{"@@OVRI_G1P1", "\tDB 1", "\tDREF @@OVRL_G1P1", "\tDWSIZE @@OVRS_G1P1", "\tDW @@OVRB1",
             "\tDW @@OVRE_G1P1", "@@OVRI_G1P2", "\tDB 2", "\tDREF @@OVRL_G1P2",
             "\tDWSIZE @@OVRS_G1P2", "\tDW @@OVRB1", "\tDW @@OVRE_G1P2"}));
  EXPECT_EQ(OverlayBufferLines(c), (Lines{"\tDS 1", "@@OVRB1:\tDSSIZE 1"}));
}

TEST_F(OverlayAreasTest, RoutinesNestedInAPartBelongToIt) {
  OpenOverlayArea(c);
  BeginOverlayPart(c);
  c.Identifiers[3].overlayArea = 1; // the part's routine
  c.CurrentRoutine = 3;
  EXPECT_FALSE(DeclaresOverlayPart(c));
  c.Identifiers[4].owner = 3;
  c.CurrentRoutine = 4;
  EXPECT_FALSE(DeclaresOverlayPart(c));
}

TEST_F(OverlayAreasTest, NestedAreaCodeIsDeferredUntilTheOuterAreaCloses) {
  OpenOverlayArea(c);
  OverlayPart outer = BeginOverlayPart(c);
  c.Identifiers[3].overlayArea = 1;
  c.CurrentRoutine = 3;
  OpenOverlayArea(c);
  EXPECT_EQ(c.OverlayLevel, 2);
  ASSERT_TRUE(DeclaresOverlayPart(c));
  Taken();
  OverlayPart inner = BeginOverlayPart(c);
  EXPECT_EQ(inner.area, 2);
  EXPECT_TRUE(c.WriteDeferred);
  Emit(c, "nop");
  EndOverlayPart(c, inner);
  EXPECT_TRUE(Taken().empty()) << "the nested part went to the deferred lines";
  CloseOverlayArea(c);
  EXPECT_FALSE(c.WriteDeferred) << "the outer part's body goes on in the output";
  EXPECT_EQ(c.OverlayLevel, 1);
  EXPECT_EQ(c.CurrentArea, 1);
  c.CurrentRoutine = 0;
  Emit(c, "ret");
  EndOverlayPart(c, outer);
  const Lines deferred = c.DeferredLines.Lines();
  ASSERT_FALSE(deferred.empty());
  EXPECT_EQ(deferred.front(), "\tSizeCounterZero 2");
  Taken();
  CloseOverlayArea(c);
  EXPECT_TRUE(c.DeferredLines.empty());
  Lines tail = Taken();
  EXPECT_EQ(Lines(tail.end() - static_cast<long>(deferred.size()), tail.end()), deferred);
  EXPECT_EQ(c.OverlayAreaCount, 2);
}

TEST_F(OverlayAreasTest, DirectiveErrorsEndTheCompilation) {
  EXPECT_THROW(CloseOverlayArea(c), ECompileError);
  EXPECT_EQ(messages.Lines().back(), "Overlay system is not active");
  OpenOverlayArea(c);
  OpenOverlayArea(c);
  EXPECT_THROW(OpenOverlayArea(c), ECompileError);
  EXPECT_EQ(messages.Lines().back(), "Overlay level to great (level 1,2 only)");
}

TEST_F(OverlayAreasTest, TooManyAreasIsATableOverflow) {
  for (int i = 0; i < kMaxOverlayAreas; ++i) {
    OpenOverlayArea(c);
    CloseOverlayArea(c);
  }
  EXPECT_THROW(OpenOverlayArea(c), ECompileError);
  EXPECT_EQ(messages.Lines().at(messages.Lines().size() - 2),
            "Compiler table for OVERLAY AREAS overflowed");
}

TEST_F(OverlayAreasTest, InitOverlayPointsAtTheFirstDescriptorsBufferField) {
  for (int i = 0; i < 2; ++i) {
    OpenOverlayArea(c);
    CloseOverlayArea(c);
  }
  Taken();
  const std::uint32_t before = c.CodeSize;
  EmitInitOverlay(c);
  EXPECT_EQ(Taken(), (Code("ld hl,@@OVRI_G1P1+6|call __InitializeOverlay|ld hl,@@OVRI_G2P1+6|call "
                           "__InitializeOverlay")));
  EXPECT_EQ(c.CodeSize - before, 12u);
  EXPECT_EQ(c.ExternNames, (std::vector<std::string>{"__InitializeOverlay"}));
}

} // namespace
} // namespace velkor
