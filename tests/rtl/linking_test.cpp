// How the library links: only referenced routines land in an image, each
// routine brings the helpers it needs, and the start-up template runs a
// program to HALT.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "ide/core/run_time_library.h"
#include "linker/linker.h"
#include "platform/ui_host.h"
#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

std::size_t ImageSizeOf(const std::vector<std::string>& code,
                        const std::vector<std::string>& objects = {}) {
  BoardProgram program;
  program.code = code;
  program.objects = objects;
  BoardRun run = RunOnBoard(program);
  EXPECT_TRUE(run.built) << run.log;
  return run.imageSize;
}

TEST(Linking, UnreferencedRoutinesStayOut) {
  const std::vector<std::string> caller = {"\tld hl,1", "\tld de,2"};
  const std::size_t alone = ImageSizeOf(caller, {"RtlEnd.RRO"});
  EXPECT_EQ(ImageSizeOf(caller), alone)
      << "the whole library adds nothing to a program that calls nothing";
  const std::size_t withDivision = ImageSizeOf({"\tld hl,1", "\tld de,2", "\tcall __div16HLDE"});
  EXPECT_GT(withDivision, alone + 3);
  EXPECT_LT(withDivision, alone + 3 + 80) << "only the division and its helpers";
  const std::size_t withLongText = ImageSizeOf({"\tld hl,1", "\tld de,2", "\tcall __LIntToStr"});
  EXPECT_GT(withLongText, withDivision);
}

// Each routine is linked alone (so helpers that another routine would have
// pulled in are missing if a block forgets a user) and run on one case.
struct SoloCase {
  const char* routine;
  std::vector<std::string> code; // leaves the result in HL
  std::uint16_t expected;
};

// Lines that begin with "Name:" are labels and go to column 1.
// Lines("ld hl,5|push hl"): the lines of a program, one between each "|".
std::vector<std::string> Lines(std::string_view text) {
  static const std::regex label(R"(^[A-Za-z]\w*:.*)");
  std::vector<std::string> out;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('|', start), text.size());
    const std::string line(text.substr(start, end - start));
    out.push_back(std::regex_match(line, label) ? line : "\t" + line);
    start = end + 1;
  }
  return out;
}

class SoloRoutine : public ::testing::TestWithParam<SoloCase> {};

TEST_P(SoloRoutine, WorksWhenLinkedAlone) {
  const SoloCase& c = GetParam();
  BoardProgram program;
  program.code = c.code;
  program.code.push_back("\tld (9000H),hl");
  program.code.push_back("\tld (9002H),sp");
  BoardRun run = RunOnBoard(program);
  ASSERT_TRUE(run.built) << run.log;
  ASSERT_TRUE(run.halted) << c.routine << " ran " << run.instructions << " instructions";
  EXPECT_EQ(run.Word(0x9000), c.expected) << c.routine;
  EXPECT_EQ(run.Word(0x9002), 0) << c.routine << ": stack";
}

