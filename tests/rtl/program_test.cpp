// Whole Pascal programs: compiled, assembled and linked as a new project
// builds them (start-up first, the library objects last) and run on the
// simulator until they HALT; the terminal output must match exactly.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "common/message_list.h"
#include "common/project.h"
#include "ide/core/build_commands.h"
#include "ide/core/run_time_library.h"
#include "platform/ui_host.h"
#include "simulator/core/machine.h"

namespace rtltest {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct ProgramRun {
  bool built = false;
  std::string log;
  bool halted = false;
  std::string terminal;
  std::uint64_t instructions = 0;
};

ProgramRun BuildAndRun(const std::string& file, const std::string& programName, int cpu) {
  ProgramRun result;
  const fs::path dir = fs::temp_directory_path() / ("rtl_program_" + file + std::to_string(cpu));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(fs::path(KIT_SOURCE_DIR) / "tests/rtl/programs" / (file + ".Pas"), dir / (file + ".Pas"));
  fs::copy_file(fs::path(KIT_BIN_DIR) / "Default/Terminal.pas", dir / "Terminal.pas");
  std::string startup = ReadText(fs::path(KIT_BIN_DIR) / "Default/Startup.mac");
  startup = std::regex_replace(startup, std::regex("%MAIN%"), programName);
  startup = std::regex_replace(startup, std::regex("%RAM%"), "8000");
  std::ofstream(dir / "Start.Mac") << startup;

  velkor::Project project = velkor::NewProject(dir.string() + "/", file);
  project.settings.CPU = cpu;
  project.RefreshDescriptions();
  project.AddFile((dir / "Start.Mac").string());
  project.AddFile((dir / (file + ".Pas")).string());
  for (std::string_view object : velkor::RunTimeLibraryObjects(cpu)) project.AddFile(object);

  velkor::MessageList messages;
  std::ostringstream log;
  messages.AddObserver([&log](const std::string& line) { log << line << "\n"; });
  platform::HeadlessUiHost ui;
  velkor::BuildSession session{project, messages, ui, KIT_BIN_DIR};
  result.built = session.Build();
  result.log = log.str();
  const std::vector<std::uint8_t> image = session.lastLink.imageFile;
  fs::remove_all(dir);
  if (!result.built) return result;

  auto machine = std::make_unique<kavrin::Machine>();
  machine->BuildPortMaps(0x80, {0x82, 0x83, 0x84, 0x85, 0x86}, {0x87, 0x88, 0x89, 0x8A, 0x8B});
  std::string terminal;
  machine->SetPortWriteHandler(kavrin::kTerminalData,
                               [&terminal](std::uint8_t, std::uint8_t v) { terminal.push_back(static_cast<char>(v)); });
  std::copy(image.begin(), image.end(), machine->PhysicalMemory.begin());
  machine->Reset();
  machine->Cpu.PC = 0;
  machine->StepBudget = kavrin::kContinuous;
  kavrin::StopReason stop;
  do stop = machine->ExecuteSteps();
  while (stop == kavrin::StopReason::ChunkEnded && machine->InstructionCount < 50'000'000);
  machine->SetPortWriteHandler(kavrin::kTerminalData, nullptr);
  result.halted = stop == kavrin::StopReason::Halt;
  result.terminal = terminal;
  result.instructions = machine->InstructionCount;
  return result;
}

struct ProgramCase {
  const char* file;
  const char* name;  // the PROGRAM heading's name
  const char* output;
};

const ProgramCase kPrograms[] = {
    {"Sieve", "SIEVE", "Primes below 1000: 168\r\n983 991 997 \r\n"},
    {"Strings", "STRINGS",
     "Hello, World!\r\nWorld\r\n8\r\nHello, big World!\r\nbig World!\r\nbig World! and a str\r\n20\r\n"
     "Hello < World\r\nequal\r\n-24690\r\n-12345 FFFFCFC7\r\nQ\r\n"},
    {"Longs", "LONGS",
     "1 2 6 24 120 720 5040 40320 362880 3628800 39916800 479001600 \r\n2147483647 -2147483648\r\n"
     "76923077 6\r\n-142857 -1\r\nFFF0BDC0\r\n1000000\r\n"},
    {"Heap", "HEAP", "5=five 10=ten 20=twenty 30=thirty \r\nreleased\r\n"},
    {"Recursion", "RECURSION", "1 1 2 6 24 120 720 5040 40320 362880 3628800 \r\n21 1162261467\r\n"},
    {"Overlays", "OVERLAYS", "first part\r\nsecond part\r\nfirst part\r\n3\r\n"},
};

class PascalProgram : public ::testing::TestWithParam<std::tuple<ProgramCase, int>> {};

TEST_P(PascalProgram, PrintsItsOutputAndHalts) {
  const auto& [program, cpu] = GetParam();
  ProgramRun run = BuildAndRun(program.file, program.name, cpu);
  ASSERT_TRUE(run.built) << run.log;
  EXPECT_TRUE(run.halted) << "after " << run.instructions << " instructions";
  EXPECT_EQ(run.terminal, program.output);
}

INSTANTIATE_TEST_SUITE_P(Examples, PascalProgram,
                         ::testing::Combine(::testing::ValuesIn(kPrograms),
                                            ::testing::Values(velkor::kCpuZ80, velkor::kCpuZ180)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).file) +
                                  (std::get<1>(info.param) == velkor::kCpuZ180 ? "Z180" : "Z80");
                         });

}  // namespace
}  // namespace rtltest
