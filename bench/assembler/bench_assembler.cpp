// Assembly speed on a generated 100,000-line program: every instruction form
// of the table, labels every 20 lines with branches to them, and macro calls.
// The same program goes through pasmo in the same run as the peer figure.
//
// An object holds at most 256 KB of records, so our program is four modules
// of 25,000 lines; pasmo, which has no such limit, gets them as one file.
#include "assembler/assembler.h"
#include "assembler/instruction_table.h"
#include "assembler/source_file.h"
#include "common/object_file.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

using velkor::asmsrc::InstructionForm;
using velkor::asmsrc::Layout;
using velkor::asmsrc::OpClass;

constexpr int kModules = 4;
constexpr int kLinesPerModule = 25000;
constexpr int kLabelEvery = 20;
constexpr int kMacroEvery = 50;

const std::set<std::string_view> kZ180 = {"OTIM", "OTIMR", "OTDM", "OTDMR", "SLP",
                                          "IN0",  "OUT0",  "TST",  "TSTIO", "MLT"};

// One spelling per operand class; `n` varies the register picked.
std::string spell(OpClass c, Layout layout, unsigned n, const std::string& label) {
  static const char* reg8[] = {"B", "C", "D", "E", "H", "L", "(HL)", "A"};
  static const char* reg8NoHL[] = {"B", "C", "D", "E", "H", "L", "A"};
  static const char* pair[] = {"BC", "DE", "HL", "SP"};
  static const char* pairAF[] = {"BC", "DE", "HL", "AF"};
  static const char* pairNoHL[] = {"BC", "DE", "SP"};
  static const char* cond[] = {"NZ", "Z", "NC", "C", "PO", "PE", "P", "M"};
  switch (c) {
  case OpClass::None:
    return "";
  case OpClass::A:
    return "A";
  case OpClass::HL:
    return "HL";
  case OpClass::SP:
    return "SP";
  case OpClass::AF:
    return "AF";
  case OpClass::AFAlt:
    return "AF'";
  case OpClass::DE:
    return "DE";
  case OpClass::I:
    return "I";
  case OpClass::R:
    return "R";
  case OpClass::AtSP:
    return "(SP)";
  case OpClass::AtC:
    return "(C)";
  case OpClass::AtBC:
    return "(BC)";
  case OpClass::AtDE:
    return "(DE)";
  case OpClass::AtHL:
    return "(HL)";
  case OpClass::Reg8:
    return reg8[n % 8];
  case OpClass::Reg8NoHL:
    return reg8NoHL[n % 7];
  case OpClass::Pair:
    return pair[n % 4];
  case OpClass::PairAF:
    return pairAF[n % 4];
  case OpClass::PairNoHL:
    return pairNoHL[n % 3];
  case OpClass::Cond:
    return cond[n % 8];
  case OpClass::JrCond:
    return cond[n % 4];
  case OpClass::BitNumber:
    return std::to_string(n % 8);
  case OpClass::RstVector:
    return "38H";
  case OpClass::ImMode0:
    return "0";
  case OpClass::ImMode1:
    return "1";
  case OpClass::ImMode2:
    return "2";
  case OpClass::IndexReg:
    return n % 2 ? "IY" : "IX";
  case OpClass::AtIndexReg:
    return n % 2 ? "(IY)" : "(IX)";
  case OpClass::Indexed:
    return n % 2 ? "(IY-3)" : "(IX+5)";
  case OpClass::Immediate:
    if (layout == Layout::OpcodeWord) return n % 3 == 0 ? label : "1234H";
    return "5AH";
  case OpClass::Memory:
    return layout == Layout::OpcodeWord ? "(1234H)" : "(5AH)";
  case OpClass::Relative:
    return label;
  }
  return "";
}

struct Program {
  std::vector<std::vector<std::string>> modules; // our source lines
  std::string pasmo;                             // the same program for pasmo
  std::size_t lines = 0;
};

// Our bytes of a Z180 line, which pasmo gets as DB.
std::string asDb(const std::string& line) {
  velkor::MessageList messages;
  platform::HeadlessUiHost ui;
  const auto result = velkor::AssembleLines({line}, {}, messages, ui);
  std::string db = " DB ";
  for (std::size_t i = 9; i < result.image.size(); ++i) {
    const std::uint8_t type = result.image[i];
    const std::size_t count = type == 0x01 ? 1 : type == 0x02 ? 2 : (type & 0x0F) + 1;
    for (std::size_t k = 1; k <= count; ++k)
      db += std::to_string(result.image[i + k]) + ",";
    i += count;
  }
  db.pop_back();
  return db;
}

std::string labelName(int module, unsigned n) {
  std::string name = "M";
  name += std::to_string(module);
  name += 'L';
  name += std::to_string(n);
  return name;
}

