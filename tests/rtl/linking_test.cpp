// How the library links, starts a program and places its heap.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "ide/core/run_time_library.h"
#include "tests/linker/link_fixture.h"
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

// Only referenced routines and their helpers land in an image.
TEST(Linking, UnreferencedRoutinesStayOut) {
  const std::size_t alone = ImageSizeOf({"\tnop"}, {"RtlEnd.RRO"});
  EXPECT_EQ(ImageSizeOf({"\tnop"}), alone)
      << "the library adds nothing to a program that calls nothing";
  const std::size_t withDivision = ImageSizeOf({"\tcall __div16HLDE"});
  EXPECT_GT(withDivision, alone + 2);
  EXPECT_LT(withDivision, alone + 2 + 80) << "only the division and its helpers";
  EXPECT_GT(ImageSizeOf({"\tcall __LIntToStr"}), withDivision);
}

// The start-up template, its program name and RAM start filled in and
// linked first as a new project does it, sets up the heap in memory that is
// not zero (as on a board after power-up), calls the program with the stack
// at the top of memory and halts.
TEST(Startup, CallsTheProgramAndHalts) {
  std::ifstream in(std::string(KIT_BIN_DIR) + "/Default/Startup.mac");
  const std::string startup{std::istreambuf_iterator<char>(in), {}};
  // A RAM start other than the link's usual 8000H shows the template's is used.
  velkor::testing::LinkProject p("startup");
  p.module("Start.Mac",
           {std::regex_replace(std::regex_replace(startup, std::regex("%MAIN%"), "DEMO"),
                               std::regex("%RAM%"), "4000")});
  // A compiled program is a global routine @name ending in RET.
  p.module("Demo.Mac",
           velkor::testing::Lines(
               " EXTERN HeapPtr,__malloc| GLOBAL @DEMO| CODE|@DEMO:| ld hl,2| call __malloc"
               "| ld (Got),hl| ld (StackSeen),sp| ret| DATA|Got: DS 2|StackSeen: DS 2| END"));
  for (std::string_view object : velkor::RunTimeLibraryObjects())
    p.request.sources.emplace_back(object);
  p.request.programDirectory = KIT_BIN_DIR;
  p.request.writeFiles = false;
  const velkor::LinkResult linked = p.link();
  ASSERT_TRUE(linked.ok) << p.output();

  auto machine = std::make_unique<kavrin::Machine>();
  std::fill(machine->PhysicalMemory.begin(), machine->PhysicalMemory.begin() + 0x10000, 0x5A);
  std::copy(linked.imageFile.begin(), linked.imageFile.end(), machine->PhysicalMemory.begin());
  machine->Reset();
  machine->Cpu.PC = 0;
  ASSERT_EQ(machine->Run({.instructionLimit = 100 * kavrin::kChunkSize}), kavrin::StopReason::Halt);
  constexpr std::uint16_t ramStart = 0x4000;
  // Demo's data comes first at the RAM start, HeapPtr's object after it.
  EXPECT_GT(machine->ReadWord(ramStart), ramStart) << "the heap lies after the data";
  EXPECT_LT(machine->ReadWord(ramStart), ramStart + 0x20);
  EXPECT_EQ(machine->ReadWord(ramStart + 2), 0xFFFE) << "one return address below the top";
  EXPECT_EQ(machine->Cpu.SP, 0x0000);
}

// HeapPtr starts at 0 in the simulator's memory; the heap then begins after
// the last data byte of the link.
TEST(Heap, StartsAfterTheDataAndRefusesTheStack) {
  CaseBatch batch;
  const std::uint16_t at = batch.Slot(16);
  // What each step leaves in HL, counted from the heap start when `fromStart`.
  const struct {
    const char* step;
    long value;
    bool fromStart;
  } steps[] = {{"call __GetHeapPtr", 0, true},
               {"ld hl,10|call __malloc", 0, true},
               {"ld hl,4|call __malloc", 10, true},
               {"call __GetHeapPtr", 14, true},
               {"ld hl,60000|call __malloc", 0, false}, // wraps around
               {"ld hl,0F000H|call __SetHeapPtr|ld hl,10|call __malloc", 0xF000, false},
               {"ld hl,0FF00H|call __SetHeapPtr|ld hl,10|call __malloc", 0, false}, // the stack
               {"call __GetHeapPtr", 0xFF00, false}}; // a refused block leaves the pointer
  for (std::size_t i = 0; i < std::size(steps); ++i)
    batch.Code(std::string(steps[i].step) + "|ld (" + std::to_string(at + 2 * i) + "),hl");
  batch.program().data = {"Filler:", "\tDS 300"};
  const BoardRun run = batch.Run();
  ASSERT_TRUE(run.halted);
  const long heapStart = run.Symbol("__HEAPSTART");
  ASSERT_GT(heapStart, 0x8000 + 300) << run.symText;
  for (std::size_t i = 0; i < std::size(steps); ++i)
    EXPECT_EQ(run.Word(at + 2 * i), steps[i].value + (steps[i].fromStart ? heapStart : 0))
        << steps[i].step;
  EXPECT_EQ(run.Word(static_cast<std::uint16_t>(run.Symbol("HEAPPTR"))), 0xFF00);
}

} // namespace
} // namespace rtltest
