// Links a generated project of 500 modules that call and address each
// other. Reports modules per second and each pass's share of the time, and
// what the map and HEX files add to a whole build.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "assembler/assembler.h"
#include "common/message_list.h"
#include "linker/linker.h"
#include "platform/ui_host.h"

namespace {

constexpr int kModules = 500;

std::vector<std::string> moduleSource(int i) {
  // Appending, not "F" + to_string(): g++ 12 warns falsely on the latter.
  auto name = [](int n) {
    std::string text = "F";
    text += std::to_string(n % kModules);
    return text;
  };
  const int a = i + 1, b = i + kModules / 2, c = i + kModules - 1; // distinct, none is i
  std::vector<std::string> lines = {
      " GLOBAL " + name(i) + ",T" + std::to_string(i),
      " EXTERN " + name(a) + "," + name(b) + "," + name(c),
      name(i) + ": LD A," + std::to_string(i % 256),
      " LD B,10",
      "LOOP: CALL " + name(a),
      " CALL " + name(b),
      " LD HL," + name(c) + "+2",
      " LD DE,TABLE",
      " DJNZ LOOP",
      " JR Z,DONE",
      " LD IX,TABLE+4",
      " LD (IX+2),A",
      "DONE: RET",
      "TABLE: DW " + name(a) + "," + name(b) + ",LOOP,DONE",
      "T" + std::to_string(i) + ": DB 'MODULE',0",
  };
  // Library-style routines that only some modules use.
  lines.push_back(" IFREF " + name(i));
  lines.push_back(" NOP");
  lines.push_back(" ENDIF");
  return lines;
}

struct Project {
  std::map<std::string, std::vector<std::uint8_t>> objects;
  velkor::LinkRequest request;

  Project() {
    for (int i = 0; i < kModules; ++i) {
      velkor::MessageList messages;
      velkor::asmsrc::AssemblySettings settings;
      platform::HeadlessUiHost ui;
      const auto assembled = velkor::AssembleLines(moduleSource(i), settings, messages, ui);
      if (!assembled.ok) {
        throw std::runtime_error(
            "generated module does not assemble: " +
            (messages.Lines().empty() ? std::string() : messages.Lines().back()));
      }
      std::string name = "M";
      name += std::to_string(i);
      name += ".RRO";
      objects[name] = assembled.image;
      request.sources.push_back(name);
    }
    request.projectName = "BENCH";
    request.projectDirectory = "/nonexistent/";
    request.programDirectory = "/nonexistent/";
    request.writeFiles = false;
    request.writeSym = true;
    request.objectsInMemory = &objects;
  }
};

void BM_Link500Modules(benchmark::State& state) {
  static Project project;
  double passes[4] = {0, 0, 0, 0};
  for (auto _ : state) {
    velkor::MessageList messages;
    platform::HeadlessUiHost ui;
    const velkor::LinkResult result = velkor::Link(project.request, messages, ui);
    if (!result.ok) {
      state.SkipWithError(messages.Lines().empty() ? "link failed"
                                                   : messages.Lines().back().c_str());
      return;
    }
    for (int p = 0; p < 4; ++p)
      passes[p] += result.timings.passSeconds[p];
    benchmark::DoNotOptimize(result.image.data());
  }
  const double total = passes[0] + passes[1] + passes[2] + passes[3];
  state.counters["modules_per_second"] = benchmark::Counter(
      static_cast<double>(kModules), benchmark::Counter::kIsIterationInvariantRate);
  for (int p = 0; p < 4; ++p) {
    state.counters["pass" + std::to_string(p + 1) + "_share"] = total > 0 ? passes[p] / total : 0;
  }
}
BENCHMARK(BM_Link500Modules)->Unit(benchmark::kMillisecond);

// The same link writing its files into a temporary directory: the argument's
// bit 0 adds the map, bit 1 the Intel HEX file. What the extra outputs cost.
void BM_Link500ModulesWritingFiles(benchmark::State& state) {
  static Project project;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("link_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  velkor::LinkRequest request = project.request;
  request.projectDirectory = dir.string() + "/";
  request.writeFiles = true;
  request.writeMap = (state.range(0) & 1) != 0;
  request.writeHex = (state.range(0) & 2) != 0;
  for (auto _ : state) {
    velkor::MessageList messages;
    platform::HeadlessUiHost ui;
    const velkor::LinkResult result = velkor::Link(request, messages, ui);
    if (!result.ok) {
      state.SkipWithError("link failed");
      break;
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Link500ModulesWritingFiles)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMillisecond);

// A whole build of the same project from its sources on disk: every module
// assembled into its .RRO, then the link writing the image and .SYM, with
// (argument 1) or without (0) the map and the HEX file. BuildOnce is the unit
// to count under callgrind: --toggle-collect='*BuildOnce*'.
struct SourceProject {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("build_bench_" + std::to_string(::getpid()));
  std::vector<std::string> sources;

  SourceProject() {
    std::filesystem::create_directories(dir);
    for (int i = 0; i < kModules; ++i) {
      std::string text;
      for (const std::string& line : moduleSource(i))
        text += line + "\r\n";
      std::string name = "M";
      name += std::to_string(i);
      name += ".Mac";
      std::ofstream(dir / name, std::ios::binary) << text;
      sources.push_back(name);
    }
  }
  ~SourceProject() { std::filesystem::remove_all(dir); }
};

[[gnu::noinline]] bool BuildOnce(const SourceProject& project, bool mapAndHex) {
  velkor::MessageList messages;
  platform::HeadlessUiHost ui;
  velkor::asmsrc::AssemblySettings settings;
  settings.projectDirectory = project.dir.string();
  settings.symbolOutput = true;
  for (const std::string& source : project.sources) {
    if (!velkor::AssembleFile((project.dir / source).string(), settings, messages, ui).ok)
      return false;
  }
  velkor::LinkRequest request;
  request.projectName = "BENCH";
  request.projectDirectory = project.dir.string() + "/";
  request.programDirectory = "/nonexistent/";
  request.sources = project.sources;
  request.writeSym = true;
  request.writeMap = request.writeHex = mapAndHex;
  return velkor::Link(request, messages, ui).ok;
}

void BM_Build500Modules(benchmark::State& state) {
  static SourceProject project;
  for (auto _ : state) {
    if (!BuildOnce(project, state.range(0) != 0)) {
      state.SkipWithError("build failed");
      break;
    }
  }
}
BENCHMARK(BM_Build500Modules)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
