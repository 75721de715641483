// Word comparisons and word arithmetic against the C++ result.

#include <gtest/gtest.h>

#include <functional>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

std::int16_t S(std::uint16_t v) {
  return static_cast<std::int16_t>(v);
}
std::int32_t Quotient(std::int32_t a, std::int32_t b) {
  return a / b;
} // C++ truncates toward zero

const std::vector<std::uint16_t> kEdges = {0,   1,      2,      3,      7,      10,     255,   256,
                                           300, 0x1234, 0x7FFF, 0x8000, 0x8001, 0xFFFE, 0xFFFF};

struct WordRelation {
  const char* routine;
  std::function<bool(std::uint16_t, std::uint16_t)> holds;
};

TEST(WordCompare, EveryRelationOverEdgeValues) {
  const WordRelation relations[] = {
      {"__equ", [](auto a, auto b) { return a == b; }},
      {"__notequ", [](auto a, auto b) { return a != b; }},
      {"__less", [](auto a, auto b) { return a < b; }},
      {"__lessorequ", [](auto a, auto b) { return a <= b; }},
      {"__greater", [](auto a, auto b) { return a > b; }},
      {"__greaterorequ", [](auto a, auto b) { return a >= b; }},
      {"__Iless", [](auto a, auto b) { return S(a) < S(b); }},
      {"__Ilessorequ", [](auto a, auto b) { return S(a) <= S(b); }},
      {"__Igreater", [](auto a, auto b) { return S(a) > S(b); }},
      {"__Igreaterorequ", [](auto a, auto b) { return S(a) >= S(b); }},
  };
  CaseBatch batch;
  for (const WordRelation& r : relations) {
    for (std::uint16_t left : kEdges) {
      for (std::uint16_t right : {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x1234, 300}) {
        batch.PushWord(left);
        batch.Code("ld hl," + Hex(right), std::string("call ") + r.routine);
        batch.ExpectBoolean(r.holds(left, right), std::string(r.routine) + "(" +
                                                      std::to_string(left) + "," +
                                                      std::to_string(right) + ")");
        batch.ExpectBalancedStack(r.routine);
      }
    }
  }
  batch.Run();
}

struct WordOperation {
  const char* routine;
  std::function<std::uint16_t(std::uint16_t, std::uint16_t)> result;
};

// HL = left, DE = right; division by zero gives all ones and the dividend.
TEST(WordArithmetic, MultiplyDivideAndRemainder) {
  const WordOperation operations[] = {
      {"__mult16HLDE",
       [](auto a, auto b) { return static_cast<std::uint16_t>(std::uint32_t{a} * b); }},
      {"__Smult16HLDE", [](auto a, auto b) { return static_cast<std::uint16_t>(S(a) * S(b)); }},
      {"__div16HLDE",
       [](auto a, auto b) { return b ? static_cast<std::uint16_t>(a / b) : 0xFFFF; }},
      {"__mod16HLDE", [](auto a, auto b) { return b ? static_cast<std::uint16_t>(a % b) : a; }},
      {"__Sdiv16HLDE",
       [](auto a, auto b) {
         return b ? static_cast<std::uint16_t>(Quotient(S(a), S(b))) : 0xFFFF;
       }},
      {"__Smod16HLDE",
       [](auto a, auto b) { return b ? static_cast<std::uint16_t>(S(a) % S(b)) : a; }},
  };
  CaseBatch batch;
  for (const WordOperation& op : operations) {
    for (std::uint16_t left : kEdges) {
      for (std::uint16_t right : kEdges) {
        std::uint16_t at = batch.Slot(2);
        batch.Code("ld hl," + Hex(left), "ld de," + Hex(right), std::string("call ") + op.routine,
                   "ld (" + std::to_string(at) + "),hl");
        batch.Expect(at, WordBytes(op.result(left, right)),
                     std::string(op.routine) + "(" + std::to_string(left) + "," +
                         std::to_string(right) + ")");
      }
    }
  }
  batch.Run();
}

TEST(WordArithmetic, SignedRemainderFollowsTheDividend) {
  CaseBatch batch;
  std::uint16_t at = batch.Slot(2);
  batch.Code("ld hl," + Hex(static_cast<std::uint16_t>(-7)), "ld de,3", "call __Smod16HLDE",
             "ld (" + std::to_string(at) + "),hl");
  batch.Expect(at, WordBytes(static_cast<std::uint16_t>(-1)), "-7 mod 3");
  batch.Run();
}

