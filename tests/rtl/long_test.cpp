// LONGINT routines against the C++ result over the 32-bit limits.

#include <gtest/gtest.h>

#include <functional>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

using I32 = std::int32_t;
using U32 = std::uint32_t;

I32 L(U32 v) {
  return static_cast<I32>(v);
}
U32 U(std::int64_t v) {
  return static_cast<U32>(v);
}

const std::vector<U32> kLongEdges = {0,           1,          U(-1),      3,      7,
                                     U(-7),       0x7FFFFFFF, 0x80000000, 0xFFFF, 0x10000,
                                     U(-0x10000), 123456789,  U(-987654)};

struct LongOperation {
  const char* routine;
  std::function<U32(U32, U32)> result;
};

// The left long is pushed first, the right one on top; division by zero
// gives -1 and the dividend.
const LongOperation kBinary[] = {
    {"__Add32", [](U32 a, U32 b) { return a + b; }},
    {"__sub32", [](U32 a, U32 b) { return a - b; }},
    {"__mult32", [](U32 a, U32 b) { return a * b; }},
    {"__div32",
     [](U32 a, U32 b) {
       return b == 0 ? U(-1) : (L(a) == INT32_MIN && L(b) == -1) ? a : U(L(a) / L(b));
     }},
    {"__mod32", [](U32 a, U32 b) { return b == 0         ? a
                                          : (L(b) == -1) ? 0u
                                                         : U(L(a) % L(b)); }},
    {"__and32", [](U32 a, U32 b) { return a & b; }},
    {"__or32", [](U32 a, U32 b) { return a | b; }},
    {"__xor32", [](U32 a, U32 b) { return a ^ b; }},
};

class LongBinary : public ::testing::TestWithParam<int> {};

TEST_P(LongBinary, OverEdgeValues) {
  const LongOperation& op = kBinary[GetParam()];
  CaseBatch batch;
  for (U32 left : kLongEdges) {
    for (U32 right : kLongEdges) {
      std::uint16_t at = batch.Slot(4);
      batch.PushLong(left);
      batch.PushLong(right);
      batch.Code(std::string("call ") + op.routine);
      batch.PopLongTo(at);
      batch.Expect(at, LongBytes(op.result(left, right)),
                   std::string(op.routine) + "(" + std::to_string(L(left)) + "," +
                       std::to_string(L(right)) + ")");
      batch.ExpectBalancedStack(op.routine);
    }
  }
  batch.Run();
}

INSTANTIATE_TEST_SUITE_P(Routines, LongBinary,
                         ::testing::Range(0, static_cast<int>(std::size(kBinary))),
                         [](const auto& info) {
                           return std::string(kBinary[info.param].routine + 2);
                         });

TEST(LongCompare, EveryRelationOverEdgeValues) {
  const struct {
    const char* routine;
    std::function<bool(I32, I32)> holds;
  } relations[] = {
      {"__lequ", [](I32 a, I32 b) { return a == b; }},
      {"__lnotequ", [](I32 a, I32 b) { return a != b; }},
      {"__lless", [](I32 a, I32 b) { return a < b; }},
      {"__llessorequ", [](I32 a, I32 b) { return a <= b; }},
      {"__lgreater", [](I32 a, I32 b) { return a > b; }},
      {"__lgreaterorequ", [](I32 a, I32 b) { return a >= b; }},
  };
  CaseBatch batch;
  for (const auto& r : relations) {
    for (U32 left : kLongEdges) {
      for (U32 right : {0u, 1u, U(-1), 0x7FFFFFFFu, 0x80000000u, 0x10000u, 0xFFFFu}) {
        batch.PushLong(left);
        batch.PushLong(right);
        batch.Code(std::string("call ") + r.routine);
        batch.ExpectBoolean(r.holds(L(left), L(right)), std::string(r.routine) + "(" +
                                                            std::to_string(L(left)) + "," +
                                                            std::to_string(L(right)) + ")");
        batch.ExpectBalancedStack(r.routine);
      }
    }
  }
  batch.Run();
}

TEST(LongShift, CountsUpToAndBeyond32) {
  CaseBatch batch;
  for (U32 value : {0u, 1u, U(-1), 0x12345678u, 0x80000000u, 0x7FFFFFFFu}) {
    for (U32 count : {0u, 1u, 4u, 8u, 12u, 15u, 16u, 17u, 24u, 31u, 32u, 33u, 0x10001u, U(-1)}) {
      for (bool left : {true, false}) {
        std::uint16_t at = batch.Slot(4);
        batch.PushLong(value);
        batch.PushLong(count);
        batch.Code(left ? "call __shl32" : "call __shr32");
        batch.PopLongTo(at);
        U32 expected = count >= 32 ? 0 : left ? value << count : value >> count;
        batch.Expect(at, LongBytes(expected),
                     std::string(left ? "shl32 " : "shr32 ") + std::to_string(value) + " by " +
                         std::to_string(count));
        batch.ExpectBalancedStack("shift");
      }
    }
  }
  batch.Run();
}

