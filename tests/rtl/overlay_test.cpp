// The overlay handler: parts are copied into their area's buffer and run
// there; the Z180 form reaches parts stored anywhere in the image through
// DMA channel 0, the Z80 form refuses to link parts it cannot reach.

#include <gtest/gtest.h>

#include "ide/core/run_time_library.h"
#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

constexpr const char* kZ80TooHigh = "A Z80 cannot load overlay parts stored at or above 10000H";

// Two parts of one overlay area: each is copied into the buffer when the
// other is loaded there, and runs at the buffer address.
TEST(Overlay, PartsAreSwappedIntoTheBuffer) {
  for (int cpu : {velkor::kCpuZ80, velkor::kCpuZ180}) {
    SCOPED_TRACE(cpu == velkor::kCpuZ80 ? "Z80" : "Z180");
    CaseBatch batch;
    batch.program().cpu = cpu;
    batch.program().data = {"\tDS 1", "OvlBuffer:", "\tDS 8"};
    batch.Code("ld hl,Descr1+6", "call __InitializeOverlay", "ld hl,Descr1",
               "call __OverlayHandler", "ld (9000H),hl", "ld hl,Descr2", "call __OverlayHandler",
               "ld (9002H),hl", "ld hl,Descr2", "call __OverlayHandler", "ld (9004H),hl",
               "ld hl,Descr1", "call __OverlayHandler", "ld (9006H),hl", "ld a,(OvlBuffer-1)",
               "ld (9008H),a", "ld (900AH),sp", "jp OvlEnd");
    batch.Label("Part1");
    batch.Code("ld hl,1111H", "ret");
    batch.Label("Part2");
    batch.Code("ld hl,2222H", "inc hl", "ret");
    batch.Label("Descr1");
    batch.Code("DB 1", "DW Part1", "DB 0", "DW 4", "DW OvlBuffer", "DW OvlBuffer");
    batch.Label("Descr2");
    batch.Code("DB 2", "DW Part2", "DB 0", "DW 5", "DW OvlBuffer", "DW OvlBuffer");
    batch.Label("OvlEnd");
    batch.Expect(0x9000, WordBytes(0x1111), "part 1");
    batch.Expect(0x9002, WordBytes(0x2223), "part 2");
    batch.Expect(0x9004, WordBytes(0x2223), "part 2 again");
    batch.Expect(0x9006, WordBytes(0x1111), "part 1 copied back");
    batch.Expect(0x9008, {1}, "the buffer's part number");
    batch.Expect(0x900A, WordBytes(0), "stack");
    batch.Run();
  }
}

// Parts stored above 64K, the second across the 30000H boundary, as the
// compiler places them (LOADREF at the part, DREF in the descriptor).
const std::vector<std::string> kHighParts = {
    "\tORGMARK 1", "\tLOADMARK 1",   "\tORG 0,12000H",  "\tLOADREF High1", "\tld hl,1111H",
    "\tret",       "\tORG 0,2FFFEH", "\tLOADREF High2", "\tld hl,2222H",   "\tinc hl",
    "\tret",       "\tLOADMARK 32",  "\tLOADRESUME 1",  "\tORGRESUME 1",
};

// The MMU decides where the buffer (logical 8001H) lies in physical memory
// at the time of the call; the DMA registers the handler borrows keep the
// program's values.
struct Mapping {
  const char* what;
  std::uint8_t cbar, bbr, cbr;
  std::uint32_t bufferPhysical;
};

const Mapping kMappings[] = {
    {"reset mapping: bank area from 0000H with base 0", 0xF0, 0x00, 0x00, 0x08001},
    {"bank area from 8000H, base 19000H (carry into bits 16-19)", 0xF8, 0x19, 0x00, 0x21001},
    {"common area 1 from 8000H, base 3A000H", 0x88, 0x00, 0x3A, 0x42001},
    {"common area 0 below a bank area from 9000H", 0xF9, 0x50, 0x00, 0x08001},
};

// Values the program leaves in SAR0, DAR0, BCR0 (ports 20H-27H), DSTAT
// and DMODE; SAR0B and DAR0B keep 4 bits.  DSTAT 35H starts no transfer.
const std::uint8_t kDmaPorts[] = {0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x30, 0x31};
const std::uint8_t kDmaValues[] = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x35, 0x0C};
const Bytes kDmaValuesRead = {0x11, 0x12, 0x03, 0x14, 0x15, 0x06, 0x17, 0x18, 0x35, 0x0C};

