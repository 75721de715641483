#pragma once
// z80ex, the independent Z80 emulator the tests take as their oracle, on a
// board of 1 MB: logical addresses map flat, or banked as CBAR 84H, BBR 10H
// and CBR 20H map them. A port reads as PortValue; writes are kept.

#include <z80ex/z80ex.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace kavrin::testing {

inline std::uint8_t PortValue(std::uint8_t port) {
  return static_cast<std::uint8_t>(port * 0x9D + 0x31);
}

struct Z80exBoard {
  std::vector<std::uint8_t> memory = std::vector<std::uint8_t>(0x100000);
  bool banked = false;
  std::vector<std::pair<std::uint8_t, std::uint8_t>> portWrites;
  Z80EX_CONTEXT* cpu = z80ex_create(
      [](Z80EX_CONTEXT*, Z80EX_WORD a, int, void* b) {
        return static_cast<Z80exBoard*>(b)->memory[static_cast<Z80exBoard*>(b)->Physical(a)];
      },
      this,
      [](Z80EX_CONTEXT*, Z80EX_WORD a, Z80EX_BYTE v, void* b) {
        static_cast<Z80exBoard*>(b)->memory[static_cast<Z80exBoard*>(b)->Physical(a)] = v;
      },
      this, [](Z80EX_CONTEXT*, Z80EX_WORD port, void*) { return PortValue(port & 0xFF); }, this,
      [](Z80EX_CONTEXT*, Z80EX_WORD port, Z80EX_BYTE v, void* b) {
        static_cast<Z80exBoard*>(b)->portWrites.emplace_back(port & 0xFF, v);
      },
      this, [](Z80EX_CONTEXT*, void*) { return Z80EX_BYTE{0xFF}; }, this);

  Z80exBoard() = default;
  Z80exBoard(const Z80exBoard&) = delete;
  ~Z80exBoard() { z80ex_destroy(cpu); }
  std::uint32_t Physical(std::uint16_t logical) const {
    if (!banked) return logical;
    if (logical >= 0x8000) return logical + 0x20000u;
    if (logical >= 0x4000) return logical + 0x10000u;
    return logical;
  }
  // The physical ranges the logical space reaches.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> Regions() const {
    if (!banked) return {{0x00000, 0x10000}};
    return {{0x00000, 0x4000}, {0x14000, 0x4000}, {0x28000, 0x8000}};
  }
};

} // namespace kavrin::testing
