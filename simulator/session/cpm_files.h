#pragma once
// The BDOS file functions of CpmSystem on one host directory: the CP/M file
// NAME.TYP is the file of that name there, found without regard to case and
// made in upper case. A name is checked against CP/M's rules before any host
// call, and a path that would lead out of the directory (a link) is refused,
// so no file outside it is ever touched. Files are opened per call: an FCB
// keeps the position, as on a CP/M disk.
//
//   CpmFiles files("/home/me/cpm");
//   std::string error;
//   const auto a = files.Call(15, machine, fcbAddress, error); // open
//   if (!a) Fail(error);

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simulator/core/machine.h"

namespace kavrin {

inline constexpr std::uint16_t kCpmDefaultDma = 0x0080;
inline constexpr int kCpmRecordSize = 128;
inline constexpr int kCpmFcbSize = 36;
inline constexpr std::uint8_t kCpmEndOfText = 0x1A; // pads the last record of a read
inline constexpr int kCpmSearchNext = 18;           // the one file function without an FCB

class CpmFiles {
public:
  explicit CpmFiles(std::string directory) : directory_(std::move(directory)) {}

  // Disk reset: the DMA address back to 0080H.
  void Reset() { dma_ = kCpmDefaultDma; }
  void SetDma(std::uint16_t address) { dma_ = address; }
  std::uint16_t Dma() const { return dma_; }

  // BDOS function `function` with DE = `fcb`: the value for A, or nothing
  // and an error for an FCB that CP/M would not accept. The caller has
  // checked that the FCB lies below the BDOS.
  std::optional<std::uint8_t> Call(int function, Machine& machine, std::uint16_t fcb,
                                   std::string& error);

  // Meant for the function table in cpm_files.cpp.
  struct Request;

private:
  friend struct Request;
  std::optional<std::filesystem::path> HostPath(const std::string& name) const;
  std::vector<std::string> Matches(const std::string& pattern) const;

  std::string directory_;
  std::uint16_t dma_ = kCpmDefaultDma;
  std::vector<std::string> found_; // search first's matches
  std::size_t nextFound_ = 0;
};

} // namespace kavrin
