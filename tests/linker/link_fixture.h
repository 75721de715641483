// A project directory of .Mac sources that the tests assemble with the real
// assembler and then link, and of objects built by hand.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "common/object_file.h"
#include "linker/linker.h"
#include "platform/text.h"
#include "platform/ui_host.h"

namespace velkor::testing {

inline std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines)
    text += line + "\n";
  return text;
}

// Lines(" NOP| RET"): the lines of a source, one between each "|".
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('|', start), text.size());
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// objcopy's view of an Intel HEX file: the bytes from its lowest address to
// its highest.
inline std::vector<std::uint8_t> ObjcopyReadBack(const std::string& hexFile) {
  const std::string binFile = hexFile + ".bin";
  const std::string command = "objcopy -I ihex -O binary '" + hexFile + "' '" + binFile + "'";
  return std::system(command.c_str()) == 0 ? readBytes(binFile) : std::vector<std::uint8_t>{};
}

// What a link came to: its first `bytes` image bytes in hex, or the object
// it stopped in and why.
inline std::string Outcome(const LinkResult& r, std::size_t bytes) {
  if (!r.ok) {
    const std::string module = std::filesystem::path(r.errorModule).filename().string();
    return module.empty() ? r.errorMessage : module + " " + r.errorMessage;
  }
  std::string hex;
  for (std::size_t i = 0; i < std::min(bytes, r.imageFile.size()); ++i)
    hex += (i ? " " : "") + platform::Hex(r.imageFile[i], 2);
  return hex;
}

class LinkProject {
public:
  explicit LinkProject(const std::string& tag) {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("linker_" + tag + "_" + info->test_suite_name() + "_" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_ / "prog" / "Lib");
    request.projectName = "PROJ";
    request.projectDirectory = dir_.string() + "/";
    request.programDirectory = (dir_ / "prog").string() + "/";
    request.startProgram = [this](const std::string& path, std::string&) {
      started.push_back(path);
      return true;
    };
  }
  ~LinkProject() { std::filesystem::remove_all(dir_); }

  std::filesystem::path path(const std::string& name) const { return dir_ / name; }

  void write(const std::string& name, const std::string& text) {
    std::filesystem::create_directories(path(name).parent_path());
    std::ofstream(path(name), std::ios::binary) << text;
  }
  // Writes the source, assembles it and adds it to the link order.
  void module(const std::string& name, const std::vector<std::string>& lines,
              bool addToLink = true) {
    write(name, joined(lines));
    MessageList messages;
    asmsrc::AssemblySettings settings;
    settings.projectDirectory = dir_.string() + "/";
    settings.symbolOutput = request.writeSym;
    platform::HeadlessUiHost assemblerUi;
    const AssembleResult result =
        AssembleFile(path(name).string(), settings, messages, assemblerUi);
    ASSERT_TRUE(result.ok) << name << ": " << joined(messages.Lines());
    if (addToLink) request.sources.push_back(name);
  }

  LinkResult link() {
    messages.Clear();
    return Link(request, messages, ui);
  }

  // Links an object held in memory under this name, after the others.
  void add(const std::string& name, std::vector<std::uint8_t> bytes) {
    objects[name] = std::move(bytes);
    request.objectsInMemory = &objects;
    request.sources.push_back(name);
  }

  std::string output() const { return joined(messages.Lines()); }
  bool printed(const std::string& line) const {
    return std::ranges::find(messages.Lines(), line) != messages.Lines().end();
  }

  std::map<std::string, std::vector<std::uint8_t>> objects;
  LinkRequest request;
  MessageList messages;
  platform::HeadlessUiHost ui;
  std::vector<std::string> started;

private:
  std::filesystem::path dir_;
};

// Hand-built objects, for records the assembler never writes in that form.
inline std::vector<std::uint8_t> object(const std::function<void(ObjectWriter&)>& write,
                                        bool ok = true) {
  ObjectWriter w;
  w.beginPass();
  write(w);
  return w.fileImage(ok);
}

} // namespace velkor::testing
