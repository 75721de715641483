#pragma once
// Many cases of one routine family in one program: each case stores what it
// got at its own result address (from 9000H up) and names what it expects;
// Run() builds and runs the program once and checks every case.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text.h"
#include "tests/linker/link_fixture.h"
#include "tests/rtl/library_board.h"

namespace rtltest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes WordBytes(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}
inline Bytes LongBytes(std::uint64_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}
inline Bytes StringBytes(const std::string& s) {
  Bytes b{static_cast<std::uint8_t>(s.size())};
  b.insert(b.end(), s.begin(), s.end());
  return b;
}
inline Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
inline std::string Hex(std::uint32_t v) {
  return std::to_string(v & 0xFFFF);
}

class CaseBatch {
public:
  static constexpr std::uint16_t kResultBase = 0x9000;
  static constexpr std::uint16_t kResultEnd = 0xF000; // the stack lives above

  std::uint16_t Slot(std::size_t size) {
    std::uint16_t at = next_;
    next_ = static_cast<std::uint16_t>(next_ + size);
    EXPECT_LE(next_, kResultEnd) << "too many cases in one batch";
    return at;
  }
  // Code("ld hl,5|push hl", "Next:"): one line between each "|"; a line
  // that ends in ":" is a label.
  template <typename... Lines> void Code(const Lines&... lines) { (AddLines(lines), ...); }
  std::string NewLabel() { return "T" + std::to_string(labels_++); }
  void Expect(std::uint16_t address, Bytes expected, std::string what) {
    checks_.push_back({address, std::move(expected), std::move(what)});
  }
  // Stores the boolean in HL and the zero flag; true means HL = 1 with the
  // zero flag clear.
  void ExpectBoolean(bool expected, const std::string& what) {
    std::uint16_t at = Slot(3);
    Code("ld (" + std::to_string(at) + "),hl", "ld a,0", "jr nz,$+4", "ld a,1",
         "ld (" + std::to_string(at + 2) + "),a");
    Expect(at, WordBytes(expected ? 1 : 0) + Bytes{static_cast<std::uint8_t>(expected ? 0 : 1)},
           what);
  }
  // Every case must leave SP where the program set it.
  void ExpectBalancedStack(const std::string& what) {
    std::uint16_t at = Slot(2);
    Code("ld (" + std::to_string(at) + "),sp");
    Expect(at, WordBytes(0), what + ": stack");
  }
  // A string constant placed behind the cases; returns its label.
  std::string Literal(const std::string& text) {
    const auto [it, added] = literals_.emplace(text, "LIT" + std::to_string(literals_.size()));
    if (added) {
      tail_.push_back(it->second + ":");
      tail_.push_back("\tDB " + std::to_string(text.size()));
      for (unsigned char c : text)
        tail_.push_back("\tDB " + std::to_string(c));
    }
    return it->second;
  }
  // Pops the string on top into a fresh slot and expects `text` there.
  void ExpectPoppedString(const std::string& text, const std::string& what) {
    std::uint16_t at = Slot(text.size() + 1);
    Code("ld hl," + std::to_string(at), "ld b,255", "call __popString");
    Expect(at, StringBytes(text), what);
  }

  BoardProgram& program() { return program_; }

  BoardRun Run() {
    BoardProgram program = program_;
    program.code.push_back("\thalt");
    program.code.insert(program.code.end(), tail_.begin(), tail_.end());
    BoardRun run = RunOnBoard(program);
    EXPECT_TRUE(run.built) << run.log;
    if (!run.built) return run;
    EXPECT_TRUE(run.halted) << "stopped after " << run.instructions << " instructions";
    if (!run.halted) return run;
    int failures = 0;
    for (const Check& check : checks_) {
      Bytes got;
      for (std::size_t i = 0; i < check.expected.size(); ++i) {
        got.push_back(run.Byte(static_cast<std::uint16_t>(check.address + i)));
      }
      if (got != check.expected && ++failures <= 40) {
        ADD_FAILURE() << check.what << ": got " << Dump(got) << ", expected "
                      << Dump(check.expected);
      }
    }
    EXPECT_EQ(failures, 0) << "of " << checks_.size() << " checks";
    return run;
  }

private:
  void AddLines(std::string_view text) {
    for (const std::string& line : velkor::testing::Lines(text))
      program_.code.push_back(line.ends_with(':') ? line : "\t" + line);
  }
  struct Check {
    std::uint16_t address;
    Bytes expected;
    std::string what;
  };
  static std::string Dump(const Bytes& b) {
    std::string s;
    for (std::uint8_t v : b)
      s += platform::Hex(v, 2) + " ";
    return s;
  }

  BoardProgram program_;
  std::vector<Check> checks_;
  std::vector<std::string> tail_;
  std::map<std::string, std::string> literals_;
  std::uint16_t next_ = kResultBase;
  int labels_ = 0;
};

} // namespace rtltest
