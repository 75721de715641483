// The assembler on files: line ends, encoded sources, include files, the
// .RRO and .DEF outputs, and velkor-cli asm.
#include "asm_test_support.h"
#include "common/encoded_lines.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace velkor {
namespace {

namespace fs = std::filesystem;

// Records which files the assembler asked the editor to save.
struct RecordingUi : platform::HeadlessUiHost {
  void SaveFileIfModified(const std::string& file) override { saved.push_back(file); }
  std::vector<std::string> saved;
};

class AssemblerFiles : public testing::Test {
protected:
  void SetUp() override {
    dir =
        fs::path(testing::TempDir()) /
        ("asm_files_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void write(const std::string& name, const std::string& text) {
    std::ofstream(dir / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) {
    std::ifstream in(dir / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  AssembleResult assemble(const std::string& name) {
    messages.Clear();
    asmsrc::AssemblySettings settings;
    settings.projectDirectory = dir.string();
    return AssembleFile((dir / name).string(), settings, messages, ui);
  }
  fs::path dir;
  MessageList messages;
  RecordingUi ui;
};

TEST_F(AssemblerFiles, LinesMayEndInCrLfCrOrLf) {
  write("ENDS.Mac", "A1: NOP\r\n LD A,1\r JR A1\n HALT");
  const AssembleResult r = assemble("ENDS.Mac");
  ASSERT_TRUE(r.ok) << r.errorMessage;
  const std::vector<std::string> expected = {"Assemble: " + (dir / "ENDS.Mac").string(), "Pass 1",
                                             "Pass 2", "Completed. No fatal errors..."};
  EXPECT_EQ(messages.Lines(), expected);
  EXPECT_EQ(r.objectPath, (dir / "ENDS.RRO").string());
  const std::string rro = read("ENDS.RRO");
  EXPECT_EQ(test::hexBytes({rro.begin(), rro.end()}),
            "52 52 4F 01 07 00 00 00 00 17 00 00 F3 00 3E 01 18 1D 00 00 00 01 76");
}

TEST_F(AssemblerFiles, EncodedSourceReadsLikePlainText) {
  const std::vector<std::string> lines = {"; encoded", "START: LD HL,START", " DB 'Hi'", "",
                                          " END"};
  std::string error;
  ASSERT_TRUE(WriteEncodedFile((dir / "ENC.EMS").string(), lines, error)) << error;
  write("PLAIN.Mac", "; encoded\nSTART: LD HL,START\n DB 'Hi'\n\n END\n");
  ASSERT_TRUE(assemble("ENC.EMS").ok);
  ASSERT_TRUE(assemble("PLAIN.Mac").ok);
  EXPECT_EQ(read("ENC.RRO"), read("PLAIN.RRO"));
}

TEST_F(AssemblerFiles, DamagedOrMissingSourceWritesNothing) {
  write("BAD.EMS", std::string("\x40\x01\x02", 3));
  const AssembleResult damaged = assemble("BAD.EMS");
  EXPECT_FALSE(damaged.ok);
  EXPECT_EQ(messages.Lines().back(), kEncodedFileDamaged);
  EXPECT_FALSE(fs::exists(dir / "BAD.RRO"));

  const AssembleResult missing = assemble("NONE.EMS");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(messages.Lines(),
            std::vector<std::string>{"Cannot find file : " + (dir / "NONE.EMS").string()});
  EXPECT_FALSE(fs::exists(dir / "NONE.RRO"));
}

// A failed assembly leaves the outputs of the last good one byte for byte.
TEST_F(AssemblerFiles, FailedAssemblyLeavesThePreviousObjectAndDefAlone) {
  write("FAIL.Mac", " WRITE 1,ONE\n LD A,1\n");
  ASSERT_TRUE(assemble("FAIL.Mac").ok);
  const std::string goodObject = read("FAIL.RRO");
  const std::string goodDef = read("FAIL.DEF");
  ASSERT_FALSE(goodDef.empty());

  write("FAIL.Mac", " WRITE 2,TWO\n LD A,\n");
  const AssembleResult r = assemble("FAIL.Mac");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.errorLine, 2u);
  EXPECT_EQ(r.errorPath, (dir / "FAIL.Mac").string());
  EXPECT_EQ(r.objectPath, "");
  EXPECT_EQ(read("FAIL.RRO"), goodObject);
  EXPECT_EQ(read("FAIL.DEF"), goodDef);

  write("NEW.Mac", " LD A,\n");
  EXPECT_FALSE(assemble("NEW.Mac").ok);
  EXPECT_FALSE(fs::exists(dir / "NEW.RRO"));
}

TEST_F(AssemblerFiles, ADirectoryGivenForTheSourceSaysSo) {
  fs::create_directories(dir / "D.Mac");
  EXPECT_FALSE(assemble("D.Mac").ok);
  const std::string path = (dir / "D.Mac").string();
  EXPECT_EQ(messages.Lines(), (std::vector<std::string>{"Cannot find file : " + path,
                                                        path + " is a directory, not a file"}));
}

TEST_F(AssemblerFiles, WriteStatementsGiveTheDefFile) {
  write("W.Mac", " WRITE 255,MAXV\n WRITE 1000H+2,BASE\n");
  const AssembleResult r = assemble("W.Mac");
  ASSERT_TRUE(r.ok) << r.errorMessage;
  EXPECT_EQ(read("W.DEF"), "MAXV:\tEQU\t00FFH\r\nBASE:\tEQU\t1002H\r\n");
}

TEST_F(AssemblerFiles, IncludeIsFoundWithoutRegardToCaseAndEndsAtItsEnd) {
  write("defs.mac", " LD A,1\n END\n LD A,2\n");
  write("MAIN.Mac", " INCLUDE 'sub\\DEFS.MAC'\n HALT\n");
  const AssembleResult r = assemble("MAIN.Mac");
  ASSERT_TRUE(r.ok) << r.errorMessage;
  const std::string rro = read("MAIN.RRO");
  EXPECT_EQ(test::hexBytes({rro.begin() + 9, rro.end()}), "F2 3E 01 76");
}

// A UTF-8 byte-order mark before the first line is not a label.
TEST_F(AssemblerFiles, AByteOrderMarkIsSkippedInTheSourceAndIncludes) {
  write("DEFS.Mac", "\xEF\xBB\xBF LD A,1\n");
  write("MAIN.Mac", "\xEF\xBB\xBF INCLUDE DEFS.Mac\n HALT\n");
  const AssembleResult r = assemble("MAIN.Mac");
  ASSERT_TRUE(r.ok) << r.errorMessage;
  const std::string rro = read("MAIN.RRO");
  EXPECT_EQ(test::hexBytes({rro.begin() + 9, rro.end()}), "F2 3E 01 76");
}

TEST_F(AssemblerFiles, PumpsEverySixteenLinesAndSavesAnIncludeBeforeReadingIt) {
  write("INC.Mac", " NOP\n NOP\n");
  std::string main = " INCLUDE INC.Mac\n";
  for (int i = 0; i < 29; ++i)
    main += " NOP\n";
  write("MAIN.Mac", main);
  ASSERT_TRUE(assemble("MAIN.Mac").ok);
  // 30 + 2 included lines in each of the two passes.
  EXPECT_EQ(ui.PumpCount(), 64 / 16);
  EXPECT_EQ(ui.saved, std::vector<std::string>{(dir / "INC.Mac").string()});
}

TEST_F(AssemblerFiles, ErrorsInsideAnIncludeNameTheIncludeFile) {
  write("INC.MAC", " NOP\n BOGUS\n");
  write("MAIN.Mac", " NOP\n INCLUDE INC.MAC\n");
  const AssembleResult r = assemble("MAIN.Mac");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.errorMessage, "INC.MAC: Syntax error");
  EXPECT_EQ(r.errorPath, (dir / "INC.MAC").string());
  EXPECT_EQ(r.errorLine, 2u);
  const auto& lines = messages.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "INC.MAC: Syntax error");
  EXPECT_EQ(lines.back(), " BOGUS");
}

TEST_F(AssemblerFiles, AnIncludeOfItselfEndsWithAnError) {
  write("SELF.Mac", " NOP\n INCLUDE SELF.MAC\n HALT\n");
  const AssembleResult r = assemble("SELF.Mac");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.errorMessage, "SELF.MAC: Nested include not supported");
  EXPECT_EQ(r.errorLine, 2u);
}

TEST_F(AssemblerFiles, MacroWithoutMacendInAnIncludeIsReportedThere) {
  write("M.MAC", " NOP\nMM MACRO X\n NOP\n");
  write("MAIN.Mac", " INCLUDE M.MAC\n NOP\n NOP\n");
  const AssembleResult r = assemble("MAIN.Mac");
  ASSERT_FALSE(r.ok);
  EXPECT_EQ(r.errorMessage, "M.MAC: MACRO without MACEND");
  EXPECT_EQ(r.errorLine, 2u);
}

// velkor-cli asm, as users and editors run it.
struct CliRun {
  int status = -1;
  std::string output;
};

CliRun runCli(const std::string& args) {
  CliRun run;
  const std::string command = std::string(KIT_BIN_DIR) + "/velkor-cli " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  std::array<char, 512> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr)
    run.output += buffer.data();
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST_F(AssemblerFiles, CliPrintsTheEditorLineBeforeTheErrorLines) {
  if (!fs::exists(fs::path(KIT_BIN_DIR) / "velkor-cli")) GTEST_SKIP() << "velkor-cli is not built";
  write("BAD.Mac", " NOP\r\n\r\n ld a,(ix+300)\r\n");
  const CliRun bad = runCli((dir / "BAD.Mac").string());
  EXPECT_NE(bad.status, 0);
  const CliRun asmBad = runCli("asm " + (dir / "BAD.Mac").string());
  EXPECT_EQ(asmBad.status, 1);
  EXPECT_EQ(asmBad.output, "Assemble: " + (dir / "BAD.Mac").string() + "\nPass 1\nPass 2\n" +
                               (dir / "BAD.Mac").string() +
                               ":3: Syntax error\nSyntax error\n LD A,(IX+300)\n" +
                               (dir / "BAD.Mac").string() + ":3:1: error: Syntax error\n");
  write("GOOD.Mac", " LD A,0\n");
  const CliRun good = runCli("asm " + (dir / "GOOD.Mac").string());
  EXPECT_EQ(good.status, 0) << good.output;
  EXPECT_NE(good.output.find("Completed. No fatal errors..."), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "GOOD.RRO"));
  EXPECT_EQ(runCli("asm").status, 2);
}

