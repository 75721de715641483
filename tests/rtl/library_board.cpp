#include "tests/rtl/library_board.h"

#include <atomic>
#include <map>
#include <regex>
#include <sstream>

#include "ide/core/run_time_library.h"
#include "platform/paths.h"
#include "tests/linker/link_fixture.h"

namespace rtltest {
namespace {

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
  static std::atomic<int> runs{0};
  velkor::testing::LinkProject project("board" + std::to_string(runs++));
  std::vector<std::string> main = ExternLines(program);
  main.insert(main.end(), {"\tLINK 0000H,08000H", "\tCODE", "\tld sp,0"});
  main.insert(main.end(), program.code.begin(), program.code.end());
  main.insert(main.end(), {"\thalt", "\tDATA"});
  main.insert(main.end(), program.data.begin(), program.data.end());
  main.push_back("\tEND");
  project.request.writeSym = true;
  project.module("Main.Mac", main);
  if (program.objects.empty()) {
    for (std::string_view object : velkor::RunTimeLibraryObjects(program.cpu))
      project.request.sources.emplace_back(object);
  }
  project.request.sources.insert(project.request.sources.end(), program.objects.begin(),
                                 program.objects.end());
  project.request.programDirectory = KIT_BIN_DIR;
  project.request.writeFiles = false;
  const velkor::LinkResult linked = project.link();
  BoardRun run;
  run.log = project.output();
  if (!linked.ok) return run;
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