TEST(WordArithmetic, ShiftsByEveryCountClass) {
  CaseBatch batch;
  for (std::uint16_t value : {0, 1, 0x8000, 0xFFFF, 0x1234}) {
    for (int count : {0, 1, 3, 7, 8, 9, 15, 16, 17, 255}) {
      std::uint16_t left = batch.Slot(2), right = batch.Slot(2);
      batch.Code("ld hl," + Hex(value), "ld b," + std::to_string(count), "call __shl16",
                 "ld (" + std::to_string(left) + "),hl");
      batch.Code("ld hl," + Hex(value), "ld b," + std::to_string(count), "call __shr16",
                 "ld (" + std::to_string(right) + "),hl");
      std::string what = std::to_string(value) + " by " + std::to_string(count);
      batch.Expect(left, WordBytes(count < 16 ? static_cast<std::uint16_t>(value << count) : 0),
                   "shl " + what);
      batch.Expect(right, WordBytes(count < 16 ? value >> count : 0), "shr " + what);
    }
  }
  batch.Run();
}

TEST(WordArithmetic, UnaryRoutines) {
  CaseBatch batch;
  for (std::uint16_t v : {0, 1, 5, 0x7FFF, 0x8000, 0xFFFF}) {
    const std::string value = std::to_string(v);
    // On the stack, in place.
    struct {
      const char* routine;
      std::uint16_t expected;
    } onStack[] = {{"__NegInt", static_cast<std::uint16_t>(-v)},
                   {"__intABS", static_cast<std::uint16_t>(S(v) < 0 ? -S(v) : S(v))},
                   {"__intODD", static_cast<std::uint16_t>(v & 1)}};
    for (const auto& c : onStack) {
      std::uint16_t at = batch.Slot(2);
      batch.PushWord(v);
      batch.Code(std::string("call ") + c.routine, "pop hl", "ld (" + std::to_string(at) + "),hl");
      batch.Expect(at, WordBytes(c.expected), std::string(c.routine) + " " + value);
      batch.ExpectBalancedStack(c.routine);
    }
    // HL in, HL out.
    struct {
      const char* routine;
      std::uint16_t expected;
    } inHl[] = {{"__notInt", static_cast<std::uint16_t>(~v)},
                {"__NegHL", static_cast<std::uint16_t>(-v)},
                {"__succ16", static_cast<std::uint16_t>(v + 1)},
                {"__succ16w", static_cast<std::uint16_t>(v + 1)},
                {"__pred16", static_cast<std::uint16_t>(v - 1)},
                {"__pred16w", static_cast<std::uint16_t>(v - 1)},
                {"__succ8", static_cast<std::uint16_t>((v + 1) & 0xFF)},
                {"__pred8", static_cast<std::uint16_t>((v - 1) & 0xFF)}};
    for (const auto& c : inHl) {
      std::uint16_t at = batch.Slot(2);
      batch.Code("ld hl," + value, std::string("call ") + c.routine,
                 "ld (" + std::to_string(at) + "),hl");
      batch.Expect(at, WordBytes(c.expected), std::string(c.routine) + " " + value);
    }
    batch.Code("ld hl," + value, "call __notBool");
    batch.ExpectBoolean(v == 0, "notBool " + value);
    std::uint16_t inc = batch.Slot(2), dec = batch.Slot(2);
    batch.Code("ld hl," + value, "ld (" + std::to_string(inc) + "),hl",
               "ld hl," + std::to_string(inc), "call __inc16hl");
    batch.Code("ld hl," + value, "ld (" + std::to_string(dec) + "),hl",
               "ld hl," + std::to_string(dec), "call __dec16hl");
    batch.Expect(inc, WordBytes(static_cast<std::uint16_t>(v + 1)), "inc16hl " + value);
    batch.Expect(dec, WordBytes(static_cast<std::uint16_t>(v - 1)), "dec16hl " + value);
  }
  for (int c : {0x00, 0x40, 0x41, 0x5A, 0x60, 0x61, 0x7A, 0x7B, 0xE1}) {
    std::uint16_t at = batch.Slot(2);
    batch.Code("ld hl," + std::to_string(c), "call __UpCase", "ld (" + std::to_string(at) + "),hl");
    batch.Expect(at, WordBytes(c >= 0x61 && c <= 0x7A ? c - 32 : c), "UpCase " + std::to_string(c));
  }
  batch.Run();
}

} // namespace
} // namespace rtltest
