// The code our toolchain generates, against SDCC's for the same programs:
// each is built by its own tools, run on the simulator core to its HALT, and
// reported as instructions executed, code bytes and the share of the
// instructions spent in library code (ours, or SDCC's C library). The figure is the count, so
// the benchmark loop only repeats a deterministic run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "simulator/core/machine.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kRamStart = 0x8000;
constexpr std::uint32_t kSdccCodeStart = 0x0100; // below it: our crt0
constexpr std::uint64_t kMaxInstructions = 100'000'000;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct BuiltProgram {
  std::string error; // empty when it built
  std::vector<std::uint8_t> image;
  std::uint32_t codeBytes = 0;
  std::uint32_t libraryStart = kRamStart; // code from here on is the library's
};

fs::path FreshDirectory(const std::string& name) {
  const fs::path dir =
      fs::temp_directory_path() / ("kit-codegen-" + std::to_string(::getpid()) + "-" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

bool Shell(const fs::path& dir, const std::string& commands, std::string& error) {
  const std::string line = "cd '" + dir.string() + "' && (" + commands + ") >log.txt 2>&1";
  if (std::system(line.c_str()) == 0) return true;
  error = "failed: " + commands + "\n" + ReadFile(dir / "log.txt");
  return false;
}

// Calls `take` with the two captured hexadecimal numbers of every match.
template <typename Take> void ForEachPair(const std::string& text, const char* pattern, Take take) {
  const std::regex expression(pattern);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
       it != std::sregex_iterator(); ++it)
    take(std::uint32_t(std::stoul((*it)[1], nullptr, 16)),
         std::uint32_t(std::stoul((*it)[2], nullptr, 16)));
}

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return {text.begin(), text.end()};
}

// Built as a user builds it: velkor-cli new, build, and map for the layout.
BuiltProgram BuildPascal(const fs::path& source) {
  BuiltProgram built;
  const std::string name = source.stem().string();
  const fs::path dir = FreshDirectory(name + "-pas");
  fs::copy_file(source, dir / source.filename());
  const std::string cli = std::string(KIT_BIN_DIR) + "/velkor-cli";
  if (!Shell(dir,
             cli + " new " + name + ".Prj " + source.filename().string() + " && " + cli +
                 " build " + name + ".Prj && " + cli + " map " + name + ".Prj >map.txt",
             built.error))
    return built;
  built.image = Bytes(ReadFile(dir / (name + ".ROM")));
  const std::string map = ReadFile(dir / "map.txt");
  // The library objects come last in link order; the first one's code start
  // is where the program's own code ends.
  std::smatch match;
  if (std::regex_search(map, match, std::regex("/Lib/[^\\n]*?Code start ([0-9A-F]{4})H")))
    built.libraryStart = std::stoul(match[1], nullptr, 16);
  ForEachPair(map, "\\n ([0-9A-F]{5})H ([0-9A-F]{5})H",
              [&built](std::uint32_t start, std::uint32_t end) {
                if (end <= kRamStart) built.codeBytes += end - start;
              });
  fs::remove_all(dir);
  return built;
}

BuiltProgram BuildSdcc(const fs::path& source) {
  BuiltProgram built;
  const std::string name = source.stem().string();
  const fs::path dir = FreshDirectory(name + "-c");
  const fs::path here = fs::path(KIT_SOURCE_DIR) / "bench/examples";
  fs::copy_file(source, dir / source.filename());
  fs::copy_file(here / "sdcc_crt0.s", dir / "crt0.s");
  fs::copy_file(here / "terminal.h", dir / "terminal.h");
  if (!Shell(dir,
             "sdasz80 -o crt0.rel crt0.s && sdcc -mz80 -c " + name +
                 ".c && sdcc -mz80 --no-std-crt0 --code-loc " + std::to_string(kSdccCodeStart) +
                 " "
                 "--data-loc 0x8000 -o " +
                 name + ".ihx crt0.rel " + name + ".rel && makebin -p " + name + ".ihx " + name +
                 ".bin",
             built.error))
    return built;
  built.image = Bytes(ReadFile(dir / (name + ".bin")));
  // Areas in the map: "_CODE   00000100   0000019E = 414. bytes".
  const std::string map = ReadFile(dir / (name + ".map"));
  ForEachPair(map, "\\n_\\w+ +([0-9A-F]{8}) +([0-9A-F]{8}) =",
              [&built](std::uint32_t start, std::uint32_t size) {
                if (start < kRamStart) built.codeBytes += size;
              });
  // Globals: "000001CB  _main  sieve". The library's code begins at the
  // lowest code global of any other module (crt0's lies below 0100H).
  const std::regex global("\\n +([0-9A-F]{8}) +(_\\w+) +(\\w*)"); // C names begin with _
  for (auto it = std::sregex_iterator(map.begin(), map.end(), global); it != std::sregex_iterator();
       ++it) {
    const std::uint32_t address = std::stoul((*it)[1], nullptr, 16);
    if ((*it)[3] != name && address >= kSdccCodeStart && address < built.libraryStart)
      built.libraryStart = address;
  }
  fs::remove_all(dir);
  return built;
}

