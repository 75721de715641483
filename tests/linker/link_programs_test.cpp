// Multi-module programs assembled by our assembler and linked, checked byte
// for byte against pasmo assembling the same program as one source.
#include <cstdlib>

#include "tests/linker/link_fixture.h"

namespace velkor::testing {
namespace {

// ctest runs the programs in parallel, so each gets its own oracle directory.
std::vector<std::uint8_t> pasmoImage(const std::string& name,
                                     const std::vector<std::string>& lines) {
  const auto dir = std::filesystem::temp_directory_path() / ("linker_pasmo_oracle_" + name);
  std::filesystem::create_directories(dir);
  { std::ofstream(dir / "all.asm") << joined(lines); }
  const std::string command = "pasmo " + (dir / "all.asm").string() + " " +
                              (dir / "all.bin").string() + " > " + (dir / "log").string() + " 2>&1";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "pasmo failed: " << joined({command});
    return {};
  }
  return readBytes(dir / "all.bin");
}

struct Program {
  const char* name;
  std::vector<const char*> modules; // our sources, link order
  const char* oracle;               // the same as one pasmo source
};

const Program kPrograms[] = {
    {"externals_both_ways",
     {" GLOBAL START| EXTERN PRINT,MSG|START: LD A,5| CALL PRINT| LD HL,MSG| JR START",
      " GLOBAL PRINT,MSG| EXTERN START|PRINT: OUT (1),A| RET|MSG: DB 'HI',0| DW START"},
     "START: LD A,5| CALL PRINT| LD HL,MSG| JR START|PRINT: OUT (1),A| RET|MSG: DB 'HI',0"
     "| DW START"},
    {"expressions_over_externals_and_labels",
     {" EXTERN TABLE| LD HL,TABLE+4| LD DE,TABLE*2| LD A,TABLE-HERE|HERE: JP HERE+1| LD BC,$+6",
      " GLOBAL TABLE| NOP|TABLE: DB 1,2,3,4,5| DW TABLE-2"},
     " LD HL,TABLE+4| LD DE,TABLE*2| LD A,TABLE-HERE|HERE: JP HERE+1| LD BC,$+7| NOP"
     "|TABLE: DB 1,2,3,4,5| DW TABLE-2"},
    {"relative_branches_both_directions",
     {"TOP: NOP| JR NEXT| DJNZ TOP|NEXT: JR NZ,TOP| JR C,FAR| DS 100|FAR: JR TOP"},
     "TOP: NOP| JR NEXT| DJNZ TOP|NEXT: JR NZ,TOP| JR C,FAR| DS 100,0FFH|FAR: JR TOP"},
    {"equates_local_and_global",
     {" GLOBAL SIZE|SIZE EQU 10H|TWICE EQU SIZE*2| LD A,TWICE| LD BC,SIZE",
      " EXTERN SIZE| LD A,SIZE| LD DE,SIZE+1"},
     "SIZE EQU 10H|TWICE EQU SIZE*2| LD A,TWICE| LD BC,SIZE| LD A,SIZE| LD DE,SIZE+1"},
    {"index_registers_and_z80_prefixes",
     {" EXTERN BUF| LD IX,BUF| LD (IX+3),7| LD A,(IY-2)| RES 1,(IX+5)| LD (BUF),A| LD HL,(BUF)"
      "| EX (SP),IY",
      " GLOBAL BUF|BUF: DS 8"},
     " LD IX,BUF| LD (IX+3),7| LD A,(IY-2)| RES 1,(IX+5)| LD (BUF),A| LD HL,(BUF)| EX (SP),IY"
     "|BUF: DS 8,0FFH"},
};

class LinkedProgram : public ::testing::TestWithParam<Program> {};

TEST_P(LinkedProgram, ImageEqualsOneSourceAssembledByPasmo) {
  const Program& program = GetParam();
  LinkProject project(program.name);
  for (std::size_t i = 0; i < program.modules.size(); ++i) {
    project.module("M" + std::to_string(i) + ".Mac", Lines(program.modules[i]));
  }
  const LinkResult result = project.link();
  ASSERT_TRUE(result.ok) << project.output();
  const std::vector<std::uint8_t> expected = pasmoImage(program.name, Lines(program.oracle));
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(result.imageFile, expected) << project.output();
  EXPECT_EQ(readBytes(project.path("PROJ.ROM")), expected);
}

INSTANTIATE_TEST_SUITE_P(Programs, LinkedProgram, ::testing::ValuesIn(kPrograms),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace velkor::testing
