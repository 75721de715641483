#include "platform/ui_host.h"

#include <gtest/gtest.h>

#include <sstream>

namespace platform {
namespace {

// Unscripted answers never overwrite; scripted ones come in order, skipping
// those the box does not offer; every box is echoed.
TEST(HeadlessUiHost, AnswersAndEchoesMessageBoxes) {
  std::ostringstream out;
  HeadlessUiHost ui(&out);
  EXPECT_EQ(ui.MessageBox("Overwrite ?", "Velkor", kYesNoCancelAll), Answer::kNo);
  EXPECT_EQ(ui.MessageBox("?", "V", Bit(Answer::kYes) | Bit(Answer::kCancel)), Answer::kCancel);
  ui.QueueAnswer(Answer::kAll);
  ui.QueueAnswer(Answer::kYes);
  EXPECT_EQ(ui.MessageBox("a", "V", kYesNo), Answer::kYes) << "All is not offered";
  EXPECT_EQ(ui.MessageBox("b", "V", kOkOnly), Answer::kOk) << "queue exhausted";
  EXPECT_EQ(out.str(), "Velkor: Overwrite ?\nV: ?\nV: a\nV: b\n");
}

} // namespace
} // namespace platform
