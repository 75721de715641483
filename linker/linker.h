// The linker: replays every .RRO of a project in link order, resolves it, and
// builds the 256 KB image, the image file and the .SYM file.
//
//   LinkRequest request;
//   request.projectDirectory = "/home/u/blink/";  request.projectName = "BLINK";
//   request.sources = {"MAIN.Mac", "IO.RRO"};   // link order
//   request.target = 2;                         // 2K
//   request.writeSym = true;
//   LinkResult result = Link(request, messages, ui);
//   if (result.ok) ...result.image, result.codeAreas
//
// Messages go through AddMessageLine exactly as the message window shows them;
// texts that the IDE shows in a message box go to ui.MessageBox.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "common/message_list.h"
#include "common/project.h"
#include "platform/ui_host.h"

namespace velkor {

inline constexpr std::uint32_t kImageSize = 0x40000;
inline constexpr std::uint8_t kImageFill = 0xFF;
// Entries of each placement table; further areas extend the last one.
inline constexpr std::size_t kMaxAreas = 101;
inline constexpr std::size_t kOverlayHandles = 32;

// ".ROM", or ".COM" for CP/M.
const char* TargetImageExtension(int target);

struct LinkRequest {
  std::string projectName;          // base name of the image and .SYM files
  std::string projectDirectory;     // ends in "/"
  std::vector<std::string> sources; // project entries in link order
  int target = kTargetNone;         // index into kTargetNames
  bool writeSym = false;
  bool writeHex = false; // NAME.HEX beside the image
  bool writeMap = false; // NAME.MAP beside the image; mapText also without writeFiles
  // Where Lib/ and Default/ are searched; empty: the running program's.
  std::string programDirectory;
  // False for a link that only computes (map): no files, no programs started.
  bool writeFiles = true;
  // Objects already in memory, by resolved path; tests and benchmarks use it
  // to link without touching the disk.
  const std::map<std::string, std::vector<std::uint8_t>>* objectsInMemory = nullptr;
  // Starts a program without waiting; empty: platform::StartProgram.
  std::function<bool(const std::string& path, std::string& error)> startProgram;
};

struct LinkArea {
  std::uint32_t start = 0; // load positions; end is one past the last byte
  std::uint32_t end = 0;
  bool loadedFromFile = false;
  // Placed to run at a data label: an overlay part, copied into its buffer
  // before it runs.
  bool runsInBuffer = false;
  std::uint16_t buffer = 0; // the address it runs at, when runsInBuffer
};

// Resolving passes repeated at most this often when layout keeps moving.
inline constexpr int kMaxExtraResolvePasses = 8;

// Wall time spent per pass, for the benchmark.
struct LinkTimings {
  double passSeconds[4] = {0, 0, 0, 0};
  int extraResolvePasses = 0;
};

// Where one module went in the last pass: its code and data locations when it
// began and when it ended (an ORG inside moves them; end - start is then not
// its size).
struct LinkedModule {
  std::string path;
  std::uint32_t codeStart = 0, codeEnd = 0; // load positions in the image
  std::uint16_t dataStart = 0, dataEnd = 0;
};

// A warning as editors take it: the object that gave it ("" for the link as
// a whole) and its text without "Warning: ".
struct LinkWarning {
  std::string module;
  std::string text;
};

struct LinkResult {
  bool ok = false;
  std::vector<std::uint8_t> image; // kImageSize bytes after pass 4
  std::uint32_t highestCodeAddress = 0;
  std::vector<LinkArea> codeAreas;
  std::vector<LinkArea> dataAreas;
  std::string imagePath;               // what was (or would be) written
  std::vector<std::uint8_t> imageFile; // the bytes of the image file
  std::uint32_t imageStart = 0;        // the address of its first byte (0100H for CP/M)
  std::string hexPath;                 // "" unless writeHex
  std::string mapPath;                 // "" unless writeMap
  std::string mapText;
  std::vector<LinkedModule> modules; // in link order
  // The first error: the object it was found in ("" before any) and its text.
  std::string errorModule;
  std::string errorMessage;
  std::vector<LinkWarning> warnings; // in the order of their message lines
  std::string symPath;
  std::string symText; // the .SYM contents ("" without WriteSym)
  std::vector<std::string> runWhenDone;
  LinkTimings timings;
};

LinkResult Link(const LinkRequest& request, MessageList& messages, platform::UiHost& ui);

} // namespace velkor
