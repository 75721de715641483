// The assembler on files: line ends, encoded sources, include files, the
// .RRO and .DEF outputs, and velkor-cli asm with a project.
#include "asm_test_support.h"
#include "common/encoded_lines.h"
#include "tests/platform/run_program.h"
#include "tests/platform/test_dir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace velkor {
namespace {

// Records which files the assembler asked the editor to save.
struct RecordingUi : platform::HeadlessUiHost {
  void SaveFileIfModified(const std::string& file) override { saved.push_back(file); }
  std::vector<std::string> saved;
};

class AssemblerFiles : public testing::Test {
protected:
  void write(const std::string& name, const std::string& text) { dir.Write(name, text); }
  std::string read(const std::string& name) { return kit_test::TestDir::Read(dir.Path() + name); }
  // An output file in hex from `from`: by default the record stream after the
  // header and the opening segment record.
  std::string hex(const std::string& name, std::size_t from = 9) {
    const std::string bytes = read(name);
    return test::hexBytes({bytes.begin() + std::min(from, bytes.size()), bytes.end()});
  }
  AssembleResult assemble(const std::string& name) {
    messages.Clear();
    asmsrc::AssemblySettings settings;
    settings.projectDirectory = dir.Path();
    return AssembleFile(dir.Path() + name, settings, messages, ui);
  }
  kit_test::TestDir dir;
  MessageList messages;
  RecordingUi ui;
};

// Plain lines may end in CR LF, CR or LF.
TEST_F(AssemblerFiles, EncodedSourceReadsLikePlainTextAndDefFileIsWritten) {
  const std::vector<std::string> lines = {"L1: NOP", " WRITE 255,MAX", " WRITE L1+2*3,AT",
                                          "",        " WRITE $,HERE",  " DB 'Hi'"};
  std::string error, plain;
  ASSERT_TRUE(WriteEncodedFile(dir.Path() + "ENC.EMS", lines, error)) << error;
  for (std::size_t i = 0; i < lines.size(); ++i)
    plain += lines[i] + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
  write("PLAIN.Mac", plain);
  ASSERT_TRUE(assemble("ENC.EMS").ok);
  const AssembleResult r = assemble("PLAIN.Mac");
  ASSERT_TRUE(r.ok) << r.errorMessage;
  EXPECT_EQ(messages.Lines(),
            (std::vector<std::string>{"Assemble: " + dir.Path() + "PLAIN.Mac", "Pass 1", "Pass 2",
                                      "Completed. No fatal errors..."}));
  EXPECT_EQ(r.objectPath, dir.Path() + "PLAIN.RRO");
  EXPECT_EQ(read("ENC.RRO"), read("PLAIN.RRO"));
  EXPECT_EQ(read("ENC.DEF"), "MAX:\tEQU\t00FFH\r\nAT:\tEQU\t0006H\r\nHERE:\tEQU\t0001H\r\n");
}

TEST_F(AssemblerFiles, UnreadableSourcesWriteNothing) {
  write("BAD.EMS", std::string("\x40\x01\x02", 3));
  std::filesystem::create_directories(dir.Path() + "D.Mac");
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"BAD.EMS", {std::string(kEncodedFileDamaged)}},
      {"NONE.EMS", {"Cannot find file : " + dir.Path() + "NONE.EMS"}},
      {"D.Mac",
       {"Cannot find file : " + dir.Path() + "D.Mac",
        dir.Path() + "D.Mac is a directory, not a file"}}};
  for (const auto& [name, lines] : cases) {
    EXPECT_FALSE(assemble(name).ok) << name;
    EXPECT_EQ(messages.Lines(), lines);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "BAD.RRO"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() + "NONE.RRO"));
}

