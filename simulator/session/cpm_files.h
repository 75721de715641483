#pragma once
// The BDOS file functions of CpmSystem on one host directory: a CP/M file
// NAME.TYP is the file of that upper-case name there. Names are checked
// against CP/M's rules first, so nothing outside the directory is reached.

#include <cstdint>
#include <string>

#include "simulator/core/machine.h"

namespace kavrin {

inline constexpr std::uint16_t kCpmDefaultDma = 0x0080;

class CpmFiles {
public:
  explicit CpmFiles(std::string directory) : directory_(std::move(directory)) {}

  // Disk reset: the DMA address back to 0080H.
  void Reset() { dma_ = kCpmDefaultDma; }
  void SetDma(std::uint16_t address) { dma_ = address; }
  std::uint16_t Dma() const { return dma_; }

private:
  std::string directory_;
  std::uint16_t dma_ = kCpmDefaultDma;
};

} // namespace kavrin
