#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::string DirectoryOf(const std::string& path) {
  auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string Reason(const std::string& what, const std::string& path) {
  return what + " " + path + ": " + std::strerror(errno);
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string& error) {
  std::string temp = DirectoryOf(path) + "/.kit-XXXXXX";
  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    error = Reason("Cannot create a temporary file for", path);
    return false;
  }
  // mkstemp creates 0600: keep the mode of the file being replaced, or give a
  // new file the mode any other new file of the user would get.
  struct stat existing {};
  if (::stat(path.c_str(), &existing) == 0) {
    ::fchmod(fd, existing.st_mode & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  bool written = WriteAll(fd, bytes.data(), bytes.size());
  int savedErrno = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    ::unlink(temp.c_str());
    errno = savedErrno;
    error = Reason("Cannot write", path);
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    savedErrno = errno;
    ::unlink(temp.c_str());
    errno = savedErrno;
    error = Reason("Cannot replace", path);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                         std::string& error) {
  return WriteFileAtomically(
      path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), error);
}

std::string DirectoryInsteadOfFile(const std::string& path) {
  std::error_code ec;
  if (path.empty() || !std::filesystem::is_directory(path, ec)) return {};
  return path + " is a directory, not a file";
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  bytes.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = Reason("Cannot open", path);
    return false;
  }
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Reason("Cannot read", path);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

} // namespace platform
