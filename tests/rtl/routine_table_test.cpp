// The library's routines against the C++ result over the edge values of
// their operands: signs, zero, carries across bytes and words, overflow,
// division by zero, empty and full strings, indexes and counts outside a
// string, CASE selectors outside their table. Each routine runs in a program
// of its own, linked alone, so a routine whose conditional block forgets a
// helper that another routine would have pulled in fails here too.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <numeric>
#include <optional>
#include <variant>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

using U32 = std::uint32_t;

std::int32_t S16(U32 v) {
  return static_cast<std::int16_t>(v);
}
std::int32_t S32(U32 v) {
  return static_cast<std::int32_t>(v);
}
U32 U(std::int64_t v) {
  return static_cast<U32>(v);
}

const std::vector<U32> kWords = {0,      1,      2,      7,      10,     255,   256,
                                 0x1234, 0x7FFF, 0x8000, 0x8001, 0xFFFE, 0xFFFF};
const std::vector<U32> kWordCounts = {0, 1, 7, 8, 9, 15, 16, 17, 255};
const std::vector<U32> kLongs = {0,          1,          7,         U(-1),
                                 U(-7),      0xFFFF,     0x10000,   U(-0x10000),
                                 0x7FFFFFFF, 0x80000000, 123456789, U(-987654)};
const std::vector<U32> kLongCounts = {0, 1, 8, 15, 16, 17, 31, 32, 33, 0x10001, U(-1)};
const std::vector<U32> kNone = {0};
const std::vector<U32> kRightLong = {0x11223344};
// Bytes and characters: the letters' edges, the digits' carry.
const std::vector<U32> kBytes = {0,    9,    10,   0x40, 0x41, 0x5A, 0x60,
                                 0x61, 0x7A, 0x7B, 0x7F, 0x80, 0xE1, 0xFF};
const std::vector<U32> kWordDigits = {0, 1, 4, 6, 0xFFFF};
const std::vector<U32> kLongDigits = {0, 3, 8, 12, 300};
const std::string kAs(200, 'A'), kBs(255, 'B');
const std::vector<std::string> kStrings = {"",     "a",     "ab",    "abc", "abd", "aab",
                                           "aaab", "hello", "\xC8x", kAs,   kBs};
// A text that is no number gives 0.
const std::optional<std::int64_t> kNoNumber;
const std::vector<std::pair<std::string, std::optional<std::int64_t>>> kNumberTexts = {
    {"-123", -123},     {"+5", 5},         {"  42", 42},
    {"$ff", 255},       {"-$10", -16},     {"-2147483648", -2147483648LL},
    {"4294967296", 0},  {"", kNoNumber},   {"-", kNoNumber},
    {"12a", kNoNumber}, {"$G", kNoNumber}, {"1 ", kNoNumber}};

std::vector<int> Indices(std::size_t count) {
  std::vector<int> indices(count);
  std::iota(indices.begin(), indices.end(), 0);
  return indices;
}

// Two word operands in one: the first in the low word, the second in the high.
std::vector<U32> Pairs(const std::vector<int>& lows, const std::vector<int>& highs) {
  std::vector<U32> pairs;
  for (int high : highs) {
    for (int low : lows)
      pairs.push_back(static_cast<std::uint16_t>(low) | U(static_cast<std::uint16_t>(high)) << 16);
  }
  return pairs;
}
const std::vector<U32> kStringIndices = Pairs(Indices(kStrings.size()), {0});
const std::vector<U32> kNumberTextIndices = Pairs(Indices(kNumberTexts.size()), {0});
const std::vector<U32> kCapacities = {1, 6, 10, 255};
const std::vector<U32> kIndexCounts = Pairs({-1, 0, 1, 2, 5, 6, 300}, {-5, 0, 1, 5, 20, 300});
const std::vector<U32> kStringStarts = Pairs(Indices(kStrings.size()), {-3, 0, 1, 2, 3, 300});
const std::vector<U32> kIndexCapacities = Pairs({-4, 0, 1, 3, 6, 9}, {2, 5, 7, 255});