// Words through the stack come back with "pop hl".
const SoloCase kSolo[] = {
    {"__equ", Lines("ld hl,5|push hl|call __equ"), 1},
    {"__Igreaterorequ", Lines("ld hl,0FFFFH|push hl|ld hl,1|call __Igreaterorequ"), 0},
    {"__lless", Lines("ld hl,0FFFFH|push hl|push hl|ld hl,0|push hl|push hl|call __lless"), 1},
    {"__div16HLDE", Lines("ld hl,100|ld de,7|call __div16HLDE"), 14},
    {"__mod16HLDE", Lines("ld hl,100|ld de,7|call __mod16HLDE"), 2},
    {"__Sdiv16HLDE", Lines("ld hl,-100|ld de,7|call __Sdiv16HLDE"),
     static_cast<std::uint16_t>(-14)},
    {"__Smod16HLDE", Lines("ld hl,-100|ld de,7|call __Smod16HLDE"), static_cast<std::uint16_t>(-2)},
    {"__intABS", Lines("ld hl,-9|push hl|call __intABS|pop hl"), 9},
    {"__NegInt", Lines("ld hl,9|push hl|call __NegInt|pop hl"), static_cast<std::uint16_t>(-9)},
    {"__mult16HLDE", Lines("ld hl,300|ld de,7|call __mult16HLDE"), 2100},
    {"__mult32",
     Lines("ld hl,0|push hl|ld hl,300|push hl|ld hl,0|push hl|ld hl,7|push hl|call __mult32|pop "
           "hl|pop de"),
     2100},
    {"__div32",
     Lines("ld hl,0|push hl|ld hl,100|push hl|ld hl,0|push hl|ld hl,7|push hl|call __div32|pop "
           "hl|pop de"),
     14},
    {"__mod32",
     Lines("ld hl,0|push hl|ld hl,100|push hl|ld hl,0|push hl|ld hl,7|push hl|call __mod32|pop "
           "hl|pop de"),
     2},
    {"__lintABS", Lines("ld hl,0FFFFH|push hl|ld hl,-5|push hl|call __lintABS|pop hl|pop de"), 5},
    {"__shl32",
     Lines("ld hl,0|push hl|ld hl,3|push hl|ld hl,0|push hl|ld hl,2|push hl|call __shl32|pop "
           "hl|pop de"),
     12},
    {"__lintfix1",
     Lines("ld hl,-1|push hl|ld hl,0|push hl|push hl|call __lintfix1|pop hl|pop hl|pop hl|pop hl"),
     0xFFFF},
    {"__succ32", Lines("ld hl,0|push hl|ld hl,0FFFFH|push hl|call __succ32|pop de|pop hl"), 1},
    {"__pred32", Lines("ld hl,1|push hl|ld hl,0|push hl|call __pred32|pop hl|pop de"), 0xFFFF},
    {"__sless",
     Lines("ld hl,Txt|call __pushString|ld hl,Txt+1|call __pushString|call __sless|jr TxtEnd|Txt: "
           "DB 2,1,2|TxtEnd:"),
     1},
    {"__AddCharToString",
     Lines("ld hl,Txt|call __pushString|ld hl,65|push hl|call __AddCharToString|ld hl,9100H|ld "
           "b,255|call __popString|ld hl,(9101H)|jr TxtEnd|Txt: DB 1,66|TxtEnd:"),
     0x4142},
    {"__AddStringToChar",
     Lines("ld hl,65|push hl|ld hl,Txt|call __pushString|call __AddStringToChar|ld hl,9100H|ld "
           "b,255|call __popString|ld hl,(9101H)|jr TxtEnd|Txt: DB 1,66|TxtEnd:"),
     0x4241},
    {"__popStringHL",
     Lines("ld hl,9100H|push hl|ld hl,Txt|call __pushString|ld b,9|call __popStringHL|pop hl|ld "
           "hl,(9101H)|jr TxtEnd|Txt: DB 2,67,68|TxtEnd:"),
     0x4443},
    {"__dumpstring",
     Lines(
         "ld hl,Txt|call __pushString|call __dumpstring|ld hl,7|jr TxtEnd|Txt: DB 3,1,2,3|TxtEnd:"),
     7},
    {"__POSN",
     Lines("ld hl,Txt+3|call __pushString|ld hl,Txt|push hl|ld hl,1|call __POSN|pop hl|jr "
           "TxtEnd|Txt: DB 2,65,66,1,66|TxtEnd:"),
     2},
    {"__Insert",
     Lines("ld hl,Txt|ld de,9100H|ld b,9|call __moveString|ld hl,Txt+3|call __pushString|ld "
           "hl,9100H|push hl|ld hl,1|push hl|ld b,9|call __Insert|ld hl,(9100H)|jr TxtEnd|Txt: DB "
           "2,65,66,1,67|TxtEnd:"),
     0x4303},
    {"__StrToInt",
     Lines("ld hl,Txt|call __pushString|call __StrToInt|pop hl|pop de|jr TxtEnd|Txt: DB "
           "3,49,50,51|TxtEnd:"),
     123},
    {"__StrToIntDef",
     Lines("ld hl,Txt|call __pushString|ld hl,0|push hl|ld hl,9|push hl|call __StrToIntDef|pop "
           "hl|pop de|jr TxtEnd|Txt: DB 1,88|TxtEnd:"),
     9},
    {"__IntToStr",
     Lines("ld hl,-12|push hl|call __IntToStr|ld hl,9100H|ld b,9|call __popString|ld hl,(9100H)"),
     0x2D03},
    {"__LIntToStr",
     Lines("ld hl,0|push hl|ld hl,10|push hl|call __LIntToStr|ld hl,9100H|ld b,9|call "
           "__popString|ld hl,(9101H)"),
     0x3031},
    {"__WordToHexStr",
     Lines("ld hl,0ABH|push hl|ld hl,0|push hl|call __WordToHexStr|ld hl,9100H|ld b,9|call "
           "__popString|ld hl,(9101H)"),
     0x4241},
    {"__malloc",
     Lines("ld hl,4|call __malloc|ld hl,4|call __malloc|ex de,hl|call __GetHeapPtr|or a|sbc hl,de"),
     4},
    {"__constset", Lines("ld hl,3|ld bc,SetEnd|ld de,$+6|jp __constset|DB 1|DB 2,4|SetEnd:"), 1},
    {"__switchbyte",
     Lines("ld hl,5|call __switchbyte|DB 1|DB 6,4|DW Hit|ld hl,0|jr Done|Hit: ld hl,1|Done:"), 1},
};

