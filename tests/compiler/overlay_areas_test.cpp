#include "compiler/emit/overlay_areas.h"

#include <gtest/gtest.h>

namespace velkor {
namespace {

using Lines = std::vector<std::string>;

// Keeps the two line lists the way the emitter does.
class RecordingSink : public OverlayLineSink {
public:
    void WriteInstruction(const std::string& text) override { Current().push_back("\t" + text); }
    void WriteLabel(const std::string& text) override { Current().push_back(text); }
    void SetWriteDeferred(bool on) override { deferredOn = on; }
    void ClearPendingPush() override { ++pendingPushClears; }
    void FlushDeferredLines() override {
        output.insert(output.end(), deferred.begin(), deferred.end());
        deferred.clear();
    }
    Lines& Current() { return deferredOn ? deferred : output; }

    Lines output, deferred;
    bool deferredOn = false;
    int pendingPushClears = 0;
};

TEST(OverlayAreas, FirstPartWithoutLoadAddressResumesLoading) {
    OverlayAreas areas;
    RecordingSink sink;
    ASSERT_EQ(areas.OpenArea(1), OverlayResult::Ok);
    ASSERT_TRUE(areas.DeclaresPart(1));
    OverlayAreas::Part p = areas.BeginPart(sink);
    EXPECT_EQ(p.area, 1u);
    EXPECT_EQ(p.part, 1u);
    EXPECT_TRUE(areas.InOverlayMode());
    EXPECT_EQ(sink.output, (Lines{"\tSizeCounterZero 1", "\tCount 1", "\tLoadMark 1", "\tOrgMark 1", "\tLoadResume 32",
                                  "\tOrg @@OVRB1,LOADNEXT", "\tLoadRef @@OVRL_G1P1"}));
}

TEST(OverlayAreas, ExplicitLoadAddressIsUsedOnceForTheFirstPart) {
    OverlayAreas areas;
    RecordingSink sink;
    areas.SetNextLoadAddress(0x8000);
    areas.OpenArea(1);
    OverlayAreas::Part p1 = areas.BeginPart(sink);
    areas.WritePartEntry(sink, p1);
    areas.EndPart(sink, p1);
    sink.output.clear();
    OverlayAreas::Part p2 = areas.BeginPart(sink);
    EXPECT_EQ(p2.part, 2u);
    EXPECT_EQ(sink.output, (Lines{"\tSizeCounterZero 1", "\tCount 1", "\tOrg @@OVRB1,LOADNEXT", "\tLoadRef @@OVRL_G1P2"}));

    OverlayAreas other;
    RecordingSink s2;
    other.SetNextLoadAddress(0x18000);
    other.OpenArea(1);
    other.BeginPart(s2);
    EXPECT_EQ(s2.output.at(4), "\tOrg @@OVRB1,18000H");
    OverlayAreas fresh;
    RecordingSink s3;
    fresh.SetNextLoadAddress(0x8000);
    fresh.OpenArea(1);
    fresh.BeginPart(s3);
    EXPECT_EQ(s3.output, (Lines{"\tSizeCounterZero 1", "\tCount 1", "\tLoadMark 1", "\tOrgMark 1",
                                "\tOrg @@OVRB1,08000H", "\tLoadRef @@OVRL_G1P1"}));
}

TEST(OverlayAreas, PartEntryAndEndAndSizeCounters) {
    OverlayAreas areas;
    RecordingSink sink;
    areas.OpenArea(1);
    OverlayAreas::Part p1 = areas.BeginPart(sink);
    sink.output.clear();
    areas.WritePartEntry(sink, p1);
    areas.AddCode(30);
    areas.EndPart(sink, p1);
    EXPECT_EQ(sink.output, (Lines{"@@OVRE_G1P1\tEQU $", "\tStorelarger 1", "\tStoreSize 1,@@OVRS_G1P1"}));
    OverlayAreas::Part p2 = areas.BeginPart(sink);
    areas.AddCode(12);
    areas.EndPart(sink, p2);
    EXPECT_EQ(areas.Counters(1).largestPartSize, 30u);
    EXPECT_EQ(areas.Counters(1).currentPartSize, 0u);
    EXPECT_EQ(areas.Counters(1).partCount, 2u);
    EXPECT_EQ(areas.TotalOverlayCode(), 42u);

    sink.output.clear();
    ASSERT_EQ(areas.CloseArea(sink), OverlayResult::Ok);
    EXPECT_EQ(sink.output, (Lines{"\tLoadMark 32", "\tLoadResume 1", "\tOrgResume 1"}));
    EXPECT_FALSE(areas.InOverlayMode());
    EXPECT_FALSE(areas.Active());

    EXPECT_EQ(areas.DescriptorTableLines(),
              (Lines{"@@OVRI_G1P1", "\tDB 1", "\tDREF @@OVRL_G1P1", "\tDWSIZE @@OVRS_G1P1", "\tDW @@OVRB1",
                     "\tDW @@OVRE_G1P1", "@@OVRI_G1P2", "\tDB 2", "\tDREF @@OVRL_G1P2", "\tDWSIZE @@OVRS_G1P2",
                     "\tDW @@OVRB1", "\tDW @@OVRE_G1P2"}));
    EXPECT_EQ(areas.BufferLines(), (Lines{"\tDS 1", "@@OVRB1:\tDSSIZE 1"}));
}

TEST(OverlayAreas, NestedAreaCodeIsDeferredUntilTheOuterAreaCloses) {
    OverlayAreas areas;
    RecordingSink sink;
    areas.OpenArea(1);
    OverlayAreas::Part outer = areas.BeginPart(sink);
    ASSERT_EQ(areas.OpenArea(2), OverlayResult::Ok);
    EXPECT_EQ(areas.OverlayLevel, 2u);
    EXPECT_FALSE(areas.DeclaresPart(1));
    ASSERT_TRUE(areas.DeclaresPart(2));
    const std::size_t before = sink.output.size();
    OverlayAreas::Part inner = areas.BeginPart(sink);
    EXPECT_EQ(inner.area, 2u);
    EXPECT_TRUE(sink.deferredOn);
    areas.EndPart(sink, inner);
    EXPECT_EQ(sink.output.size(), before) << "nested part went to the deferred lines";
    ASSERT_EQ(areas.CloseArea(sink), OverlayResult::Ok);
    EXPECT_FALSE(sink.deferredOn) << "the outer part's body continues in the output";
    EXPECT_EQ(areas.OverlayLevel, 1u);
    sink.WriteInstruction("ret");
    areas.EndPart(sink, outer);
    const Lines deferred = sink.deferred;
    ASSERT_EQ(areas.CloseArea(sink), OverlayResult::Ok);
    EXPECT_TRUE(sink.deferred.empty());
    EXPECT_EQ(Lines(sink.output.end() - static_cast<long>(deferred.size()), sink.output.end()), deferred);
    EXPECT_EQ(areas.AreaCount(), 2u);
}

TEST(OverlayAreas, DirectiveErrors) {
    OverlayAreas areas;
    RecordingSink sink;
    EXPECT_EQ(areas.CloseArea(sink), OverlayResult::NotActive);
    areas.OpenArea(1);
    areas.OpenArea(1);
    EXPECT_EQ(areas.OpenArea(1), OverlayResult::LevelTooDeep);
    areas.CloseArea(sink);
    areas.CloseArea(sink);
    EXPECT_EQ(areas.CloseArea(sink), OverlayResult::NotActive);

    OverlayAreas many;
    for (unsigned i = 0; i < OverlayAreas::kMaxAreas; ++i) {
        ASSERT_EQ(many.OpenArea(1), OverlayResult::Ok);
        ASSERT_EQ(many.CloseArea(sink), OverlayResult::Ok);
    }
    EXPECT_EQ(many.OpenArea(1), OverlayResult::TooManyAreas);
}

TEST(OverlayAreas, InitOverlayPointsAtTheFirstDescriptorsBufferField) {
    OverlayAreas areas;
    RecordingSink sink;
    areas.OpenArea(1);
    areas.CloseArea(sink);
    areas.OpenArea(1);
    areas.CloseArea(sink);
    sink.output.clear();
    std::uint32_t codeSize = 0;
    areas.WriteInitOverlay(sink, codeSize);
    EXPECT_EQ(sink.output, (Lines{"\tld hl,@@OVRI_G1P1+6", "\tcall __InitializeOverlay", "\tld hl,@@OVRI_G2P1+6",
                                  "\tcall __InitializeOverlay"}));
    EXPECT_EQ(codeSize, 12u);
}

}  // namespace
}  // namespace velkor