// A failed assembly leaves the outputs of the last good one byte for byte.
TEST_F(AssemblerFiles, FailedAssemblyLeavesThePreviousObjectAndDefAlone) {
  write("FAIL.Mac", " WRITE 1,ONE\n LD A,1\n");
  ASSERT_TRUE(assemble("FAIL.Mac").ok);
  const std::string goodObject = read("FAIL.RRO"), goodDef = read("FAIL.DEF");
  ASSERT_FALSE(goodDef.empty());
  write("FAIL.Mac", " WRITE 2,TWO\n LD A,\n");
  const AssembleResult r = assemble("FAIL.Mac");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.objectPath, "");
  EXPECT_EQ(read("FAIL.RRO"), goodObject);
  EXPECT_EQ(read("FAIL.DEF"), goodDef);
}

// An include is found whatever its case and directory, ends at its END, may
// start with a UTF-8 byte-order mark, and its errors name it.
TEST_F(AssemblerFiles, Includes) {
  const struct {
    const char *file, *text, *main, *result; // the stream, or the error
  } cases[] = {
      {"defs.mac", " LD A,1\n END\n LD A,2\n", " INCLUDE 'sub\\DEFS.MAC'\n HALT\n", "F2 3E 01 76"},
      {"DEFS.Mac", "\xEF\xBB\xBF LD A,1\n", "\xEF\xBB\xBF INCLUDE DEFS.Mac\n HALT\n",
       "F2 3E 01 76"},
      {"INC.MAC", " NOP\n BOGUS\n", " NOP\n INCLUDE INC.MAC\n", "INC.MAC: Syntax error"},
      {"SELF.MAC", " NOP\n INCLUDE SELF.MAC\n", " NOP\n INCLUDE SELF.MAC\n",
       "SELF.MAC: Nested include not supported"},
      {"M.MAC", " NOP\nMM MACRO X\n NOP\n", " INCLUDE M.MAC\n NOP\n",
       "M.MAC: MACRO without MACEND"}};
  for (const auto& c : cases) {
    write(c.file, c.text);
    write("MAIN.Mac", c.main);
    const AssembleResult r = assemble("MAIN.Mac");
    if (r.ok) {
      EXPECT_EQ(hex("MAIN.RRO"), c.result) << c.file;
    } else {
      EXPECT_EQ(r.errorMessage, c.result);
      EXPECT_EQ(messages.Lines().end()[-2], c.result);
      EXPECT_EQ(r.errorPath, dir.Path() + c.file);
      EXPECT_EQ(r.errorLine, 2u) << c.file;
    }
    std::filesystem::remove(dir.Path() + c.file);
  }
}

TEST_F(AssemblerFiles, PumpsEverySixteenLinesAndSavesAnIncludeBeforeReadingIt) {
  write("INC.Mac", " NOP\n NOP\n");
  write("MAIN.Mac", " INCLUDE INC.Mac\n" + std::string(29, '\n'));
  ASSERT_TRUE(assemble("MAIN.Mac").ok);
  // 30 + 2 included lines in each of the two passes.
  EXPECT_EQ(ui.PumpCount(), 64 / 16);
  EXPECT_EQ(ui.saved, std::vector<std::string>{dir.Path() + "INC.Mac"});
}

// --project gives the include directory and the symbol output option.
TEST_F(AssemblerFiles, CliTakesIncludeDirectoryAndSymbolOptionFromTheProject) {
  write("DEFS.MAC", "ONE: NOP\n");
  write("src/X.Mac", " INCLUDE DEFS.MAC\n");
  ASSERT_EQ(kit_test::VelkorCli(dir.Path(), "new P.Prj --target None src/X.Mac").status, 0);
  // Without the project the include is looked for beside the source.
  EXPECT_EQ(kit_test::VelkorCli(dir.Path(), "asm src/X.Mac").status, 1);
  const auto run = kit_test::VelkorCli(dir.Path(), "asm src/X.Mac --project P.Prj");
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(hex("src/X.RRO"), "17 00 00 2A 03 4F 4E 45 01 00");
}

} // namespace
} // namespace velkor
