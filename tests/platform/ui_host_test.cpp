#include "platform/ui_host.h"

#include <gtest/gtest.h>

#include <sstream>

namespace platform {
namespace {

TEST(HeadlessUiHost, UnscriptedAnswersNeverOverwrite) {
  HeadlessUiHost ui;
  EXPECT_EQ(ui.MessageBox("Project file exists. Overwrite ?", "Velkor", kYesNo), Answer::kNo);
  EXPECT_EQ(ui.MessageBox("Save current project ?", "Velkor", kYesNoCancel), Answer::kNo);
  EXPECT_EQ(ui.MessageBox("Replace all ?", "Velkor", kYesNoCancelAll), Answer::kNo);
  EXPECT_EQ(ui.MessageBox("File not found", "Velkor", kOkOnly), Answer::kOk);
  EXPECT_EQ(ui.MessageBox("?", "Velkor", Bit(Answer::kYes) | Bit(Answer::kCancel)),
            Answer::kCancel);
  EXPECT_EQ(ui.MessageBoxTexts().size(), 5u);
}

TEST(HeadlessUiHost, ScriptedAnswersInOrderSkippingOnesNotOffered) {
  HeadlessUiHost ui;
  ui.QueueAnswer(Answer::kAll);
  ui.QueueAnswer(Answer::kYes);
  ui.QueueAnswer(Answer::kCancel);
  EXPECT_EQ(ui.MessageBox("a", "c", kYesNo), Answer::kYes) << "All is not offered";
  EXPECT_EQ(ui.MessageBox("b", "c", kYesNoCancel), Answer::kCancel);
  EXPECT_EQ(ui.MessageBox("c", "c", kYesNoCancel), Answer::kNo) << "queue exhausted";
}

TEST(HeadlessUiHost, WritesMessageBoxesToItsStream) {
  std::ostringstream out;
  HeadlessUiHost ui(&out);
  ui.MessageBox("File X not found", "Velkor", kOkOnly);
  EXPECT_EQ(out.str(), "Velkor: File X not found\n");
}

} // namespace
} // namespace platform