INSTANTIATE_TEST_SUITE_P(Routines, SoloRoutine, ::testing::ValuesIn(kSolo),
                         [](const auto& info) { return std::string(info.param.routine + 2); });

// The start-up template with the program's name and a RAM start filled in,
// linked first, as a new project does it.
std::string StartupFor(const std::string& main, const std::string& ram) {
  std::ifstream in(std::string(KIT_BIN_DIR) + "/Default/Startup.mac");
  std::stringstream text;
  text << in.rdbuf();
  std::string s = text.str();
  s = std::regex_replace(s, std::regex("%MAIN%"), main);
  return std::regex_replace(s, std::regex("%RAM%"), ram);
}

TEST(Startup, CallsTheProgramAndHalts) {
  for (const char* ram : {"8000", "4000"}) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("rtl_startup_" + std::string(ram))).string() +
        "/";
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "Start.Mac") << StartupFor("DEMO", ram);
    // A compiled program is a global routine @name ending in RET.
    std::ofstream(dir + "Demo.Mac")
        << " EXTERN HeapPtr,__malloc\n GLOBAL @DEMO\n\tCODE\n@DEMO:\n"
           "\tld hl,2\n\tcall __malloc\n\tld (Got),hl\n\tld (StackSeen),sp\n\tret\n"
           "\tDATA\nGot:\tDS 2\nStackSeen:\tDS 2\n\tEND\n";
    velkor::MessageList messages;
    std::ostringstream log;
    messages.AddObserver([&log](const std::string& line) { log << line << "\n"; });
    velkor::asmsrc::AssemblySettings settings;
    settings.projectDirectory = dir;
    platform::HeadlessUiHost ui;
    ASSERT_TRUE(velkor::AssembleFile(dir + "Start.Mac", settings, messages, ui).ok) << log.str();
    ASSERT_TRUE(velkor::AssembleFile(dir + "Demo.Mac", settings, messages, ui).ok) << log.str();
    velkor::LinkRequest request;
    request.projectName = "Demo";
    request.projectDirectory = dir;
    request.sources = {"Start.Mac", "Demo.Mac"};
    for (std::string_view object : velkor::RunTimeLibraryObjects())
      request.sources.emplace_back(object);
    request.programDirectory = KIT_BIN_DIR;
    request.writeSym = true;
    request.writeFiles = false;
    velkor::LinkResult linked = velkor::Link(request, messages, ui);
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(linked.ok) << log.str();

    auto machine = std::make_unique<kavrin::Machine>();
    // Memory that is not zero, as on a board after power-up.
    std::fill(machine->PhysicalMemory.begin(), machine->PhysicalMemory.begin() + 0x10000, 0x5A);
    std::copy(linked.imageFile.begin(), linked.imageFile.end(), machine->PhysicalMemory.begin());
    machine->Reset();
    machine->Cpu.PC = 0;
    const kavrin::StopReason stop = machine->Run({.instructionLimit = 100 * kavrin::kChunkSize});
    ASSERT_EQ(stop, kavrin::StopReason::Halt) << "RAM " << ram;
    const std::uint16_t ramStart = static_cast<std::uint16_t>(std::stoi(ram, nullptr, 16));
    // Data at the RAM start: HeapPtr's object comes after Demo's Got and Sp.
    const std::uint16_t got = machine->ReadWord(ramStart);
    EXPECT_GT(got, ramStart) << "the heap lies after the data, RAM " << ram;
    EXPECT_LT(got, ramStart + 0x20) << "RAM " << ram;
    EXPECT_EQ(machine->ReadWord(ramStart + 2), 0xFFFE)
        << "one return address below the top of memory";
    EXPECT_EQ(machine->Cpu.SP, 0x0000) << "RAM " << ram;
  }
}

} // namespace
} // namespace rtltest