std::string Cut(const std::string& s, std::size_t capacity = 255) {
  return s.substr(0, std::min(s.size(), capacity));
}
// Pascal's COPY, POS, INSERT and DELETE: an index below 1 counts as 1, one
// past the end gives nothing.
std::string Copied(const std::string& s, U32 indexCount) {
  const std::size_t from = std::max(S16(indexCount), 1);
  return from <= s.size() ? s.substr(from - 1, std::max(S16(indexCount >> 16), 0)) : "";
}
U32 Position(const std::string& find, U32 inStart) {
  const std::string& in = kStrings[inStart & 0xFFFF];
  const std::size_t start = std::max(S16(inStart >> 16), 1);
  const std::size_t found = in.find(find, start - 1);
  return !find.empty() && start <= 255 && found != std::string::npos ? U(found + 1) : 0;
}
std::string Inserted(const std::string& insert, U32 indexCapacity) {
  const std::size_t capacity = indexCapacity >> 16;
  std::string target = Cut("hello", capacity);
  const int index = std::clamp(S16(indexCapacity), 1, static_cast<int>(target.size()) + 1);
  return Cut(target.insert(index - 1, insert), capacity);
}
std::string Deleted(U32 indexCount) {
  std::string s = "hello";
  const int index = S16(indexCount), count = S16(indexCount >> 16);
  if (index >= 1 && index <= static_cast<int>(s.size()) && count >= 1) s.erase(index - 1, count);
  return s;
}
bool Less(U32 a, U32 b) {
  using Text = std::basic_string<unsigned char>; // characters compare unsigned
  return Text(kStrings[a].begin(), kStrings[a].end()) <
         Text(kStrings[b].begin(), kStrings[b].end());
}
// At least `digits` hex digits, at most 255; a negative count pads nothing.
std::string HexText(U32 v, U32 digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", v);
  const std::string s = text;
  return std::string(std::max<int>(0, std::min(S16(digits), 255) - static_cast<int>(s.size())),
                     '0') +
         s;
}

// Text is popped off the stack; TextAt stands at the slot, with a guard
// byte behind it when the code sets {GUARD}; Raw are bytes at the slot.
enum class Result { Word, Long, Boolean, LongThenRight, Text, TextAt, Raw };

// How a routine takes its operands and gives its result: {X} and {Y} are the
// operands' low words, {XH} and {YH} their high words, {AT} (and {AT2}...)
// the result slot; {SX}, {SY}, {NX} and {HELLO} are the labels of
// kStrings[X], kStrings[Y], kNumberTexts[X] and "hello", {FILL} the address
// of the bytes 1..20 and {L} a label of the case's own.
struct Shape {
  std::string code;
  Result result;
  const std::vector<U32>* lefts;
  const std::vector<U32>* rights = &kNone;
};

const std::string kPushX = "ld hl,{XH}|push hl|ld hl,{X}|push hl|";
const std::string kPushY = "ld hl,{YH}|push hl|ld hl,{Y}|push hl|";
const std::string kStoreX = "ld hl,{X}|ld ({AT}),hl|ld hl,{XH}|ld ({AT2}),hl|ld hl,{AT}|";
const std::string kPopLong = "|pop hl|ld ({AT}),hl|pop hl|ld ({AT2}),hl";

const Shape kWordPair = {"ld hl,{X}|ld de,{Y}|call {R}|ld ({AT}),hl", Result::Word, &kWords,
                         &kWords};
const Shape kWordRelation = {"ld hl,{X}|push hl|ld hl,{Y}|call {R}", Result::Boolean, &kWords,
                             &kWords};
const Shape kWordShift = {"ld hl,{X}|ld b,{Y}|call {R}|ld ({AT}),hl", Result::Word, &kWords,
                          &kWordCounts};
const Shape kWordInHL = {"ld hl,{X}|call {R}|ld ({AT}),hl", Result::Word, &kWords};
const Shape kCharInHL = {"ld hl,{X}|call {R}|ld ({AT}),hl", Result::Word, &kBytes};
const Shape kBooleanOfHL = {"ld hl,{X}|call {R}", Result::Boolean, &kWords};
const Shape kWordOnStack = {"ld hl,{X}|push hl|call {R}|pop hl|ld ({AT}),hl", Result::Word,
                            &kWords};
