#pragma once
// Writing a file so that the user's existing copy survives any failure.
//
//   std::string error;
//   if (!platform::WriteFileAtomically("out/A.RRO", bytes, error)) report(error);
//
// The bytes go to a temporary file in the same directory, which is renamed
// over the target only after it was written and closed without error.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error);
bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error);

// "<path> is a directory, not a file" when the path names a directory, else
// empty: the line a reader adds under its own "cannot find" message.
std::string DirectoryInsteadOfFile(const std::string& path);

// Reads a whole file; false (with a one-line reason) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

} // namespace platform
