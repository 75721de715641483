// The overlay handler beyond what the example programs show: the Z180 form
// reaches parts stored anywhere in the image through DMA channel 0 under any
// MMU mapping, the Z80 form refuses to link parts it cannot reach.

#include <gtest/gtest.h>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

constexpr const char* kZ80TooHigh = "A Z80 cannot load overlay parts stored at or above 10000H";

// Parts stored above 64K, the second across the 30000H boundary, as the
// compiler places them (LOADREF at the part, DREF in the descriptor).
const char* const kHighParts = "ORGMARK 1|LOADMARK 1|ORG 0,12000H|LOADREF High1|ld hl,1111H|ret"
                               "|ORG 0,2FFFEH|LOADREF High2|ld hl,2222H|inc hl|ret|LOADMARK 32"
                               "|LOADRESUME 1|ORGRESUME 1";

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
    batch.Code("ld a," + std::to_string(mapping.cbar) + "|out0 (3AH),a|ld a," +
               std::to_string(mapping.bbr) + "|out0 (39H),a|ld a," + std::to_string(mapping.cbr) +
               "|out0 (38H),a");
    for (std::size_t i = 0; i < std::size(kDmaPorts); ++i)
      batch.Code("ld a," + std::to_string(kDmaValues[i]),
                 "out0 (" + std::to_string(kDmaPorts[i]) + "),a");
    batch.Code("ld hl,Descr1+6", "call __InitializeOverlay");
    const std::uint16_t at = batch.Slot(6);
    for (int i = 0; i < 3; ++i)
      batch.Code(std::string(i == 1 ? "ld hl,Descr2" : "ld hl,Descr1") +
                 "|call __OverlayHandler|ld (" + std::to_string(at + 2 * i) + "),hl");
    batch.Expect(at, WordBytes(0x1111) + WordBytes(0x2223) + WordBytes(0x1111),
                 "part 1, part 2, part 1 again");
    const std::uint16_t registers = batch.Slot(std::size(kDmaPorts));
    for (std::size_t i = 0; i < std::size(kDmaPorts); ++i)
      batch.Code("in0 a,(" + std::to_string(kDmaPorts[i]) + ")",
                 "ld (" + std::to_string(registers + i) + "),a");
    batch.Expect(registers, kDmaValuesRead,
                 "SAR0, DAR0, BCR0, DSTAT, DMODE as the program set them");
    batch.ExpectBalancedStack("after three calls");
    batch.Code("jp OvlEnd|Descr1:|DB 1|DREF High1|DW 4|DW OvlBuffer|DW OvlBuffer",
               "Descr2:|DB 2|DREF High2|DW 5|DW OvlBuffer|DW OvlBuffer|OvlEnd:");
    batch.Code(kHighParts);
    const BoardRun run = batch.Run();
    if (!run.built || !run.halted) continue;
    const auto& memory = run.machine->PhysicalMemory;
    const Bytes copied(memory.begin() + mapping.bufferPhysical,
                       memory.begin() + mapping.bufferPhysical + 4);
    EXPECT_EQ(copied, (Bytes{0x21, 0x11, 0x11, 0xC9})) << "part 1 at the buffer's physical address";
  }
}

// Handle 32 marks the end of the parts; a Z80 reads only the low 64K, so the
// link fails as soon as a part's last byte lies at 10000H or above. The
// start-up stores parts from 4000H on: code of a program with overlays that
// reaches that far fails the link instead of being overwritten.
TEST(Overlay, LinkRefusesPartsOutOfReachAndCodeOverThem) {
  const std::string part = "jr Past|call __OverlayHandler|Past:|ORGMARK 1|LOADMARK 1|ORG 0,";
  const std::string end = "|DB 0,0,0,0C9H|LOADMARK 32|LOADRESUME 1|ORGRESUME 1";
  const std::pair<std::string, const char*> cases[] = {
      {part + "0FFFCH" + end, nullptr},
      {part + "0FFFDH" + end, kZ80TooHigh},
      {"ld hl,Buffer+6|call __InitializeOverlay|jp Past|DS 4000H|Past:",
       "Program code reaches the overlay parts at 4000H"},
      {"jp Past|DS 4000H|Past:", nullptr},
  };
  for (const auto& [code, refusal] : cases) {
    CaseBatch batch;
    batch.Code(code);
    batch.program().data = {"Buffer:", "\tDS 8"};
    const BoardRun run = RunOnBoard(batch.program());
    EXPECT_EQ(run.built, refusal == nullptr) << code << "\n" << run.log;
    if (refusal) EXPECT_NE(run.log.find(refusal), std::string::npos) << run.log;
  }
}

} // namespace
} // namespace rtltest