const Shape kWordInPlace = {"ld hl,{X}|ld ({AT}),hl|ld hl,{AT}|call {R}", Result::Word, &kWords};
const Shape kLongPair = {kPushX + kPushY + "call {R}" + kPopLong, Result::Long, &kLongs, &kLongs};
const Shape kLongShift = {kPushX + kPushY + "call {R}" + kPopLong, Result::Long, &kLongs,
                          &kLongCounts};
const Shape kLongRelation = {kPushX + kPushY + "call {R}", Result::Boolean, &kLongs, &kLongs};
const Shape kLongOnStack = {kPushX + "call {R}" + kPopLong, Result::Long, &kLongs};
const Shape kLongToWord = {kPushX + "call {R}|pop hl|ld ({AT}),hl", Result::Word, &kLongs};
const Shape kLongInPlace = {kStoreX + "call {R}", Result::Long, &kLongs};
const Shape kWordWiden = {"ld hl,{X}|call {R}" + kPopLong, Result::Long, &kWords};
// The word beneath a long is widened; the long stays on top.
const Shape kWidenBeneath = {"ld hl,{X}|push hl|" + kPushY +
                                 "call {R}|pop hl|ld ({AT4}),hl|pop hl|ld ({AT6}),hl" + kPopLong,
                             Result::LongThenRight, &kWords, &kRightLong};

const std::string kPushSX = "ld hl,{SX}|call __pushString|";
const std::string kPushSY = "ld hl,{SY}|call __pushString|";
const Shape kStringPair = {kPushSX + kPushSY + "call {R}", Result::Text, &kStringIndices,
                           &kStringIndices};
const Shape kStringRelation = {kPushSX + kPushSY + "call {R}", Result::Boolean, &kStringIndices,
                               &kStringIndices};
const Shape kCharThenString = {"ld hl,63|push hl|" + kPushSX + "call {R}", Result::Text,
                               &kStringIndices};
const Shape kCharPair = {"ld hl,{X}|push hl|ld hl,{Y}|push hl|call {R}", Result::Text, &kBytes,
                         &kBytes};
const Shape kCharText = {"ld hl,{X}|push hl|call {R}", Result::Text, &kBytes};
const Shape kWordText = {"ld hl,{X}|push hl|call {R}", Result::Text, &kWords};
const Shape kWordHexText = {"ld hl,{X}|push hl|ld hl,{Y}|push hl|call {R}", Result::Text, &kWords,
                            &kWordDigits};
const Shape kLongText = {kPushX + "call {R}", Result::Text, &kLongs};
const Shape kLongHexText = {kPushX + "ld hl,{Y}|push hl|call {R}", Result::Text, &kLongs,
                            &kLongDigits};
const Shape kNumberText = {"ld hl,{NX}|call __pushString|call {R}" + kPopLong, Result::Long,
                           &kNumberTextIndices};

const std::string kGuard = "ld a,0EEH|ld ({GUARD}),a|";
const Shape kPopCut = {kGuard + kPushSX + "ld hl,{AT}|ld b,{Y}|call {R}", Result::TextAt,
                       &kStringIndices, &kCapacities};
const Shape kMoveCut = {kGuard + "ld hl,{SX}|ld de,{AT}|ld b,{Y}|call {R}", Result::TextAt,
                        &kStringIndices, &kCapacities};
// The address beneath the string stays for the caller's pop hl.
const Shape kPopToPushed = {kGuard + "ld hl,{AT}|push hl|" + kPushSX + "ld b,{Y}|call {R}|pop hl",
                            Result::TextAt, &kStringIndices, &kCapacities};
const Shape kDropString = {"ld hl,{X}|push hl|" + kPushSX + "call {R}|pop hl|ld ({AT}),hl",
                           Result::Word, &kStringIndices};
const Shape kCopy = {"ld hl,{HELLO}|push hl|ld hl,{Y}|push hl|ld hl,{YH}|push hl|call {R}",
                     Result::Text, &kNone, &kIndexCounts};
const Shape kPos = {kPushSX + "ld hl,{SY}|push hl|ld hl,{YH}|call {R}|pop hl|ld ({AT}),hl",
                    Result::Word, &kStringIndices, &kStringStarts};