// --project gives the include directory and the symbol output option.
TEST_F(AssemblerFiles, CliTakesIncludeDirectoryAndSymbolOptionFromTheProject) {
  if (!fs::exists(fs::path(KIT_BIN_DIR) / "velkor-cli")) GTEST_SKIP() << "velkor-cli is not built";
  fs::create_directories(dir / "src");
  write("DEFS.MAC", "ONE: NOP\n");
  write("src/X.Mac", " INCLUDE DEFS.MAC\n");
  const std::string prj = (dir / "P.Prj").string();
  ASSERT_EQ(runCli("new " + prj + " --target None " + (dir / "src/X.Mac").string()).status, 0);
  const CliRun run = runCli("asm " + (dir / "src/X.Mac").string() + " --project " + prj);
  ASSERT_EQ(run.status, 0) << run.output;
  const std::string rro = read("src/X.RRO");
  EXPECT_EQ(test::hexBytes({rro.begin() + 9, rro.end()}), "17 00 00 2A 03 4F 4E 45 01 00");
  // Without the project the include is looked for beside the source.
  EXPECT_EQ(runCli("asm " + (dir / "src/X.Mac").string()).status, 1);
}

// A project with target None links the object into an image holding exactly
// the source's bytes.
TEST_F(AssemblerFiles, ProjectBuildGivesTheSourceBytes) {
  if (!fs::exists(fs::path(KIT_BIN_DIR) / "velkor-cli")) GTEST_SKIP() << "velkor-cli is not built";
  write("X.Mac",
        "START: LD HL,MSG\n CALL NEXT\n JR START\nNEXT: RET\nMSG: DB 'OK',0\n LD DE,$+6\n");
  const std::string prj = (dir / "P.Prj").string();
  const CliRun made = runCli("new " + prj + " --target None --no-rtl " + (dir / "X.Mac").string());
  ASSERT_EQ(made.status, 0) << made.output;
  const CliRun built = runCli("build " + prj);
  ASSERT_EQ(built.status, 0) << built.output;
  const std::string rom = read("P.ROM");
  EXPECT_EQ(test::hexBytes({rom.begin(), rom.end()}),
            "21 09 00 CD 08 00 18 F8 C9 4F 4B 00 11 13 00");
}

} // namespace
} // namespace velkor
