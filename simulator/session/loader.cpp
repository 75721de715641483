#include "simulator/session/loader.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "platform/paths.h"
#include "platform/text.h"

namespace kavrin {

LoadResult LoadImage(const std::filesystem::path& path, std::uint32_t physicalAddress,
                     std::vector<std::uint8_t>& memory) {
  LoadResult result;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    result.message = "Cannot open file " + path.string();
    return result;
  }
  result.fileSize = std::filesystem::file_size(path, ec);
  if (ec) {
    result.message = "Cannot read file " + path.string();
    return result;
  }
  if (result.fileSize == 0) {
    result.message = "File " + path.string() + " is empty";
    return result;
  }
  const std::uint32_t space = physicalAddress < memory.size()
                                  ? static_cast<std::uint32_t>(memory.size() - physicalAddress)
                                  : 0;
  const auto wanted = static_cast<std::uint32_t>(std::min<std::uintmax_t>(result.fileSize, space));
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(wanted);
  if (!in || !in.read(buffer.data(), static_cast<std::streamsize>(wanted))) {
    result.message = "Cannot read file " + path.string();
    return result;
  }
  std::copy(buffer.begin(), buffer.end(), memory.begin() + physicalAddress);
  result.ok = true;
  result.stored = wanted;
  if (wanted < result.fileSize)
    result.message = "Only " + std::to_string(wanted) + " of the " +
                     std::to_string(result.fileSize) + " bytes of " + path.filename().string() +
                     " fit below 100000H";
  return result;
}

void LoadHistory::Add(const std::string& path, std::uint32_t address) {
  std::erase_if(entries_, [&path](const LoadHistoryEntry& e) {
    return platform::EqualsIgnoringCase(e.path, path);
  });
  entries_.insert(entries_.begin(), {path, address});
  if (entries_.size() > kLoadHistorySize) entries_.resize(kLoadHistorySize);
}

void LoadHistory::Set(std::vector<LoadHistoryEntry> entries) {
  entries_.clear();
  for (auto& e : entries)
    if (!e.path.empty() && entries_.size() < kLoadHistorySize) entries_.push_back(std::move(e));
}

std::vector<std::string> LoadHistory::MenuCaptions() const {
  std::vector<std::string> captions;
  for (std::size_t i = 0; i < entries_.size(); ++i)
    captions.push_back("&" + std::to_string(i + 1) + " " +
                       std::filesystem::path(entries_[i].path).filename().string() + " at " +
                       platform::Hex(entries_[i].address, 5) + "H");
  return captions;
}

} // namespace kavrin