const Shape kInsert = {"ld hl,{HELLO}|ld de,{AT}|ld b,{YH}|call __moveString|" + kGuard + kPushSX +
                           "ld hl,{AT}|push hl|ld hl,{Y}|push hl|ld b,{YH}|call {R}",
                       Result::TextAt, &kStringIndices, &kIndexCapacities};
const Shape kDelete = {"ld hl,{HELLO}|ld de,{AT}|ld b,255|call __moveString|ld hl,{AT}|push hl"
                       "|ld hl,{Y}|push hl|ld hl,{YH}|push hl|call {R}",
                       Result::TextAt, &kNone, &kIndexCounts};

// The set table as the compiler writes it: DB count, then two bounds per
// entry, a range either way round. CASE tables: __jpTable takes a count, the
// first value (wrapping on bytes) and one arm per value; __switchbyte takes a
// count and a low, high and arm per entry. An arm leaves its number in HL,
// 99 means the code behind the table ran.
const std::vector<U32> kSetSelectors = {0,   1,   2,   3,   5,   6,   9,   10,    11,
                                        199, 200, 225, 250, 251, 255, 256, 0x8003};
const std::vector<U32> kCaseSelectors = {0, 1, 2, 3, 4, 6, 7, 255, 0x103, 0xFFFF};
const std::vector<U32> kWrapSelectors = {253, 254, 255, 0, 1, 2};
const std::string kArms = "|ld hl,99|jr {L}E|{L}0:|ld hl,0|jr {L}E|{L}1:|ld hl,1|jr {L}E|{L}2:"
                          "|ld hl,2|jr {L}E|{L}3:|ld hl,3|{L}E:|ld ({AT}),hl";
const Shape kSet = {"ld hl,{X}|ld bc,{L}E|ld de,$+6|jp {R}|DB 4|DB 1,1|DB 3,5|DB 10,10|DB 250,200"
                    "|{L}E:",
                    Result::Boolean, &kSetSelectors};
const Shape kJumpTable = {"ld hl,{X}|call {R}|DB 4,3|DW {L}0,{L}1,{L}2,{L}3" + kArms, Result::Word,
                          &kCaseSelectors};
const Shape kWrappingJumpTable = {"ld hl,{X}|call {R}|DB 4,254|DW {L}0,{L}1,{L}2,{L}3" + kArms,
                                  Result::Word, &kWrapSelectors};
const Shape kSwitch = {"ld hl,{X}|call {R}|DB 3|DB 1,0|DW {L}0|DB 6,4|DW {L}1|DB 255,255|DW {L}2" +
                           kArms,
                       Result::Word, &kCaseSelectors};

// MOVE(from, to, count) inside 20 bytes 1..20, overlapping either way.
const std::vector<U32> kFromTo = Pairs({0, 2, 5}, {0, 1, 2, 10});
const std::vector<U32> kMoveCounts = {0, 5, 8, 10};
const std::string kOneToTwenty =
    "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14";
const Shape kMove = {"ld hl,{FILL}|ld de,{AT}|ld bc,20|ldir|ld hl,{AT}+{X}|push hl|ld hl,{AT}+{XH}"
                     "|push hl|ld hl,{Y}|call {R}",
                     Result::Raw, &kFromTo, &kMoveCounts};

using Value = std::variant<U32, std::string>;

struct Routine {
  const char* name;
  const Shape& shape;
  std::function<Value(U32, U32)> result;
  int cpu = velkor::kCpuZ80;
};

