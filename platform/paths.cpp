#include "platform/paths.h"

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace platform {

std::string NormalizeSeparators(std::string_view path) {
  std::string out(path);
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

std::string DirectoryPart(std::string_view path) {
  auto slash = path.find_last_of('/');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string FileNamePart(std::string_view path) {
  auto slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtensionPart(std::string_view path) {
  std::string name = FileNamePart(path);
  auto dot = name.find_last_of('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string UpperExtension(std::string_view path) {
  return UpperCase(ExtensionPart(path));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
  std::string extensionNow = ExtensionPart(path);
  std::string out(path.substr(0, path.size() - extensionNow.size()));
  out += extension;
  return out;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return UpperCase(a) == UpperCase(b);
}

std::string AbsolutePath(std::string_view path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(std::string(path)), ec);
  if (ec) absolute = fs::path(std::string(path));
  return absolute.lexically_normal().string();
}

std::string AbsoluteDirectory(std::string_view path) {
  std::string out = AbsolutePath(path);
  if (out.empty() || out.back() != '/') out += '/';
  return out;
}

std::string ProgramDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return AbsoluteDirectory(".");
  fs::path resolved = fs::weakly_canonical(exe, ec);
  if (!ec) exe = resolved;
  return AbsoluteDirectory(exe.parent_path().string());
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

bool DirectoryWritable(const std::string& directory) {
  std::error_code ec;
  return fs::is_directory(directory, ec) && ::access(directory.c_str(), W_OK | X_OK) == 0;
}

std::optional<std::string> FindCaseInsensitive(const std::string& directory,
                                               std::string_view name) {
  std::error_code ec;
  std::string dir = directory.empty() ? std::string("./") : directory;
  if (dir.back() != '/') dir += '/';
  if (fs::exists(dir + std::string(name), ec)) return dir + std::string(name);
  fs::directory_iterator it(dir, ec);
  if (ec) return std::nullopt;
  for (const auto& entry : it) {
    std::string candidate = entry.path().filename().string();
    if (EqualsIgnoringCase(candidate, name)) return dir + candidate;
  }
  return std::nullopt;
}

std::optional<std::string> FindCaseInsensitive(const std::string& path) {
  std::error_code ec;
  if (fs::exists(path, ec)) return path;
  // Walk from the start: keep exact components while they exist, then match.
  std::string found = path.starts_with('/') ? "/" : "";
  std::string_view rest(path);
  while (!rest.empty() && rest.front() == '/')
    rest.remove_prefix(1);
  while (!rest.empty()) {
    auto slash = rest.find('/');
    std::string_view component = rest.substr(0, slash);
    rest.remove_prefix(slash == std::string_view::npos ? rest.size() : slash + 1);
    if (component.empty() || component == ".") continue;
    auto next = FindCaseInsensitive(found.empty() ? std::string("./") : found, component);
    if (!next) return std::nullopt;
    found = found.empty() && next->starts_with("./") ? next->substr(2) : *next;
    if (!rest.empty()) found += '/';
  }
  if (fs::exists(found, ec)) return found;
  return std::nullopt;
}

std::string SettingsFilePathFor(const std::string& programDirectory, std::string_view fileName,
                                const char* xdgConfigHome, const char* home) {
  if (DirectoryWritable(programDirectory)) {
    std::string dir = programDirectory;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + std::string(fileName);
  }
  std::string base;
  if (xdgConfigHome && *xdgConfigHome) {
    base = xdgConfigHome;
  } else {
    base = std::string(home && *home ? home : ".") + "/.config";
  }
  std::string program = ChangeExtension(fileName, "");
  for (char& c : program)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return base + "/" + program + "/" + std::string(fileName);
}

std::string SettingsFilePath(std::string_view fileName) {
  return SettingsFilePathFor(ProgramDirectory(), fileName, std::getenv("XDG_CONFIG_HOME"),
                             std::getenv("HOME"));
}

bool MakeDirectories(const std::string& directory) {
  std::error_code ec;
  fs::create_directories(directory, ec);
  return fs::is_directory(directory, ec);
}

} // namespace platform
