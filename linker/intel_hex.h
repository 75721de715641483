#pragma once
// The image as Intel HEX, for programmers and emulators that read it.
//
//   std::string hex = IntelHex(result.imageFile, result.imageStart);
//   // ":10010000C30000...\n" ... ":00000001FF\n"
//
// Data records of kHexRecordBytes, an extended linear address record (type
// 04) before the first record of every 64K above the first, the end record.

#include <cstdint>
#include <span>
#include <string>

namespace velkor {

inline constexpr std::size_t kHexRecordBytes = 16;

std::string IntelHex(std::span<const std::uint8_t> bytes, std::uint32_t firstAddress);

} // namespace velkor