// Division by zero gives all ones and the dividend as remainder. A second
// name on the same code (__Smult16HLDE, __succ16w, __pred16w) has no row, nor
// has a routine that only wraps another's code (__mod16HLDE, __NegInt, __succ32, __pred32,
// __ByteToHexStr, __StrToIntDef, __AddCharToString, __lintfix1w's FixPush) or differs from a tested
// relation by one jump on the same compare (the other string and long relations).
const Routine kRoutines[] = {
    {"__mult16HLDE", kWordPair, [](U32 a, U32 b) { return a * b; }},
    {"__mult16HLDE", kWordPair, [](U32 a, U32 b) { return a * b; }, velkor::kCpuZ180},
    {"__div16HLDE", kWordPair, [](U32 a, U32 b) { return b ? a / b : 0xFFFF; }},
    {"__Sdiv16HLDE", kWordPair, [](U32 a, U32 b) { return b ? U(S16(a) / S16(b)) : 0xFFFF; }},
    {"__Smod16HLDE", kWordPair, [](U32 a, U32 b) { return b ? U(S16(a) % S16(b)) : a; }},
    {"__equ", kWordRelation, [](U32 a, U32 b) { return a == b; }},
    {"__notequ", kWordRelation, [](U32 a, U32 b) { return a != b; }},
    {"__less", kWordRelation, [](U32 a, U32 b) { return a < b; }},
    {"__lessorequ", kWordRelation, [](U32 a, U32 b) { return a <= b; }},
    {"__greater", kWordRelation, [](U32 a, U32 b) { return a > b; }},
    {"__greaterorequ", kWordRelation, [](U32 a, U32 b) { return a >= b; }},
    {"__Iless", kWordRelation, [](U32 a, U32 b) { return S16(a) < S16(b); }},
    {"__Ilessorequ", kWordRelation, [](U32 a, U32 b) { return S16(a) <= S16(b); }},
    {"__Igreater", kWordRelation, [](U32 a, U32 b) { return S16(a) > S16(b); }},
    {"__Igreaterorequ", kWordRelation, [](U32 a, U32 b) { return S16(a) >= S16(b); }},
    {"__shl16", kWordShift, [](U32 a, U32 n) { return n < 16 ? a << n : 0; }},
    {"__shr16", kWordShift, [](U32 a, U32 n) { return n < 16 ? a >> n : 0; }},
    {"__notInt", kWordInHL, [](U32 a, U32) { return ~a; }},
    {"__NegHL", kWordInHL, [](U32 a, U32) { return 0 - a; }},
    {"__succ16", kWordInHL, [](U32 a, U32) { return a + 1; }},
    {"__pred16", kWordInHL, [](U32 a, U32) { return a - 1; }},
    {"__succ8", kWordInHL, [](U32 a, U32) { return (a + 1) & 0xFF; }},
    {"__pred8", kWordInHL, [](U32 a, U32) { return (a - 1) & 0xFF; }},
    {"__UpCase", kCharInHL, [](U32 c, U32) { return c >= 'a' && c <= 'z' ? c - 32 : c; }},
    {"__notBool", kBooleanOfHL, [](U32 a, U32) { return a == 0; }},
    {"__intABS", kWordOnStack, [](U32 a, U32) { return U(std::abs(S16(a))); }},
    {"__intODD", kWordOnStack, [](U32 a, U32) { return a & 1; }},
    {"__inc16hl", kWordInPlace, [](U32 a, U32) { return a + 1; }},
    {"__dec16hl", kWordInPlace, [](U32 a, U32) { return a - 1; }},
    {"__Add32", kLongPair, [](U32 a, U32 b) { return a + b; }},
    {"__sub32", kLongPair, [](U32 a, U32 b) { return a - b; }},
    {"__mult32", kLongPair, [](U32 a, U32 b) { return a * b; }},
    {"__mult32", kLongPair, [](U32 a, U32 b) { return a * b; }, velkor::kCpuZ180},
    {"__div32", kLongPair,
     [](U32 a, U32 b) {
       return b == 0 ? U(-1) : (S32(a) == INT32_MIN && S32(b) == -1) ? a : U(S32(a) / S32(b));
     }},
    {"__mod32", kLongPair,
     [](U32 a, U32 b) { return b == 0         ? a
                               : S32(b) == -1 ? 0
                                              : U(S32(a) % S32(b)); }},
    {"__and32", kLongPair, [](U32 a, U32 b) { return a & b; }},
    {"__or32", kLongPair, [](U32 a, U32 b) { return a | b; }},
    {"__xor32", kLongPair, [](U32 a, U32 b) { return a ^ b; }},
    {"__shl32", kLongShift, [](U32 a, U32 n) { return n < 32 ? a << n : 0; }},
    {"__shr32", kLongShift, [](U32 a, U32 n) { return n < 32 ? a >> n : 0; }},
    {"__lequ", kLongRelation, [](U32 a, U32 b) { return a == b; }},
    {"__lnotequ", kLongRelation, [](U32 a, U32 b) { return a != b; }},
    {"__lless", kLongRelation, [](U32 a, U32 b) { return S32(a) < S32(b); }},
    {"__lgreater", kLongRelation, [](U32 a, U32 b) { return S32(a) > S32(b); }},
    {"__notLint", kLongOnStack, [](U32 a, U32) { return ~a; }},
    {"__NegLint", kLongOnStack, [](U32 a, U32) { return 0 - a; }},
    {"__lintABS", kLongOnStack, [](U32 a, U32) { return S32(a) < 0 ? 0 - a : a; }},
    {"__lintODD", kLongToWord, [](U32 a, U32) { return a & 1; }},
    {"__inc32hl", kLongInPlace, [](U32 a, U32) { return a + 1; }},
    {"__dec32hl", kLongInPlace, [](U32 a, U32) { return a - 1; }},
    // INTEGER sign-extends, WORD (and BYTE, CHAR) zero-extends.
    {"__IntToLint", kWordWiden, [](U32 a, U32) { return U(S16(a)); }},
    {"__WordToLint", kWordWiden, [](U32 a, U32) { return a; }},
    {"__lintfix1", kWidenBeneath, [](U32 a, U32) { return U(S16(a)); }},
    {"__AddStrings", kStringPair, [](U32 a, U32 b) { return Cut(kStrings[a] + kStrings[b]); }},
    {"__AddStringToChar", kCharThenString, [](U32 a, U32) { return Cut("?" + kStrings[a]); }},
    {"__TwoCharsToString", kCharPair,
     [](U32 a, U32 b) {
       return std::string{static_cast<char>(a), static_cast<char>(b)};
     }},
    {"__CharToString", kCharText, [](U32 a, U32) { return std::string(1, static_cast<char>(a)); }},
    {"__sequ", kStringRelation, [](U32 a, U32 b) { return kStrings[a] == kStrings[b]; }},
    {"__sless", kStringRelation, [](U32 a, U32 b) { return Less(a, b); }},
    {"__sgreater", kStringRelation, [](U32 a, U32 b) { return Less(b, a); }},
    {"__WordToStr", kWordText, [](U32 a, U32) { return std::to_string(a); }},
    {"__IntToStr", kWordText, [](U32 a, U32) { return std::to_string(S16(a)); }},
    {"__ByteToStr", kCharText, [](U32 a, U32) { return std::to_string(a); }},
    {"__LIntToStr", kLongText, [](U32 a, U32) { return std::to_string(S32(a)); }},
    {"__WordToHexStr", kWordHexText, HexText},
    {"__LIntToHexStr", kLongHexText, HexText},
    {"__StrToInt", kNumberText, [](U32 i, U32) { return U(kNumberTexts[i].second.value_or(0)); }},
    {"__popString", kPopCut, [](U32 a, U32 n) { return Cut(kStrings[a], n); }},
    {"__moveString", kMoveCut, [](U32 a, U32 n) { return Cut(kStrings[a], n); }},
    {"__popStringHL", kPopToPushed, [](U32 a, U32 n) { return Cut(kStrings[a], n); }},
    {"__dumpstring", kDropString, [](U32 a, U32) { return a; }},
    {"__CopyString", kCopy, [](U32, U32 p) { return Copied("hello", p); }},
    {"__POSN", kPos, [](U32 a, U32 p) { return Position(kStrings[a], p); }},
    {"__Insert", kInsert, [](U32 a, U32 p) { return Inserted(kStrings[a], p); }},
    {"__Delete", kDelete, [](U32, U32 p) { return Deleted(p); }},
    {"__constset", kSet,
     [](U32 v, U32) { return v == 1 || (v >= 3 && v <= 5) || v == 10 || (v >= 200 && v <= 250); }},
    {"__jpTable", kJumpTable, [](U32 v, U32) { return v >= 3 && v <= 6 ? v - 3 : 99; }},
    {"__jpTable", kWrappingJumpTable,
     [](U32 v, U32) { return (v + 2) % 256 < 4 ? (v + 2) % 256 : 99; }},
    {"__switchbyte", kSwitch,
     [](U32 v, U32) {
       return U(v <= 1 ? 0 : (v >= 4 && v <= 6) ? 1 : v == 255 ? 2 : 99);
     }},
    {"__Move", kMove,
     [](U32 fromTo, U32 count) {
       std::string bytes = kOneToTwenty;
       return bytes.replace(fromTo >> 16, count, kOneToTwenty.substr(fromTo & 0xFFFF, count));
     }},
};

