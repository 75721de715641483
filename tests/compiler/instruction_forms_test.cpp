// The emitter's form table against our own assembler: every row, its
// operands filled with a placeholder, assembles to the bytes the row gives,
// so a form's text and its size cannot drift apart.

#include "compiler/emit/instruction_forms.h"

#include <gtest/gtest.h>

#include "assembler/assembler.h"

namespace velkor {
namespace {

// The bytes the line places, or -1 (and the assembler's messages) when it
// does not assemble.
int AssembledSize(const std::string& line, std::string& messages) {
  MessageList list;
  asmsrc::AssemblySettings settings;
  platform::HeadlessUiHost ui;
  const AssembledLines result =
      AssembleLines({"\tCODE", "\t" + line, "\tWRITE $,SIZE", "\tEND"}, settings, list, ui);
  for (const std::string& m : list.Lines())
    messages += m + "\n";
  if (!result.ok || result.writeList.size() != 1) return -1;
  return result.writeList[0].second;
}

TEST(InstructionForms, EveryRowAssemblesToItsSize) {
  for (const InstructionForm& f : InstructionForms()) {
    // A relative jump needs a target in reach; any number does for the rest.
    const std::string placeholder = f.text.starts_with("jr") ? "$" : "1";
    std::string text;
    for (const char ch : f.text)
      text += ch == '#' ? placeholder : std::string(1, ch);
    std::string messages;
    EXPECT_EQ(AssembledSize(text, messages), f.size) << text << "\n" << messages;
  }
}

TEST(InstructionForms, EachTagMarksLinesOfOneSize) {
  for (const InstructionForm& f : InstructionForms())
    if (f.tag != HistoryTag::None) EXPECT_EQ(TaggedSize(f.tag), f.size) << f.text;
}

} // namespace
} // namespace velkor