Program generate() {
  Program p;
  const auto forms = velkor::asmsrc::InstructionForms();
  const std::string macroHeader = "SWAP MACRO R1,R2";
  const char* macroBody[] = {" LD A,R1", " LD R1,R2", " LD R2,A"};
  p.pasmo = " ORG 8000H\n" + macroHeader + "\n";
  for (const char* body : macroBody)
    p.pasmo += std::string(body) + "\n";
  p.pasmo += " ENDM\n";
  unsigned n = 0;
  std::size_t form = 0;
  for (int m = 0; m < kModules; ++m) {
    std::vector<std::string> lines = {macroHeader};
    for (const char* body : macroBody)
      lines.emplace_back(body);
    lines.emplace_back(" MACEND");
    std::string label = labelName(m, 0);
    lines.push_back(label + ": NOP");
    p.pasmo += lines.back() + "\n";
    while (lines.size() < kLinesPerModule) {
      ++n;
      if (n % kLabelEvery == 0) {
        label = labelName(m, n);
        lines.push_back(label + ": NOP");
        p.pasmo += lines.back() + "\n";
        continue;
      }
      if (n % kMacroEvery == 1) {
        lines.emplace_back(" SWAP B,C");
        p.pasmo += " SWAP B,C\n";
        continue;
      }
      const InstructionForm& f = forms[form++ % forms.size()];
      std::string ours(1, ' ');
      ours += f.mnemonic;
      std::string peer = ours;
      for (std::size_t i = 0; i < f.operandCount; ++i) {
        const std::string op = spell(f.operand[i], f.layout, n + static_cast<unsigned>(i), label);
        ours += (i ? "," : " ") + op;
        const bool addIndexHL = i == 1 && f.operand[0] == OpClass::IndexReg && op == "HL";
        peer += (i ? "," : " ") + (addIndexHL ? spell(f.operand[0], f.layout, n, label) : op);
      }
      lines.push_back(ours);
      p.pasmo += (kZ180.count(f.mnemonic) ? asDb(ours) : peer) + "\n";
    }
    p.lines += lines.size();
    p.modules.push_back(std::move(lines));
  }
  return p;
}

const Program& program() {
  static const Program p = generate();
  return p;
}

std::filesystem::path workDir() {
  const auto dir = std::filesystem::temp_directory_path() / "velkor_bench_assembler";
  std::filesystem::create_directories(dir);
  return dir;
}

std::vector<std::string> writeModules() {
  std::vector<std::string> paths;
  for (std::size_t m = 0; m < program().modules.size(); ++m) {
    const auto path = workDir() / ("MOD" + std::to_string(m) + ".Mac");
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : program().modules[m])
      out << line << "\r\n";
    paths.push_back(path.string());
  }
  return paths;
}

// A rate over the benchmark's time: processor time for ours, pasmo's
// processor time for pasmo.
void reportLines(benchmark::State& state) {
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(program().lines) *
                                                     static_cast<double>(state.iterations()),
                                                 benchmark::Counter::kIsRate);
}

void BM_AssembleFiles(benchmark::State& state) {
  const auto paths = writeModules();
  velkor::asmsrc::AssemblySettings settings;
  settings.projectDirectory = workDir().string();
  for (auto _ : state) {
    for (const std::string& path : paths) {
      velkor::MessageList messages;
      platform::HeadlessUiHost ui;
      const auto result = velkor::AssembleFile(path, settings, messages, ui);
      if (!result.ok) {
        state.SkipWithError(("assembly failed: " + result.errorMessage).c_str());
        return;
      }
    }
  }
  reportLines(state);
}
BENCHMARK(BM_AssembleFiles)->Unit(benchmark::kMillisecond);

void BM_AssembleInMemory(benchmark::State& state) {
  for (auto _ : state) {
    for (const auto& module : program().modules) {
      velkor::MessageList messages;
      platform::HeadlessUiHost ui;
      auto result = velkor::AssembleLines(module, {}, messages, ui);
      if (!result.ok) {
        state.SkipWithError(("assembly failed: " + result.error.message).c_str());
        return;
      }
      benchmark::DoNotOptimize(result.image.data());
    }
  }
  reportLines(state);
}
BENCHMARK(BM_AssembleInMemory)->Unit(benchmark::kMillisecond);

double childCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_PasmoSameProgram(benchmark::State& state) {
  const auto source = workDir() / "PASMO.ASM";
  std::ofstream(source, std::ios::binary) << program().pasmo;
  const std::string command =
      "pasmo " + source.string() + " " + (workDir() / "PASMO.BIN").string() + " >/dev/null 2>&1";
  for (auto _ : state) {
    const double before = childCpuSeconds();
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("pasmo failed or is not installed");
      return;
    }
    state.SetIterationTime(childCpuSeconds() - before);
  }
  reportLines(state);
}
// Timed by pasmo's own processor time, comparable with the CPU time above.
BENCHMARK(BM_PasmoSameProgram)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
