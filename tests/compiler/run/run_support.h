#pragma once
// Whole programs compiled as module T, linked behind a start-up that calls
// it and halts, and run on the simulated board; the variables they leave are
// read back through the symbol file.

#include <gtest/gtest.h>

#include <concepts>
#include <string>

#include "tests/compiler/statement_test_support.h"
#include "tests/rtl/library_board.h"

namespace velkor::run_support {

using namespace testing_support;

struct Ran {
  rtltest::BoardRun run;
  std::string listing;

  std::uint16_t Word(const std::string& variable) const {
    const long at = run.Symbol("T_" + variable);
    EXPECT_GE(at, 0) << variable << " not in the symbol file";
    return at < 0 ? 0 : run.Word(static_cast<std::uint16_t>(at));
  }
  std::uint8_t Byte(const std::string& variable, int offset = 0) const {
    const long at = run.Symbol("T_" + variable);
    EXPECT_GE(at, 0) << variable << " not in the symbol file";
    return at < 0 ? 0 : run.Byte(static_cast<std::uint16_t>(at + offset));
  }
  // ExpectWords({"N", 3, "I", -1}): each named variable holds the value
  // after its name, taken to the variable's width.
  struct Item {
    Item(const char* text) : name(text) {}
    template <std::integral T> Item(T number) : value(static_cast<std::int64_t>(number)) {}
    const char* name = nullptr;
    std::int64_t value = 0;
  };
  void ExpectBytes(std::initializer_list<Item> items) const { ExpectEach(items, 1); }
  void ExpectWords(std::initializer_list<Item> items) const { ExpectEach(items, 2); }
  void ExpectLongs(std::initializer_list<Item> items) const { ExpectEach(items, 4); }
  void ExpectEach(std::initializer_list<Item> items, int bytes) const {
    const std::uint64_t mask = (std::uint64_t{1} << (8 * bytes)) - 1;
    for (auto it = items.begin(); it != items.end() && it + 1 != items.end(); it += 2) {
      const std::uint32_t got = bytes == 1   ? Byte(it->name)
                                : bytes == 2 ? Word(it->name)
                                             : Long(it->name);
      EXPECT_EQ(got, static_cast<std::uint64_t>((it + 1)->value) & mask) << it->name;
    }
  }
  std::uint32_t Long(const std::string& variable) const {
    const long at = run.Symbol("T_" + variable);
    EXPECT_GE(at, 0) << variable << " not in the symbol file";
    if (at < 0) return 0;
    return run.Word(static_cast<std::uint16_t>(at)) |
           static_cast<std::uint32_t>(run.Word(static_cast<std::uint16_t>(at + 2))) << 16;
  }
};

// The compiled module behind the board's start-up: its code is called, its
// data section follows.
inline rtltest::BoardProgram BehindStartup(const CompiledProgram& p) {
  rtltest::BoardProgram program;
  program.code.push_back("\tcall @T");
  program.code.push_back("\thalt");
  bool inside = false;
  for (const std::string& line : p.lines) {
    if (line == "\tEND") break;
    if (inside) program.code.push_back(line);
    if (line == "\tCODE") inside = true;
  }
  program.maxInstructions = 2'000'000;
  return program;
}

// Compiles for the CPU, builds and runs; the program must build and halt.
inline Ran RunProgram(const std::string& source, int cpu = velkor::kCpuZ80) {
  Ran r;
  CompileSettings settings;
  settings.Z180 = cpu == velkor::kCpuZ180;
  const CompiledProgram p = Compile(source, settings);
  EXPECT_TRUE(p.ok) << Joined(p.messages);
  if (!p.ok) return r;
  rtltest::BoardProgram program = BehindStartup(p);
  program.cpu = cpu;
  r.listing = Joined(p.lines);
  r.run = rtltest::RunOnBoard(program);
  EXPECT_TRUE(r.run.built) << r.run.log << r.listing;
  EXPECT_TRUE(r.run.halted) << "the program did not end\n" << r.listing;
  return r;
}

} // namespace velkor::run_support