// The code with each {KEY} replaced by its value.
std::string Filled(const std::string& code, const std::function<std::string(std::string)>& value) {
  std::string filled;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const std::size_t end = code[i] == '{' ? code.find('}', i) : i;
    filled += end == i ? code.substr(i, 1) : value(code.substr(i + 1, end - i - 1));
    i = end;
  }
  return filled;
}

class LibraryRoutine : public ::testing::TestWithParam<int> {};

TEST_P(LibraryRoutine, MatchesCppOverEdgeValues) {
  const Routine& routine = kRoutines[GetParam()];
  const Shape& shape = routine.shape;
  CaseBatch batch;
  batch.program().cpu = routine.cpu;
  for (U32 x : *shape.lefts) {
    for (U32 y : *shape.rights) {
      const std::string what = std::string(routine.name) + "(" + std::to_string(S32(x)) + "," +
                               std::to_string(S32(y)) + ")";
      const Value value = routine.result(x, y);
      const U32 number = value.index() == 0 ? std::get<U32>(value) : 0;
      const std::string text = value.index() == 1 ? std::get<std::string>(value) : "";
      const bool guarded = shape.code.find("{GUARD}") != std::string::npos;
      Bytes expected;
      if (shape.result == Result::Word) expected = WordBytes(number);
      if (shape.result == Result::Long) expected = LongBytes(number);
      if (shape.result == Result::LongThenRight) expected = LongBytes(number) + LongBytes(y);
      if (shape.result == Result::TextAt) expected = StringBytes(text) + Bytes(guarded, 0xEE);
      if (shape.result == Result::Raw) expected = Bytes(text.begin(), text.end());
      const std::string label = batch.NewLabel();
      const std::uint16_t at = batch.Slot(expected.size());
      batch.Code(Filled(shape.code, [&](const std::string& key) -> std::string {
        if (key.starts_with("AT")) return std::to_string(at + (key.size() > 2 ? key[2] - '0' : 0));
        if (key == "GUARD") return std::to_string(at + 1 + text.size());
        if (key == "SX" || key == "SY")
          return batch.Literal(kStrings[(key == "SX" ? x : y) & 0xFFFF]);
        if (key == "NX") return batch.Literal(kNumberTexts[x].first);
        if (key == "HELLO") return batch.Literal("hello");
        if (key == "R") return routine.name;
        if (key == "L") return label;
        if (key == "FILL") return batch.Literal(kOneToTwenty) + "+1";
        return Hex((key[0] == 'X' ? x : y) >> (key.size() > 1 ? 16 : 0));
      }));
      if (shape.result == Result::Boolean)
        batch.ExpectBoolean(number != 0, what);
      else if (shape.result == Result::Text)
        batch.ExpectPoppedString(text, what);
      else
        batch.Expect(at, expected, what);
      batch.ExpectBalancedStack(what);
    }
  }
  batch.Run();
}

INSTANTIATE_TEST_SUITE_P(Routines, LibraryRoutine,
                         ::testing::Range(0, static_cast<int>(std::size(kRoutines))),
                         [](const auto& info) {
                           return std::to_string(info.param) + kRoutines[info.param].name;
                         });

// The Z180 object multiplies with MLT in far fewer instructions.
TEST(LibraryRoutine, Z180MultiplyIsTheMltForm) {
  std::uint64_t counts[2] = {0, 0};
  for (int cpu : {velkor::kCpuZ80, velkor::kCpuZ180}) {
    CaseBatch batch;
    batch.program().cpu = cpu;
    for (int i = 0; i < 50; ++i)
      batch.Code("ld hl,0ABCDH", "ld de,1234H", "call __mult16HLDE");
    counts[cpu] = batch.Run().instructions;
  }
  EXPECT_LT(counts[velkor::kCpuZ180] * 3, counts[velkor::kCpuZ80]);
}

} // namespace
} // namespace rtltest
