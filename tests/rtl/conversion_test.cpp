// Numbers to decimal and hex strings and back, against std::to_string and
// printf-style formatting.

#include <gtest/gtest.h>

#include <cstdio>

#include "tests/rtl/case_batch.h"

namespace rtltest {
namespace {

std::string HexText(std::uint32_t v, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", v);
  std::string s = text;
  if (static_cast<int>(s.size()) < digits) s.insert(0, digits - s.size(), '0');
  return s;
}

TEST(NumberToString, DecimalAndHexOfWords) {
  CaseBatch batch;
  for (std::uint16_t v :
       {0, 1, 9, 10, 99, 100, 255, 256, 1000, 9999, 10000, 12345, 32767, 32768, 0x8001, 65535}) {
    const std::string value = std::to_string(v);
    const struct {
      const char* routine;
      std::string expected;
    } decimal[] = {{"__WordToStr", std::to_string(v)},
                   {"__IntToStr", std::to_string(static_cast<std::int16_t>(v))},
                   {"__ByteToStr", std::to_string(v & 0xFF)}};
    for (const auto& c : decimal) {
      batch.PushWord(v);
      batch.Code(std::string("call ") + c.routine);
      batch.ExpectPoppedString(c.expected, std::string(c.routine) + " " + value);
      batch.ExpectBalancedStack(c.routine);
    }
    for (int digits : {0, 1, 2, 4, 6, -1}) {
      batch.PushWord(v);
      batch.PushWord(static_cast<std::uint16_t>(digits));
      batch.Code("call __WordToHexStr");
      batch.ExpectPoppedString(HexText(v, digits),
                               "WordToHexStr " + value + "," + std::to_string(digits));
      batch.PushWord(v & 0xFF);
      batch.PushWord(static_cast<std::uint16_t>(digits));
      batch.Code("call __ByteToHexStr");
      batch.ExpectPoppedString(HexText(v & 0xFF, digits),
                               "ByteToHexStr " + value + "," + std::to_string(digits));
      batch.ExpectBalancedStack("hex");
    }
  }
  batch.Run();
}

TEST(NumberToString, DecimalAndHexOfLongs) {
  CaseBatch batch;
  for (std::int64_t v : {0LL, 1LL, -1LL, 9LL, 10LL, -10LL, 65536LL, 123456789LL, 999999999LL,
                         1000000000LL, 2147483647LL, -2147483648LL, -294967296LL}) {
    const std::uint32_t bits = static_cast<std::uint32_t>(v);
    batch.PushLong(bits);
    batch.Code("call __LIntToStr");
    batch.ExpectPoppedString(std::to_string(v), "LIntToStr " + std::to_string(v));
    for (int digits : {0, 3, 8, 12}) {
      batch.PushLong(bits);
      batch.PushWord(static_cast<std::uint16_t>(digits));
      batch.Code("call __LIntToHexStr");
      batch.ExpectPoppedString(HexText(bits, digits),
                               "LIntToHexStr " + std::to_string(v) + "," + std::to_string(digits));
    }
    batch.ExpectBalancedStack("long " + std::to_string(v));
  }
  // The digit count is cut at 255, the longest string.
  batch.PushLong(5);
  batch.PushWord(300);
  batch.Code("call __LIntToHexStr");
  batch.ExpectPoppedString(std::string(254, '0') + "5", "LIntToHexStr padded to 255");
  batch.ExpectBalancedStack("long hex padded");
  batch.Run();
}

TEST(StringToNumber, ValidAndInvalidTexts) {
  const struct {
    std::string text;
    bool valid;
    std::int64_t value;
  } cases[] = {{"0", true, 0},
               {"123", true, 123},
               {"-123", true, -123},
               {"+5", true, 5},
               {"  42", true, 42},
               {"$FF", true, 255},
               {"$ff", true, 255},
               {"-$10", true, -16},
               {"2147483647", true, 2147483647},
               {"-2147483648", true, -2147483648LL},
               {"99999", true, 99999},
               {"4294967296", true, 0}, // wraps
               {"", false, 0},
               {"-", false, 0},
               {"12a", false, 0},
               {"$", false, 0},
               {"$G", false, 0},
               {" ", false, 0},
               {"1 ", false, 0},
               {"0x10", false, 0}};
  CaseBatch batch;
  for (const auto& c : cases) {
    std::uint16_t plain = batch.Slot(4), withDefault = batch.Slot(4);
    batch.PushString(c.text);
    batch.Code("call __StrToInt");
    batch.PopLongTo(plain);
    batch.PushString(c.text);
    batch.PushLong(static_cast<std::uint32_t>(-77));
    batch.Code("call __StrToIntDef");
    batch.PopLongTo(withDefault);
    batch.Expect(plain, LongBytes(static_cast<std::uint32_t>(c.valid ? c.value : 0)),
                 "StrToInt '" + c.text + "'");
    batch.Expect(withDefault, LongBytes(static_cast<std::uint32_t>(c.valid ? c.value : -77)),
                 "StrToIntDef '" + c.text + "'");
    batch.ExpectBalancedStack("StrToInt '" + c.text + "'");
  }
  batch.Run();
}

// A round trip through both directions for a spread of values.
TEST(StringToNumber, RoundTripOfLongToStr) {
  CaseBatch batch;
  for (std::int64_t v = -2147483648LL; v <= 2147483647LL; v += 97654321LL) {
    std::uint16_t at = batch.Slot(4);
    batch.PushLong(static_cast<std::uint32_t>(v));
    batch.Code("call __LIntToStr", "call __StrToInt");
    batch.PopLongTo(at);
    batch.Expect(at, LongBytes(static_cast<std::uint32_t>(v)), "round trip " + std::to_string(v));
  }
  batch.ExpectBalancedStack("round trips");
  batch.Run();
}

} // namespace
} // namespace rtltest
