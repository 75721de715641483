#include "tests/rtl/library_board.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "ide/core/run_time_library.h"
#include "linker/linker.h"
#include "platform/paths.h"
#include "platform/ui_host.h"

namespace rtltest {
namespace {

std::string TempProjectDirectory() {
  static std::atomic<int> counter{0};
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("rtl_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  std::filesystem::create_directories(dir);
  return dir.string() + "/";
}

// Every library name the caller uses must be declared EXTERN.
std::vector<std::string> ExternLines(const BoardProgram& program) {
  static const std::regex name(R"((__[A-Za-z0-9_]+|\bHeapPtr\b))");
  // The assembler ignores case: __pushString and __PushString are one name.
  std::map<std::string, std::string> names;
  for (const std::string& line : program.code) {
    for (auto it = std::sregex_iterator(line.begin(), line.end(), name);
         it != std::sregex_iterator(); ++it) {
      names.emplace(platform::UpperCase(it->str()), it->str());
    }
  }
  std::vector<std::string> lines;
  for (const auto& [upper, n] : names)
    lines.push_back(" EXTERN " + n);
  return lines;
}

} // namespace

long BoardRun::Symbol(const std::string& upperName) const {
  std::istringstream in(symText);
  std::string address, name;
  while (in >> address >> name) {
    if (name == upperName) return std::stol(address, nullptr, 16);
  }
  return -1;
}

BoardRun RunOnBoard(const BoardProgram& program) {
  BoardRun run;
  const std::string dir = TempProjectDirectory();
  {
    std::ofstream main(dir + "Main.Mac");
    for (const std::string& line : ExternLines(program))
      main << line << "\n";
    main << "\n\tLINK 0000H,08000H\n\tCODE\n\tld sp,0\n";
    for (const std::string& line : program.code)
      main << line << "\n";
    main << "\thalt\n\tDATA\n";
    for (const std::string& line : program.data)
      main << line << "\n";
    main << "\tEND\n";
  }

  velkor::MessageList messages;
  std::ostringstream log;
  messages.AddObserver([&log](const std::string& line) { log << line << "\n"; });
  velkor::asmsrc::AssemblySettings settings;
  settings.projectDirectory = dir;
  settings.symbolOutput = true;
  platform::HeadlessUiHost ui;
  const velkor::AssembleResult assembled =
      velkor::AssembleFile(dir + "Main.Mac", settings, messages, ui);

  velkor::LinkResult linked;
  if (assembled.ok) {
    velkor::LinkRequest request;
    request.projectName = "Main";
    request.projectDirectory = dir;
    request.sources.push_back("Main.Mac");
    if (program.objects.empty()) {
      for (std::string_view object : velkor::RunTimeLibraryObjects(program.cpu))
        request.sources.emplace_back(object);
    } else {
      request.sources.insert(request.sources.end(), program.objects.begin(), program.objects.end());
    }
    request.writeSym = true;
    request.programDirectory = KIT_BIN_DIR;
    request.writeFiles = false;
    platform::HeadlessUiHost ui;
    linked = velkor::Link(request, messages, ui);
  }
  std::filesystem::remove_all(dir);
  run.log = log.str();
  if (!assembled.ok || !linked.ok) return run;
  run.built = true;
  run.imageSize = linked.imageFile.size();
  run.symText = linked.symText;

  run.machine = std::make_unique<kavrin::Machine>();
  kavrin::Machine& machine = *run.machine;
  machine.BuildPortMaps(0x80, {0x82, 0x83, 0x84, 0x85, 0x86}, {0x87, 0x88, 0x89, 0x8A, 0x8B});
  std::copy(linked.imageFile.begin(), linked.imageFile.end(), machine.PhysicalMemory.begin());
  machine.Reset();
  machine.Cpu.PC = 0;
  const std::uint64_t start = machine.InstructionCount();
  run.halted =
      machine.Run({.instructionLimit = program.maxInstructions}) == kavrin::StopReason::Halt;
  run.instructions = machine.InstructionCount() - start;
  return run;
}

} // namespace rtltest