struct RunCounts {
  bool halted = false;
  std::string terminal;
  std::uint64_t instructions = 0;
  std::uint64_t libraryInstructions = 0;
};

// One instruction at a time, so each can be told apart by where it ran.
RunCounts Run(const BuiltProgram& program) {
  RunCounts counts;
  auto machine = std::make_unique<kavrin::Machine>();
  machine->BuildPortMaps(0x80, {0x82, 0x83, 0x84, 0x85, 0x86}, {0x87, 0x88, 0x89, 0x8A, 0x8B});
  machine->SetPortWriteHandler(kavrin::kTerminalData, [&counts](std::uint8_t, std::uint8_t v) {
    counts.terminal.push_back(char(v));
  });
  std::copy(program.image.begin(), program.image.end(), machine->PhysicalMemory.begin());
  machine->Reset();
  machine->Cpu.PC = 0;
  kavrin::RunPlan plan{.instructionLimit = kMaxInstructions};
  plan.trace = [&] {
    const std::uint16_t pc = machine->Cpu.PC;
    if (pc >= program.libraryStart && pc < kRamStart) ++counts.libraryInstructions;
  };
  counts.halted = machine->Run(plan) == kavrin::StopReason::Halt;
  counts.instructions = machine->InstructionCount();
  return counts;
}

struct Contender {
  BuiltProgram program;
  RunCounts counts;
};

// Built and run once per process; the loop below repeats only the run.
const Contender& Built(const std::string& key, BuiltProgram (*build)(const fs::path&),
                       const fs::path& source) {
  static std::map<std::string, Contender> cache;
  auto found = cache.find(key);
  if (found != cache.end()) return found->second;
  Contender contender{build(source), {}};
  if (contender.program.error.empty()) contender.counts = Run(contender.program);
  return cache.emplace(key, std::move(contender)).first->second;
}

const fs::path kSources[] = {fs::path(KIT_SOURCE_DIR) / "examples/sieve/Sieve.Pas",
                             fs::path(KIT_SOURCE_DIR) / "bench/examples/sieve.c",
                             fs::path(KIT_SOURCE_DIR) / "bench/examples/StrBench.Pas",
                             fs::path(KIT_SOURCE_DIR) / "bench/examples/strbench.c"};

void Report(benchmark::State& state, const Contender& ours, const Contender& peer, bool isOurs) {
  const Contender& me = isOurs ? ours : peer;
  if (!me.program.error.empty()) {
    state.SkipWithError(me.program.error.c_str());
    return;
  }
  if (!me.counts.halted || me.counts.terminal != (isOurs ? peer : ours).counts.terminal) {
    state.SkipWithError(("the two builds disagree or did not halt: " + me.counts.terminal).c_str());
    return;
  }
  for (auto _ : state)
    benchmark::DoNotOptimize(Run(me.program).instructions);
  state.counters["instructions"] = double(me.counts.instructions);
  state.counters["code_bytes"] = me.program.codeBytes;
  state.counters["library_percent"] =
      100.0 * double(me.counts.libraryInstructions) / double(me.counts.instructions);
}

void BM_Program(benchmark::State& state, int pair, bool isOurs) {
  const Contender& ours = Built(kSources[2 * pair].string(), BuildPascal, kSources[2 * pair]);
  const Contender& peer = Built(kSources[2 * pair + 1].string(), BuildSdcc, kSources[2 * pair + 1]);
  Report(state, ours, peer, isOurs);
}

BENCHMARK_CAPTURE(BM_Program, sieve_velkor, 0, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Program, sieve_sdcc, 0, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Program, strings_velkor, 1, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Program, strings_sdcc, 1, false)->Unit(benchmark::kMillisecond);

} // namespace
