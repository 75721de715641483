// Overlay areas nested in a part and the limits of the overlay directives;
// single areas are checked through whole programs.

#include "compiler/emit/overlay_areas.h"

#include <gtest/gtest.h>

#include "tests/compiler/compile_support.h"

#include "compiler/compile_error.h"
#include "compiler/emit/output.h"

namespace velkor {
namespace {

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

} // namespace
} // namespace velkor
