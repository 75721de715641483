#pragma once
// Loading raw images into physical memory, and the load history.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kavrin {

struct LoadResult {
  bool ok = false;
  std::string message;      // the error when !ok, else a warning or empty
  std::uint32_t stored = 0; // bytes placed in memory
  std::uintmax_t fileSize = 0;
};

// Reads the file into memory from physicalAddress on; bytes that would fall
// at or beyond the end of memory are dropped (with a warning). A missing,
// unreadable or empty file changes nothing.
LoadResult LoadImage(const std::filesystem::path& path, std::uint32_t physicalAddress,
                     std::vector<std::uint8_t>& memory);

inline constexpr int kLoadHistorySize = 4;

struct LoadHistoryEntry {
  std::string path;
  std::uint32_t address = 0;
};

class LoadHistory {
public:
  // Entry 0 is the newest; a path equal without regard to case is replaced.
  void Add(const std::string& path, std::uint32_t address);
  const std::vector<LoadHistoryEntry>& Entries() const { return entries_; }
  void Set(std::vector<LoadHistoryEntry> entries);
  // File menu captions, one per entry: "&1 NAME at 00000H".
  std::vector<std::string> MenuCaptions() const;

private:
  std::vector<LoadHistoryEntry> entries_;
};

} // namespace kavrin
