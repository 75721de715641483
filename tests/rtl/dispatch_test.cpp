// Set membership, CASE dispatch, MOVE and the heap.

#include <gtest/gtest.h>

#include <numeric>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

// The table as the compiler writes it: DB count, then two bounds per entry.
TEST(SetMembership, SinglesAndRangesInEitherOrder) {
  CaseBatch batch;
  for (std::uint16_t v :
       {0, 1, 2, 3, 4, 5, 6, 9, 10, 11, 199, 200, 225, 250, 251, 255, 256, 0x8003}) {
    const std::string next = batch.NewLabel();
    batch.Code("ld hl," + std::to_string(v), "ld bc," + next, "ld de,$+6", "jp __constset", "DB 4",
               "DB 1,1", "DB 3,5", "DB 10,10", "DB 250,200");
    batch.Label(next);
    bool member = v == 1 || (v >= 3 && v <= 5) || v == 10 || (v >= 200 && v <= 250);
    batch.ExpectBoolean(member, "constset " + std::to_string(v));
    batch.ExpectBalancedStack("constset");
  }
  batch.Run();
}

// Each arm leaves its number in HL; 99 means the code behind the table ran.
void DispatchCase(CaseBatch& batch, std::uint16_t selector, const std::vector<std::string>& table,
                  int arms, int expected, const std::string& what) {
  const std::string base = batch.NewLabel();
  batch.Code("ld hl," + std::to_string(selector));
  for (const std::string& line : table)
    batch.Code(line);
  for (int arm = 0; arm < arms; ++arm) {
    for (std::string& line : batch.program().code) {
      const std::string marker = "@ARM" + std::to_string(arm);
      if (auto at = line.find(marker); at != std::string::npos)
        line.replace(at, marker.size(), base + "A" + std::to_string(arm));
    }
  }
  batch.Code("ld hl,99", "jr " + base + "E");
  for (int arm = 0; arm < arms; ++arm) {
    batch.Label(base + "A" + std::to_string(arm));
    batch.Code("ld hl," + std::to_string(arm), "jr " + base + "E");
  }
  batch.Label(base + "E");
  std::uint16_t at = batch.Slot(2);
  batch.Code("ld (" + std::to_string(at) + "),hl");
  batch.Expect(at, WordBytes(expected), what);
  batch.ExpectBalancedStack(what);
}

TEST(CaseDispatch, JumpTableAndSwitch) {
  CaseBatch batch;
  for (std::uint16_t v : {0, 1, 2, 3, 4, 5, 6, 7, 255, 0x103, 0xFFFF}) {
    DispatchCase(batch, v, {"call __jpTable", "DB 4,3", "DW @ARM0,@ARM1,@ARM2,@ARM3"}, 4,
                 v >= 3 && v <= 6 ? v - 3 : 99, "jpTable " + std::to_string(v));
    int arm = v <= 1 ? 0 : (v >= 4 && v <= 6) ? 1 : v == 255 ? 2 : 99;
    DispatchCase(batch, v,
                 {"call __switchbyte", "DB 3", "DB 1,0", "DW @ARM0", "DB 6,4", "DW @ARM1",
                  "DB 255,255", "DW @ARM2"},
                 3, arm, "switchbyte " + std::to_string(v));
  }
  // Table values wrap on bytes: 254, 255, 0, 1.
  for (std::uint16_t v : {253, 254, 255, 0, 1, 2}) {
    int arm = v == 254 ? 0 : v == 255 ? 1 : v == 0 ? 2 : v == 1 ? 3 : 99;
    DispatchCase(batch, v, {"call __jpTable", "DB 4,254", "DW @ARM0,@ARM1,@ARM2,@ARM3"}, 4, arm,
                 "jpTable wrapping " + std::to_string(v));
  }
  batch.Run();
}

TEST(MoveMemory, OverlappingInBothDirections) {
  const struct {
    int from, to, count;
  } cases[] = {{0, 0, 0}, {0, 10, 5}, {0, 2, 8}, {2, 0, 8}, {0, 1, 10}, {5, 0, 5}, {3, 3, 4}};
  CaseBatch batch;
  for (const auto& c : cases) {
    std::uint16_t base = batch.Slot(20);
    for (int i = 0; i < 20; ++i)
      batch.Code("ld a," + std::to_string(i + 1), "ld (" + std::to_string(base + i) + "),a");
    batch.PushWord(base + c.from);
    batch.PushWord(base + c.to);
    batch.Code("ld hl," + std::to_string(c.count), "call __Move");
    std::vector<std::uint8_t> expected(20);
    std::iota(expected.begin(), expected.end(), 1);
    std::vector<std::uint8_t> before = expected;
    std::copy(before.begin() + c.from, before.begin() + c.from + c.count, expected.begin() + c.to);
    batch.Expect(base, expected,
                 "MOVE " + std::to_string(c.from) + "->" + std::to_string(c.to) + " x" +
                     std::to_string(c.count));
    batch.ExpectBalancedStack("MOVE");
  }
  batch.Run();
}

// HeapPtr starts at 0 in the simulator's memory; the heap then begins after
// the last data byte of the link.
TEST(Heap, StartsAfterTheDataAndRefusesTheStack) {
  CaseBatch batch;
  std::uint16_t at = batch.Slot(16);
  auto store = [&](int offset) { batch.Code("ld (" + std::to_string(at + offset) + "),hl"); };
  batch.Code("call __GetHeapPtr");
  store(0);
  batch.Code("ld hl,10", "call __malloc");
  store(2);
  batch.Code("ld hl,4", "call __malloc");
  store(4);
  batch.Code("call __GetHeapPtr");
  store(6);
  batch.Code("ld hl,60000", "call __malloc"); // wraps
  store(8);
  batch.Code("ld hl,0F000H", "call __SetHeapPtr", "ld hl,10", "call __malloc");
  store(10);
  batch.Code("ld hl,0FF00H", "call __SetHeapPtr", "ld hl,10", "call __malloc"); // into the stack
  store(12);
  batch.Code("call __GetHeapPtr");
  store(14);
  batch.program().data = {"Filler:", "\tDS 300"};
  BoardRun run = batch.Run();
  ASSERT_TRUE(run.halted);
  const long heapStart = run.Symbol("__HEAPSTART");
  ASSERT_GT(heapStart, 0x8000 + 300) << run.symText;
  EXPECT_EQ(run.Word(at + 0), heapStart);
  EXPECT_EQ(run.Word(at + 2), heapStart);
  EXPECT_EQ(run.Word(at + 4), heapStart + 10);
  EXPECT_EQ(run.Word(at + 6), heapStart + 14);
  EXPECT_EQ(run.Word(at + 8), 0) << "a block that wraps around is refused";
  EXPECT_EQ(run.Word(at + 10), 0xF000);
  EXPECT_EQ(run.Word(at + 12), 0) << "a block that reaches the stack is refused";
  EXPECT_EQ(run.Word(at + 14), 0xFF00) << "a refused block leaves the heap pointer";
  EXPECT_EQ(run.Word(static_cast<std::uint16_t>(run.Symbol("HEAPPTR"))), 0xFF00);
}

} // namespace
} // namespace rtltest