TEST(LongUnary, InPlaceOnTheStack) {
  CaseBatch batch;
  for (U32 v : {0u, 1u, U(-1), 0x12345678u, 0x80000000u, 0x7FFFFFFFu, 0xFFFFu, 0x10000u}) {
    const std::string value = std::to_string(L(v));
    const struct {
      const char* routine;
      U32 expected;
    } cases[] = {{"__notLint", ~v},
                 {"__NegLint", U(-static_cast<std::int64_t>(L(v)))},
                 {"__lintABS", L(v) < 0 ? U(-static_cast<std::int64_t>(L(v))) : v},
                 {"__succ32", v + 1},
                 {"__pred32", v - 1}};
    for (const auto& c : cases) {
      std::uint16_t at = batch.Slot(4);
      batch.PushLong(v);
      batch.Code(std::string("call ") + c.routine);
      batch.PopLongTo(at);
      batch.Expect(at, LongBytes(c.expected), std::string(c.routine) + " " + value);
      batch.ExpectBalancedStack(c.routine);
    }
    std::uint16_t odd = batch.Slot(2);
    batch.PushLong(v);
    batch.Code("call __lintODD", "pop hl", "ld (" + std::to_string(odd) + "),hl");
    batch.Expect(odd, WordBytes(v & 1), "lintODD " + value);
    batch.ExpectBalancedStack("lintODD");
  }
  batch.Run();
}

TEST(LongLoadsAndStores, ConstantsPushesStoresAndSteps) {
  CaseBatch batch;
  for (U32 v : {0u, 1u, U(-1), 0x12345678u, 0x80000000u, 0x0000FFFFu, 0xFFFF0000u}) {
    const std::string value = std::to_string(v);
    std::uint16_t constant = batch.Slot(4);
    batch.Code("call __LintConst", "DW " + Hex(v) + "," + Hex(v >> 16));
    batch.PopLongTo(constant);
    batch.Expect(constant, LongBytes(v), "LintConst " + value);

    std::uint16_t source = batch.Slot(4), pushed = batch.Slot(4);
    batch.Code("ld hl," + Hex(v), "ld (" + std::to_string(source) + "),hl", "ld hl," + Hex(v >> 16),
               "ld (" + std::to_string(source + 2) + "),hl", "ld hl," + std::to_string(source),
               "call __Push32");
    batch.PopLongTo(pushed);
    batch.Expect(pushed, LongBytes(v), "Push32 " + value);

    for (const char* store : {"__store32", "__StoreLint"}) {
      std::uint16_t at = batch.Slot(4);
      batch.PushLong(v);
      batch.Code("ld hl," + std::to_string(at), std::string("call ") + store);
      batch.Expect(at, LongBytes(v), std::string(store) + " " + value);
    }
    std::uint16_t indirect = batch.Slot(4);
    batch.PushWord(indirect);
    batch.PushLong(v);
    batch.Code("call __store32x");
    batch.Expect(indirect, LongBytes(v), "store32x " + value);

    std::uint16_t inc = batch.Slot(4), dec = batch.Slot(4);
    for (auto [at, routine] : {std::pair{inc, "__inc32hl"}, std::pair{dec, "__dec32hl"}}) {
      batch.Code("ld hl," + Hex(v), "ld (" + std::to_string(at) + "),hl", "ld hl," + Hex(v >> 16),
                 "ld (" + std::to_string(at + 2) + "),hl", "ld hl," + std::to_string(at),
                 std::string("call ") + routine);
    }
    batch.Expect(inc, LongBytes(v + 1), "inc32hl " + value);
    batch.Expect(dec, LongBytes(v - 1), "dec32hl " + value);
    batch.ExpectBalancedStack("loads and stores " + value);
  }
  batch.Run();
}

// INTEGER sign-extends, WORD (and BYTE, CHAR) zero-extends.
TEST(LongWidening, SignedAndUnsignedWords) {
  CaseBatch batch;
  for (std::uint16_t v : {0, 1, 0x7FFF, 0x8000, 0xFFFF}) {
    const std::string value = std::to_string(v);
    const U32 signedLong = U(static_cast<std::int16_t>(v));
    for (auto [routine, expected] :
         {std::pair{"__IntToLint", signedLong}, std::pair{"__WordToLint", U32{v}}}) {
      std::uint16_t at = batch.Slot(4);
      batch.Code("ld hl," + value, std::string("call ") + routine);
      batch.PopLongTo(at);
      batch.Expect(at, LongBytes(expected), std::string(routine) + " " + value);
    }
    for (auto [routine, expected] :
         {std::pair{"__IntToLintStore", signedLong}, std::pair{"__WordToLintStore", U32{v}}}) {
      std::uint16_t at = batch.Slot(4);
      batch.Code("ld hl," + value, "ld de," + std::to_string(at), std::string("call ") + routine);
      batch.Expect(at, LongBytes(expected), std::string(routine) + " " + value);
    }
    for (auto [routine, expected] :
         {std::pair{"__Int32store", signedLong}, std::pair{"__Word32store", U32{v}}}) {
      std::uint16_t at = batch.Slot(4);
      batch.PushWord(at);
      batch.PushWord(v);
      batch.Code(std::string("call ") + routine);
      batch.Expect(at, LongBytes(expected), std::string(routine) + " " + value);
    }
    for (auto [routine, expected] :
         {std::pair{"__lintfix1", signedLong}, std::pair{"__lintfix1w", U32{v}}}) {
      std::uint16_t right = batch.Slot(4), left = batch.Slot(4);
      batch.PushWord(v);
      batch.PushLong(0x11223344);
      batch.Code(std::string("call ") + routine);
      batch.PopLongTo(right);
      batch.PopLongTo(left);
      batch.Expect(right, LongBytes(0x11223344), std::string(routine) + " keeps the right long");
      batch.Expect(left, LongBytes(expected), std::string(routine) + " " + value);
    }
    batch.ExpectBalancedStack("widening " + value);
  }
  batch.Run();
}

} // namespace
} // namespace rtltest
