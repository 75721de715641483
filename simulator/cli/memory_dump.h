#pragma once
// --dump: memory as the dump window shows it in its Virtual view, rows of
// 8 bytes from a logical address.

#include <cstdint>
#include <string>
#include <vector>

#include "simulator/core/machine.h"

namespace kavrin::cli {

inline constexpr int kDumpRowBytes = 8;

// Rows covering length bytes from start: "0100  48 65 ...  Hello..." (bytes
// 20H-7EH as themselves, others as ".").
std::vector<std::string> DumpRows(const Machine& machine, std::uint16_t start,
                                  std::uint32_t length);

} // namespace kavrin::cli
