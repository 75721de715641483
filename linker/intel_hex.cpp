#include "linker/intel_hex.h"

#include <algorithm>

namespace velkor {
namespace {

constexpr std::uint8_t kDataRecord = 0x00;
constexpr std::uint8_t kEndRecord = 0x01;
constexpr std::uint8_t kExtendedLinearAddress = 0x04;
constexpr std::uint32_t kSegment = 0x10000; // what a record's 16-bit address reaches

// The characters of a record: ':', then count, address (two bytes), type,
// the data and the checksum as two hex digits each, then the line end.
constexpr std::size_t RecordLength(std::size_t dataBytes) {
  return 1 + 2 * (4 + dataBytes + 1) + 1;
}

// One record: the byte count, address, type and data, then the two's
// complement of their sum. Written in place: a large image has tens of
// thousands of records, and appending character by character cost more.
void AppendRecord(std::string& out, std::uint16_t address, std::uint8_t type,
                  std::span<const std::uint8_t> data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t start = out.size();
  out.resize(start + RecordLength(data.size()));
  char* next = out.data() + start;
  std::uint8_t sum = 0;
  const auto put = [&](std::uint8_t byte) {
    *next++ = kDigits[byte >> 4];
    *next++ = kDigits[byte & 0xF];
    sum = static_cast<std::uint8_t>(sum + byte);
  };
  *next++ = ':';
  put(static_cast<std::uint8_t>(data.size()));
  put(static_cast<std::uint8_t>(address >> 8));
  put(static_cast<std::uint8_t>(address));
  put(type);
  for (std::uint8_t byte : data)
    put(byte);
  put(static_cast<std::uint8_t>(-sum));
  *next = '\n';
}

} // namespace

std::string IntelHex(std::span<const std::uint8_t> bytes, std::uint32_t firstAddress) {
  std::string out;
  out.reserve((bytes.size() / kHexRecordBytes + 2) * RecordLength(kHexRecordBytes));
  std::uint32_t segment = 0;
  for (std::size_t offset = 0; offset < bytes.size();) {
    const std::uint32_t address = firstAddress + static_cast<std::uint32_t>(offset);
    if (address / kSegment != segment) {
      segment = address / kSegment;
      const std::uint8_t upper[] = {static_cast<std::uint8_t>(segment >> 8),
                                    static_cast<std::uint8_t>(segment)};
      AppendRecord(out, 0, kExtendedLinearAddress, upper);
    }
    // A record ends at the end of its 64K.
    const std::size_t count = std::min<std::size_t>(
        {kHexRecordBytes, bytes.size() - offset, kSegment - address % kSegment});
    AppendRecord(out, static_cast<std::uint16_t>(address), kDataRecord,
                 bytes.subspan(offset, count));
    offset += count;
  }
  AppendRecord(out, 0, kEndRecord, {});
  return out;
}

} // namespace velkor