TEST(Overlay, Z180CopiesPartsAboveSixtyFourKIntoTheMappedBuffer) {
  for (const Mapping& mapping : kMappings) {
    SCOPED_TRACE(mapping.what);
    CaseBatch batch;
    batch.program().cpu = velkor::kCpuZ180;
    batch.program().maxInstructions = 100'000; // a part copied wrongly runs astray
    batch.program().data = {"\tDS 1", "OvlBuffer:", "\tDS 8"};
    // CBAR first: the code runs in common area 0 below the new areas.
    batch.Code("ld a," + std::to_string(mapping.cbar), "out0 (3AH),a",
               "ld a," + std::to_string(mapping.bbr), "out0 (39H),a",
               "ld a," + std::to_string(mapping.cbr), "out0 (38H),a");
    for (std::size_t i = 0; i < std::size(kDmaPorts); ++i)
      batch.Code("ld a," + std::to_string(kDmaValues[i]),
                 "out0 (" + std::to_string(kDmaPorts[i]) + "),a");
    batch.Code("ld hl,Descr1+6", "call __InitializeOverlay");
    const struct {
      const char* descriptor;
      std::uint16_t result;
    } calls[] = {{"Descr1", 0x1111}, {"Descr2", 0x2223}, {"Descr1", 0x1111}};
    for (const auto& call : calls) {
      const std::uint16_t at = batch.Slot(2);
      batch.Code(std::string("ld hl,") + call.descriptor, "call __OverlayHandler",
                 "ld (" + std::to_string(at) + "),hl");
      batch.Expect(at, WordBytes(call.result), std::string("call of ") + call.descriptor);
    }
    const std::uint16_t registers = batch.Slot(std::size(kDmaPorts));
    for (std::size_t i = 0; i < std::size(kDmaPorts); ++i)
      batch.Code("in0 a,(" + std::to_string(kDmaPorts[i]) + ")",
                 "ld (" + std::to_string(registers + i) + "),a");
    batch.Expect(registers, kDmaValuesRead,
                 "SAR0, DAR0, BCR0, DSTAT, DMODE as the program set them");
    batch.ExpectBalancedStack("after three calls");
    batch.Code("jp OvlEnd");
    batch.Label("Descr1");
    batch.Code("DB 1", "DREF High1", "DW 4", "DW OvlBuffer", "DW OvlBuffer");
    batch.Label("Descr2");
    batch.Code("DB 2", "DREF High2", "DW 5", "DW OvlBuffer", "DW OvlBuffer");
    batch.Label("OvlEnd");
    batch.program().code.insert(batch.program().code.end(), kHighParts.begin(), kHighParts.end());
    const BoardRun run = batch.Run();
    if (!run.built || !run.halted) continue;
    const auto& memory = run.machine->PhysicalMemory;
    const Bytes copied(memory.begin() + mapping.bufferPhysical,
                       memory.begin() + mapping.bufferPhysical + 4);
    EXPECT_EQ(copied, (Bytes{0x21, 0x11, 0x11, 0xC9})) << "part 1 at the buffer's physical address";
  }
}

// Handle 32 marks the end of the parts; a Z80 reads only the low 64K, so
// the link fails as soon as a part's last byte lies at 10000H or above.
struct Placement {
  const char* load;
  int cpu;
  bool links;
};

const Placement kPlacements[] = {
    {"0FFFCH", velkor::kCpuZ80, true},  {"0FFFDH", velkor::kCpuZ80, false},
    {"10000H", velkor::kCpuZ80, false}, {"3F000H", velkor::kCpuZ80, false},
    {"10000H", velkor::kCpuZ180, true}, {"3F000H", velkor::kCpuZ180, true},
};

TEST(Overlay, Z80RefusesToLinkPartsItCannotReach) {
  for (const Placement& placement : kPlacements) {
    SCOPED_TRACE(std::string(placement.load) +
                 (placement.cpu == velkor::kCpuZ80 ? " Z80" : " Z180"));
    BoardProgram program;
    program.cpu = placement.cpu;
    program.code = {"\tjr Past",       "\tcall __OverlayHandler",
                    "Past:",           "\tORGMARK 1",
                    "\tLOADMARK 1",    "\tORG 0," + std::string(placement.load),
                    "\tDB 0,0,0,0C9H", "\tLOADMARK 32",
                    "\tLOADRESUME 1",  "\tORGRESUME 1"};
    const BoardRun run = RunOnBoard(program);
    EXPECT_EQ(run.built, placement.links) << run.log;
    EXPECT_EQ(run.log.find(kZ80TooHigh) != std::string::npos, !placement.links) << run.log;
  }
}

// The start-up stores overlay parts from 4000H on; a program with overlays
// whose code reaches that far fails to link instead of being overwritten.
TEST(Overlay, CodeReachingThePartsFailsTheLink) {
  BoardProgram program;
  program.code = {"\tld hl,Buffer+6", "\tcall __InitializeOverlay", "\tjp Past", "\tDS 4000H",
                  "Past:"};
  program.data = {"Buffer:", "\tDS 8"};
  BoardRun run = RunOnBoard(program);
  EXPECT_FALSE(run.built);
  EXPECT_NE(run.log.find("Program code reaches the overlay parts at 4000H"), std::string::npos)
      << run.log;
  program.code = {"\tjp Past", "\tDS 4000H", "Past:"};
  BoardRun plain = RunOnBoard(program);
  EXPECT_TRUE(plain.built) << "without overlays the code may be larger\n" << plain.log;
}

} // namespace
} // namespace rtltest
