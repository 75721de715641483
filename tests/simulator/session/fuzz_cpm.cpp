// Arbitrary BDOS calls with arbitrary FCBs and buffers from a CP/M program:
// never a crash, a hang or a file outside the program's directory. Each
// 4-byte group of the input becomes LD C,fn / LD DE,addr / CALL 5; the rest
// of the input fills memory from 0400H on, where the addresses point.

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "simulator/session/cpm_system.h"
#include "tests/simulator/session/scripted_console.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kData = 0x0400;
constexpr std::size_t kMaxCalls = 32;
constexpr std::uint64_t kStepLimit = 200000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const fs::path root =
      fs::temp_directory_path() / ("fuzz_cpm_" + std::to_string(::getpid()));
  static const fs::path disk = root / "disk";
  static const fs::path outside = root / "OUTSIDE.TXT";
  static const int cleanup = std::atexit([] { fs::remove_all(root); });
  (void)cleanup;
  fs::remove_all(disk);
  fs::create_directories(disk);
  if (!fs::exists(outside)) {
    fs::create_directories(root);
    std::FILE* f = std::fopen(outside.c_str(), "w");
    std::fputs("keep", f);
    std::fclose(f);
  }

  static kavrin::Machine machine;
  machine.Reset();
  std::fill(machine.PhysicalMemory.begin(), machine.PhysicalMemory.begin() + 0x10000, 0);
  const std::size_t calls = std::min(size / 4, kMaxCalls);
  std::uint16_t at = kavrin::kCpmProgramStart;
  const auto put = [&](std::uint8_t b) { machine.WriteByte(at++, b); };
  for (std::size_t i = 0; i < calls; ++i) {
    const std::uint8_t* call = data + 4 * i;
    // Mostly into the data area; the flag bit lets any address through.
    const std::uint16_t de = call[3] & 0x80 ? static_cast<std::uint16_t>(call[1] | call[2] << 8)
                                            : static_cast<std::uint16_t>(kData + call[1]);
    for (std::uint8_t b : {std::uint8_t{0x0E}, call[0], std::uint8_t{0x11},
                           static_cast<std::uint8_t>(de), static_cast<std::uint8_t>(de >> 8),
                           std::uint8_t{0xCD}, std::uint8_t{0x05}, std::uint8_t{0x00}})
      put(b);
  }
  put(0xC9); // RET: a warm boot
  for (std::size_t i = 4 * calls; i < size && kData + (i - 4 * calls) < 0x0800; ++i)
    machine.WriteByte(static_cast<std::uint16_t>(kData + (i - 4 * calls)), data[i]);

  kavrin::testing::ScriptedConsole console("ab\rline\r\x08x\r");
  kavrin::CpmSystem cpm(machine, console, disk.string());
  if (!cpm.Start(at - kavrin::kCpmProgramStart, "A.TXT *.*").empty()) __builtin_trap();
  (void)cpm.Run({.instructionLimit = kStepLimit});

  std::FILE* f = std::fopen(outside.c_str(), "r");
  char text[8] = {};
  if (!f || std::fgets(text, sizeof text, f) == nullptr || std::string(text) != "keep")
    __builtin_trap();
  std::fclose(f);
  for (const auto& entry : fs::directory_iterator(root)) {
    if (entry.path() != disk && entry.path() != outside) __builtin_trap();
  }
  return 0;
}
